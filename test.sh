#!/usr/bin/env bash
# Sets up a fresh Debian machine, builds everything and runs every test headless.
#   ./test.sh [ctest options]
#   ./test.sh --sanitize [--core] [ctest options]: the same in build-asan/, built with the
#     address and undefined-behaviour sanitizers; any report fails the run. --core builds
#     and runs only the tests without windows.
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
. "$root/scripts/setup.sh"
ensure_packages "${required_packages[@]}" "${test_packages[@]}"

# ctest with the given options; then the three slowest tests, whatever the outcome.
run_tests() {
    local log status=0
    log=$(mktemp)
    QT_QPA_PLATFORM=offscreen ctest --output-on-failure "$@" | tee "$log" || status=$?
    echo "Slowest tests:"
    sed -nE 's/^.*Test +#[0-9]+: ([^ ]+) .* ([0-9.]+) sec$/\2 s  \1/p' "$log" | sort -rn | head -3
    rm -f "$log"
    return "$status"
}

if [ "${1:-}" != "--sanitize" ]; then
    build_quillfeather
    cd "$root/build"
    run_tests --timeout 600 "$@"
    exit
fi
shift
targets=()
labels=()
if [ "${1:-}" = "--core" ]; then
    shift
    targets=(core_tests)
    labels=(-L core)
fi
sanitize="-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined"
build_dir="$root/build-asan"
build_options=("-DCMAKE_CXX_FLAGS=$sanitize" "-DCMAKE_EXE_LINKER_FLAGS=$sanitize")
build_quillfeather ${targets[@]+"${targets[@]}"}
cd "$build_dir"
export ASAN_OPTIONS="detect_leaks=1:halt_on_error=1:abort_on_error=0:strict_string_checks=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$root/scripts/lsan.supp:print_suppressions=0"
run_tests --timeout 900 ${labels[@]+"${labels[@]}"} "$@"
