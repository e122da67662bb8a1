#!/usr/bin/env bash
# glyphfamily against the same work done one step after another.
#
#   bench/family.sh [--runs N] [--bin DIR] [--tiny] [FONT_NAME]
#
# Times `glyphfamily -o DIR FONT` (all formats) against the shell script that
# `glyphfamily -n` prints for the same font: the same filters and converters,
# run one after another. FONT_NAME is a font of tests/integration/fonts.txt
# without its suffix (default: unifont), fetched through the integration
# suite's fetch_fonts.sh; --tiny takes the sample font instead (no fonts
# fetched), to check that the bench works. Builds Release programs in
# build-bench/ unless --bin DIR names built ones. Prints the median of each
# and their ratio; with two or more processors, exits 1 when glyphfamily takes
# more than 0.7 of the one-after-another time. Run it on a quiet machine.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/.." && pwd)
# shellcheck source=common.sh
. "$here/common.sh"
runs=5
bin=
tiny=0
name=unifont
while (($#)); do
    case $1 in
        --runs) runs=$2; shift 2 ;;
        --bin) bin=$2; shift 2 ;;
        --tiny) tiny=1; shift ;;
        -h | --help) sed -n '2,15p' "$0"; exit 0 ;;
        *) name=$1; shift ;;
    esac
done

for tool in bdftopcf mkfontdir gzip; do
    command -v "$tool" >/dev/null || { echo "bench: no $tool (package xfonts-utils)" >&2; exit 2; }
done
build=$(bench_programs "$bin" glyphstout glyphslope glyphstoutslope glyphfamily)
if ((tiny)); then
    font=$root/examples/sample-8x16.bdf
else
    font=$(bench_fonts "$name")
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export PATH="$build:$PATH"
# The plan, as the shell script a person would otherwise write.
glyphfamily -n -o "$work/seq" "$font" >"$work/plan.sh"
now() { date +%s.%N; }
elapsed() { awk -v a="$1" -v b="$(now)" 'BEGIN { printf "%.4f", b - a }'; }
one_after_another() {
    rm -rf "$work/seq" && mkdir -p "$work/seq/bdf" "$work/seq/pcf" "$work/seq/otb"
    bash -e "$work/plan.sh"
}
family() {
    rm -rf "$work/fam"
    glyphfamily -o "$work/fam" "$font" >/dev/null
}

# Warm-up runs fill the page cache; each round then takes both in turn.
family
one_after_another
seq_times=()
fam_times=()
for ((round = 0; round < runs; ++round)); do
    start=$(now); one_after_another; seq_times+=("$(elapsed "$start")")
    start=$(now); family; fam_times+=("$(elapsed "$start")")
done
# Both ways must have made the same files; the OpenType files differ in
# the converter's time stamps alone.
for folder in bdf pcf; do
    diff -r "$work/seq/$folder" "$work/fam/$folder" >/dev/null ||
        { echo "bench: the two ways made different files in $folder/" >&2; exit 2; }
done
(cd "$work/seq/otb" && ls) | cmp -s - <(cd "$work/fam/otb" && ls) ||
    { echo "bench: the two ways made different OpenType files" >&2; exit 2; }

median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
seq_median=$(median "${seq_times[@]}")
fam_median=$(median "${fam_times[@]}")
ratio=$(awk -v f="$fam_median" -v s="$seq_median" 'BEGIN { printf "%.3f", f / s }')
processors=$(nproc)
printf 'font %s, %d runs, %d processors\n' "$(basename "$font")" "$runs" "$processors"
printf '  %-24s %8.3f s\n' "one after another" "$seq_median" "glyphfamily" "$fam_median"
printf '  %-24s %8s\n' "ratio" "$ratio"
if ((processors >= 2 && !tiny)) && awk -v r="$ratio" 'BEGIN { exit !(r > 0.7) }'; then
    echo "bench: target missed: glyphfamily takes $ratio of the one-after-another time (at most 0.7)" >&2
    exit 1
fi
