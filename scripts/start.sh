#!/usr/bin/env bash
# Installs what is missing, builds everything and starts ossen with the bundled collection.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh build
if [ -x build/app/ossen ]; then
  exec build/app/ossen "$@"
fi
echo "start: everything built; the ossen program itself is not part of the build yet" \
     "(the libraries and their tests are: run scripts/test.sh)."
