#!/bin/bash
# The speed bench runs: its table for the sample font, with the programs of
# the build directory. Timings are not judged here.
set -u
out=$(bash "$2/bench/run.sh" --bin "$1" --tiny --runs 2 2>&1)
status=$?
echo "$out"
[ $status -eq 0 ] || { echo "FAIL: bench exited with $status" >&2; exit 1; }
for command in cat glyphstout glyphslope glyphstoutslope "glyphstoutslope -r -L"; do
    grep -q " $command  *[0-9]" <<<"$out" || { echo "FAIL: no line for $command" >&2; exit 1; }
done
