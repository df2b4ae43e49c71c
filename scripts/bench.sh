#!/usr/bin/env bash
# Builds and runs every timed program in bench/, one after the other, each stopped after
# a bound (default 300 s, or the first argument), and prints one line of figures per
# program: its name, how it ended, its time, then what it printed, lines joined by " | ".
# What each printed is kept in build/bench-logs/<program>.log, its warnings in .stderr.
# Ends with status 1 when any program failed or ran into its bound.
#   scripts/bench.sh [seconds per program] [program...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bound=${1:-300}
shift || true
. "$root/scripts/setup.sh"
ensure_packages "${required_packages[@]}" "${broker_packages[@]}"

programs=("$@")
if [ ${#programs[@]} -eq 0 ]; then
    mapfile -t programs < <(sed -nE 's/^add_executable\(([A-Za-z0-9_]+) .*/\1/p' "$root"/bench/*/CMakeLists.txt)
fi
logs="$root/build/bench-logs"
mkdir -p "$logs"
echo "Building ${programs[*]} (log in build/bench-logs/build.log)"
build_quillfeather "${programs[@]}" >"$logs/build.log" 2>&1 || { tail -20 "$logs/build.log"; exit 1; }
failed=0
for name in "${programs[@]}"; do
    program=$(find "$root/build/bench" -type f -name "$name" -perm -u+x | head -1)
    log="$logs/$name.log"
    start=$(date +%s.%N)
    status=0
    # Headless, as the tests run; a program past its bound is stopped, then killed.
    QT_QPA_PLATFORM=offscreen timeout --kill-after=10 "$bound" "$program" >"$log" 2>"$logs/$name.stderr" </dev/null ||
        status=$?
    seconds=$(awk -v s="$start" -v e="$(date +%s.%N)" 'BEGIN { printf "%.1f", e - s }')
    case $status in
        0) outcome=ok ;;
        124 | 137) outcome="STOPPED after $bound s"; failed=1 ;;
        *) outcome="FAILED ($status)"; failed=1 ;;
    esac
    figures=$(grep -v '^\s*$' "$log" | tr -s ' \t' ' ' | paste -sd'|' | sed 's/|/ | /g')
    printf '%-20s %-8s %6s s  %s\n' "$name" "$outcome" "$seconds" "$figures"
done
exit "$failed"
