#!/usr/bin/env bash
# glyphbdf against pcf2bdf on the same PCF file.
#
#   bench/bdf_reader.sh [--runs N] [--bin DIR] [PCF_FILE]
#
# Times `glyphbdf FILE > /dev/null` and `pcf2bdf FILE > /dev/null` in turn,
# N rounds (default 10), and prints the fastest and the median run of each
# and the ratio of the fastest: on a shared machine the fastest run is the
# one least disturbed. PCF_FILE defaults to Unifont's installed PCF
# (xfonts-unifont). Builds a Release glyphbdf in build-bench/ unless --bin DIR
# names a built one. Reports only; it judges no time.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/.." && pwd)
# shellcheck source=common.sh
. "$here/common.sh"
runs=10
bin=
font=/usr/share/fonts/X11/misc/unifont.pcf.gz
while (($#)); do
    case $1 in
        --runs) runs=$2; shift 2 ;;
        --bin) bin=$2; shift 2 ;;
        -h | --help) sed -n '2,12p' "$0"; exit 0 ;;
        *) font=$1; shift ;;
    esac
done
command -v pcf2bdf >/dev/null || { echo "bench: no pcf2bdf (package pcf2bdf)" >&2; exit 2; }
[[ -f $font ]] || { echo "bench: no $font (package xfonts-unifont)" >&2; exit 2; }
build=$(bench_programs "$bin" glyphbdf)

now() { date +%s%N; }
declare -a mine theirs
for ((i = 0; i < runs; i++)); do
    start=$(now)
    "$build/glyphbdf" "$font" >/dev/null
    mine+=($(($(now) - start)))
    start=$(now)
    pcf2bdf "$font" >/dev/null
    theirs+=($(($(now) - start)))
done
summary() { printf '%s\n' "$@" | sort -n | awk '{ t[NR] = $1 } END {
    printf "%8.4f s fastest %8.4f s median", t[1] / 1e9, t[int((NR + 1) / 2)] / 1e9 }'; }
fastest() { printf '%s\n' "$@" | sort -n | head -n 1; }
echo "$(basename "$font"), $runs runs each:"
echo "  glyphbdf $(summary "${mine[@]}")"
echo "  pcf2bdf  $(summary "${theirs[@]}")"
awk -v a="$(fastest "${mine[@]}")" -v b="$(fastest "${theirs[@]}")" \
    'BEGIN { printf "  ratio    %8.2f (glyphbdf / pcf2bdf, fastest runs)\n", a / b }'
