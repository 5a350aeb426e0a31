#!/usr/bin/env bash
# Builds the Debian package from the build folder, unpacks it and runs what it holds.
# Usage: package_test.sh BUILD_DIR
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() { echo "package: $*" >&2; exit 1; }

(cd "$build" && cpack -G DEB -B "$work/out" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; fail "cpack failed"; }
deb=$(ls "$work"/out/velmora_*.deb 2>/dev/null | head -1)
[ -n "$deb" ] || fail "no velmora_*.deb was made"

depends=$(dpkg-deb -f "$deb" Depends)
for needed in libqt6widgets6 libqt6gui6 libqt6core6 fonts-arphic-uming fonts-arphic-ukai; do
  grep -q "$needed" <<<"$depends" || fail "Depends lacks $needed: $depends"
done

dpkg-deb -x "$deb" "$work/root"
for file in usr/bin/velmora usr/bin/velmora-cli usr/share/applications/velmora.desktop \
            usr/share/icons/hicolor/32x32/apps/velmora.png usr/share/icons/hicolor/256x256/apps/velmora.png; do
  [ -s "$work/root/$file" ] || fail "missing $file"
done
grep -q '^Name=Velmora$' "$work/root/usr/share/applications/velmora.desktop" || fail "desktop entry has no Name=Velmora"
grep -q '^Comment\[zh_CN\]=' "$work/root/usr/share/applications/velmora.desktop" || fail "desktop entry has no Chinese comment"

expected='{"result":"BDAB","length":4,"calls":22,"label4":"长度①：4","label5":"22","table":[[1,1,1],[3,2,2],[6,3,3],[8,6,5]],"aux":[[1,0,0],[2,0,0],[0,1,0],[0,1,0]],"upper_gaps":[1,3,4],"lower_gaps":[3,6]}'
got=$("$work/root/usr/bin/velmora-cli" align --compute 1 ABCBDAB BDCABA)
[ "$got" = "$expected" ] || fail "packaged velmora-cli printed $got"
echo "package: $(basename "$deb") holds both programs, the desktop entry and the icons; its velmora-cli works"
