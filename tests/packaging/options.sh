#!/bin/sh
# --help and --version answer without a display; anything else names a file.
# Usage: options.sh QUIVORA QVR
set -u
quivora=$1 qvr=$2
fail() { echo "FAIL: $*"; exit 1; }
# No display at all: making the application object would fail.
run() { env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb "$@" 2>&1; }

for a in --version -v; do
  out=$(run "$quivora" $a) || fail "quivora $a exits $?"
  [ "$out" = "Quivora 2.1" ] || fail "quivora $a printed: $out"
done
for a in --help -h; do
  out=$(run "$quivora" $a) || fail "quivora $a exits $?"
  echo "$out" | head -1 | grep -qx "Quivora 2.1" || fail "quivora $a first line: $out"
  echo "$out" | grep -q "^Usage: quivora \[FILE\]" || fail "quivora $a has no usage: $out"
done
for a in --version -v; do
  out=$(run "$qvr" $a) || fail "qvr $a exits $?"
  [ "$out" = "qvr (Quivora) 2.1" ] || fail "qvr $a printed: $out"
done
# Two arguments name a file ("--help x"): the program starts, which needs a
# display, so it fails here instead of printing the usage.
out=$(run "$quivora" --help x) && fail "quivora --help x did not try to start"
echo "$out" | grep -q "^Usage" && fail "quivora --help x printed the usage"
echo ok
