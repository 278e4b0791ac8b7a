#!/usr/bin/env bash
# A person works from the keyboard: Ctrl+Tab to the Message tab, Tab to a
# button and Return to press it. An 80-line template with a no-break space
# is shown in a Test box that fits the screen, and saved back unchanged.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

template=$work/template
for i in $(seq 1 80); do
    printf '   Line %d: Dear\xc2\xa0%%username%%, your IP is %%IP%%\r\n' "$i"
done >"$template"
mkdir -p -m 700 "$XDG_CONFIG_HOME/Welcora/setting"
cp "$template" "$XDG_CONFIG_HOME/Welcora/setting/message"

start_welcora
# The window opens on Setting with the keyboard on the tab row.
key ctrl+Tab ctrl+Tab                 # About, then round to Message
key Tab Tab Tab Tab                   # template box, Save, Reload, Test
key Return
wait_for_box "Test Message"
eval "$(xdotool getwindowgeometry --shell "$box" | sed 's/^/BOX_/')"
read -r screen_width screen_height < <(xdotool getdisplaygeometry)
[ "$BOX_Y" -ge 0 ] && [ $((BOX_Y + BOX_HEIGHT)) -le "$screen_height" ] \
    && [ "$BOX_X" -ge 0 ] && [ $((BOX_X + BOX_WIDTH)) -le "$screen_width" ] \
    || fail "the Test box (${BOX_WIDTH}x${BOX_HEIGHT} at $BOX_X,$BOX_Y) does not fit the ${screen_width}x${screen_height} screen"
# OK sits in the box's bottom-right corner, on the screen: click it.
xdotool mousemove --window "$box" $((BOX_WIDTH - 50)) $((BOX_HEIGHT - 22)) click 1
for _ in $(seq 1 50); do
    xdotool search --onlyvisible --name '^Test Message$' >/dev/null 2>&1 || break
    sleep 0.1
done
xdotool search --onlyvisible --name '^Test Message$' >/dev/null 2>&1 \
    && fail "clicking where OK should be did not close the Test box"
xdotool windowfocus --sync "$window"
sleep 0.2

key shift+Tab shift+Tab               # back from Test to Save
key Return
key alt+f
key Up Return
wait_for_exit

cmp "$template" "$XDG_CONFIG_HOME/Welcora/setting/message" \
    || fail "the saved template differs from the stored one"
echo "PASS: keyboard, Ctrl+Tab, an 80-line Test box on screen, template stored unchanged"
