#!/usr/bin/env bash
# The installed program: it starts from /usr/bin of its root, opens its
# window, and Save Configuration names the sender beside it, and says that
# the sender (not part of the package) is not there yet.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

printf '[ODBC]\r\nUserDBDatasource=ZentaroUsers\r\n' >"$work/Zentaro.ini"
start_welcora
click_control 100 36 253 21         # the Zentaro.ini path box
type_text "$work/Zentaro.ini"
click_control 152 272 125 21        # Save
folder=${WELCORA_EXPECT_FOLDER:-$bin}
wait_for_box "Welcora"
expect_box_text "Zentaro will not find the sender: it will run \"$folder/kovrapost\""
close_box "Welcora"
key alt+f
key Up Return
wait_for_exit
grep -qx "AccountingScript=$folder/kovrapost  \$type \$user \$nas"$'\r' "$work/Zentaro.ini" ||
    fail "Zentaro.ini: $(cat -A "$work/Zentaro.ini")"
echo "PASS: the installed program starts and names the sender beside it"
