#!/usr/bin/env bash
# The desktop entry, the MIME type and the AppStream data as the desktop's tools read them; the
# MIME database built from the type must give a .qlv project, by name and by content, its type.
#   check-desktop-files.sh SOURCE_DIR GENERATED_DIR
set -euo pipefail
src=$1 gen=$2
id=org.qlv.QLV
fail() { echo "FAIL: $*" >&2; exit 1; }

desktop-file-validate "$src/$id.desktop"
grep -qx 'Exec=qlv %f' "$src/$id.desktop" || fail "Exec does not pass the file"
grep -q '^MimeType=.*application/x-qlv-project;' "$src/$id.desktop" || fail "MimeType lacks the project type"

appstreamcli validate --no-net "$gen/$id.metainfo.xml"

xmllint --noout "$src/$id.mime.xml"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/mime/packages"
cp "$src/$id.mime.xml" "$work/mime/packages/$id.xml"
cp /usr/share/mime/packages/freedesktop.org.xml "$work/mime/packages/"
update-mime-database "$work/mime"
grep -q '^application/x-qlv-project:\*\.qlv$' "$work/mime/globs" || fail "*.qlv is not a project by name"
grep -q 'application/x-qlv-project' "$work/mime/magic" || fail "no magic for the project type"
# *.bin is an association of the desktop entry only, never a type of its own.
if grep -q 'pattern="*.bin"' "$work/mime/packages/$id.xml"; then fail "the MIME file declares *.bin"; fi
echo "desktop entry, MIME type and metainfo are valid"
