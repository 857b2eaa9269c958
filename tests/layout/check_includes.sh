#!/usr/bin/env bash
# The product's include structure, read from its #include "..." lines; no
# build and no Wine. A unit is a header with the source of the same name.
# Fails when a source does not open with its own header (entry files
# excepted), when units include each other in a cycle, or when a folder
# includes one it may not: each folder includes only the folders below it.
#
#   check_includes.sh [SOURCE_DIR]
set -uo pipefail
cd "${1:-$(dirname "$0")/../..}" || exit 2

folders="app cleanup settings sysutil log res"
# What each folder may include besides itself.
declare -A allowed=(
    [app]="cleanup settings sysutil log res"
    [cleanup]="settings sysutil log res"
    [settings]="sysutil log res"
    [sysutil]="log res"
    [log]="res"
    [res]=""
)
entryFiles=" app/WinMain.cpp app/QuietTerminate.cpp "

problems=0
fail() { echo "$*"; problems=$((problems + 1)); }

edges=$(mktemp)
trap 'rm -f "$edges"' EXIT

for file in $(find $folders -name '*.cpp' -o -name '*.h' -o -name '*.rc' | sort); do
    unit=${file%.*}
    echo "$unit $unit" >>"$edges"
    first=""
    while read -r included; do
        target=${included%.*}
        [ -e "$included" ] || continue  # system and generated headers
        [ -z "$first" ] && first=$included
        echo "$unit $target" >>"$edges"
        from=${file%%/*} to=${included%%/*}
        [ "$from" = "$to" ] && continue
        case " ${allowed[$from]} " in
            *" $to "*) ;;
            *) fail "$file includes $included: $from/ may include only ${allowed[$from]:-nothing}" ;;
        esac
    done < <(sed -n 's/^#include "\([^"]*\)".*/\1/p' "$file")
    if [[ $file == *.cpp && $entryFiles != *" $file "* && $first != "$unit.h" ]]; then
        fail "$file does not open its includes with its own header $unit.h"
    fi
done

if ! tsort "$edges" >/dev/null 2>"$edges.loop"; then
    fail "units that include each other in a cycle:"
    sed -n 's/^tsort: //p' "$edges.loop" | grep -v 'input contains a loop' | sort -u
fi
rm -f "$edges.loop"

[ "$problems" -eq 0 ] && echo "no include cycle; every folder includes only the folders below it"
[ "$problems" -eq 0 ]
