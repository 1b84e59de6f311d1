#!/usr/bin/env bash
# Starts the built program in a real X server and checks its window's title and client area, then
# one paste through the system clipboard.
set -euo pipefail
program="$1"
unset QT_QPA_PLATFORM
exec xvfb-run -a -s "-screen 0 1280x800x24" bash -c '
    "$1" & pid=$!
    info=""
    for _ in $(seq 300); do
        info=$(xwininfo -name Brindlewick 2>/dev/null) && break
        sleep 0.1
    done
    echo "$info"
    status=1
    grep -q "Width: 1064" <<< "$info" && grep -q "Height: 489" <<< "$info" && echo "window found: 1064 x 489" && status=0

    # Paste: xclip holds a text, Ctrl+V in List 1 pastes it; Ctrl+Shift+C copies the pane back, and
    # xclip reads what the window now holds.
    pasted=1
    if [ "$status" -eq 0 ]; then
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
    fi

    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    [ "$status" -eq 0 ] && [ "$pasted" -eq 0 ]
' window-check "$program"
