#!/usr/bin/env bash
# Fails when a file names something of a layer above its own or beside it: an include of its header,
# a forward declaration of its type, or (below the command table) the window's or a control's name in
# a string, which a lower layer is handed as a value instead. The layers, bottom up:
# core/ < store/ < panes/, listops/, listfiles/ < commands/ < app/. panes/view/ is the pane's widget,
# above panes/. cli/ (brindlewick-cli) is a top layer beside app/ without widgets or panes; nothing
# names it.
# tests/, bench/, dist/ and tools/ stand beside the tree and may name any layer.
set -euo pipefail
cd "$(dirname "$0")/.."

layers="core store panes panes/view listops listfiles commands app cli"

allowed() {
    case "$1" in
        core) echo "core" ;;
        store) echo "core store" ;;
        panes) echo "core store panes" ;;
        panes/view) echo "core store panes panes/view" ;;
        listops) echo "core store listops" ;;
        listfiles) echo "core store listfiles" ;;
        commands) echo "core store listops listfiles commands" ;;
        app) echo "core store panes panes/view listops listfiles commands app" ;;
        cli) echo "core store listops listfiles commands cli" ;;
    esac
}

may_name() {
    [[ " $(allowed "$1") " == *" $2 "* ]]
}

# The layer that defines each class or struct at namespace level in its headers.
declare -A owner
for layer in $layers; do
    while IFS= read -r type; do owner[$type]=$layer; done < <(
        find "$layer" -maxdepth 1 -name '*.h' -exec sed -nE \
            's/^(class|struct)[[:space:]]+([A-Za-z_][A-Za-z0-9_]*)([[:space:]]+final)?[[:space:]]*([:{].*)?$/\2/p' {} +)
done

# The names the window and its controls go by, from the window's class and the command table's rows,
# without their numbers: Form1, ListView%1_ and PushButton19_Click are all caught.
control_names="$({ echo Form1; grep -oE '"[A-Z][A-Za-z]*[0-9]+"' commands/CommandTable.cpp | tr -d '"'; } |
    sed -E 's/[0-9]+$//' | sort -u | paste -sd '|')"

status=0
fail() {
    echo "$1" >&2
    status=1
}

for layer in $layers; do
    for file in $(find "$layer" -maxdepth 1 \( -name '*.h' -o -name '*.cpp' \) | sort); do
        while IFS= read -r included; do
            may_name "$layer" "$(dirname "$included")" ||
                fail "$file includes $included, a layer above or beside $layer/"
        done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\/[^"]*\)".*/\1/p' "$file")

        # Forward declarations, also those inside a parameter list ("class QWidget& window").
        while IFS= read -r type; do
            defined_in="${owner[$type]:-}"
            [ -n "$defined_in" ] && ! may_name "$layer" "$defined_in" &&
                fail "$file declares $type of $defined_in/, a layer above or beside $layer/"
        done < <(sed -nE -e 's/^[[:space:]]*(class|struct)[[:space:]]+([A-Za-z_][A-Za-z0-9_]*)[[:space:]]*;.*/\2/p' \
            -e 's/.*[(,][[:space:]]*(class|struct)[[:space:]]+([A-Za-z_][A-Za-z0-9_]*).*/\2/p' "$file" | sort -u)

        case "$layer" in commands | app) continue ;; esac
        # String literals outside comments (a comment starts at // after a space or at the line's start).
        while IFS= read -r line; do
            fail "$file spells a window or control name of the layers above: $line"
        done < <(sed -E 's#(^|[[:space:]])//.*##' "$file" | grep -nE "\"[^\"]*\\b($control_names)[0-9%]" || true)
    done
done
[ "$status" -eq 0 ] && echo "layers: no include, declaration or control name runs upward"
exit "$status"
