#!/usr/bin/env bash
# End-to-end start-up: from starting Quivora with the generated document on
# the command line to the window showing it, fully loaded and idle, beside a
# bare Qt window (tree, editor) that reads the same file and shows itself.
# Both run under Xvfb; each is timed several times and the best time is kept.
set -euo pipefail
build=${1:-build}
runs=${RUNS:-5}
file=$("$build/bench/bench_load" --generate 1 2>/dev/null | tail -1)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

best() { # command... -> best wall time in seconds
  local best=999999
  for _ in $(seq "$runs"); do
    local t0 t1
    t0=$(date +%s%N)
    "$@" >/dev/null 2>&1
    t1=$(date +%s%N)
    local ms=$(( (t1 - t0) / 1000000 ))
    (( ms < best )) && best=$ms
  done
  echo "$best"
}

run_under_xvfb() {
  xvfb-run -a -s "-screen 0 1024x768x24" "$@"
}

export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data"
# The X server's own start-up is the same for both; time it alone and subtract it.
xvfb_ms=$(best run_under_xvfb true)
quivora_ms=$(QUIVORA_QUIT_WHEN_IDLE=1 best run_under_xvfb "$build/app/quivora" "$file")
bare_ms=$(best run_under_xvfb "$build/bench/bare_window" "$file")
q=$(( quivora_ms - xvfb_ms )); b=$(( bare_ms - xvfb_ms ))
echo "document: $file ($(du -h "$file" | cut -f1))"
echo "X server alone:        ${xvfb_ms} ms (subtracted below)"
echo "Quivora, loaded, idle: ${q} ms"
echo "bare window:           ${b} ms"
awk -v q="$q" -v b="$b" 'BEGIN { r = q / b; printf "ratio: %.2f (target <= 2.00) %s\n", r, (r <= 2.0 ? "ok" : "OVER") }'
