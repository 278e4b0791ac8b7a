#!/usr/bin/env bash
# The Windows deliverables as an operator gets them: welcora-<version>-setup.exe
# installed silently under Wine into Program Files\Welcora with a Start-menu
# shortcut and an uninstaller, the installed program started once (its window
# opens and Exit closes it), then uninstalled: the program, shortcut and
# folder go, a sender put beside it stays. And the zip holds welcora.exe.
#   installer_check.sh BUILD_DIR VERSION
set -euo pipefail
build=$1
version=$2
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
setup=$build/welcora-$version-setup.exe
zip=$build/welcora-$version-windows.zip
export WINEPREFIX=$build/wine-install-prefix
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
[ -f "$setup" ] || fail "no installer at $setup"
source "$here/../../scripts/xvfb.sh"
trap 'stop_started; wineserver -k 2>/dev/null || true' EXIT
[ -n "${DISPLAY:-}" ] || { start_xvfb 1280x1024 && export DISPLAY=$xvfb_display; }

# A Windows that has never seen Welcora.
rm -rf "$WINEPREFIX" "$WINEPREFIX.lock"
"$here/wine-prefix" "$WINEPREFIX"
folder=$WINEPREFIX/drive_c/Program\ Files/Welcora
shortcut=$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start\ Menu/Programs/Welcora.lnk

wine "$setup" /S
wineserver -w
[ -f "$folder/welcora.exe" ] || fail "welcora.exe was not installed into Program Files\\Welcora"
[ -f "$folder/uninstall.exe" ] || fail "no uninstaller"
[ -f "$shortcut" ] || fail "no Start-menu shortcut"
cmp -s "$build/bin/welcora.exe" "$folder/welcora.exe" || fail "the installed welcora.exe is not the built one"
wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Welcora' /v DisplayVersion \
    | tr -d '\r' | grep -q 'REG_SZ *1\.00$' || fail "Windows does not list Welcora 1.00 as installed"

# Started once: the window opens; File, Exit ends it.
wine 'C:\Program Files\Welcora\welcora.exe' &
program=$!
window=
for _ in $(seq 1 300); do
    window=$(xdotool search --onlyvisible --name '^Welcora V2.0 Setting$' 2>/dev/null | head -n 1 || true)
    [ -n "$window" ] && break
    sleep 0.1
done
[ -n "$window" ] || fail "the installed program's window did not open"
xdotool windowfocus --sync "$window"
sleep 0.5
xdotool key --delay 60 alt+f Up Return
for _ in $(seq 1 100); do
    kill -0 "$program" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$program" 2>/dev/null && fail "the installed program did not end on Exit"

# The sender the operator put beside it is not ours to remove.
echo sender >"$folder/kovrapost.exe"
wine 'C:\Program Files\Welcora\uninstall.exe' /S
wineserver -w
for _ in $(seq 1 50); do # the uninstaller finishes from a copy of itself
    [ -f "$folder/welcora.exe" ] || break
    sleep 0.1
done
[ ! -f "$folder/welcora.exe" ] || fail "welcora.exe is still there after the uninstaller"
[ ! -f "$folder/uninstall.exe" ] || fail "the uninstaller is still there"
[ ! -f "$shortcut" ] || fail "the Start-menu shortcut is still there"
[ -f "$folder/kovrapost.exe" ] || fail "the uninstaller removed the sender"

# The zip, for those who want no installer.
python3 - "$zip" "$build/bin/welcora.exe" <<'PY' || fail "the zip does not hold exactly welcora.exe"
import sys, zipfile
archive = zipfile.ZipFile(sys.argv[1])
assert archive.namelist() == ["welcora.exe"], archive.namelist()
assert archive.read("welcora.exe") == open(sys.argv[2], "rb").read()
PY
echo "PASS: installed silently, started, uninstalled (the sender kept); the zip holds welcora.exe"
