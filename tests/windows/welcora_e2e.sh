#!/usr/bin/env bash
# welcora.exe under Wine, driven from the keyboard as an operator would: a
# first configuration against a Zentaro.ini whose password is "+@", ended by
# File > Test Connection against the test run's user database (Wine's ODBC
# hands it to this machine's). The registry then holds what was found and
# typed, where the sender reads it, and Zentaro.ini differs from before in
# the one AccountingScript line.
#   welcora_e2e.sh BUILD_DIR
set -euo pipefail
build=$1
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
export WINEPREFIX=${WELCORA_WINEPREFIX:-$build/wine-prefix}
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
"$here/wine-prefix" "$WINEPREFIX"
work=$(mktemp -d)
folder=$WINEPREFIX/drive_c/Welcora # where an operator would put the program
source "$here/../../scripts/xvfb.sh"
source "$here/../e2e/boxes.sh"
trap 'stop_started; wineserver -k 2>/dev/null || true; rm -rf "$work" "$folder"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
if [ -n "${DISPLAY:-}" ]; then :; else
    start_xvfb 1280x1024
    export DISPLAY=$xvfb_display
fi

# The program, and the sender beside it (a stand-in: any program will do for
# Save Configuration's check).
mkdir -p "$folder"
cp "$build/bin/welcora.exe" "$folder/"
cp "$build/bin/welcora-ini.exe" "$folder/kovrapost.exe"
password=${WELCORA_TEST_USERDB_PASSWORD:?the password of the test user database}
key='HKCU\Software\VB and VBA Program Settings\Welcora'
wine reg delete "$key" /f >/dev/null 2>&1 || true

ini=$work/Zentaro.ini
printf '%s\r\n' \
    '; Zentaro accounting server configuration' \
    '[General]' \
    'Port=1812' \
    '' \
    '[ODBC]' \
    'UserDBDatasource=ZentaroUsers' \
    'UserDBLoginUser = acct' \
    'UserDBLoginPasswd=+@' \
    '' \
    '[Options]' \
    'Logging=1' >"$ini"
cp "$ini" "$work/before.ini"
windows_ini="Z:${ini//\//\\}"

key() {
    xdotool key --delay 60 "$@"
    sleep 0.3
}
type_text() {
    xdotool type --delay 30 -- "$1"
    sleep 0.3
}
find_window() { # title [tries, a tenth of a second each]
    local found=
    for _ in $(seq 1 "${2:-300}"); do
        found=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1 || true)
        [ -n "$found" ] && break
        sleep 0.1
    done
    echo "$found"
}

wine 'C:\Welcora\welcora.exe' &
welcora=$!
pids+=("$welcora")
window=$(find_window 'Welcora V2.0 Setting')
[ -n "$window" ] || fail "the window \"Welcora V2.0 Setting\" did not open"
xdotool windowfocus --sync "$window"
sleep 0.5

# It opens on the Setting tab with the keyboard on the tab row.
key Tab                               # the Zentaro.ini path box
type_text "$windows_ini"
key Tab Tab Return                    # Browse, Discover: pressed
box=$(find_window Welcora)
[ -n "$box" ] || fail "Discover did not ask for the password"
xdotool windowfocus --sync "$box"
sleep 0.3
key Return                            # OK; the keyboard goes to the password box
xdotool windowfocus --sync "$window"
sleep 0.3
type_text "$password"
key Tab Tab Tab                       # data source, Save, ISP name
type_text 'Example Net'
key shift+Tab Return                  # Save: no box, the sender is in its place
sleep 1
[ "$(find_window Welcora 1)" = "" ] || fail "Save Configuration showed a box"
key alt+f t                           # File, Test Connection
box=$(find_window Welcora)
[ -n "$box" ] || fail "Test Connection showed no box"
xdotool windowfocus --sync "$box"
sleep 0.3
box_says 'Connected to the data source "ZentaroUsers" as the user "acct"' &&
    [[ $box_text == *'The database: PostgreSQL 15.'* ]] || fail "Test Connection said: $box_text"
key Return
xdotool windowfocus --sync "$window"
sleep 0.3
key alt+f Up Return                   # File, Exit
for _ in $(seq 1 100); do
    kill -0 "$welcora" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$welcora" 2>/dev/null && fail "the program did not end on Exit"
wineserver -w

value() { # section name
    wine reg query "$key\\$1" /v "$2" 2>/dev/null | tr -d '\r' \
        | sed -n "s/^ *$2 *REG_SZ *//p"
}
expect() { # section name expected
    local got
    got=$(value "$1" "$2")
    [ "$got" = "$3" ] || fail "$1\\$2 in the registry is '$got', expected '$3'"
}
expect setting IniFilePath "$windows_ini"
expect ODBC UserDBDatasource ZentaroUsers
expect ODBC UserDBLoginUser acct
expect ODBC UserDBLoginPasswd "$password"
expect setting ISPName 'Example Net'
[ -z "$(value setting message)" ] || fail "the template was saved without being asked to"

changes=$(diff "$work/before.ini" "$ini" || true)
expected=$'11a12\n> AccountingScript=C:\\Welcora\\kovrapost  $type $user $nas\r'
[ "$changes" = "$expected" ] || fail "Zentaro.ini changed unexpectedly:
$changes"
echo "PASS: welcora.exe under Wine stored the configuration in the registry and told Zentaro how to run the sender"
