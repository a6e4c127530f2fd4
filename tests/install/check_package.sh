#!/usr/bin/env bash
# Builds the Debian package with CPack and checks its fields and files.
# Usage: check_package.sh BUILD_DIR VERSION
set -euo pipefail
build=$1
version=$2

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; fail "cpack"; }
deb="$work/demagora_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || { ls "$work"; fail "no $deb"; }

dpkg-deb --info "$deb" >"$work/info.txt"
[ "$(dpkg-deb --field "$deb" Package)" = demagora ] || fail "Package field"
[ "$(dpkg-deb --field "$deb" Version)" = "$version" ] || fail "Version field"
depends=$(dpkg-deb --field "$deb" Depends)
echo "Depends: $depends"
names=$(tr ',' '\n' <<<"$depends" | sed 's/^ *//; s/ .*//')
for needed in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libqt6svg6; do
    grep -qxF "$needed" <<<"$names" || fail "Depends lacks $needed"
done

dpkg-deb --contents "$deb" | awk '{ print $6 }' >"$work/contents.txt"
for path in ./usr/bin/demagora ./usr/bin/demagora-batch \
    ./usr/share/demagora/graphic/arrowSingle.bmp ./usr/share/demagora/graphic/arrowmult.bmp \
    ./usr/share/applications/demagora.desktop ./usr/share/icons/hicolor/scalable/apps/demagora.svg \
    ./usr/share/man/man1/demagora.1 ./usr/share/man/man1/demagora-batch.1 \
    ./usr/lib/demagora/libdemagora_picture.so; do
    grep -qx -- "$path" "$work/contents.txt" || fail "the package lacks $path"
done
! grep -E '^\./usr/(lib|include)/.*[^/]$' "$work/contents.txt" | grep -qv '^\./usr/lib/demagora/' ||
    fail "the package holds libraries or headers"
echo "Debian package $(basename "$deb"): OK"
