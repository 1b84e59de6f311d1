#!/usr/bin/env bash
# Starts the built program in a real X server and checks its window's title and client area. Then, with
# accessibility on and a session bus and AT-SPI registry of its own, a real AT-SPI client reads and drives
# the panes (read_panes.py beside this script); the check fails when it cannot read them.
set -euo pipefail
program="$1"
reader="$(cd "$(dirname "$0")" && pwd)/read_panes.py"
unset QT_QPA_PLATFORM
exec xvfb-run -a -s "-screen 0 1280x800x24" dbus-run-session -- bash -c '
    set -u
    /usr/libexec/at-spi-bus-launcher --launch-immediately & bus=$!
    QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$1" & pid=$!
    trap "kill \$pid \$bus 2>/dev/null; wait 2>/dev/null" EXIT
    info=""
    for _ in $(seq 300); do
        info=$(xwininfo -name Brindlewick 2>/dev/null) && break
        sleep 0.1
    done
    echo "$info"
    if ! grep -q "Width: 1064" <<< "$info" || ! grep -q "Height: 489" <<< "$info"; then
        echo "FAILED: no 1064 x 489 window named Brindlewick"
        exit 1
    fi
    echo "window found: 1064 x 489"
    # The system Python, which has the Debian AT-SPI bindings.
    /usr/bin/python3 "$2" "$(basename "$1")"
' window-check "$program" "$reader"
