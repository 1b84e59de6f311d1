#!/usr/bin/env bash
# Checks a Debian package of Brindlewick as a user would get it: unpacked into a scratch folder, its
# desktop entry and metainfo pass their validators and agree on the application id, the icons are
# there, lintian finds no error, the program starts and shows its window, and the dependencies name
# the Qt 6 libraries.
set -euo pipefail
cd "$(dirname "$0")/.."
package="$1"
files="$(mktemp -d)"
trap 'rm -rf "$files"' EXIT
dpkg-deb -x "$package" "$files"
fail() { echo "package check: $*" >&2; exit 1; }

desktop=("$files"/usr/share/applications/*.desktop)
id="$(basename "${desktop[0]}" .desktop)"
metainfo="$files/usr/share/metainfo/$id.metainfo.xml"
[ ${#desktop[@]} -eq 1 ] && [ -f "$metainfo" ] || fail "expected one desktop entry and its metainfo"
desktop-file-validate "${desktop[0]}"
appstreamcli validate --no-net "$metainfo"
grep -q "^Icon=$id\$" "${desktop[0]}" || fail "the desktop entry's icon is not $id"
grep -q "<id>$id</id>" "$metainfo" || fail "the metainfo's id is not $id"
for icon in 32x32/apps/$id.png 48x48/apps/$id.png 128x128/apps/$id.png 256x256/apps/$id.png \
            scalable/apps/$id.svg; do
    [ -s "$files/usr/share/icons/hicolor/$icon" ] || fail "missing icon $icon"
done

# Debian's own checks of a package: an error fails, warnings are shown.
lintian --fail-on error --display-info "$package" || fail "lintian reports an error"

depends="$(dpkg-deb -f "$package" Depends)"
echo "Depends: $depends"
for library in libqt6core6 libqt6gui6 libqt6widgets6; do
    grep -q "\b$library\b" <<< "$depends" || fail "the dependencies do not name $library"
done

# The unpacked program shows its window. The X server takes one new connection at a time (see
# tools/at-session.sh), so the watcher connects first and waits on its one connection.
tools/at-session.sh bash -c '
    timeout 30 xdotool search --sync --onlyvisible --name "^Brindlewick\$" > "$2" & watcher=$!
    sleep 1
    "$1" & program=$!
    trap "kill \$program 2>/dev/null; wait \$program 2>/dev/null" EXIT
    wait $watcher || { echo "package check: no window titled Brindlewick" >&2; exit 1; }
    xwininfo -id "$(head -n 1 "$2")" | grep -E "xwininfo|Width|Height"
' package-check "$files/usr/bin/brindlewick" "$files/window"
echo "package: $(basename "$package") checked"

# brindlewick-cli from the unpacked package: its help, its manual pages, and one command, with no
# display and without Qt GUI.
cli="$files/usr/bin/brindlewick-cli"
[ -x "$cli" ] || fail "missing usr/bin/brindlewick-cli"
for page in brindlewick brindlewick-cli; do
    [ -s "$files/usr/share/man/man1/$page.1.gz" ] || fail "missing manual page $page.1.gz"
done
# Read whole before it is searched: grep -q stops reading at its match, and the help, written on into
# a closed pipe, would end in an error.
help="$(env -u DISPLAY -u WAYLAND_DISPLAY "$cli" --help)" || fail "brindlewick-cli --help failed"
grep -q "^Usage: brindlewick-cli COMMAND" <<< "$help" || fail "brindlewick-cli --help says no usage"
result="$(printf 'b\r\na\r\nb\r\n\r\n' | env -u DISPLAY -u WAYLAND_DISPLAY "$cli" dedupe-first -)"
[ "$result" = "$(printf 'b\na\n')" ] || fail "brindlewick-cli dedupe-first gave: $result"
if ldd "$cli" | grep -q libQt6Gui; then fail "brindlewick-cli links Qt GUI"; fi
echo "package: brindlewick-cli runs"
