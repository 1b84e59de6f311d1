#!/usr/bin/env bash
# Fails when a file includes a header from a layer above its own. The layers, bottom up:
# core/ < panes/ < listops/, listfiles/ < commands/ < app/. panes/view/ is the pane's widget, above
# panes/.
# tests/, bench/, dist/ and tools/ stand beside the tree and may include any layer.
set -euo pipefail
cd "$(dirname "$0")/.."

allowed() {
    case "$1" in
        core) echo "core" ;;
        panes) echo "core panes" ;;
        panes/view) echo "core panes panes/view" ;;
        listops) echo "core panes listops" ;;
        listfiles) echo "core panes listfiles" ;;
        commands) echo "core panes listops listfiles commands" ;;
        app) echo "core panes panes/view listops listfiles commands app" ;;
    esac
}

status=0
for layer in core panes panes/view listops listfiles commands app; do
    for file in $(find "$layer" -maxdepth 1 -name '*.h' -o -maxdepth 1 -name '*.cpp' | sort); do
        while IFS= read -r included; do
            target="$(dirname "$included")"
            ok=no
            for a in $(allowed "$layer"); do [ "$target" = "$a" ] && ok=yes; done
            if [ "$ok" = no ]; then
                echo "$file includes $included, a layer above or beside $layer/" >&2
                status=1
            fi
        done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\/[^"]*\)".*/\1/p' "$file")
    done
done
[ "$status" -eq 0 ] && echo "layers: no include runs upward"
exit "$status"
