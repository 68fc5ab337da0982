#!/usr/bin/env bash
# Installs what is missing, builds everything and starts ossen with the bundled collection.
# The program runs in its program folder C:\OSSEN of the prefix, where it keeps "data.bin";
# arguments are passed on (-h: start hidden, -k: removal run).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh build
program="$PWD/build/app/ossen"
prefix=${OSSEN_PREFIX:-${XDG_DATA_HOME:-$HOME/.local/share}/ossen}
mkdir -p "$prefix/drive_c/OSSEN"
cd "$prefix/drive_c/OSSEN"
exec "$program" "$@"
