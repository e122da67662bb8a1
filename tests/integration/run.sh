#!/usr/bin/env bash
# The real-font integration suite.
#
#   tests/integration/run.sh [BUILD_DIR]              the whole suite
#   tests/integration/run.sh --self-test [BUILD_DIR]  proves that the checks catch broken output
#
# BUILD_DIR (default: build, relative to the source tree) holds the built
# glyphstout, glyphslope and glyphstoutslope. The suite fetches and caches the
# fonts of fonts.txt (fetch_fonts.sh), builds the FreeType checker, runs every
# program on every font (glyphstout and glyphstoutslope with the default
# options, -r, -L and -r -L, and with -w; glyphslope with the default options,
# -b and -b -s 6; glyphstoutslope -b -w; glyphstout -w -a and glyphstoutslope
# -b -w -a, compared with the same runs without -a) and checks each font written:
#   bdftopcf compiles it with nothing on stderr; bdfresize reads it with nothing
#   on stderr; FreeType loads it and renders every glyph (ft_check), with the
#   boxes, advances and pixels written; the compiled font decompiled again by
#   pcf2bdf has the same glyphs and pixels; and the structural invariants of
#   check_invariants.py hold.
# It prints every failure, a summary table and the time taken, and exits 1 on
# any failure.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../.." && pwd)

# The runs of every font: program and options, and a short tag for file names.
# glyphslope comes first: the glyphstoutslope checks compare with its output.
RUNS=(
    "glyphslope||slope"
    "glyphslope|-b|slope-b"
    "glyphslope|-b -s 6|slope-b-s6"
    "glyphstout||stout"
    "glyphstout|-r|stout-r"
    "glyphstout|-L|stout-L"
    "glyphstout|-r -L|stout-rL"
    "glyphstoutslope||stoutslope"
    "glyphstoutslope|-r|stoutslope-r"
    "glyphstoutslope|-L|stoutslope-L"
    "glyphstoutslope|-r -L|stoutslope-rL"
    "glyphstout|-w|stout-w"
    "glyphstoutslope|-w -r|stoutslope-wr"
    "glyphstoutslope|-b -w|stoutslope-bw"
    "glyphstout|-w -a|stout-wa"
    "glyphstoutslope|-b -w -a|stoutslope-bwa"
)

