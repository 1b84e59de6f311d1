#!/usr/bin/env bash
# Starts the built program in a real X server under a window manager that frames windows with a title
# bar (twm), and checks the window's title, its client area and that its frame is centred on the screen.
set -euo pipefail
program="$1"
unset QT_QPA_PLATFORM
twmrc="$(mktemp)"
trap 'rm -f "$twmrc"' EXIT
# Windows go where they ask to be, without the manager asking the user to place them.
printf 'UsePPosition "on"\nNoGrabServer\n' > "$twmrc"
xvfb-run -a -s "-screen 0 1280x800x24" bash -c '
    LC_ALL=C twm -f "$2" 2>/dev/null & wm=$!
    sleep 1
    "$1" & pid=$!
    info=""
    for _ in $(seq 300); do
        info=$(xwininfo -name Brindlewick 2>/dev/null) && break
        sleep 0.1
    done
    # The outermost window below the root: the manager'"'"'s frame, or the window itself when unframed.
    frame() {
        local id parent
        id=$(sed -n "s/.*Window id: \(0x[0-9a-f]*\).*/\1/p" <<< "$info")
        while parent=$(xwininfo -tree -id "$id" | sed -n "s/.*Parent window id: \(0x[0-9a-f]*\).*/\1/p") &&
              ! xwininfo -tree -id "$parent" | grep -q "Parent window id: 0x0"; do
            [ -n "$parent" ] || break
            id=$parent
        done
        xwininfo -id "$id"
    }
    centred=no
    for _ in $(seq 50); do
        outer=$(frame)
        x=$(sed -n "s/.*Absolute upper-left X: *\(-\?[0-9]*\).*/\1/p" <<< "$outer")
        y=$(sed -n "s/.*Absolute upper-left Y: *\(-\?[0-9]*\).*/\1/p" <<< "$outer")
        w=$(sed -n "s/.*Width: *\([0-9]*\).*/\1/p" <<< "$outer")
        h=$(sed -n "s/.*Height: *\([0-9]*\).*/\1/p" <<< "$outer")
        b=$(sed -n "s/.*Border width: *\([0-9]*\).*/\1/p" <<< "$outer")
        # The upper-left corner is the border'"'"'s; the centre of the whole frame against the screen'"'"'s.
        dx=$(( 2 * x + w + 2 * b - 1280 )); dy=$(( 2 * y + h + 2 * b - 800 ))
        if [ "${dx#-}" -le 2 ] && [ "${dy#-}" -le 2 ]; then centred=yes; break; fi
        sleep 0.1
    done
    kill "$pid" "$wm" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    echo "$info"
    echo "frame: $x,$y ${w}x$h border $b"
    grep -q "Width: 1064" <<< "$info" && grep -q "Height: 489" <<< "$info" && echo "window found: 1064 x 489" &&
        [ "$centred" = yes ] && echo "frame centred on the screen"
' window-check "$program" "$twmrc"
