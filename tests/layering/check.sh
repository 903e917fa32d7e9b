#!/usr/bin/env bash
# Dependencies run one way. Each source folder lists the folders it may include from; anything else
# is reported, with the file and the include. The core (model, protocol, serial, the filter math of
# eq, unit, autoeq, remote, library) never includes Qt, and no tool includes the GUI.
set -u
root="$1"
src="$root/src"
status=0

core="model protocol serial eq unit autoeq remote library"
declare -A allowed=(
    [model]="model"
    [protocol]="model protocol"
    [serial]="model protocol serial"
    [eq]="model eq"
    [unit]="model protocol serial eq unit"
    [autoeq]="model eq autoeq"
    [library]="model eq library"
    [remote]="$core"
    [platform]="$core platform"
    [controls]="$core platform controls"
    [eqgui]="$core platform controls eq"
    [pages]="$core platform controls eq pages"
    [app]="$core platform controls eq pages app virtual_unit"
    [tools]="$core virtual_unit cli"
)

# check <folder key> <files...>
check() {
    local key="$1"
    shift
    local file inc dir
    for file in "$@"; do
        [ -f "$file" ] || continue
        while IFS= read -r inc; do
            dir="${inc%%/*}"
            if [[ " ${allowed[$key]} " != *" $dir "* ]]; then
                echo "${file#"$root"/}: includes \"$inc\" (a $key file may include from: ${allowed[$key]})"
                status=1
            fi
        done < <(sed -n 's/^[[:space:]]*#include "\([a-z_]*\/[^"]*\)".*/\1/p' "$file")
    done
}

shopt -s nullglob
for dir in model protocol serial unit autoeq remote library platform controls pages app; do
    check "$dir" "$src/$dir"/*.h "$src/$dir"/*.cpp
done
# eq holds the core's filter math and, in CFStatic, the GUI's response graph.
core_eq=()
gui_eq=()
for f in "$src"/eq/*.h "$src"/eq/*.cpp; do
    case "$(basename "$f")" in
        CFStatic*) gui_eq+=("$f") ;;
        *) core_eq+=("$f") ;;
    esac
done
check eq "${core_eq[@]}"
check eqgui "${gui_eq[@]}"
check tools "$root"/tools/*/*.h "$root"/tools/*/*.cpp

# The core never includes Qt.
for dir in $core; do
    for f in "$src/$dir"/*.h "$src/$dir"/*.cpp; do
        [[ "$f" == */eq/CFStatic* ]] && continue
        if grep -q -E '#include <Q[A-Za-z]' "$f"; then
            echo "${f#"$root"/}: the core includes Qt"
            status=1
        fi
    done
done
exit $status
