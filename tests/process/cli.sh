#!/bin/bash
# A tool run as a user runs it: from a file and from standard input, its help
# and report, and the statuses and messages of inputs and outputs that fail.
# Arguments: the build directory holding the programs, the source directory,
# the tool's name.
set -u
tool=$3
bin="$1/$tool"
font="$2/examples/sample-8x16.bdf"
work=$(mktemp -d) || exit 1
trap 'rm -rf "$work"' EXIT
fail() {
    echo "FAIL ($tool): $*" >&2
    exit 1
}
# Runs the program with the given arguments; leaves out, err and status.
run() {
    "$bin" "$@" >"$work/out" 2>"$work/err"
    status=$?
}
expect() { # status, file of the expected output, expected stderr line or ""
    [ "$status" -eq "$1" ] || fail "$what: status $status, expected $1"
    cmp -s "$work/out" "$2" || fail "$what: unexpected output"
    if [ -n "$3" ]; then printf '%s\n' "$3"; fi >"$work/want_err"
    cmp -s "$work/err" "$work/want_err" || fail "$what: stderr is '$(cat "$work/err")'"
}

[ -x "$bin" ] || fail "no program at $bin"
[ -r "$font" ] || fail "no sample font at $font"
case $tool in
glyphstout) renamed=('WEIGHT_NAME "Bold"') ;;
glyphslope) renamed=('SLANT "I"') ;;
*) renamed=('WEIGHT_NAME "Bold"' 'SLANT "I"') ;;
esac

what="sample font from a file"; run "$font"
[ "$status" -eq 0 ] || fail "$what: status $status"
for line in "${renamed[@]}"; do
    grep -qxF "$line" "$work/out" || fail "$what: no line $line"
done
cp "$work/out" "$work/from_file"
what="sample font from standard input"; run <"$font"
expect 0 "$work/from_file" ""

what="-h before a missing file"; run -h "$work/missing.bdf"
[ "$status" -eq 0 ] && [ "$(head -n 1 "$work/out")" = "Usage: $tool [OPTION] [FILE]" ] ||
    fail "$what: status $status, output '$(head -n 1 "$work/out")'"

if [ "$tool" != glyphstout ]; then
    what="-p"; run -p "$work/missing.bdf"
    [ "$status" -eq 0 ] && [ "$(wc -l <"$work/out")" -eq 308 ] &&
        [ "$(wc -c <"$work/out")" -eq 2826 ] || fail "$what: not a report of 308 lines, 2826 bytes"
fi

: >"$work/empty"
what="a file that does not exist"; run "$work/missing.bdf"
expect 1 "$work/empty" ""
what="a directory as input"; run <"$2"
expect 1 "$work/empty" "Read error: Is a directory"

if [ -w /dev/full ]; then
    what="output to a full device"
    "$bin" "$font" >/dev/full 2>"$work/err"
    status=$?
    : >"$work/out"
    expect 1 "$work/empty" "Write error: No space left on device"
    # A fatal message is the only message, even when the output fails too.
    printf 'FONTBOUNDINGBOX 8 16 0 -2\nCHARS 1\nBBX 9 17 0 0\n' | "$bin" >/dev/full 2>"$work/err"
    status=$?
    printf 'Incorrect bounding box data: BBX 9 17 0 0\n\n' >"$work/want_err"
    [ "$status" -eq 1 ] && cmp -s "$work/err" "$work/want_err" ||
        fail "bad box to a full device: status $status, stderr '$(cat "$work/err")'"
else
    echo "$tool: no writable /dev/full, the full-device checks are skipped"
fi
"$bin" "$font" >&- 2>"$work/err"
status=$?
[ "$status" -eq 1 ] && [ "$(wc -l <"$work/err")" -eq 1 ] && grep -q '^Write error: ' "$work/err" ||
    fail "closed standard output: status $status, stderr '$(cat "$work/err")'"
echo "$tool: all process checks passed"
