#!/bin/bash
# glyphstout run as a user runs it: from a file and from standard input, its
# help text, and the statuses and messages of inputs and outputs that fail.
# Arguments: the build directory holding the programs, the source directory.
set -u
tool=glyphstout
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
expect() {  # status, file of the expected output, expected stderr line or ""
    [ "$status" -eq "$1" ] || fail "$what: status $status, expected $1"
    cmp -s "$work/out" "$2" || fail "$what: unexpected output"
    if [ -n "$3" ]; then printf '%s\n' "$3"; fi >"$work/want_err"
    cmp -s "$work/err" "$work/want_err" || fail "$what: stderr is '$(cat "$work/err")'"
}

[ -x "$bin" ] || fail "no program at $bin"
[ -r "$font" ] || fail "no sample font at $font"

what="sample font from a file"; run "$font"
[ "$status" -eq 0 ] || fail "$what: status $status"
[ -s "$work/out" ] || fail "$what: no output"
cp "$work/out" "$work/from_file"
grep -qx 'WEIGHT_NAME "Bold"' "$work/from_file" || fail "$what: weight not renamed"
what="sample font from standard input"; run <"$font"
expect 0 "$work/from_file" ""

printf '%s\n' "Usage: $tool [OPTION] [FILE]" "" \
    "Write processed X11 BDF file to standard output." "With no FILE, read standard input." "" \
    "Options:" "  -l left shifted image OR original (default)" \
    "  -r right shifted image OR original" "  -L reflect left edge" \
    "  -R reflect right edge (default)" "  -V verbose output" \
    "  -h display this help and exit" >"$work/help"
what="-h"; run -h "$work/missing.bdf"
expect 0 "$work/help" ""

: >"$work/empty"
what="a file that does not exist"; run "$work/missing.bdf"
expect 1 "$work/empty" ""
what="a directory as input"; run <"$2"
expect 1 "$work/empty" "Read error: Is a directory"

if [ -w /dev/full ]; then
    "$bin" "$font" >/dev/full 2>"$work/err"
    status=$?
    printf 'Write error: No space left on device\n' >"$work/want_err"
    [ "$status" -eq 1 ] || fail "/dev/full: status $status"
    cmp -s "$work/err" "$work/want_err" || fail "/dev/full: stderr is '$(cat "$work/err")'"
    # A fatal message is the only message, even when the output fails too.
    printf 'FONTBOUNDINGBOX 8 16 0 -2\nCHARS 1\nBBX 9 1 0 0\n' | "$bin" >/dev/full 2>"$work/err"
    status=$?
    printf 'Incorrect bounding box data: BBX 9 1 0 0\n\n' >"$work/want_err"
    [ "$status" -eq 1 ] || fail "bad box to /dev/full: status $status"
    cmp -s "$work/err" "$work/want_err" || fail "bad box to /dev/full: stderr is '$(cat "$work/err")'"
else
    echo "$tool: no writable /dev/full, the full-device check is skipped"
fi
"$bin" "$font" >&- 2>"$work/err"
status=$?
[ "$status" -eq 1 ] || fail "closed standard output: status $status"
[ "$(wc -l <"$work/err")" -eq 1 ] && grep -q '^Write error: ' "$work/err" ||
    fail "closed standard output: stderr is '$(cat "$work/err")'"
echo "$tool: all process checks passed"
