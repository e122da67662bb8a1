#!/usr/bin/env bash
# Smoke fuzzing for CI: builds the libFuzzer harnesses (the three filters',
# glyphfamily's font reader's, and glyphpreview's, glyphbdf's and the OpenType
# writer's when FreeType is installed) with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer in BUILD_DIR, then runs each for about a minute
# (FUZZ_SECONDS) on a scratch copy of the seed and regression corpora. Any
# crash, sanitizer report, timeout, memory blow-up or broken property fails
# the script; the inputs at fault are copied to BUILD_DIR/fuzz-findings/.
set -euo pipefail

if [ $# -ne 1 ]; then
    echo "usage: $0 BUILD_DIR_FOR_FUZZ" >&2
    exit 2
fi
build=$1
src=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
seconds=${FUZZ_SECONDS:-60}
tools="glyphstout glyphslope glyphstoutslope bdf_font"

cmake -S "$src" -B "$build" -DGLYPH_FUZZ=ON -DGLYPH_TESTS=OFF \
    -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo
if cmake --build "$build" --target help | grep 'fuzz_glyphpreview' >/dev/null; then
    tools="$tools glyphpreview"
fi
if cmake --build "$build" --target help | grep 'fuzz_otb_writer' >/dev/null; then
    tools="$tools otb_writer"
fi
if cmake --build "$build" --target help | grep 'fuzz_glyphbdf' >/dev/null; then
    tools="$tools glyphbdf"
fi
targets=()
for tool in $tools; do
    targets+=("fuzz_$tool")
done
cmake --build "$build" -j2 --target "${targets[@]}"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
findings="$build/fuzz-findings"
failed=0
for tool in $tools; do
    mkdir -p "$work/$tool/corpus" "$work/$tool/artifacts"
    # The preview's own finds are fonts of huge cells: as seeds of the
    # filters' harnesses they soon grow glyph boxes that take longer than the
    # time limit under the sanitizers, which is no fault of the filters.
    corpora=("$src/fuzz/corpus/seed" "$src/fuzz/corpus/regression")
    if [ "$tool" = glyphpreview ]; then corpora+=("$src/fuzz/corpus/preview"); fi
    # glyphbdf reads binary font files: BDF text is no seed of its.
    dict=(-dict="$src/fuzz/bdf.dict")
    if [ "$tool" = glyphbdf ]; then
        corpora=("$src/fuzz/corpus/fonts")
        dict=()
    fi
    find "${corpora[@]}" -type f -exec cp {} "$work/$tool/corpus/" \;
    log="$work/$tool/log"
    if "$build/fuzz/fuzz_$tool" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -max_len=12000 "${dict[@]}" -artifact_prefix="$work/$tool/artifacts/" \
        "$work/$tool/corpus" >"$log" 2>&1; then
        echo "fuzz_$tool: no finding; $(grep -E '^#[0-9]+.*DONE' "$log" | tail -n 1)"
    else
        failed=1
        echo "fuzz_$tool: FINDING"
        grep -E 'PROPERTY VIOLATED|ERROR:|runtime error|SUMMARY|^    #[0-9]+ ' "$log" | head -n 40
        mkdir -p "$findings/$tool"
        find "$work/$tool/artifacts" -type f -exec cp {} "$findings/$tool/" \;
        echo "inputs kept in $findings/$tool"
    fi
done
exit $failed
