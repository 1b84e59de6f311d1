#!/usr/bin/env bash
# Starts the built program in a real X server under a window manager that frames windows with a title
# bar (twm), with accessibility on and a session bus and AT-SPI registry of its own. A real AT-SPI client
# (read_panes.py beside this script) reads and drives the panes, leaving List 1 empty; then the window's
# title, its client area and that its frame is centred on the screen are checked, one paste through
# the system clipboard with the result line and count it leaves, its undo, a clipboard owner that
# stops answering, answers to AT-SPI questions while a second program loads a long list, a second start
# that loads a file and the result line it leaves, a long command stopped with Escape, and the captions'
# contrast on a dark desktop theme.
# Fails when the client cannot read the panes.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
twmrc="$(mktemp)"
trap 'rm -f "$twmrc"' EXIT
# Windows go where they ask to be, without the manager asking the user to place them.
printf 'UsePPosition "on"\nNoGrabServer\n' > "$twmrc"
"$here/../../tools/at-session.sh" bash -c '
    # X clients connect one after another here (see tools/at-session.sh): the manager, the program, and
    # the inspecting tools only once the AT-SPI client has seen the program.
    LC_ALL=C twm -f "$3" 2>/dev/null & wm=$!
    sleep 1
    QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$1" & pid=$!
    trap "kill \$pid \$wm 2>/dev/null; wait \$pid 2>/dev/null" EXIT
    read=0
    # The system Python, which has the Debian AT-SPI bindings. It waits for the program to appear.
    /usr/bin/python3 "$2" "$(basename "$1")" || read=$?

    info=$(xwininfo -name Brindlewick 2>&1 || true)
    echo "$info"
    wid=$(sed -n "s/.*Window id: \(0x[0-9a-f]*\).*/\1/p" <<< "$info")
    status=1
    grep -q "Width: 1064" <<< "$info" && grep -q "Height: 489" <<< "$info" && echo "window found: 1064 x 489" && status=0

    # The outermost window below the root: the manager'"'"'s frame, or the window itself when unframed.
    frame() {
        local id="$wid" parent
        while parent=$(xwininfo -tree -id "$id" | sed -n "s/.*Parent window id: \(0x[0-9a-f]*\).*/\1/p") &&
              [ -n "$parent" ] && ! xwininfo -tree -id "$parent" | grep -q "Parent window id: 0x0"; do
            id=$parent
        done
        xwininfo -id "$id"
    }
    centred=1
    for _ in $(seq 50); do
        [ "$status" -eq 0 ] || break
        outer=$(frame)
        x=$(sed -n "s/.*Absolute upper-left X: *\(-\?[0-9]*\).*/\1/p" <<< "$outer")
        y=$(sed -n "s/.*Absolute upper-left Y: *\(-\?[0-9]*\).*/\1/p" <<< "$outer")
        w=$(sed -n "s/.*Width: *\([0-9]*\).*/\1/p" <<< "$outer")
        h=$(sed -n "s/.*Height: *\([0-9]*\).*/\1/p" <<< "$outer")
        b=$(sed -n "s/.*Border width: *\([0-9]*\).*/\1/p" <<< "$outer")
        # The upper-left corner is the border'"'"'s; the centre of the whole frame against the screen'"'"'s.
        dx=$(( 2 * x + w + 2 * b - 1280 )); dy=$(( 2 * y + h + 2 * b - 800 ))
        if [ "${dx#-}" -le 2 ] && [ "${dy#-}" -le 2 ]; then
            echo "frame ${w}x$h at $x,$y, border $b: centred on the screen"
            centred=0
            break
        fi
        sleep 0.1
    done
    [ "$centred" -eq 0 ] || echo "frame not centred: ${w:-?}x${h:-?} at ${x:-?},${y:-?}, border ${b:-?}"

    # Paste: xclip holds a text, Ctrl+V in List 1 pastes it; Ctrl+Shift+C copies the pane back, and
    # xclip reads what the window now holds.
    pasted=1
    if [ "$status" -eq 0 ]; then
        printf "alpha\r\nbeta\n\ngamma" | xclip -selection clipboard -i
        xdotool mousemove --window "$wid" 200 80 click 1 key ctrl+v
        for _ in $(seq 50); do
            xdotool key ctrl+shift+c
            sleep 0.1
            if [ "$(xclip -selection clipboard -o | od -An -c | tr -s " ")" = "$(printf "alpha\nbeta\n\ngamma\n" | od -An -c | tr -s " ")" ]; then
                echo "pasted through the X clipboard and copied back: alpha, beta, (blank), gamma"
                /usr/bin/python3 "$2" "$(basename "$1")" --result "Paste: 4 items added to List 1" --count "4 items" &&
                    pasted=0
                break
            fi
        done
        [ "$pasted" -eq 0 ] || echo "paste through the X clipboard failed; the clipboard holds: $(xclip -selection clipboard -o | od -c | head -5)"
    fi
    # A program that holds the clipboard and stops answering never holds the window (List 1 is
    # empty again first).
    hung=1
    if [ "$pasted" -eq 0 ]; then
        xdotool key ctrl+z
        /usr/bin/python3 "$2" "$(basename "$1")" --result "Undo in List 1: 4 items taken out" --count "0 items" &&
            /usr/bin/python3 "$2" "$(basename "$1")" --hung-clipboard && hung=0
    fi

    # Answers during a long load: a second program loads a generated list of 2,000,000 lines given on
    # its command line while the AT-SPI client asks it questions.
    during=1
    if [ "$status" -eq 0 ]; then
        list=$(mktemp)
        seq -f "line %.0f of the generated list that the load check reads" 2000000 > "$list"
        /usr/bin/python3 "$2" "$(basename "$1")" --during-load "$1" "$list" 2000000 && during=0
        rm -f "$list"
    fi
    # A load, as the Load button loads a chosen file: a second start with a file named on its command line;
    # the header names the file.
    loaded=1
    kill $pid 2>/dev/null; wait $pid 2>/dev/null || true
    QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$1" "$4" & pid=$!
    /usr/bin/python3 "$2" "$(basename "$1")" --result "Load: 2 items added to List 1 from 1 file" --count "2 items · first.txt" &&
        loaded=0
    # The list tools and the compare options of the panes'"'"' context menus, against an oracle, the list
    # tools clicked in the menu twice in a row, and a save while a command is pressed beneath its dialog.
    menus=1
    /usr/bin/python3 "$2" "$(basename "$1")" --menus && menus=0
    # A long command stopped: a third start loads a generated list of 20,000,000 items, each text twice,
    # its dedupe is stopped with Escape while it runs, and the list saved is the file again.
    stopped=1
    kill $pid 2>/dev/null; wait $pid 2>/dev/null || true
    big=$(mktemp)
    { seq 10000000; seq 10000000; } | sed "s/\$/\r/" > "$big"
    QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$1" "$big" & pid=$!
    /usr/bin/python3 "$2" "$(basename "$1")" --stop "$big" "20,000,000 items" && stopped=0
    rm -f "$big"
    # On a dark desktop (Qt'"'"'s GTK platform theme, Adwaita dark) the white window still shows dark
    # captions: a screenshot measures each caption against its button.
    kill $pid 2>/dev/null; wait $pid 2>/dev/null || true
    QT_QPA_PLATFORMTHEME=gtk3 GTK_THEME=Adwaita:dark QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$1" & pid=$!
    dark=0
    /usr/bin/python3 "$(dirname "$2")/caption_contrast.py" "$(basename "$1")" || dark=$?

    [ "$read" -eq 0 ] && [ "$status" -eq 0 ] && [ "$centred" -eq 0 ] && [ "$pasted" -eq 0 ] && [ "$hung" -eq 0 ] &&
        [ "$during" -eq 0 ] && [ "$loaded" -eq 0 ] && [ "$menus" -eq 0 ] && [ "$stopped" -eq 0 ] && [ "$dark" -eq 0 ]
' window-check "$1" "$here/read_panes.py" "$twmrc" "$here/../data/listfiles/first.txt"
