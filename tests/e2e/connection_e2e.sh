#!/usr/bin/env bash
# A person's first configuration: point Welcora at Zentaro's INI file,
# Discover, answer the password prompt, type the password and the ISP name,
# Save (told that the sender is not beside this build's program), check with
# File > Test Connection that the test run's user database opens, and leave.
# The store then holds exactly what was typed and found, and Zentaro's file
# differs from before in the one AccountingScript line.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

mkdir -p "$work/zentaro"
ini=$work/zentaro/Zentaro.ini
printf '%s\r\n' \
    '; Zentaro accounting server configuration' \
    '[General]' \
    'ServerName = radius-1' \
    'Port=1812' \
    '' \
    '[ODBC]' \
    'UserDBDatasource=ZentaroUsers' \
    'UserDBLoginUser = acct' \
    'UserDBLoginPasswd=+@' \
    '; the password is kept elsewhere' \
    '' \
    '[Options]' \
    'Logging=1' \
    '' \
    '[Log]' \
    'Level=3' >"$ini"
cp "$ini" "$work/before.ini"

start_welcora
click_control 100 36 253 21         # the Zentaro.ini path box
type_text "$ini"
click_control 152 60 125 21         # Discover
wait_for_box "Welcora"
close_box "Welcora"
password=${WELCORA_TEST_USERDB_PASSWORD:?the password of the test user database}
type_text "$password"               # the focus is in the password box
click_control 120 172 233 21        # ISP name
type_text 'Example Net'
click_control 152 272 125 21        # Save
wait_for_box "Welcora"              # no sender beside a build tree's program
expect_box_text "Zentaro will not find the sender: it will run \"$bin/kovrapost\""
close_box "Welcora"

key alt+f t                         # File, Test Connection
wait_for_box "Welcora"
expect_box_text 'Connected to the data source "ZentaroUsers" as the user "acct"'
expect_box_text 'The database: PostgreSQL 15.'
close_box "Welcora"

key alt+f                           # File, then Exit
key Up Return
wait_for_exit

store=$XDG_CONFIG_HOME/Welcora
expect_bytes "$store/setting/IniFilePath" "$ini"
expect_bytes "$store/ODBC/UserDBDatasource" 'ZentaroUsers'
expect_bytes "$store/ODBC/UserDBLoginUser" 'acct'
expect_bytes "$store/ODBC/UserDBLoginPasswd" "$password"
expect_bytes "$store/setting/ISPName" 'Example Net'
[ ! -e "$store/setting/message" ] || fail "the template was saved without being asked to"

changes=$(diff "$work/before.ini" "$ini" || true)
expected=$'13a14\n> AccountingScript='"$bin"$'/kovrapost  $type $user $nas\r'
[ "$changes" = "$expected" ] || fail "Zentaro.ini changed unexpectedly:
$changes"
grep -q $'^AccountingScript=.*\$nas\r$' "$ini" || fail "the new line does not end in CR LF"
echo "PASS: first configuration stored, Zentaro told how to run the sender, the user database reached"
