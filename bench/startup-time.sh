#!/usr/bin/env bash
# End-to-end start-up: from starting Quivora with the generated document on
# the command line to the window showing it, fully loaded and idle, beside a
# bare Qt window (tree, editor) that reads the same file and shows itself.
# Both run on one Xvfb display and report the moment they went idle; each is
# started several times and the best time is kept.
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
runs=${RUNS:-5}
file=$("$build/bench/bench_load" --generate 1 2>/dev/null | tail -1)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" QUIVORA_QUIT_WHEN_IDLE=1

cat > "$work/time-both.sh" <<INNER
#!/usr/bin/env bash
best() {
  local best=999999999
  for _ in \$(seq $runs); do
    local t0 idle
    t0=\$(date +%s%N)
    idle=\$("\$@" 2>/dev/null | sed -n 's/^idle-at //p')
    local ms=\$(( (idle - t0) / 1000000 ))
    (( ms < best )) && best=\$ms
  done
  echo "\$best"
}
echo "quivora \$(best "$build/app/quivora" "$file")"
echo "bare \$(best "$build/bench/bare_window" "$file")"
INNER
chmod +x "$work/time-both.sh"
result=$(xvfb-run -a -s "-screen 0 1024x768x24" "$work/time-both.sh")
q=$(echo "$result" | awk '/^quivora/ {print $2}')
b=$(echo "$result" | awk '/^bare/ {print $2}')
echo "document: $file ($(du -h "$file" | cut -f1))"
echo "Quivora, loaded and idle: ${q} ms"
echo "bare window, idle:        ${b} ms"
awk -v q="$q" -v b="$b" 'BEGIN { r = q / b; printf "ratio: %.2f (target <= 2.00) %s\n", r, (r <= 2.0 ? "ok" : "OVER") }'
