#!/usr/bin/env bash
# Validates the desktop entry and the metainfo, installs the build into a staging folder, makes the
# Debian package with CPack and checks what both hold. Arguments: source dir, build dir, work dir.
set -euo pipefail
src="$1" build="$2" work="$3"
id=example.dornvale.Dornvale
fail() { echo "FAIL: $*" >&2; exit 1; }

desktop-file-validate "$src/desktop/$id.desktop"
appstreamcli validate --no-net "$src/desktop/$id.metainfo.xml"
grep -qx "MimeType=text/csv;text/plain;" "$src/desktop/$id.desktop" || fail "MIME types"
grep -qx "Icon=$id" "$src/desktop/$id.desktop" || fail "icon name"
grep -qx "Exec=dornvale %F" "$src/desktop/$id.desktop" || fail "Exec line"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$src/desktop/$id.metainfo.xml" ||
  fail "metainfo does not launch the desktop entry"

expected="./usr/bin/dornvale
./usr/bin/dornvale-batch
./usr/share/applications/$id.desktop
./usr/share/doc/dornvale/user-guide.html
./usr/share/icons/hicolor/128x128/apps/$id.png
./usr/share/icons/hicolor/16x16/apps/$id.png
./usr/share/icons/hicolor/256x256/apps/$id.png
./usr/share/icons/hicolor/32x32/apps/$id.png
./usr/share/icons/hicolor/48x48/apps/$id.png
./usr/share/icons/hicolor/64x64/apps/$id.png
./usr/share/icons/hicolor/scalable/apps/$id.svg
./usr/share/metainfo/$id.metainfo.xml"

rm -rf "$work"
mkdir -p "$work/stage" "$work/deb"
DESTDIR="$work/stage" cmake --install "$build" --prefix /usr >/dev/null
installed="$(cd "$work/stage" && find . -type f | LC_ALL=C sort)"
[ "$installed" = "$expected" ] || fail "installed files differ:
$installed"
# Each PNG is as large as its folder says (width and height: big-endian words at byte 16).
for size in 16 32 48 64 128 256; do
  dims="$(od -An -tu4 --endian=big -j16 -N8 "$work/stage/usr/share/icons/hicolor/${size}x${size}/apps/$id.png" |
    tr -s ' ')"
  [ "$dims" = " $size $size" ] || fail "PNG ${size}x${size} is$dims"
done

(cd "$work/deb" && cpack --config "$build/CPackConfig.cmake" -B "$work/deb" >/dev/null)
deb="$(ls "$work"/deb/dornvale_*.deb)"
[ "$(basename "$deb")" = "dornvale_0.1.3_$(dpkg --print-architecture).deb" ] || fail "package name $deb"
packaged="$(dpkg-deb -c "$deb" | awk '{print $6}' | grep -v '/$' | LC_ALL=C sort)"
[ "$packaged" = "$expected" ] || fail "packaged files differ:
$packaged"
[ "$(dpkg-deb -f "$deb" Package)" = dornvale ] || fail "package field"
[ "$(dpkg-deb -f "$deb" Version)" = 0.1.3 ] || fail "version field"
[ "$(dpkg-deb -f "$deb" Maintainer)" = "Dornvale Project <packages@dornvale.example>" ] || fail "maintainer"
dpkg-deb -f "$deb" Depends | grep -q "libqt5widgets5" || fail "Depends lacks Qt Widgets: $(dpkg-deb -f "$deb" Depends)"
echo "install and package: ok"
