#!/bin/bash
# glyphpreview run as a user runs it: behind a filter in a pipe, to a PNG file,
# its help, and a font it cannot open. Arguments: the build directory holding
# the programs, the source directory.
set -u
bin="$1/glyphpreview"
font="$2/examples/sample-8x16.bdf"
work=$(mktemp -d) || exit 1
trap 'rm -rf "$work"' EXIT
fail() {
    echo "FAIL (glyphpreview): $*" >&2
    exit 1
}
[ -x "$bin" ] || fail "no program at $bin"

"$1/glyphstout" "$font" | "$bin" -t Hi >"$work/out" 2>"$work/err"
status=$?
[ "$status" -eq 0 ] && [ ! -s "$work/err" ] || fail "pipe: status $status, '$(cat "$work/err")'"
[ "$(head -n 1 "$work/out")" = "(standard input)" ] && [ "$(wc -l <"$work/out")" -eq 10 ] ||
    fail "pipe: unexpected output"
grep -q $'\u2588' "$work/out" || fail "pipe: no ink drawn"

"$bin" -s 2 -o "$work/faces.png" "$font" "$font" >"$work/out" 2>"$work/err"
status=$?
[ "$status" -eq 0 ] && [ ! -s "$work/out" ] && [ ! -s "$work/err" ] || fail "png: status $status"
[ "$(head -c 8 "$work/faces.png" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] ||
    fail "png: not a PNG file"

"$bin" -h "$work/missing.bdf" >"$work/out" 2>"$work/err"
[ $? -eq 0 ] && [ "$(head -n 1 "$work/out")" = "Usage: glyphpreview [OPTION] [FONT...]" ] ||
    fail "-h: unexpected output"

"$bin" "$work/missing.bdf" "$font" >"$work/out" 2>"$work/err"
status=$?
[ "$status" -eq 1 ] && [ "$(head -n 1 "$work/out")" = sample-8x16.bdf ] &&
    [ "$(cat "$work/err")" = "Cannot open font $work/missing.bdf: cannot open resource" ] ||
    fail "missing font: status $status, '$(cat "$work/err")'"
# The installed program keeps to its memory cap: a font of cells 4000 by
# 6000 pixels asks for a line of a gigabyte, and ends at once with the
# message, on the terminal and with -o, where no image is written.
huge="$2/fuzz/corpus/preview/huge-cells-many-missing-characters.bdf"
for output in terminal png; do
    args=()
    [ "$output" = png ] && args=(-o "$work/huge.png")
    timeout 2 "$bin" "${args[@]}" "$huge" >"$work/out" 2>"$work/err"
    status=$?
    [ "$status" -eq 1 ] && [ "$(cat "$work/err")" = "FATAL: Memory exhausted" ] &&
        [ ! -e "$work/huge.png" ] ||
        fail "huge cells ($output): status $status, '$(head -c 200 "$work/err")'"
done
exit 0
