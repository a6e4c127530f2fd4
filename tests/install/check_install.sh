#!/usr/bin/env bash
# Installs the build into a temporary DESTDIR and checks what a user gets: the layout, the
# desktop entry, the icon, the manual pages, and the installed programs started from a folder
# outside the source and build trees.
# Usage: check_install.sh BUILD_DIR VERSION MODE_PICTURE_CHECK
set -euo pipefail
build=$1
version=$2
hook=$3

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

DESTDIR="$work/stage" cmake --install "$build" --prefix /usr >"$work/install.log" ||
    { cat "$work/install.log"; fail "cmake --install"; }
root=$(realpath "$work/stage/usr")

# The layout: the two programs, the batch tool's picture module and their data, nothing else
# of the build (tests, static libraries, headers).
expected="bin/demagora
bin/demagora-batch
lib/demagora/libdemagora_picture.so
share/applications/demagora.desktop
share/demagora/graphic/arrowSingle.bmp
share/demagora/graphic/arrowmult.bmp
share/icons/hicolor/scalable/apps/demagora.svg
share/man/man1/demagora-batch.1
share/man/man1/demagora.1"
actual=$(cd "$root" && find . -type f | sed 's|^\./||' | grep -v '^share/doc/demagora/examples/' |
    LC_ALL=C sort)
[ "$actual" = "$expected" ] || fail "installed files differ:$(diff <(echo "$expected") <(echo "$actual"))"
[ -f "$root/share/doc/demagora/examples/scattered.json" ] || fail "no example scenarios"
[ -x "$root/bin/demagora" ] && [ -x "$root/bin/demagora-batch" ] || fail "programs not executable"
[ "$(find "$work/stage" -mindepth 1 -maxdepth 1)" = "$work/stage/usr" ] || fail "files outside the prefix"

# The desktop entry starts the installed program with a file and names the installed icon.
entry="$root/share/applications/demagora.desktop"
desktop-file-validate "$entry" >"$work/validate.log" || { cat "$work/validate.log"; fail "desktop entry"; }
grep -qx 'Exec=demagora %f' "$entry" || fail "Exec line"
grep -qx 'Categories=Education;Science;' "$entry" || fail "Categories line"
grep -qx 'Icon=demagora' "$entry" || fail "Icon line"
python3 - "$root/share/icons/hicolor/scalable/apps/demagora.svg" <<'PY' || fail "icon is not an SVG picture"
import sys
import xml.etree.ElementTree as tree
svg = tree.parse(sys.argv[1]).getroot()
assert svg.tag == "{http://www.w3.org/2000/svg}svg", svg.tag
assert svg.get("viewBox"), "no viewBox"
PY

# Every program starts from another folder, without a display for the text options.
elsewhere="$work/elsewhere"
mkdir "$elsewhere"
cd "$elsewhere"
[ "$(env -u DISPLAY -u QT_QPA_PLATFORM "$root/bin/demagora" --version)" = "demagora (Demagora) $version" ] ||
    fail "demagora --version"
[ "$("$root/bin/demagora-batch" --version)" = "demagora-batch (Demagora) $version" ] ||
    fail "demagora-batch --version"
env -u DISPLAY -u QT_QPA_PLATFORM "$root/bin/demagora" --help | head -1 | grep -q '^Usage: demagora ' ||
    fail "demagora --help"
status=0
QT_QPA_PLATFORM=offscreen "$root/bin/demagora" --frobnicate 2>"$work/refusal.txt" || status=$?
[ "$status" = 2 ] && grep -q "unknown option '--frobnicate'" "$work/refusal.txt" ||
    fail "demagora --frobnicate gave status $status"

# The manual pages: groff finds nothing to warn about, and each page documents every option
# that its program's --help lists.
for page in "$root"/share/man/man1/*.1; do
    groff -t -man -Tutf8 -ww -z "$page" 2>"$work/groff.log"
    [ ! -s "$work/groff.log" ] || { cat "$work/groff.log"; fail "groff warns about $page"; }
    program=$(basename "$page" .1)
    for option in $("$root/bin/$program" --help | grep -o -- '--[a-z][a-z-]*' | sort -u); do
        grep -qF -- "${option//-/\\-}" "$page" ||
            fail "the manual page of $program does not document $option"
    done
done

# A picture from the installed batch tool, from the installed example, 700 x 724 pixels.
"$root/bin/demagora-batch" "$root/share/doc/demagora/examples/scattered.json" \
    --png diagrams.png --labels 50
python3 - diagrams.png <<'PY' || fail "demagora-batch --png"
import struct
import sys
data = open(sys.argv[1], "rb").read()
assert data[:8] == b"\x89PNG\r\n\x1a\n", "not a PNG file"
assert struct.unpack(">II", data[16:24]) == (700, 724), struct.unpack(">II", data[16:24])
PY

# The diagram window of an installed program reaches single mode from another working
# directory, reading the installed pictures, also after the installation has been moved.
cp "$hook" "$root/bin/"
run_hook() {
    QT_QPA_PLATFORM=offscreen "$1/bin/$(basename "$hook")" >"$work/hook.txt" ||
        { cat "$work/hook.txt"; fail "the diagram window did not reach single mode"; }
    [ "$(cat "$work/hook.txt")" = "$1/share/demagora/graphic/arrowmult.bmp" ] ||
        fail "picture read from $(cat "$work/hook.txt"), not from $1"
}
run_hook "$root"
mv "$work/stage" "$work/moved"
run_hook "$(realpath "$work/moved/usr")"
echo "installed layout and programs: OK"
