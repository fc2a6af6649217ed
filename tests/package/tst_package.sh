#!/usr/bin/env bash
# The Debian package: built by scripts/package.sh from the commit checked out (a whole build,
# so only when QUORVEL_PACKAGE_TEST=1), lintian-clean, with its dependencies, and holding
# Debian's layout for games.
# tst_package.sh SOURCE_DIR WORK_DIR [sanitize]; exits 77 (skipped) when it does not run.
set -euo pipefail
source_dir=$1 work=$2
if [ "${3:-}" = sanitize ]; then
  echo "skipped: the package does not depend on the build; the ordinary build checks it"
  exit 77
fi
if [ "${QUORVEL_PACKAGE_TEST:-}" != 1 ]; then
  echo "skipped: set QUORVEL_PACKAGE_TEST=1 to build and check the Debian package"
  exit 77
fi
for tool in dpkg-buildpackage dh lintian; do
  command -v "$tool" > /dev/null || { echo "skipped: $tool is missing"; exit 77; }
done

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

rm -rf "$work" && mkdir -p "$work"
# The test suite runs beside this test already; the package build need not run it again.
DEB_BUILD_OPTIONS="nocheck ${DEB_BUILD_OPTIONS:-}" \
  bash "$source_dir/scripts/package.sh" "$work" > "$work/package.log" 2>&1 ||
  { tail -40 "$work/package.log"; echo "FAIL: scripts/package.sh"; exit 1; }
version=$(sed -n 's/^project(FestralQuorvel VERSION \([0-9.]*\) .*/\1/p' \
  "$source_dir/CMakeLists.txt")
deb="$work/festral-quorvel_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || { ls "$work"; echo "FAIL: no $deb"; exit 1; }

lintian --fail-on error,warning "$deb" || fail "lintian"

[ "$(dpkg-deb --field "$deb" Section)" = games ] || fail "section is not games"
depends=$(dpkg-deb --field "$deb" Depends)
for needed in libqt6widgets6 libfluidsynth3 libarchive13 libqt6svg6 \
              qt6-image-formats-plugins timgm6mb-soundfont; do
  [[ $depends == *"$needed"* ]] || fail "Depends lacks $needed: $depends"
done
[[ $(dpkg-deb --field "$deb" Recommends) == *qt6-wayland* ]] || fail "qt6-wayland not recommended"

dpkg-deb --contents "$deb" | awk '{print $6}' | sed 's|^\./|/|; s|/$||' > "$work/contents"
for path in /usr/games/festral-quorvel /usr/libexec/festral-quorvel/festral-quorvel \
    /usr/share/games/festral-quorvel/OQCvr.bmp /usr/share/games/festral-quorvel/TAhelp.mid \
    /usr/share/applications/io.github.festral.Quorvel.desktop \
    /usr/share/metainfo/io.github.festral.Quorvel.metainfo.xml \
    /usr/share/mime/packages/festral-quorvel-game.xml \
    /usr/share/icons/hicolor/32x32/apps/festral-quorvel.png \
    /usr/share/icons/hicolor/128x128/apps/festral-quorvel.png \
    /usr/share/man/man6/festral-quorvel.6.gz /usr/share/doc/festral-quorvel/README.md \
    /usr/share/doc/festral-quorvel/copyright /usr/share/doc/festral-quorvel/changelog.gz; do
  grep -qxF "$path" "$work/contents" || fail "the package lacks $path"
done
games=$(grep -c '^/usr/share/games/festral-quorvel/..*\.\(bmp\|mid\)$' "$work/contents" || true)
[ "$games" = 148 ] || fail "$games default games' files instead of 148"
grep -E '^/usr/(bin|local|share/festral-quorvel)(/|$)|quorvels\.dat' "$work/contents" &&
  fail "files outside Debian's layout for games"

# The launcher names Debian's folder of the games' files (the version in the manual page and
# the AppStream release is tst_launcher's, on the same install rules).
dpkg-deb -x "$deb" "$work/root"
grep -qF "games='/usr/share/games/festral-quorvel'" "$work/root/usr/games/festral-quorvel" ||
  fail "the launcher does not look for the games in /usr/share/games/festral-quorvel"

[ "$failures" = 0 ] || { echo "$failures problems with the package"; exit 1; }
echo "the package $deb is sound"
