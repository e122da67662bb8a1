# What the bench scripts share, sourced by them: the programs they time and
# the real fonts they time them on. Needs $root, the source tree.

# The folder of the programs: BIN when given (--bin), else a Release build of
# the TARGETS in $GLYPH_BENCH_BUILD (default build-bench/).
#   bench_programs BIN TARGET...
bench_programs() {
    local bin=$1 build=${GLYPH_BENCH_BUILD:-$root/build-bench}
    shift
    if [[ -n $bin ]]; then
        (cd "$bin" && pwd)
        return
    fi
    cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DGLYPH_TESTS=OFF >/dev/null
    cmake --build "$build" -j2 --target "$@" >/dev/null
    echo "$build"
}

# The BDF file of each font of tests/integration/fonts.txt named, one a line,
# fetched and converted through the integration suite's fetch_fonts.sh.
#   bench_fonts NAME...
bench_fonts() {
    local cache name
    cache=$(bash "$root/tests/integration/fetch_fonts.sh" | tail -n 1)
    for name in "$@"; do
        [[ -f $cache/$name.bdf ]] || { echo "bench: no font $name in $cache" >&2; return 2; }
        echo "$cache/$name.bdf"
    done
}
