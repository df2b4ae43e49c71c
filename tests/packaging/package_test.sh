#!/usr/bin/env bash
# Builds the Debian package from the finished build and checks it as a distribution would.
# usage: package_test.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
src=$1 build=$2
for tool in cpack dpkg-deb; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
cd "$build"
cpack -G DEB -B "$out" >"$out/cpack.log" 2>&1 || { cat "$out/cpack.log"; exit 1; }
deb=$(ls "$out"/quillfeather_*_*.deb)
echo "package: $(basename "$deb")"
[[ $(basename "$deb") =~ ^quillfeather_[0-9.]+_[a-z0-9]+\.deb$ ]] || { echo "unexpected file name"; exit 1; }

files=$(dpkg-deb -c "$deb" | awk '{print $6}')
for f in ./usr/bin/quillfeather ./usr/bin/quillfeather-wksim \
         ./usr/share/applications/org.quillfeather.Quillfeather.desktop \
         ./usr/share/metainfo/org.quillfeather.Quillfeather.metainfo.xml \
         ./usr/share/icons/hicolor/scalable/apps/org.quillfeather.Quillfeather.svg \
         ./usr/share/man/man1/quillfeather.1.gz ./usr/share/doc/quillfeather/copyright \
         ./usr/share/doc/quillfeather/README.Debian.gz; do
    grep -qxF "$f" <<<"$files" || { echo "missing from the package: $f"; exit 1; }
done

# The dependencies come from the shared libraries the program links.
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
grep -q 'libqt6widgets6' <<<"$depends" || { echo "Qt Widgets missing from Depends"; exit 1; }

if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$src/packaging/org.quillfeather.Quillfeather.desktop"
else
    echo "desktop-file-validate not installed: desktop entry not checked"
fi
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net "$build/packaging/org.quillfeather.Quillfeather.metainfo.xml"
else
    echo "appstreamcli not installed: metainfo not checked"
fi
if command -v lintian >/dev/null; then
    report=$(lintian --allow-root "$deb" 2>&1 || true)
    echo "$report"
    if grep -q '^E:' <<<"$report"; then echo "lintian reports errors"; exit 1; fi
else
    echo "lintian not installed: package not linted"
fi
echo "package checked"
