#!/usr/bin/env bash
# Sets up a fresh Debian machine, builds everything and runs every test headless.
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
. "$root/scripts/setup.sh"
ensure_packages "${required_packages[@]}" "${test_packages[@]}"
build_quillfeather
cd "$root/build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 600 "$@"
