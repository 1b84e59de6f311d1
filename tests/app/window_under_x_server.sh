#!/usr/bin/env bash
# Starts the built program in a real X server with accessibility on, on a session bus with an AT-SPI
# registry of its own. A real AT-SPI client (read_panes.py beside this script) reads and drives the panes;
# then the window's title and client area are checked. Fails when the client cannot read the panes.
set -euo pipefail
program="$1"
reader="$(cd "$(dirname "$0")" && pwd)/read_panes.py"
scratch="$(mktemp -d)"
unset QT_QPA_PLATFORM
# The X server picks a free display itself and names it once it takes connections, so runs close
# together (or beside other checks) never meet a server that is still going away.
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$scratch/display" 2>"$scratch/xvfb.log" &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; wait $xvfb 2>/dev/null; rm -rf "$scratch"' EXIT
for _ in $(seq 100); do
    [ -s "$scratch/display" ] && break
    sleep 0.1
done
[ -s "$scratch/display" ] || { cat "$scratch/xvfb.log"; echo "FAILED: the X server did not start"; exit 1; }
export DISPLAY=":$(cat "$scratch/display")"

# X clients here connect one at a time: this X server now and then refuses a connection that arrives
# at the same instant as another. So the accessibility bus and its registry (which holds a connection
# for the device events) are up before the program starts, and the window is inspected after.
dbus-run-session -- bash -c '
    set -u
    /usr/libexec/at-spi-bus-launcher --launch-immediately & bus=$!
    trap "kill \$bus 2>/dev/null; wait 2>/dev/null" EXIT
    address=""
    for _ in $(seq 100); do
        address=$(dbus-send --session --print-reply=literal --dest=org.a11y.Bus /org/a11y/bus \
                  org.a11y.Bus.GetAddress 2>/dev/null) && break
        sleep 0.1
    done
    dbus-send --bus="${address# }" --print-reply --dest=org.a11y.atspi.Registry /org/a11y/atspi/registry \
        org.freedesktop.DBus.Peer.Ping > /dev/null
    QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$1" & pid=$!
    trap "kill \$pid \$bus 2>/dev/null; wait 2>/dev/null" EXIT
    # The system Python, which has the Debian AT-SPI bindings.
    read=0
    /usr/bin/python3 "$2" "$(basename "$1")" || read=$?
    info=$(xwininfo -name Brindlewick 2>&1 || true)
    echo "$info"
    if ! grep -q "Width: 1064" <<< "$info" || ! grep -q "Height: 489" <<< "$info"; then
        echo "FAILED: no 1064 x 489 window named Brindlewick"
        exit 1
    fi
    echo "window found: 1064 x 489"
    exit $read
' window-check "$program" "$reader" || { status=$?; echo "X server log:"; cat "$scratch/xvfb.log"; exit $status; }
