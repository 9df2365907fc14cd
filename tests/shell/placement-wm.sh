#!/bin/sh
# Under a real window manager the main window's frame stays where it was
# left: three runs in a row each open at the stored place and store it again.
set -eu
quivora="$1"
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
conf="$home/config/Corvanta/Quivora.conf"
mkdir -p "$(dirname "$conf")"
printf '[Position]\nLeft=100\nTop=100\nWidth=640\nHeight=480\nTreeWidth=159\nState=wsNormal\n' > "$conf"
cat > "$home/runs.sh" <<RUNS
for i in 1 2 3; do
  HOME="$home" XDG_CONFIG_HOME="$home/config" QUIVORA_QUIT_WHEN_IDLE=1 QT_QPA_PLATFORM=xcb "$quivora" > /dev/null \
    || echo "run \$i failed" >> "$home/result"
  grep -E '^(Left|Top)=' "$conf" | tr '\n' ' ' >> "$home/result"
  echo >> "$home/result"
done
openbox --exit
RUNS
xvfb-run -a openbox --startup "sh $home/runs.sh" 2> "$home/wm.log" || true
cat "$home/result"
[ "$(grep -c '^Left=100 Top=100 $' "$home/result")" = 3 ]
