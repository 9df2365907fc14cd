#!/usr/bin/env bash
# Prints how much of the C++ code is tests: non-blank, non-comment lines of
# tests/ over those of tests/, src/, app/ and tools/ together.
set -euo pipefail
cd "$(dirname "$0")/.."
count() {
    find "$@" -type f \( -name '*.cpp' -o -name '*.h' \) -print0 | xargs -0 cat | awk '
        { line = $0 }
        inblock { if (line ~ /\*\//) { sub(/.*\*\//, "", line); inblock = 0 } else next }
        { while (match(line, /\/\*/)) {
              rest = substr(line, RSTART + 2)
              if (match(rest, /\*\//)) line = substr(line, 1, RSTART - 1) substr(rest, RSTART + 2)
              else { line = substr(line, 1, RSTART - 1); inblock = 1; break } } }
        { sub(/^[ \t]*\/\/.*/, "", line) }
        line ~ /[^ \t\r]/ { n++ }
        END { print n + 0 }'
}
tests=$(count tests)
code=$(count src app tools)
total=$((tests + code))
printf 'Test share: %d test lines of %d C++ lines (%d.%d %%)\n' "$tests" "$total" \
    $((tests * 100 / total)) $((tests * 1000 / total % 10))
