#!/usr/bin/env bash
# Builds the release in a fresh build folder, build-package/, and makes the Debian package
# build-package/ossen_<version>_<arch>.deb with CPack; prints the package's path.
# Install it with: apt install ./build-package/ossen_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh package
dir=build-package
rm -rf "$dir"
# Debian's hardening flags, all of them (stack protector, fortified calls, position-independent
# programs, relocations read-only and bound at start).
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
export CFLAGS="$(dpkg-buildflags --get CFLAGS)" CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS)"
export CPPFLAGS="$(dpkg-buildflags --get CPPFLAGS)" LDFLAGS="$(dpkg-buildflags --get LDFLAGS)"
CFLAGS="$CFLAGS $CPPFLAGS" CXXFLAGS="$CXXFLAGS $CPPFLAGS"
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
# The package holds the programs only: the test programs are not built.
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
      -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON "${launcher[@]}" >/dev/null
cmake --build "$dir" -j "$(nproc)"
(cd "$dir" && cpack -G DEB >cpack.log 2>&1) || { cat "$dir/cpack.log" >&2; exit 1; }
package=$(ls "$PWD/$dir"/ossen_*.deb)
echo "$package"
