#!/usr/bin/env bash
# Runs a command in a fresh X server with a session bus and an AT-SPI accessibility bus and registry of
# its own, as a desktop with assistive technology has them; DISPLAY and DBUS_SESSION_BUS_ADDRESS are set
# for the command. Answers the command's exit status. Used by the window check under a real X server, the
# tests registered with X_SERVER (tests/CMakeLists.txt) and bench/benchmark --accessible.
#   tools/at-session.sh COMMAND [ARGUMENT...]
set -euo pipefail
scratch="$(mktemp -d)"
unset QT_QPA_PLATFORM
# The X server picks a free display itself and names it once it takes connections, so runs close
# together (or beside other checks) never meet a server that is still going away.
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$scratch/display" 2>"$scratch/xvfb.log" &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; wait $xvfb 2>/dev/null || true; rm -rf "$scratch"' EXIT
for _ in $(seq 100); do
    [ -s "$scratch/display" ] && break
    sleep 0.1
done
[ -s "$scratch/display" ] || { cat "$scratch/xvfb.log"; echo "the X server did not start" >&2; exit 1; }
export DISPLAY=":$(cat "$scratch/display")"

# X clients here must connect one at a time: this X server now and then refuses a connection that
# arrives at the same instant as another. So the accessibility bus and its registry (which holds a
# connection for device events) are up before the command starts.
status=0
dbus-run-session -- bash -c '
    /usr/libexec/at-spi-bus-launcher --launch-immediately & launcher=$!
    trap "kill \$launcher 2>/dev/null; wait \$launcher 2>/dev/null" EXIT
    address=""
    for _ in $(seq 100); do
        address=$(dbus-send --session --print-reply=literal --dest=org.a11y.Bus /org/a11y/bus \
                  org.a11y.Bus.GetAddress 2>/dev/null) && break
        sleep 0.1
    done
    read -r address <<< "$address"
    [ -n "$address" ] || { echo "the accessibility bus did not start" >&2; exit 1; }
    dbus-send --bus="$address" --print-reply --dest=org.a11y.atspi.Registry /org/a11y/atspi/registry \
        org.freedesktop.DBus.Peer.Ping > /dev/null || { echo "the AT-SPI registry did not start" >&2; exit 1; }
    "$@"
' at-session "$@" || status=$?
[ $status -eq 0 ] || { echo "X server log:"; cat "$scratch/xvfb.log"; }
exit $status
