#!/usr/bin/env bash
# Installs into a staging folder as a package would and starts the installed program:
# it must keep the operator's files in QUILLFEATHER_HOME (or ~/Quillfeather), never in bin/.
# usage: installed_layout_test.sh BUILD_DIR
set -euo pipefail
build=$1
stage=$(mktemp -d)
pid=
trap '[ -z "$pid" ] || kill -KILL "$pid" 2>/dev/null; chmod -R u+w "$stage"; rm -rf "$stage"' EXIT
DESTDIR="$stage/root" cmake --install "$build" --prefix /usr >/dev/null
bin="$stage/root/usr/bin"
chmod -R a-w "$bin"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[ "$("$bin/quillfeather" --version)" = "quillfeather $version" ]
# The manual pages, the changelog and the AppStream data name the version the program reports.
share="$stage/root/usr/share"
for page in quillfeather quillfeather-wksim; do
    zcat "$share/man/man1/$page.1.gz" | head -1 | grep -qF "\"Quillfeather $version\"" \
        || { echo "$page.1 does not name version $version"; exit 1; }
done
zcat "$share/doc/quillfeather/changelog.gz" | head -1 | grep -qF "quillfeather ($version)" \
    || { echo "changelog does not name version $version"; exit 1; }
grep -qF "<release version=\"$version\"" "$share/metainfo/org.quillfeather.Quillfeather.metainfo.xml" \
    || { echo "metainfo does not name version $version"; exit 1; }

# Starts the program, lets it come up, ends it as the desktop would and waits 10 s at most.
run() {
    env "$@" "$bin/quillfeather" -platform offscreen >"$stage/out.log" 2>&1 &
    pid=$!
    for _ in $(seq 100); do sleep 0.1; [ -n "$(ls -A "$expect" 2>/dev/null)" ] && break; done
    sleep 0.5
    kill -TERM "$pid"
    for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -0 "$pid" 2>/dev/null && { echo "the program did not end within 10 s of SIGTERM"; cat "$stage/out.log"; exit 1; }
    wait "$pid" || true
    pid=
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
