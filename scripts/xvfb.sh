# Sourced by the scripts that need a private X server (tests, screenshots,
# benchmarks). Processes they start go into "pids"; stop_started ends them,
# the last started first, so a program goes before its X server.

pids=()

# Starts Xvfb on the first free display and sets xvfb_display to it (":N").
#   start_xvfb 1280x1024 && export DISPLAY=$xvfb_display
start_xvfb() {
    local file
    file=$(mktemp)
    Xvfb -displayfd 3 -screen 0 "${1:-1280x1024}x24" -nolisten tcp 3>"$file" >/dev/null 2>&1 &
    pids+=($!)
    for _ in $(seq 1 200); do
        [ -s "$file" ] && break
        sleep 0.05
    done
    xvfb_display=":$(tr -d '[:space:]' <"$file")"
    rm -f "$file"
    [ "$xvfb_display" != ":" ] || { echo "Could not start Xvfb." >&2; return 1; }
}

stop_started() {
    local i
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        kill "${pids[i]}" 2>/dev/null || true
        wait "${pids[i]}" 2>/dev/null || true
    done
    pids=()
}
