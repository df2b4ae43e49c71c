#!/usr/bin/env bash
# Non-blank lines of tests/ against non-blank lines of the code outside tests/ and bench/.
set -euo pipefail
cd "$(dirname "$0")/.."
count() { git ls-files "$@" | grep -E '\.(cpp|h|txt)$' | xargs cat | grep -cv '^\s*$'; }
tests=$(count tests)
code=$(git ls-files | grep -E '\.(cpp|h)$|CMakeLists\.txt$' | grep -vE '^(tests|bench|fuzz)/' | xargs cat | grep -cv '^\s*$')
echo "tests $tests, code $code, ratio $(awk "BEGIN{printf \"%.2f\", $tests/$code}")"
