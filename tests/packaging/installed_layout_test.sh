#!/usr/bin/env bash
# Installs into a staging folder as a package would and starts the installed program:
# it must keep the operator's files in QUILLFEATHER_HOME (or ~/Quillfeather), never in bin/.
# usage: installed_layout_test.sh BUILD_DIR
set -euo pipefail
build=$1
stage=$(mktemp -d)
trap 'chmod -R u+w "$stage"; rm -rf "$stage"' EXIT
DESTDIR="$stage/root" cmake --install "$build" --prefix /usr >/dev/null
bin="$stage/root/usr/bin"
chmod -R a-w "$bin"
[ "$("$bin/quillfeather" --version)" = "quillfeather $(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")" ]

# Starts the program, lets it come up, ends it as the desktop would and waits.
run() {
    env "$@" "$bin/quillfeather" -platform offscreen >"$stage/out.log" 2>&1 &
    local pid=$!
    for _ in $(seq 100); do sleep 0.1; [ -n "$(ls -A "$expect" 2>/dev/null)" ] && break; done
    sleep 0.5
    kill -TERM "$pid"
    wait "$pid" || true
}

expect="$stage/home-var"
run QUILLFEATHER_HOME="$stage/home-var" HOME="$stage/home"
[ -f "$stage/home-var/Quillfeatherini.ini" ] || { echo "settings not in QUILLFEATHER_HOME"; ls -la "$stage/home-var"; cat "$stage/out.log"; exit 1; }
# No QSO, no log: a first start leaves no empty log behind.
[ ! -e "$stage/home-var/S5.log" ] || { echo "an empty S5.log was left behind"; exit 1; }

expect="$stage/home/Quillfeather"
run QUILLFEATHER_HOME= HOME="$stage/home"
[ -f "$stage/home/Quillfeather/Quillfeatherini.ini" ] || { echo "settings not in ~/Quillfeather"; cat "$stage/out.log"; exit 1; }

extra=$(ls "$bin" | grep -v '^quillfeather\(-wksim\)\?$' || true)
[ -z "$extra" ] || { echo "files written beside the installed program: $extra"; exit 1; }
echo "installed program keeps its files in the operator's folder"
