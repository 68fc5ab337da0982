#!/usr/bin/env bash
# Installs the Debian packages ossen needs; does nothing when they are all there. Runs as
# root (or through sudo when it is available).
#   scripts/setup.sh run    what building and running the programs needs (scripts/start.sh)
#   scripts/setup.sh test   that, and what the tests, benchmarks and sanitizer builds need
#                           (scripts/test.sh, CI); the default
#   scripts/setup.sh package  what building the Debian package and checking it needs
#                           (scripts/package.sh)
set -euo pipefail

run_packages=(
  cmake ninja-build g++ pkg-config          # build
  zlib1g-dev                                # MEMO blocks
  qt6-base-dev qt6-base-dev-tools           # windows, modules and resources (Qt resource system)
  qt6-qpa-plugins                           # Qt's display plugins (X11, Wayland, offscreen)
  libjpeg62-turbo-dev                       # JPEG pictures
  fonts-dejavu-core                         # text on our surfaces: a sans-serif face for Qt
  libx11-dev libxcb1-dev                    # the desktop bridge's root window; windows of other programs
  libxrandr-dev libxinerama-dev libpixman-1-dev  # the root picture: monitors, smooth scaling
)
test_packages=(
  libgtest-dev tzdata                       # tests (they set TZ)
  libbenchmark-dev                          # bench/
  clang libclang-rt-14-dev llvm             # fuzz targets, sanitizer reports
  xvfb x11-utils xdotool imagemagick       # tests on displays of their own: Xvfb, clicks, screenshots
  openbox trayer                            # the tray icon's test under a real notification area
)

package_packages=(
  dpkg-dev file                             # CPack's dependencies of the package (dpkg-shlibdeps)
  lintian desktop-file-utils appstream man-db   # checking the package, its menu and AppStream entries, its manual
)

case "${1:-test}" in
  run) packages=("${run_packages[@]}") ;;
  test) packages=("${run_packages[@]}" "${test_packages[@]}") ;;
  package) packages=("${run_packages[@]}" "${package_packages[@]}") ;;
  *) echo "usage: scripts/setup.sh [run|test|package]" >&2; exit 2 ;;
esac

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