# One result line: font, run, check, ok or FAIL, failures, message.
record() {
    local results=$1 font=$2 run=$3 check=$4 ok=$5 message=${6:-}
    message=${message//$'\t'/ }
    if [[ $ok == ok ]]; then
        printf '%s\t%s\t%s\tok\t0\t\n' "$font" "$run" "$check" >>"$results"
    else
        printf '%s\t%s\t%s\tFAIL\t1\t%s\n' "$font" "$run" "$check" "$message" >>"$results"
        printf 'FAIL [%s] font=%s run="%s": %s\n' "$check" "$font" "$run" "$message"
    fi
}

# Stderr of a consumer as one line for a message.
first_lines() {
    head -c 300 "$1" | tr '\n' ' '
}

# Runs a program on a font and the consumers on what it wrote, leaving in DIR
# the files that check_invariants.py compares (TAG.bdf, TAG.rt.bdf, TAG.ft,
# TAG.pcf.ft).
#   run_consumers FONT TOOL OPTS TAG INPUT DIR [GIVEN_OUTPUT]
# With GIVEN_OUTPUT the program is not run: that file is checked as TAG.bdf.
run_consumers() {
    local font=$1 tool=$2 opts=$3 tag=$4 input=$5 dir=$6 given=${7:-}
    local run="$tool${opts:+ $opts}"
    local results=$dir/results.tsv
    local out=$dir/$tag.bdf
    local glyphs
    glyphs=$(grep -c '^STARTCHAR' "$input" || true)
    rm -f "$dir/$tag".*

    if [[ -n $given ]]; then
        cp "$given" "$out"
    else
        local status=0
        # shellcheck disable=SC2086
        "$GF_BUILD/$tool" $opts "$input" >"$out" 2>"$dir/$tag.tool.err" || status=$?
        if [[ $status -ne 0 || -s $dir/$tag.tool.err ]]; then
            record "$results" "$font" "$run" tool FAIL "status $status: $(first_lines "$dir/$tag.tool.err")"
            rm -f "$out"
            return
        fi
        record "$results" "$font" "$run" tool ok
    fi

    local pcf=$dir/$tag.pcf
    if bdftopcf -o "$pcf" "$out" 2>"$dir/$tag.bdftopcf.err" && [[ ! -s $dir/$tag.bdftopcf.err ]]; then
        record "$results" "$font" "$run" bdftopcf ok
    else
        record "$results" "$font" "$run" bdftopcf FAIL "$(first_lines "$dir/$tag.bdftopcf.err")"
    fi

    if bdfresize -f 1 "$out" >/dev/null 2>"$dir/$tag.bdfresize.err" && [[ ! -s $dir/$tag.bdfresize.err ]]; then
        record "$results" "$font" "$run" bdfresize ok
    else
        record "$results" "$font" "$run" bdfresize FAIL "status or stderr: $(first_lines "$dir/$tag.bdfresize.err")"
    fi

    # FreeType counts one default glyph more than the font holds.
    if "$GF_FT" --glyphs $((glyphs + 1)) --dump "$dir/$tag.ft" "$out" 2>"$dir/$tag.ft.err"; then
        if [[ ! -s $pcf ]]; then
            record "$results" "$font" "$run" freetype ok
        elif "$GF_FT" --glyphs $((glyphs + 1)) --dump "$dir/$tag.pcf.ft" "$pcf" 2>>"$dir/$tag.ft.err"; then
            record "$results" "$font" "$run" freetype ok
        else
            record "$results" "$font" "$run" freetype FAIL "compiled font: $(first_lines "$dir/$tag.ft.err")"
            rm -f "$dir/$tag.pcf.ft"
        fi
    else
        record "$results" "$font" "$run" freetype FAIL "$(first_lines "$dir/$tag.ft.err")"
        rm -f "$dir/$tag.ft"
    fi

    if [[ -s $pcf ]]; then
        if pcf2bdf -o "$dir/$tag.rt.bdf" "$pcf" 2>"$dir/$tag.pcf2bdf.err" && [[ ! -s $dir/$tag.pcf2bdf.err ]]; then
            record "$results" "$font" "$run" pcf2bdf ok
        else
            record "$results" "$font" "$run" pcf2bdf FAIL "$(first_lines "$dir/$tag.pcf2bdf.err")"
            rm -f "$dir/$tag.rt.bdf"
        fi
    fi
}

# The invariants of the given runs ("TOOL|OPTS|TAG") of one font.
check_runs() {
    local font=$1 input=$2 dir=$3
    shift 3
    local status=0
    "$GF_PYTHON" "$here/check_invariants.py" check --font "$font" --input "$input" --dir "$dir" \
        --patterns "$GF_WORK/patterns.txt" --results "$dir/results.tsv" "$@" || status=$?
    # Status 3: some check failed, and said so. Anything else: the checker broke.
    if [[ $status -ne 0 && $status -ne 3 ]]; then
        record "$dir/results.tsv" "$font" "-" checker FAIL "check_invariants.py stopped with status $status"
    fi
}

# All runs of one font; its messages go to DIR/log.txt, one status line to stdout.
# Every run of a font through the programs and the consumers, then the checks.
# Arguments: font, input BDF, work folder, the runs.
run_and_check() {
    local font=$1 input=$2 dir=$3
    shift 3
    local item tool opts tag
    for item in "$@"; do
        IFS='|' read -r tool opts tag <<<"$item"
        run_consumers "$font" "$tool" "$opts" "$tag" "$input" "$dir"
    done
    check_runs "$font" "$input" "$dir" "$@"
}

one_font() {
    local font=$1
    local dir=$GF_WORK/fonts/$font
    rm -rf "$dir"
    mkdir -p "$dir"
    : >"$dir/results.tsv"
    local start=$SECONDS
    run_and_check "$font" "$GF_CACHE/$font.bdf" "$dir" "${RUNS[@]}" >"$dir/log.txt" 2>&1
    local failures
    failures=$(grep -c '^FAIL' "$dir/log.txt" || true)
    printf '%s\t-\t_glyphs\tinfo\t%s\t\n%s\t-\t_seconds\tinfo\t%s\t\n' "$font" \
        "$(grep -c '^STARTCHAR' "$GF_CACHE/$font.bdf")" "$font" $((SECONDS - start)) >>"$dir/results.tsv"
    printf '%-22s %4ds  %s\n' "$font" $((SECONDS - start)) \
        "$([[ $failures -eq 0 ]] && echo ok || echo "$failures failure lines")"
    # Keep the outputs of failing fonts only: the big ones fill the disk.
    if [[ $failures -eq 0 ]]; then
        find "$dir" -name '*.bdf' -o -name '*.pcf' -o -name '*.ft' | xargs rm -f
    fi
}

# Writes a broken copy of a font written by a program.
#   sabotage KIND GLYPH SOURCE_FONT WRITTEN BROKEN
# short-row: the glyph's fourth row one digit short; bbx-not-widened: the
# glyph's BBX line as read; glyph-dropped: the glyph left out; pixel-cleared:
# the first set pixel of the glyph cleared; row-missing: the glyph's last row
# left out.
sabotage() {
    "$GF_PYTHON" - "$@" <<'PY'
import sys
kind, glyph, source, written, broken = sys.argv[1:6]
def read_lines(path):
    return open(path, "rb").read().split(b"\n")
src = read_lines(source)
src_bbx = None
name = None
for line in src:
    if line.startswith(b"STARTCHAR "):
        name = line[10:].decode()
    elif line.startswith(b"BBX ") and name == glyph:
        src_bbx = line
        break
out, name, in_bitmap, row, done = [], None, False, 0, False
lines = read_lines(written)
for i, line in enumerate(lines):
    if line.startswith(b"STARTCHAR "):
        name = line[10:].decode()
    mine = name == glyph and not done
    if mine and kind == "glyph-dropped":
        if line == b"ENDCHAR":
            done = True
        continue
    if line == b"BITMAP":
        in_bitmap, row = True, 0
    elif line == b"ENDCHAR":
        in_bitmap = False
        if mine:
            done = True
    elif in_bitmap and mine:
        if kind == "short-row" and row == 3:
            line = line[:-1]
        if kind == "pixel-cleared" and int(line or b"0", 16):
            value = int(line, 16)
            value &= ~(1 << (value.bit_length() - 1))
            line = (b"%0*x" % (len(line), value))
            kind = "done"
        if kind == "row-missing" and lines[i + 1] == b"ENDCHAR":
            row += 1
            continue
        row += 1
    elif mine and kind == "bbx-not-widened" and line.startswith(b"BBX "):
        line = src_bbx
    out.append(line)
open(broken, "wb").write(b"\n".join(out))
PY
}

# Breaks the programs' output of one small font on purpose, five ways, and
# shows which checks catch each defect. Passes when every defect is caught by
# a message that names the font and the glyph.
self_test() {
    local font=helvR08
    local input=$GF_CACHE/$font.bdf
    local dir=$GF_WORK/fonts/$font
    mkdir -p "$dir"
    : >"$dir/results.tsv"
    echo "== self-test on $font: the programs' own output first"
    local runs=("glyphslope||slope" "glyphstout||stout" "glyphstoutslope||stoutslope")
    run_and_check "$font" "$input" "$dir" "${runs[@]}" >"$dir/log.txt" 2>&1
    if grep '^FAIL' "$dir/log.txt"; then
        echo "self-test: the unbroken output already fails; nothing to learn"
        return 1
    fi
    echo "unbroken output passes every check"
    echo
    local cases=(
        "short-row|stout|glyphstout|A|a row of A one digit short (glyphstout)"
        "bbx-not-widened|slope|glyphslope|A|the BBX of A not widened (glyphslope)"
        "glyph-dropped|stoutslope|glyphstoutslope|B|glyph B dropped (glyphstoutslope)"
        "pixel-cleared|stout|glyphstout|C|one pixel of C lost (glyphstout)"
        "row-missing|slope|glyphslope|D|the last row of D missing (glyphslope)"
    )
    local table="defect|bdftopcf|bdfresize|FreeType|round trip|invariants|named"
    local all_caught=1 entry kind glyph what sdir caught named column
    for entry in "${cases[@]}"; do
        IFS='|' read -r kind tag tool glyph what <<<"$entry"
        sdir=$GF_WORK/sabotage/$kind
        mkdir -p "$sdir"
        : >"$sdir/results.tsv"
        cp "$dir/slope.bdf" "$sdir/slope.bdf"
        sabotage "$kind" "$glyph" "$input" "$dir/$tag.bdf" "$sdir/broken-copy.bdf"
        {
            run_consumers "$font" "$tool" "" broken "$input" "$sdir" "$sdir/broken-copy.bdf"
            check_runs "$font" "$input" "$sdir" "$tool||broken"
        } >"$sdir/log.txt" 2>&1
        echo "-- $what"
        grep '^FAIL' "$sdir/log.txt" | head -n 8 || true
        local row="$kind"
        for column in "bdftopcf" "bdfresize" "freetype|freetype-pixels|freetype-pcf" "pcf2bdf|roundtrip" "invariants"; do
            if [[ $column == invariants ]]; then
                caught=$(awk -F'\t' '$4 == "FAIL" && $3 !~ /^(bdftopcf|bdfresize|freetype|freetype-pixels|freetype-pcf|pcf2bdf|roundtrip)$/' "$sdir/results.tsv" | wc -l)
            else
                caught=$(awk -F'\t' -v c="^($column)\$" '$4 == "FAIL" && $3 ~ c' "$sdir/results.tsv" | wc -l)
            fi
            row+="|$([[ $caught -gt 0 ]] && echo caught || echo -)"
        done
        named=no
        grep '^FAIL' "$sdir/log.txt" | grep "font=$font" | grep -qE "glyph=$glyph[ :]" && named=yes
        [[ $named == yes ]] || all_caught=0
        table+=$'\n'"$row|$named"
        echo
    done
    echo "== which checks catch which defect"
    awk -F'|' '{ printf "%-16s %-9s %-10s %-9s %-11s %-11s %s\n", $1, $2, $3, $4, $5, $6, $7 }' <<<"$table"
    if ((all_caught)); then
        echo "self-test passed: every defect is reported with the font and the glyph"
        return 0
    fi
    echo "self-test FAILED: a defect went unreported"
    return 1
}

if [[ ${1:-} == --one-font ]]; then
    one_font "$2"
    exit 0
fi

self_test=0
if [[ ${1:-} == --self-test ]]; then
    self_test=1
    shift
fi
build=${1:-build}
if [[ -d $build ]]; then
    build=$(cd "$build" && pwd)
elif [[ $build != /* ]]; then
    build=$root/$build
fi
for tool in glyphstout glyphslope glyphstoutslope; do
    if [[ ! -x $build/$tool ]]; then
        echo "run.sh: $build/$tool not found; build the programs first" >&2
        exit 2
    fi
done

started=$SECONDS
echo "== fonts"
t=$SECONDS
export GLYPHFILTERS_FONT_CACHE=${GLYPHFILTERS_FONT_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/glyphfilters-fonts}
cache=$(bash "$here/fetch_fonts.sh" | tail -n 1)
fetch_time=$((SECONDS - t))

echo "== FreeType checker"
t=$SECONDS
ftbuild=$build/integration-ft
cmake -S "$here" -B "$ftbuild" >"$build/integration-ft.log" 2>&1 &&
    cmake --build "$ftbuild" -j2 >>"$build/integration-ft.log" 2>&1 || {
    cat "$build/integration-ft.log" >&2
    echo "run.sh: cannot build ft_check" >&2
    exit 2
}
build_time=$((SECONDS - t))

# The interpreter itself, not a version manager's wrapper that starts slowly.
GF_PYTHON=$(python3 -c 'import sys; print(sys.executable)')
export GF_BUILD=$build GF_CACHE=$cache GF_FT=$ftbuild/ft_check GF_PYTHON
if ((self_test)); then
    export GF_WORK=$build/integration-selftest
else
    export GF_WORK=$build/integration-work
fi
rm -rf "$GF_WORK"
mkdir -p "$GF_WORK/fonts"
"$build/glyphslope" -p >"$GF_WORK/patterns.txt"

if ((self_test)); then
    self_test
    exit $?
fi

echo "== runs (two fonts at a time)"
t=$SECONDS
# The fonts of fonts.txt, largest first so that the two workers end together.
mapfile -t names < <(awk '!/^#/ && NF { n = $1; sub(/.*\//, "", n); sub(/\.gz$/, "", n); sub(/\.pcf$/, "", n); print n }' "$here/fonts.txt")
# GLYPHFILTERS_FONTS="name ..." runs those fonts of the list only.
if [[ -n ${GLYPHFILTERS_FONTS:-} ]]; then
    read -ra names <<<"$GLYPHFILTERS_FONTS"
fi
for name in "${names[@]}"; do
    printf '%s %s\n' "$(stat -c %s "$cache/$name.bdf")" "$name"
done | sort -rn | awk '{ print $2 }' | xargs -P2 -n1 bash "$here/run.sh" --one-font
run_time=$((SECONDS - t))

echo
echo "== failures"
if ! cat "$GF_WORK"/fonts/*/log.txt | grep '^FAIL'; then
    echo "none"
fi
echo
echo "== summary (checks passed per font, over the ${#RUNS[@]} runs)"
status=0
"$GF_PYTHON" "$here/check_invariants.py" summary "$GF_WORK"/fonts/*/results.tsv || status=1
echo
printf 'time: fonts %ds, FreeType checker %ds, runs and checks %ds, total %ds\n' \
    "$fetch_time" "$build_time" "$run_time" $((SECONDS - started))
exit $status
