#!/usr/bin/env bash
# Starts the built program in a real X server with accessibility on, on a session bus and AT-SPI registry
# of its own. A real AT-SPI client (read_panes.py beside this script) reads and drives the panes, leaving
# List 1 empty; then the window's title and client area are checked, and one paste through the system
# clipboard. Fails when the client cannot read the panes.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
exec "$here/../../tools/at-session.sh" bash -c '
    QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$1" & pid=$!
    trap "kill \$pid 2>/dev/null; wait \$pid 2>/dev/null" EXIT
    read=0
    # The system Python, which has the Debian AT-SPI bindings. It waits for the program to appear.
    /usr/bin/python3 "$2" "$(basename "$1")" || read=$?
    # Only now: a second X client connecting while the program starts could cost the program its own.
    info=$(xwininfo -name Brindlewick 2>&1 || true)
    echo "$info"
    if ! grep -q "Width: 1064" <<< "$info" || ! grep -q "Height: 489" <<< "$info"; then
        echo "FAILED: no 1064 x 489 window named Brindlewick"
        exit 1
    fi
    echo "window found: 1064 x 489"

    # Paste: xclip holds a text, Ctrl+V in List 1 pastes it; Ctrl+Shift+C copies the pane back, and
    # xclip reads what the window now holds.
    pasted=1
    printf "alpha\r\nbeta\n\ngamma" | xclip -selection clipboard -i
    wid=$(xdotool search --name "^Brindlewick$" | head -1)
    xdotool mousemove --window "$wid" 200 80 click 1 key ctrl+v
    for _ in $(seq 50); do
        xdotool key ctrl+shift+c
        sleep 0.1
        if [ "$(xclip -selection clipboard -o | od -An -c | tr -s " ")" = "$(printf "alpha\nbeta\n\ngamma\n" | od -An -c | tr -s " ")" ]; then
            echo "pasted through the X clipboard and copied back: alpha, beta, (blank), gamma"
            pasted=0
            break
        fi
    done
    [ "$pasted" -eq 0 ] || echo "paste through the X clipboard failed; the clipboard holds: $(xclip -selection clipboard -o | od -c | head -5)"
    [ "$read" -eq 0 ] && [ "$pasted" -eq 0 ]
' window-check "$1" "$here/read_panes.py"
