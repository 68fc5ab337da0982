#!/usr/bin/env bash
# Configures and builds ossen in a build folder (default: build/).
#   scripts/build.sh [build folder] [extra cmake options...]
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build}
shift || true
werror=OFF
[ "${OSSEN_WERROR:-}" = ON ] && werror=ON
cmake -S . -B "$dir" -G Ninja -DOSSEN_WERROR="$werror" "$@" >/dev/null
cmake --build "$dir" -j "$(nproc)"
