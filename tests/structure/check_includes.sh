#!/usr/bin/env bash
# Checks how the sources depend on each other:
# - a file includes from its own folder of src/ and from the folders its CMakeLists.txt names
#   after USES, and from nothing else (so display never reaches into ui, for example);
# - a folder names after USES only folders it includes from;
# - no two files depend on each other through their includes, directly or round a longer
#   loop. A header and its source count as one unit: FrmDisp.cpp including ShowCycle.h while
#   ShowCycle.cpp includes FrmDisp.h is a loop between the two units.
#   check_includes.sh <src folder>
set -euo pipefail
src=$(cd "${1:?the src folder}" && pwd)
status=0
edges=$(mktemp)
trap 'rm -f "$edges"' EXIT

for list in "$src"/*/CMakeLists.txt; do
    folder=$(basename "$(dirname "$list")")
    uses=$(sed -n 's/.*zentrivo_subsystem([a-z]* *USES \([a-z ]*\)\( QT.*\)\?).*/\1/p' "$list")
    allowed=" $folder $uses "
    while IFS= read -r file; do
        unit=${file#"$src"/}
        unit=${unit%.*}
        while IFS= read -r included; do
            to=${included%%/*}
            [ -f "$src/$included" ] || continue # a Qt or system header
            case "$allowed" in
            *" $to "*) ;;
            *)
                echo "${file#"$src"/} includes $included, but $folder does not use $to"
                status=1
                ;;
            esac
            target=${included%.*}
            [ "$target" = "$unit" ] || echo "$unit $target" >>"$edges"
        done < <(sed -n 's/^#include "\([^"]*\)".*/\1/p' "$file")
    done < <(find "$src/$folder" -name '*.h' -o -name '*.cpp')
    for used in $uses; do
        grep -rqs "^#include \"$used/" "$src/$folder" ||
            { echo "$folder uses $used, but includes nothing from it"; status=1; }
    done
done

# tsort names the units of every loop it meets on its standard error.
if ! loops=$(sort -u "$edges" | tsort 2>&1 >/dev/null) || [ -n "$loops" ]; then
    echo "the includes go round in a loop:"
    echo "$loops"
    status=1
fi
[ $status -eq 0 ] && echo "includes follow the subsystems, with no loop"
exit $status
