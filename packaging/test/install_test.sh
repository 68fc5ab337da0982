#!/usr/bin/env bash
# The build installed into a folder of its own as a package would lay it out under /usr:
# exactly the expected files, and the installed programs run from there and find the
# picture library in the installed data folder.
#   install_test.sh CMAKE BUILD_DIR EXPECTED_FILES
set -euo pipefail
cmake=$1 build=$2 expected=$3
work=$(mktemp -d "${TMPDIR:-/tmp}/ossen-install-XXXXXX")
trap 'rm -rf "$work"' EXIT
root=$work/root
fail() { echo "FAIL: $*" >&2; exit 1; }

DESTDIR=$root "$cmake" --install "$build" --prefix /usr >"$work/install.log" 2>&1 ||
  { cat "$work/install.log" >&2; fail "cmake --install"; }

# Files and links, a link shown with its target; sorted bytewise as the expected list is.
(cd "$root" && find . -mindepth 1 ! -type d | sed 's|^\./||' | LC_ALL=C sort |
  while IFS= read -r path; do
    if [ -L "$path" ]; then echo "$path -> $(readlink "$path")"; else echo "$path"; fi
  done) >"$work/installed.txt"
LC_ALL=C sort "$expected" >"$work/expected.txt"
diff -u "$work/expected.txt" "$work/installed.txt" || fail "the installed files differ from the list (- expected, + installed)"
[ -x "$root/usr/bin/ossen" ] && [ -x "$root/usr/bin/ossen.scr" ] || fail "the programs are not executable"
[ -e "$root/usr/libexec/xscreensaver/ossen-saver" ] || fail "XScreenSaver's link leads nowhere"

# The menu entry and the AppStream entry as the desktop's own checkers read them, where
# the machine has them (scripts/setup.sh package installs them).
share=$root/usr/share
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$share"/applications/*.desktop || fail "desktop-file-validate refused the menu entry"
fi
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net "$share"/metainfo/*.metainfo.xml >"$work/appstream.log" 2>&1 ||
    { cat "$work/appstream.log" >&2; fail "appstreamcli refused the AppStream entry"; }
fi

# The installed programs run with what they link, in a prefix of their own; a sanitizer
# build's leak report is not this test's business.
export OSSEN_PREFIX=$work/prefix QT_QPA_PLATFORM=offscreen OSSEN_DESKTOP_BRIDGE=off
export ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0
unset DISPLAY WAYLAND_DISPLAY XSCREENSAVER_WINDOW
cd "$work"

version=$("$root/usr/bin/ossen" --version) || fail "installed ossen --version failed"
[[ $version == "ossen "* ]] || fail "installed ossen --version said: $version"

# /c shows its dialog until it is closed: still running after a while means it started
# with its libraries and Qt's display plugin; a missing library ends it at once.
status=0
timeout 2 "$root/usr/bin/ossen.scr" /c >"$work/configure.log" 2>&1 || status=$?
[ "$status" -eq 124 ] || { cat "$work/configure.log" >&2; fail "installed ossen.scr /c ended with $status"; }

# A saver run reads the paintings before it finds that there is no window to draw into.
library=$(realpath "$root/usr/share/ossen/OssenDLL.rcc")
status=0
OSSEN_TRACE=1 "$root/usr/bin/ossen.scr" -window-id 1 >"$work/saver.log" 2>&1 || status=$?
[ "$status" -eq 1 ] || { cat "$work/saver.log" >&2; fail "installed ossen.scr -window-id 1 ended with $status"; }
grep -qF "LoadLibrary: OssenDLL is $library" "$work/saver.log" ||
  { cat "$work/saver.log" >&2; fail "installed ossen.scr did not find the installed picture library"; }
# The same through XScreenSaver's link.
status=0
OSSEN_TRACE=1 "$root/usr/libexec/xscreensaver/ossen-saver" -window-id 1 >"$work/hack.log" 2>&1 || status=$?
grep -qF "LoadLibrary: OssenDLL is $library" "$work/hack.log" ||
  { cat "$work/hack.log" >&2; fail "ossen.scr through XScreenSaver's link did not find the installed picture library"; }
echo "installed: $(wc -l <"$work/installed.txt") files; the programs run from there and find their library"
