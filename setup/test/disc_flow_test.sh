#!/usr/bin/env bash
# The disc as a person meets it, on a display of its own, in a fresh prefix and home:
# Run before Install asks to install first; Install (the launcher's button, then the
# installer's window) leaves every file, value and entry; Run starts ossen resident;
# `ossen -k` ends it, puts the original start-up image back and starts the uninstaller,
# whose question is answered; then nothing the installer wrote remains, and Run asks to
# install first again.
#   disc_flow_test.sh DISC_FOLDER        (exit 77: no Xvfb or xdotool here)
set -euo pipefail
disc=$(cd "$1" && pwd)
for tool in Xvfb xdotool; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  # Programs the launcher started, should a step have failed before they ended: found by
  # their paths, which lie in this test's own folder.
  for pid in $(pgrep -f "^$work/" || true); do kill -KILL "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
step() { echo "== $*"; }

# A home and prefix of the test's own; the user's settings never count.
export HOME=$work/home OSSEN_PREFIX=$work/prefix OSSEN_TRACE=1
# Under the leak checker: what Qt's X11 platform leaves in the session bus library is not ours.
export LSAN_OPTIONS="${LSAN_OPTIONS:+$LSAN_OPTIONS:}suppressions=$(cd "$(dirname "$0")/../../test_support" && pwd)/lsan.supp"
unset XDG_CONFIG_HOME XDG_DATA_HOME QT_QPA_PLATFORM WAYLAND_DISPLAY
mkdir -p "$HOME"
# The disc is copied so that its programs' folder lies under $work (and is killed with it).
cp -a "$disc" "$work/disc"

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb did not start"
export DISPLAY=:$(head -n1 "$work/display")

# Waits for a window whose title is exactly $1 and prints its id.
window() { timeout 20 xdotool search --sync --onlyvisible --name "^$1\$" | head -n1; }
# Waits for a window titled exactly $1 other than window $2 and prints its id.
another_window() {
  for _ in $(seq 200); do
    for id in $(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null); do
      [ "$id" != "$2" ] && { echo "$id"; return 0; }
    done
    sleep 0.1
  done
  return 1
}
# Types keys into a window after giving it the focus (there is no window manager).
keys() { local id=$1; shift; xdotool windowfocus --sync "$id"; sleep 0.3; xdotool key --clearmodifiers "$@"; }
click() { xdotool mousemove --sync --window "$menu" "$1" "$2" click 1; }
# Button centres in the launcher's client area: 16 + 28 across; 272, 304, 336 + 12 down.
click_install() { click 44 284; }
click_run() { click 44 316; }
click_exit() { click 44 348; }
gone() { for _ in $(seq 100); do xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1 || return 0; sleep 0.1; done; return 1; }
install_first="In order to run Vintra Ossens Screen Savers, you should install first."

drive=$OSSEN_PREFIX/drive_c
mkdir -p "$drive"
head -c 4000 /dev/urandom >"$work/logo.original"
cp "$work/logo.original" "$drive/logo.sys"

step "the launcher"
"$work/disc/Discmenu" 2>"$work/discmenu.log" &
pids+=($!)
menu=$(window "Vintra Ossens Screen Savers") || fail "no launcher window"

step "Run before Install"
click_run
box=$(window Information) || fail "no Information box"
grep -qF "$install_first" "$work/discmenu.log" || fail "no install-first message"
keys "$box" Return
gone Information || fail "the Information box stayed"

step "Install"
click_install
setup=$(window "Vintra Ossens Screen Savers Setup") || fail "no installer window"
keys "$setup" Return                        # Install, into the default folder
question=$(another_window "Vintra Ossens Screen Savers Setup" "$setup") || fail "no question after installing"
keys "$question" n                          # do not start it from here
gone "Vintra Ossens Screen Savers Setup" || fail "the installer stayed open"

