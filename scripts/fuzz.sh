#!/usr/bin/env bash
# Runs every fuzz target in fuzz/targets for the given seconds (default 60), two at a time,
# in a clang build in build-fuzz/. Each starts from its seeds in fuzz/corpus/<target>/ and
# keeps what it finds in build-fuzz/corpus/<target>/; an input that crashes a target, runs
# too long or takes too much memory is saved in build-fuzz/crashes/<target>/. A crash is
# fixed by mending the code and copying the input into fuzz/corpus/<target>/, where the
# replay test of the normal suite keeps feeding it.
# Ends with status 1 when any target crashed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
. "$root/scripts/setup.sh"
fuzz_packages=(clang-14 libclang-rt-14-dev)
ensure_packages "${required_packages[@]}" "${fuzz_packages[@]}"

build="$root/build-fuzz"
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++-14 -DQUILL_FUZZ=ON
fi
cmake --build "$build" --parallel "$(nproc)" --target fuzz_all

run_target() {
    local name=$1 program=$build/fuzz/fuzz_$1
    mkdir -p "$build/corpus/$name" "$build/crashes/$name" "$build/logs"
    # Each input is fed in-process; a slow one is a fault too (-timeout, seconds per input).
    "$program" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$build/crashes/$name/" \
        "$build/corpus/$name" "$root/fuzz/corpus/$name" >"$build/logs/$name.log" 2>&1 || true
}

count_files() { [ -d "$1" ] && find "$1" -maxdepth 1 -type f | wc -l || echo 0; }

names=()
for source in "$root"/fuzz/targets/*.cpp; do
    names+=("$(basename "$source" .cpp)")
done
running=0
for name in "${names[@]}"; do
    count_files "$build/crashes/$name" >"$build/crashes-before-$name"
    run_target "$name" &
    running=$((running + 1))
    if [ "$running" -ge 2 ]; then
        wait -n
        running=$((running - 1))
    fi
done
wait

failed=0
printf '%-18s %12s %8s %8s %8s %s\n' target executions cov ft corpus "new crashes"
for name in "${names[@]}"; do
    log="$build/logs/$name.log"
    execs=$(grep -o 'stat::number_of_executed_units: [0-9]*' "$log" | awk '{print $2}' | tail -1)
    cov=$(grep -oE 'cov: [0-9]+' "$log" | tail -1 | awk '{print $2}')
    ft=$(grep -oE 'ft: [0-9]+' "$log" | tail -1 | awk '{print $2}')
    corpus=$(count_files "$build/corpus/$name")
    before=$(cat "$build/crashes-before-$name")
    now=$(count_files "$build/crashes/$name")
    new=$((now - before))
    printf '%-18s %12s %8s %8s %8s %s\n' "$name" "${execs:-?}" "${cov:-?}" "${ft:-?}" "$corpus" "$new"
    if [ "$new" -gt 0 ] || grep -q 'ERROR: libFuzzer\|ERROR: AddressSanitizer\|runtime error:\|fuzz check failed' "$log"; then
        failed=1
        ls -t "$build/crashes/$name" | head -"$((new > 0 ? new : 1))" | sed "s|^|    $build/crashes/$name/|"
        grep -m3 'ERROR\|runtime error\|fuzz check failed' "$log" | sed 's/^/    /'
    fi
done
exit "$failed"
