#!/usr/bin/env bash
# Builds the .deb from the build tree (never installs it) and checks what it would install and
# what it depends on.
#   check-deb-package.sh BUILD_DIR
set -euo pipefail
build=$1
fail() { echo "FAIL: $*" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work" > "$work/cpack.log" 2>&1 \
    || { cat "$work/cpack.log" >&2; fail "cpack could not build the package"; }
deb=$(ls "$work"/*.deb)
dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|' > "$work/files"

for path in /usr/bin/qlv /usr/bin/qlvtool /usr/bin/k817t-sim \
    /usr/share/applications/org.qlv.QLV.desktop \
    /usr/share/mime/packages/org.qlv.QLV.xml \
    /usr/share/metainfo/org.qlv.QLV.metainfo.xml \
    /usr/share/icons/hicolor/scalable/apps/qlv.svg \
    /usr/share/icons/hicolor/48x48/apps/qlv.png \
    /usr/share/icons/hicolor/128x128/apps/qlv.png \
    /usr/share/icons/hicolor/256x256/apps/qlv.png \
    /usr/share/man/man1/qlv.1 /usr/share/man/man1/qlvtool.1 /usr/share/man/man1/k817t-sim.1 \
    /usr/share/bash-completion/completions/qlvtool; do
    grep -qx "$path" "$work/files" || fail "the package lacks $path"
done
# Nothing of the build tree's own: tests, benchmarks, the build-tree marker.
if grep -E '/(tst_|bench_)|build-tree|/usr/lib.*\.a$' "$work/files"; then
    fail "the package carries build or test files"
fi

depends=$(dpkg-deb -f "$deb" Depends)
for pkg in libqt6core6 libqt6gui6 libqt6widgets6 libqt6serialport6 libsqlite3-0 libmdb3 \
    qt6-qpa-plugins libqt6svg6; do
    [[ ",$depends," == *[,\ ]$pkg[\ ,\(]* ]] || fail "Depends lacks $pkg: $depends"
done
echo "package files and Depends are as expected: $depends"
