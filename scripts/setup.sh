#!/usr/bin/env bash
# Installs the Debian packages that building and testing ossen need; does nothing when
# they are all there. Runs as root (or through sudo when it is available).
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config          # build
  libgtest-dev tzdata                       # tests (they set TZ)
  zlib1g-dev                                # MEMO blocks
  qt6-base-dev qt6-base-dev-tools           # modules and resources (Qt resource system)
  qt6-qpa-plugins                           # the offscreen platform for headless tests
  libjpeg62-turbo-dev                       # JPEG pictures
  libbenchmark-dev libpixman-1-dev          # bench/
  clang libclang-rt-14-dev llvm             # fuzz targets, sanitizer reports
  fonts-dejavu-core                         # text on our surfaces: a sans-serif face for Qt
  xvfb xdotool x11-utils                    # real-process tests on an X display of their own
)

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
