#!/usr/bin/env bash
# Runs every benchmark with its baselines and prints the ratios.
set -euo pipefail
build=${1:-build}
for b in "$build"/bench/bench_*; do
  [ -f "$b" ] && [ -x "$b" ] || continue
  echo "== $(basename "$b")"
  "$b"
done
echo "== peak memory while loading"
"$build/bench/bench_load" --memory
echo "== 1,000,000 nodes beside 100,000"
"$build/bench/bench_load" --scale
echo "== start-up, end to end"
"$(dirname "$0")/startup-time.sh" "$build"
