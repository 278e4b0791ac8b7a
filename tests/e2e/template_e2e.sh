#!/usr/bin/env bash
# A person edits the template, saves it and leaves; the store holds exactly
# what was typed, with CR LF line ends.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

start_welcora
show_tab 0
click_control 8 40 409 229          # the template box
key ctrl+a Delete
type_text 'Hello %username%'
key Return
type_text 'Your IP is %IP%'

click_control 152 276 77 21         # Test
wait_for_box "Test Message"
close_box "Test Message"
click_control 340 276 77 21         # Save

key alt+f                           # File, then Exit, the last item
key Up Return
wait_for_exit

expect_bytes "$XDG_CONFIG_HOME/Welcora/setting/message" 'Hello %%username%%\r\nYour IP is %%IP%%'
[ "$(stat -c %a "$XDG_CONFIG_HOME/Welcora/setting/message")" = 600 ] || fail "the store file is not private"
[ ! -e "$XDG_CONFIG_HOME/Welcora/ODBC" ] || fail "Save Message stored more than the template"
echo "PASS: template edited, saved and stored"
