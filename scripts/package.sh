#!/usr/bin/env bash
# Builds the Debian package in ./build-deb and checks it with lintian, which
# must report no error. Install it with: apt install ./build-deb/setarome_*.deb
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-deb"
bash "$root/scripts/setup.sh"

# Debian's compiler and linker hardening, all of it (bindnow too).
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
eval "$(dpkg-buildflags --export=sh)"
export CXXFLAGS="$CPPFLAGS $CXXFLAGS"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_INSTALL_PREFIX=/usr -DRAINNODE_BENCHMARKS=OFF \
  -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON >/dev/null
# Only what the package holds; cpack's install step fails on a missing file.
cmake --build "$build" -j "$(nproc)" --target setarome setarome-cli desktop_and_docs deb_changelog
rm -f "$build"/*.deb
(cd "$build" && cpack -G DEB)
deb=$(ls "$build"/*.deb)
dpkg-deb --info "$deb"
dpkg-deb --contents "$deb"
lintian --fail-on error --display-info "$deb"
echo "built $deb"
