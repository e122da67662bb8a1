#!/usr/bin/env bash
# Runs every hostile-input case under cases/ through the three programs as real
# processes, and through glyphpreview when it is built (on the terminal, and
# as "glyphpreview-png" with -o FILE.png), each under a 64 MiB address-space cap
# (for a sanitizer build, the sanitizer's own 64 MiB allocation cap instead,
# since its shadow memory needs far more address space) and a time limit, and
# compares the exit status, standard output and standard error with the
# expected files of the case. A PNG image must be written exactly when the
# preview ends with status 0.
# Prints one line per failing run and, at the end, the largest time and
# resident memory any run took.
#
# usage: run.sh BUILD_DIR     (the directory holding the built programs)
set -uo pipefail

if [ $# -ne 1 ]; then
    echo "usage: $0 BUILD_DIR" >&2
    exit 2
fi
build=$(cd "$1" && pwd)
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
tools="glyphstout glyphslope glyphstoutslope"
cap_bytes=$((64 * 1024 * 1024))

for tool in $tools; do
    if [ ! -x "$build/$tool" ]; then
        echo "missing program: $build/$tool" >&2
        exit 2
    fi
done
if [ -x "$build/glyphpreview" ]; then
    tools="$tools glyphpreview glyphpreview-png"
else
    echo "note: glyphpreview not built; the cases run through the filters only"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/a-directory"

sanitized=0
if grep -qa __asan_init "$build/glyphstout"; then
    sanitized=1
fi
if [ $sanitized = 1 ]; then
    wall=30
    # An allocation over the cap fails as malloc would; the sanitizers'
    # reports go to files of their own, so that standard error can still be
    # compared (a real report also changes the exit status).
    export ASAN_OPTIONS="${ASAN_OPTIONS:-}${ASAN_OPTIONS:+:}allocator_may_return_null=1:max_allocation_size_mb=64:log_path=$work/sanitizer"
    export UBSAN_OPTIONS="${UBSAN_OPTIONS:-}${UBSAN_OPTIONS:+:}log_path=$work/sanitizer"
else
    wall=2
fi

# Time and memory are measured with /usr/bin/time (Debian package "time")
# when it is there; the checks themselves do not need it.
timing=()
if [ -x /usr/bin/time ]; then
    timing=(/usr/bin/time -o "$work/time" -f '%e %M')
else
    echo "note: /usr/bin/time not found; time and memory are not measured"
fi

# The expected file of a case for a tool: its own, else for a filter the one
# for all three filters.
expected() {
    local dir=$1 tool=$2 kind=$3
    if [ -f "$dir/$tool.$kind" ]; then
        echo "$dir/$tool.$kind"
    elif [ "${tool#glyphpreview}" = "$tool" ] && [ -f "$dir/all.$kind" ]; then
        echo "$dir/all.$kind"
    fi
}

runs=0
failures=0
max_time=0
max_time_run=
max_rss=0
max_rss_run=
for dir in "$here"/cases/*/; do
    dir=${dir%/}
    name=$(basename "$dir")
    args=()
    if [ -f "$dir/args" ]; then
        mapfile -t args <"$dir/args"
    fi
    envs=()
    if [ -f "$dir/env" ]; then
        mapfile -t envs <"$dir/env"
    fi
    mode=
    if [ -f "$dir/mode" ]; then
        mode=$(cat "$dir/mode")
    fi
    for tool in $tools; do
        status_file=$(expected "$dir" "$tool" status)
        [ -n "$status_file" ] || continue
        runs=$((runs + 1))
        out="$work/out" err="$work/err" tfile="$work/time"
        rm -f "$out" "$err" "$tfile" "$work"/sanitizer.*
        input="$dir/input"
        program=$tool
        targs=("${args[@]}")
        png=
        case "$tool" in
            glyphpreview) targs=() ;;
            glyphpreview-png)
                program=glyphpreview
                png="$work/out.png"
                rm -f "$png"
                targs=(-o out.png)
                ;;
        esac
        if [ "$mode" = directory ]; then
            # A path relative to the scratch folder the runs start in, so that
            # a message naming it reads the same on every machine.
            targs+=(a-directory)
            input=/dev/null
        fi
        limit=()
        if [ $sanitized = 0 ]; then
            limit=(prlimit --as=$cap_bytes --cpu=$((wall + 1)) --)
        fi
        # The innermost shell sets up standard output last, so that nothing
        # else takes its descriptor when it is to be closed.
        case "$mode" in
            devfull) redirect='exec >/dev/full' ;;
            closed-stdout) redirect='exec >&-' ;;
            *) redirect="exec >\"\$OUT\"" ;;
        esac
        (cd "$work" && OUT="$out" env -u COLUMNS "${envs[@]}" timeout -k 1 "$wall" \
            "${timing[@]}" "${limit[@]}" \
            bash -c "$redirect; exec \"\$0\" \"\$@\"" "$build/$program" "${targs[@]}" \
            <"$input" 2>"$err")
        status=$?
        [ -f "$out" ] || : >"$out"
        problems=()
        want_status=$(cat "$status_file")
        if [ "$status" != "$want_status" ]; then
            problems+=("status $status, expected $want_status")
        fi
        want_out=$(expected "$dir" "$tool" out)
        if [ -n "$want_out" ] && ! cmp -s "$out" "$want_out"; then
            problems+=("standard output differs")
        fi
        want_err=$(expected "$dir" "$tool" err)
        if [ -n "$want_err" ] && ! cmp -s "$err" "$want_err"; then
            problems+=("standard error differs")
        fi
        if [ -n "$png" ]; then
            signature=$(head -c 8 "$png" 2>/dev/null | od -An -tx1 | tr -d ' \n')
            if [ "$status" = 0 ] && [ "$signature" != 89504e470d0a1a0a ]; then
                problems+=("status 0 without a PNG image")
            elif [ "$status" != 0 ] && [ -e "$png" ] && [ "$want_err" ] &&
                grep -q '^Cannot open font' "$want_err"; then
                problems+=("an image although the font could not be opened")
            fi
        fi
        if [ ${#problems[@]} -gt 0 ]; then
            failures=$((failures + 1))
            echo "FAIL $name $tool: $(
                IFS=';'
                echo "${problems[*]}"
            )"
            if [ -n "$want_err" ] && ! cmp -s "$err" "$want_err"; then
                echo "  stderr got:      $(head -c 300 "$err" | od -An -c | tr -s ' ' | head -n 4)"
                echo "  stderr expected: $(head -c 300 "$want_err" | od -An -c | tr -s ' ' | head -n 4)"
            fi
            for report in "$work"/sanitizer.*; do
                [ -f "$report" ] && grep -E 'ERROR|SUMMARY|runtime error|^    #[0-9]+ ' "$report" |
                    head -n 20 | sed 's/^/  /'
            done
            if [ -n "$want_out" ] && ! cmp -s "$out" "$want_out"; then
                diff <(od -An -c "$want_out") <(od -An -c "$out") | head -n 8 | sed 's/^/  /'
            fi
        fi
        if [ -s "$tfile" ]; then
            read -r secs rss < <(tail -n 1 "$tfile")
            if awk -v a="$secs" -v b="$max_time" 'BEGIN { exit !(a > b) }'; then
                max_time=$secs
                max_time_run="$name $tool"
            fi
            if [ "${rss:-0}" -gt "$max_rss" ]; then
                max_rss=$rss
                max_rss_run="$name $tool"
            fi
        fi
    done
done

echo "hostile inputs: $runs runs, $failures failed"
echo "longest run: ${max_time}s ($max_time_run); largest resident memory: ${max_rss} KiB ($max_rss_run)"
echo "$((runs - failures)) passed, $failures failed"
[ $failures -eq 0 ]
