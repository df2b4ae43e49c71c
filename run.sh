#!/usr/bin/env bash
# Sets up a fresh Debian machine, builds the program and starts it from its own folder.
# The log and settings live beside the executable, so the program runs from
# $QUILLFEATHER_HOME (default ~/Quillfeather), never from build/, where a clean
# rebuild would delete an operator's log.
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
. "$root/scripts/setup.sh"
ensure_packages "${required_packages[@]}"
build_quillfeather quillfeather quillfeather-wksim
home=${QUILLFEATHER_HOME:-$HOME/Quillfeather}
mkdir -p "$home"
install -m 755 "$root/build/quillfeather" "$home/"
[ -x "$root/build/quillfeather-wksim" ] && install -m 755 "$root/build/quillfeather-wksim" "$home/"
cd "$home"
exec ./quillfeather "$@"
