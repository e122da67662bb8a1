#!/bin/bash
# glyphfamily's bench runs: its table for the sample font, with the programs
# of the build directory. Timings are not judged here. Skipped (77) without
# the X font tools.
set -u
for tool in bdftopcf mkfontdir; do
    command -v "$tool" >/dev/null || { echo "no $tool (xfonts-utils): not run"; exit 77; }
done
out=$(bash "$2/bench/family.sh" --bin "$1" --tiny --runs 1 2>&1)
status=$?
echo "$out"
[ $status -eq 0 ] || { echo "FAIL: bench/family.sh exited with $status" >&2; exit 1; }
for line in "one after another" glyphfamily ratio; do
    grep -q "^  $line  *[0-9]" <<<"$out" || { echo "FAIL: no line for $line" >&2; exit 1; }
done
