#!/usr/bin/env bash
# Non-blank lines of C++ in tests/ against those of the code outside tests/ and bench/.
set -euo pipefail
cd "$(dirname "$0")/.."
count() { xargs cat 2>/dev/null | grep -cv '^\s*$'; }
cpp=$(git ls-files | grep -E '\.(cpp|h)$')
tests=$(grep -E '^tests/' <<<"$cpp" | count)
code=$(grep -vE '^(tests|bench)/' <<<"$cpp" | count)
echo "tests $tests, code $code, ratio $(awk -v t="$tests" -v c="$code" 'BEGIN{printf "%.3f", t/c}')"
