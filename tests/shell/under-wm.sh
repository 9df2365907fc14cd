#!/bin/sh
# Runs test binary $1 with arguments $2 under Xvfb with openbox as the window
# manager; its exit code is the test's.
set -u
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
echo "\"$1\" $2 > \"$out/log\" 2>&1; echo \$? > \"$out/rc\"; openbox --exit" > "$out/run.sh"
QT_QPA_PLATFORM=xcb xvfb-run -a openbox --startup "sh $out/run.sh" 2> /dev/null
cat "$out/log"
exit "$(cat "$out/rc" 2> /dev/null || echo 1)"
