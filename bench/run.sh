#!/usr/bin/env bash
# Whole-process speed of the three programs against `cat FONT > /dev/null`.
#
#   bench/run.sh [--runs N] [--bin DIR] [--baseline DIR] [--tiny] [FONT_NAME...]
#
# Builds Release programs in build-bench/, gets the real fonts through the
# integration suite's fetch_fonts.sh, times every program and `cat` on each
# font in one run, prints a table of medians and ratios with peak memory, and
# exits 1 when a target is missed (the targets are listed in report.py).
# FONT_NAME is a font of tests/integration/fonts.txt without its suffix; the
# default set is Unifont, the largest CJK font, two fonts with wide glyphs and
# a proportional font. --tiny times the sample font only (no fonts fetched):
# the check that the bench itself works. --bin DIR times the programs built in
# DIR instead of building them; --baseline DIR times the programs in DIR
# beside the new ones. Time it on a quiet machine: nothing else running.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/.." && pwd)
# shellcheck source=common.sh
. "$here/common.sh"

runs=11
bin=
baseline=()
tiny=0
names=()
while (($#)); do
    case $1 in
        --runs) runs=$2; shift 2 ;;
        --bin) bin=$2; shift 2 ;;
        --baseline) baseline=(--baseline "$2"); shift 2 ;;
        --tiny) tiny=1; shift ;;
        -h | --help) sed -n '2,17p' "$0"; exit 0 ;;
        *) names+=("$1"); shift ;;
    esac
done

build=$(bench_programs "$bin" glyphstout glyphslope glyphstoutslope)

sample=$root/examples/sample-8x16.bdf
if ((tiny)); then
    fonts=("$sample")
else
    ((${#names[@]})) || names=(unifont wenquanyi_9pt jiskan24 ter-u32b_unicode timR24)
    mapfile -t fonts < <(bench_fonts "${names[@]}")
    ((${#fonts[@]} == ${#names[@]})) || exit 2
fi

python3 "$here/report.py" --bin "$build" --runs "$runs" --small "$sample" "${baseline[@]}" "${fonts[@]}"
