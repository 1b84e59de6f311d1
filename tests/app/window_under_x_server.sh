#!/usr/bin/env bash
# Starts the built program in a real X server and checks its window's title and client area.
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
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    echo "$info"
    grep -q "Width: 1064" <<< "$info" && grep -q "Height: 489" <<< "$info" && echo "window found: 1064 x 489"
' window-check "$program"
