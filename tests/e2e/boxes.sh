# What a message box says, read as an operator would copy it: Ctrl+C in the
# box that has the keyboard, then the clipboard (xclip). Sourced by the
# end-to-end runs on both platforms.

# Succeeds once the box says $1 (a few tries: the copy may take a moment);
# leaves what it last read in $box_text.
box_says() { # text
    box_text=
    for _ in $(seq 1 20); do
        xdotool key ctrl+c
        sleep 0.2
        box_text=$(timeout 5 xclip -selection clipboard -o 2>/dev/null || true)
        [[ $box_text == *"$1"* ]] && return 0
    done
    return 1
}
