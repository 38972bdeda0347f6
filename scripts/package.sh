#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the Debian package in build-deb/ (games layout, /usr prefix), checks
# it with lintian (no error may remain), unpacks it into a scratch root and
# starts the unpacked game under Xvfb to its splash picture and back out.
# Needs the test packages of scripts/deps.sh --test.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${GLORBS_DEB_BUILD:-build-deb}"
jobs="$(nproc)"

# Built with Debian's hardening flags, as a distribution's build would be.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF \
  -DGLORBS_GAMES_LAYOUT=ON -DCMAKE_INSTALL_PREFIX=/usr \
  -DCMAKE_C_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CFLAGS)" \
  -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
  -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" >/dev/null
cmake --build "$build" -j"$jobs" --target package
deb="$(ls -t "$build"/glorbs3d_*.deb | head -n1)"
echo "Package: $deb"
dpkg-deb --field "$deb"

# Errors fail the run; warnings and notes are shown for the record.
lintian --tag-display-limit 0 "$deb" | tee "$build/lintian.txt" || true
if grep -q '^E:' "$build/lintian.txt"; then
  echo "lintian reports errors" >&2
  exit 1
fi

# The unpacked package must be whole: program in games/, data in
# share/games/glorbs3d, icons, desktop entry, metainfo, manual page, docs.
root="$build/unpacked"
rm -rf "$root"
dpkg-deb -x "$deb" "$root"
for f in usr/games/glorbs3d usr/share/games/glorbs3d/Media/SeaFloor.x \
  usr/share/applications/io.github.glorbs3d.Glorbs3D.desktop \
  usr/share/metainfo/io.github.glorbs3d.Glorbs3D.metainfo.xml \
  usr/share/icons/hicolor/16x16/apps/io.github.glorbs3d.Glorbs3D.png \
  usr/share/icons/hicolor/512x512/apps/io.github.glorbs3d.Glorbs3D.png \
  usr/share/man/man6/glorbs3d.6.gz usr/share/doc/glorbs3d/copyright usr/share/doc/glorbs3d/changelog.gz; do
  [ -e "$root/$f" ] || { echo "missing from the package: $f" >&2; exit 1; }
done
if file "$root/usr/games/glorbs3d" | grep -q "not stripped"; then
  echo "the packaged program is not stripped" >&2
  exit 1
fi
"$root/usr/games/glorbs3d" --version

# The unpacked game, started from another folder, finds its data and shows
# its splash (the script compares the window with the splash picture).
here="$PWD"
(cd / && python3 "$here/tests/e2e/splash_e2e.py" "$here/$root/usr/games/glorbs3d" "$here/$build/resources/splash.bmp")
echo "Package checked: $deb"
