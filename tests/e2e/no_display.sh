#!/usr/bin/env bash
# Started where there is no display, the program says plainly what is
# missing and exits with 1 (not Qt's abort with its advice to reinstall).
set -euo pipefail
bin=${WELCORA_BIN:?the folder of the built programs}
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
expect_plain_refusal() { # description, then the environment to start in
    local what=$1 status=0 output
    shift
    output=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$@" "$bin/welcora" 2>&1) || status=$?
    [ "$status" -eq 1 ] || fail "$what: exit status $status, expected 1; it said: $output"
    grep -q 'xvfb-run welcora' <<<"$output" || fail "$what: no plain advice; it said: $output"
    grep -qi 'reinstall' <<<"$output" && fail "$what: Qt's generic message came through: $output"
    echo "ok: $what: $output"
}
expect_plain_refusal "no DISPLAY"
expect_plain_refusal "a display that is not running" DISPLAY=:97
echo "PASS: no display, plainly said"