folder="$drive/Program Files/Brantwell Software/Vintra Ossens Screen Savers"
win_folder='C:\\Program Files\\Brantwell Software\\Vintra Ossens Screen Savers'
for f in ossen OssenDLL.rcc uninst; do [ -f "$folder/$f" ] || fail "$f not installed"; done
if [ -f "$disc/ossen.scr" ]; then [ -f "$drive/WINDOWS/SYSTEM/ossen.scr" ] || fail "ossen.scr not installed"; fi
grep -qF "\"sourcepath\"=\"$win_folder\"" "$OSSEN_PREFIX/system.reg" || fail "no sourcepath"
grep -qF "\"uninstallpath\"=\"\\\"$win_folder\\\\UNINST.EXE\\\"\"" "$OSSEN_PREFIX/system.reg" || fail "no uninstallpath"
grep -q "^INSTALLDIR=C:.Program Files.Brantwell Software.Vintra Ossens Screen Savers" "$drive/WINDOWS/X7352.INI" \
  || fail "no INSTALLDIR"
cmp -s "$drive/logo.bak" "$work/logo.original" || fail "logo.bak is not the original start-up image"
ls "$HOME"/.local/share/applications/ossen-*.desktop >/dev/null || fail "no menu entry"
ls "$HOME"/.local/share/icons/hicolor/48x48/apps/ossen-*.png >/dev/null || fail "no menu icon"

step "Run"
click_run
for _ in $(seq 150); do ls "$OSSEN_PREFIX"/run/windows/hwnd-*.sock >/dev/null 2>&1 && break; sleep 0.2; done
ls "$OSSEN_PREFIX"/run/windows/hwnd-*.sock >/dev/null 2>&1 || fail "ossen did not become resident"
pgrep -f "^$folder/ossen" >/dev/null || fail "the installed ossen is not the one running"
grep -qF "\"ossen.exe\"=\"$win_folder\\\\ossen.exe -h\"" "$OSSEN_PREFIX/system.reg" || fail "no Run value"
ls "$HOME"/.config/autostart/ossen-run-*.desktop >/dev/null || fail "no autostart entry"
[ "$(grep -cF "$install_first" "$work/discmenu.log")" -eq 1 ] || fail "Run asked to install once more"

step "ossen -k"
printf 'a painting' >"$drive/logo.sys"     # what the program writes when it applies a slot
"$folder/ossen" -k >"$work/removal.out" 2>"$work/removal.log"
grep -q "ended the running copy" "$work/removal.out" || fail "-k did not say what it ended: $(cat "$work/removal.out")"
for _ in $(seq 50); do pgrep -f "^$folder/ossen" >/dev/null || break; sleep 0.1; done
pgrep -f "^$folder/ossen" >/dev/null && fail "ossen still runs"
cmp -s "$drive/logo.sys" "$work/logo.original" || fail "logo.sys was not put back"
[ -e "$drive/logo.bak" ] && fail "logo.bak stayed"
ask=$(window "Vintra Ossens Screen Savers Uninstall") || fail "the uninstaller did not ask"
keys "$ask" y
told=$(another_window "Vintra Ossens Screen Savers Uninstall" "$ask") || fail "the uninstaller did not say what it removed"
keys "$told" Return
gone "Vintra Ossens Screen Savers Uninstall" || fail "the uninstaller stayed open"

step "nothing the installer wrote remains"
[ -e "$drive/Program Files/Brantwell Software" ] && fail "the program folder stayed: $(ls -R "$drive/Program Files")"
[ -e "$drive/WINDOWS/SYSTEM/ossen.scr" ] && fail "ossen.scr stayed"
[ -e "$drive/WINDOWS/X7352.INI" ] && fail "X7352.INI stayed"
grep -qi 'sourcepath\|uninstallpath\|"ossen.exe"\|Brantwell' "$OSSEN_PREFIX/system.reg" && fail "registry values stayed: $(cat "$OSSEN_PREFIX/system.reg")"
ls "$HOME"/.local/share/applications/ossen-*.desktop >/dev/null 2>&1 && fail "the menu entry stayed"
ls "$HOME"/.local/share/icons/hicolor/48x48/apps/ossen-*.png >/dev/null 2>&1 && fail "the menu icon stayed"
ls "$HOME"/.config/autostart/ossen-run-*.desktop >/dev/null 2>&1 && fail "the autostart entry stayed"
cmp -s "$drive/logo.sys" "$work/logo.original" || fail "logo.sys changed"

step "Run after the removal"
click_run
box=$(window Information) || fail "no Information box"
[ "$(grep -cF "$install_first" "$work/discmenu.log")" -eq 2 ] || fail "no second install-first message"
keys "$box" Return
gone Information || fail "the Information box stayed"
click_exit
wait "${pids[1]}" || fail "the launcher did not end cleanly"
echo "PASS"
