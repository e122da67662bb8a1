#!/bin/bash
# glyphstoutslope run as a user runs it: from a file and from standard input, its
# help text, and the statuses and messages of inputs and outputs that fail.
# Arguments: the build directory holding the programs, the source directory.
set -u
tool=glyphstoutslope
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
grep -qx 'WEIGHT_NAME "Bold"' "$work/from_file" && grep -qx 'SLANT "I"' "$work/from_file" ||
    fail "$what: weight or slant not renamed"
what="sample font from standard input"; run <"$font"
expect 0 "$work/from_file" ""

printf '%s\n' "Usage: $tool [OPTION] [FILE]" "" \
    "Write processed X11 BDF file to standard output." "With no FILE, read standard input." "" \
    "Options:" "  -l left shifted image OR original (default)" \
    "  -r right shifted image OR original" "  -L reflect left edge" \
    "  -R reflect right edge (default)" \
    "  -p print a pattern table for pixel correction used by slanting" "  -V verbose output" \
    "  -h display this help and exit" >"$work/help"
what="-h"; run -h "$work/missing.bdf"
expect 0 "$work/help" ""

what="-p"; run -p "$work/missing.bdf"
[ "$status" -eq 0 ] || fail "$what: status $status"
[ "$(wc -l <"$work/out")" -eq 308 ] && [ "$(wc -c <"$work/out")" -eq 2826 ] ||
    fail "$what: the pattern table report is not 308 lines of 2826 bytes"

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
else
    echo "$tool: no writable /dev/full, the full-device check is skipped"
fi
"$bin" "$font" >&- 2>"$work/err"
status=$?
[ "$status" -eq 1 ] || fail "closed standard output: status $status"
[ "$(wc -l <"$work/err")" -eq 1 ] && grep -q '^Write error: ' "$work/err" ||
    fail "closed standard output: stderr is '$(cat "$work/err")'"
echo "$tool: all process checks passed"
