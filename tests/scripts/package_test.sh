#!/usr/bin/env bash
# Builds the Debian package from the build folder and checks it as Debian's tools do:
# lintian, desktop-file-validate and appstreamcli must report nothing. Then unpacks it,
# runs what it holds and, as root on a machine without Velmora installed, installs and
# removes it.
# Usage: package_test.sh BUILD_DIR
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() { echo "package: $*" >&2; exit 1; }

(cd "$build" && cpack -G DEB -B "$work/out" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; fail "cpack failed"; }
deb=$(ls "$work"/out/velmora_*.deb 2>/dev/null | head -1)
[ -n "$deb" ] || fail "no velmora_*.deb was made"
ls "$work"/out/velmora-dbgsym_*.ddeb >/dev/null 2>&1 || fail "no velmora-dbgsym package was made"

lintian --fail-on error,warning "$deb" >"$work/lintian.log" 2>&1 ||
  { cat "$work/lintian.log"; fail "lintian reports problems"; }
grep -E '^[EW]:' "$work/lintian.log" && fail "lintian reports problems"

depends=$(dpkg-deb -f "$deb" Depends)
for needed in libqt6widgets6 libqt6gui6 libqt6core6 libgmp qt6-translations-l10n fonts-arphic-uming fonts-arphic-ukai; do
  grep -q "$needed" <<<"$depends" || fail "Depends lacks $needed: $depends"
done

root=$work/root
dpkg-deb -x "$deb" "$root"
for file in usr/bin/velmora usr/bin/velmora-cli usr/share/applications/velmora.desktop \
            usr/share/metainfo/io.velmora.velmora.metainfo.xml \
            usr/share/man/man1/velmora.1.gz usr/share/man/man1/velmora-cli.1.gz \
            usr/share/doc/velmora/copyright usr/share/doc/velmora/changelog.gz \
            usr/share/icons/hicolor/32x32/apps/velmora.png usr/share/icons/hicolor/256x256/apps/velmora.png; do
  [ -s "$root/$file" ] || fail "missing $file"
done
desktop-file-validate "$root/usr/share/applications/velmora.desktop" || fail "desktop entry is not valid"
grep -q '^Keywords\[zh_CN\]=' "$root/usr/share/applications/velmora.desktop" || fail "desktop entry has no Chinese keywords"
appstreamcli validate --no-net --pedantic "$root/usr/share/metainfo/io.velmora.velmora.metainfo.xml" >"$work/as.log" 2>&1 ||
  { cat "$work/as.log"; fail "AppStream metadata is not valid"; }

expected='{"result":"BDAB","length":4,"calls":22,"label4":"长度①：4","label5":"22","table":[[1,1,1],[3,2,2],[6,3,3],[8,6,5]],"aux":[[1,0,0],[2,0,0],[0,1,0],[0,1,0]],"upper_gaps":[1,3,4],"lower_gaps":[3,6]}'
got=$("$root/usr/bin/velmora-cli" align --compute 1 ABCBDAB BDCABA)
[ "$got" = "$expected" ] || fail "packaged velmora-cli printed $got"

installed=""
if [ "$(id -u)" -eq 0 ] && ! dpkg-query -W velmora >/dev/null 2>&1; then
  dpkg -i "$deb" >"$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log"; dpkg -r velmora >/dev/null 2>&1 || true; fail "dpkg -i failed"; }
  got=$(/usr/bin/velmora-cli length ABCBDAB BDCABA) || true
  dpkg -r velmora >"$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log"; fail "dpkg -r failed"; }
  [ "$got" = '{"length":4,"calls":24}' ] || fail "installed velmora-cli printed $got"
  [ ! -e /usr/bin/velmora ] || fail "removal left /usr/bin/velmora"
  installed=", installs and removes cleanly"
fi
echo "package: $(basename "$deb") passes lintian, desktop-file-validate and appstreamcli$installed"
