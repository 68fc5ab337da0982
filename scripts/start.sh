#!/usr/bin/env bash
# Installs what is missing, builds everything and starts ossen with the bundled collection.
# The program runs in its program folder C:\OSSEN of the prefix, where it keeps "data.bin";
# arguments are passed on (-h: start hidden, -k: removal run).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh run
scripts/build.sh build
program="$PWD/build/app/ossen"
prefix=${OSSEN_PREFIX:-${XDG_DATA_HOME:-$HOME/.local/share}/ossen}
mkdir -p "$prefix/drive_c/OSSEN" "$prefix/drive_c/WINDOWS/SYSTEM"
# The screen saver where the Preview button and system.ini look for it; a link, so that it
# is always the fresh build and finds the picture library beside its real self.
ln -sfn "$PWD/build/app/ossen.scr" "$prefix/drive_c/WINDOWS/SYSTEM/ossen.scr"
cd "$prefix/drive_c/OSSEN"
# Without a desktop the program runs off screen by itself and says how to end it.
exec "$program" "$@"
