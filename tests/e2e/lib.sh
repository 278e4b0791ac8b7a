# Shared by the end-to-end tests: a real X server, the built program, and a
# person's mouse and keyboard (xdotool).
set -euo pipefail

bin=${WELCORA_BIN:?the folder of the built programs}
work=$(mktemp -d)
export XDG_CONFIG_HOME=$work/config
export XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/xvfb.sh"
source "$(dirname "${BASH_SOURCE[0]}")/boxes.sh"
trap 'stop_started; rm -rf "$work"' EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# Use the display scripts/test started, or start one of our own.
if [ -n "${WELCORA_TEST_DISPLAY:-}" ]; then
    export DISPLAY=$WELCORA_TEST_DISPLAY
else
    start_xvfb 1024x768
    export DISPLAY=$xvfb_display
fi
unset QT_QPA_PLATFORM

start_welcora() {
    "$bin/welcora" &
    welcora_pid=$!
    pids+=("$welcora_pid")
    window=
    for _ in $(seq 1 600); do
        kill -0 "$welcora_pid" 2>/dev/null || fail "the program ended before its window opened"
        window=$(xdotool search --onlyvisible --pid "$welcora_pid" --name '^Welcora V2.0 Setting$' 2>/dev/null | head -n 1 || true)
        [ -n "$window" ] && break
        sleep 0.1
    done
    [ -n "$window" ] || fail "the window did not open"
    xdotool windowactivate --sync "$window" 2>/dev/null || xdotool windowfocus --sync "$window"
    # The client area is 458 x 360 under the menu bar.
    eval "$(xdotool getwindowgeometry --shell "$window")"
    menu_height=$((HEIGHT - 360))
}

# Clicks at a point given from the tab control's top-left corner (15, 24 in
# the client area).
click_in_tabs() {
    xdotool mousemove --window "$window" $((15 + $1)) $((menu_height + 24 + $2)) click 1
    sleep 0.2
}

show_tab() { # 0 Message, 1 Setting, 2 About
    click_in_tabs $((143 * $1 + 71)) 10
}

# Clicks the middle of a control, given its place in pixels.
click_control() { # left top width height
    click_in_tabs $(($1 + $3 / 2)) $(($2 + $4 / 2))
}

type_text() {
    xdotool type --delay 20 -- "$1"
    sleep 0.2
}

key() {
    xdotool key --delay 50 "$@"
    sleep 0.2
}

# Waits for the program to end by itself and checks that it ended cleanly
# (under the sanitizers a leak or an error makes the exit status non-zero).
wait_for_exit() {
    for _ in $(seq 1 300); do
        if ! kill -0 "$welcora_pid" 2>/dev/null; then
            local status=0
            wait "$welcora_pid" || status=$?
            [ "$status" -eq 0 ] || fail "the program ended with status $status"
            return 0
        fi
        sleep 0.1
    done
    fail "the program did not end"
}

# Waits for a visible window with this exact title (a message box), gives it
# the keyboard and leaves its id in $box. No window manager runs here, so
# nothing else would move the focus to it.
wait_for_box() {
    box=
    for _ in $(seq 1 100); do
        box=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1 || true)
        [ -n "$box" ] && break
        sleep 0.1
    done
    [ -n "$box" ] || fail "no window titled '$1' came up"
    xdotool windowfocus --sync "$box"
    sleep 0.2
}

# Fails unless the box that has the keyboard says this.
expect_box_text() {
    box_says "$1" || fail "the box does not say: $1
it says: $box_text"
}

# Closes the box with its default button and gives the keyboard back.
close_box() {
    key Return
    for _ in $(seq 1 50); do
        xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1 || break
        sleep 0.1
    done
    xdotool windowfocus --sync "$window"
    sleep 0.2
}

expect_bytes() { # file expected-bytes-in-printf-form
    local expected
    expected=$(printf "$2" | od -An -c)
    local actual
    actual=$(od -An -c <"$1" 2>/dev/null || echo "<missing>")
    [ "$actual" = "$expected" ] || fail "$1 holds:
$actual
expected:
$expected"
}
