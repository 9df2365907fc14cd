#!/usr/bin/env bash
# End-to-end start-up: from starting Quivora with a generated document on the
# command line to the window showing it, fully loaded and idle, beside a bare
# Qt window that reads the same file (QUIVORA_QUIT_WHEN_IDLE=1 makes both
# print "idle-at <ns>" and quit). Three documents: 10 and 10,000 nodes against
# a bare window that shows an empty tree and editor, 100,000 nodes against the
# bare window that fills a flat tree. All run on one Xvfb display, taking
# turns; each is started RUNS times and the best time is kept.
#
# "Before" is Quivora as it was before the start-up work (STARTUP_BEFORE_REF,
# a commit), built once into BUILD/startup-before and timed in the same run:
# at 100,000 nodes start-up must be no slower than it. STARTUP_BEFORE=FILE
# times that program instead; STARTUP_BEFORE_REF=none skips it.
# QUIVORA_STARTUP_TRACE=1 makes Quivora print "stamp <ns> <step>" lines on
# its error output, to see where a start spends its time.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-build}" && pwd)
runs=${RUNS:-5}
sizes=(10 10000 100000)
before_ref=${STARTUP_BEFORE_REF:-de76f61}
before=${STARTUP_BEFORE:-}

if [ -z "$before" ] && [ "$before_ref" != none ]; then
  out="$build/startup-before"
  sha=$(git -C "$here/.." rev-parse --verify -q "$before_ref^{commit}" || true)
  if [ -z "$sha" ]; then
    echo "before: commit $before_ref not found, not timed"
  elif [ "$(cat "$out/built-from" 2>/dev/null)" = "$sha" ] && [ -x "$out/build/app/quivora" ]; then
    before="$out/build/app/quivora"
  else
    echo "before: building Quivora as of $before_ref once into $out (a few minutes) ..."
    rm -rf "$out" && mkdir -p "$out/src"
    git -C "$here/.." archive "$sha" | tar -x -C "$out/src"
    launcher=()
    command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    if cmake -S "$out/src" -B "$out/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
         -DQUIVORA_BENCH=OFF "${launcher[@]}" >"$out/build.log" 2>&1 \
       && nice cmake --build "$out/build" --target quivora >>"$out/build.log" 2>&1; then
      echo "$sha" >"$out/built-from"
      before="$out/build/app/quivora"
    else
      echo "before: build failed (see $out/build.log), not timed"
    fi
  fi
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
docs="${TMPDIR:-/tmp}/quivora-bench"
mkdir -p "$docs"
for n in "${sizes[@]}"; do
  "$build/bench/bare_window" --generate "$n" "$docs/startup-$n.qvr" >/dev/null
done
export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" QUIVORA_QUIT_WHEN_IDLE=1

# One line per size: nodes, Quivora, baseline, before (ms; before empty when not timed).
cat > "$work/time-all.sh" <<INNER
#!/usr/bin/env bash
once() {
  local t0 idle
  t0=\$(date +%s%N)
  idle=\$("\$@" 2>/dev/null | sed -n 's/^idle-at //p')
  echo \$(( (\${idle:-0} - t0) / 1000000 ))
}
for n in ${sizes[*]}; do
  file="$docs/startup-\$n.qvr"
  if [ "\$n" -ge 100000 ]; then base=("$build/bench/bare_window" "\$file"); else base=("$build/bench/bare_window" --empty "\$file"); fi
  bq=999999; bb=999999; bo=999999
  for _ in \$(seq $runs); do
    # Taking turns spreads the machine's other load over all three alike.
    q=\$(once "$build/app/quivora" "\$file"); (( q > 0 && q < bq )) && bq=\$q
    b=\$(once "\${base[@]}"); (( b > 0 && b < bb )) && bb=\$b
    if [ -n "$before" ]; then o=\$(once "$before" "\$file"); (( o > 0 && o < bo )) && bo=\$o; fi
  done
  [ -n "$before" ] || bo=
  echo "\$n \$bq \$bb \$bo"
done
INNER
chmod +x "$work/time-all.sh"
result=$(xvfb-run -a -s "-screen 0 1024x768x24" "$work/time-all.sh")

echo "best of $runs starts each; ms from start to the document shown and idle"
printf '%-8s %-9s %-28s %-6s %-7s %-5s %s\n' nodes Quivora baseline ratio target "" "before"
while read -r n q b o; do
  if [ "$n" -ge 100000 ]; then what="bare window, flat tree"; else what="bare window, empty"; fi
  awk -v n="$n" -v q="$q" -v b="$b" -v o="$o" -v what="$what" 'BEGIN {
    r = q / b
    line = sprintf("%-8s %-9s %-28s %-6.2f %-7s %-5s", n, q " ms", what " " b " ms", r, "<= 2.0", (r <= 2.0 ? "OK" : "OVER"))
    if (o != "") line = line sprintf(" %s ms (now %.2f of it)", o, q / o)
    print line
    if (n >= 100000) {
      if (o == "") print "no slower than before: not timed"
      else printf "no slower than before at %s nodes: %s ms against %s ms %s\n", n, q, o, (q <= o ? "OK" : "OVER")
    }
  }'
done <<<"$result"
