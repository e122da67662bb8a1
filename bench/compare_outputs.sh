#!/usr/bin/env bash
# Runs two builds of the three programs on every font of the real-font suite,
# under every option set the suite uses, and reports any output, message or
# status that differs. Used to show that a faster build writes the same bytes.
#
#   bench/compare_outputs.sh OLD_BIN_DIR NEW_BIN_DIR [EXTRA_FONT...]
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/.." && pwd)
old=$1 new=$2
shift 2
cache=$(bash "$root/tests/integration/fetch_fonts.sh" | tail -n 1)
fonts=("$cache"/*.bdf "$root"/examples/*.bdf "$@")
runs=("glyphstout" "glyphstout -r" "glyphstout -L" "glyphstout -r -L" "glyphslope"
    "glyphstoutslope" "glyphstoutslope -r" "glyphstoutslope -L" "glyphstoutslope -r -L")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

differ=0 compared=0 bytes=0
for font in "${fonts[@]}"; do
    for run in "${runs[@]}"; do
        read -r tool opts <<<"$run"
        for side in old new; do
            dir=${!side}
            status=0
            # shellcheck disable=SC2086
            "$dir/$tool" $opts "$font" >"$work/$side.out" 2>"$work/$side.err" || status=$?
            echo "$status" >>"$work/$side.err"
        done
        compared=$((compared + 1))
        bytes=$((bytes + $(stat -c %s "$work/new.out")))
        if ! cmp -s "$work/old.out" "$work/new.out" || ! cmp -s "$work/old.err" "$work/new.err"; then
            echo "DIFFERENT: $run $(basename "$font")"
            differ=$((differ + 1))
        fi
    done
done
echo "compared $compared runs on ${#fonts[@]} fonts ($bytes bytes written): $differ differ"
[[ $differ -eq 0 ]]
