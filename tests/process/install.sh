#!/usr/bin/env bash
# Installation: cmake --install into a scratch prefix, and once more under
# DESTDIR. The installed programs must write what the built ones write, and
# the installed manual pages must render.
# usage: install.sh BUILD_DIR SOURCE_DIR
set -u
build=$1
font="$2/examples/sample-8x16.bdf"
work=$(mktemp -d) || exit 1
# cmake --install rewrites the build's install manifest; a real
# installation's manifest is put back afterwards.
manifest="$build/install_manifest.txt"
[ -f "$manifest" ] && cp -p "$manifest" "$work/manifest"
restore() {
    if [ -f "$work/manifest" ]; then cp -p "$work/manifest" "$manifest"; else rm -f "$manifest"; fi
    rm -rf "$work"
}
trap restore EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

programs=(glyphstout glyphslope glyphstoutslope glyphfamily)
# glyphpreview and glyphbdf are installed exactly when they are configured to be built.
if grep -qs glyphpreview "$build/preview/cmake_install.cmake"; then programs+=(glyphpreview); fi
if grep -qs glyphbdf "$build/reading/cmake_install.cmake"; then programs+=(glyphbdf); fi

# The one file under $1 whose path ends in $2, or a failure.
installed() {
    local found
    found=$(find "$1" -path "*/$2" \( -type f -o -type l \))
    [ -n "$found" ] && [ "$(printf '%s\n' "$found" | wc -l)" -eq 1 ] ||
        fail "$3: no single $2 under $1 ('$found')"
    printf '%s\n' "$found"
}

# Checks the installation under $1; $2 names the run in messages.
check_tree() {
    local root=$1 what=$2 program bin page
    for program in "${programs[@]}"; do
        bin=$(installed "$root" "bin/$program" "$what") || exit 1
        [ -x "$bin" ] || fail "$what: $bin is not executable"
        # glyphfamily prints its plan only: a run would write a folder here.
        args=("$font")
        [ "$program" = glyphfamily ] && args=(-n -o "$work/family" "$font")
        "$build/$program" "${args[@]}" >"$work/want" 2>&1
        want_status=$?
        "$bin" "${args[@]}" >"$work/got" 2>&1
        status=$?
        [ "$status" -eq "$want_status" ] && cmp -s "$work/got" "$work/want" ||
            fail "$what: $bin (status $status) differs from $build/$program (status $want_status)"

        page=$(installed "$root" "man1/$program.1" "$what") || exit 1
        [ -x "$page" ] && fail "$what: $page is executable"
        if [ -n "$man" ]; then
            MANWIDTH=80 man -l "$page" >"$work/page" 2>"$work/page_err" ||
                fail "$what: man -l $page failed: $(cat "$work/page_err")"
            [ ! -s "$work/page_err" ] || fail "$what: man -l $page: $(cat "$work/page_err")"
            grep -q "^NAME" "$work/page" && grep -q "$program" "$work/page" ||
                fail "$what: man -l $page does not show the page"
        fi
    done
    installed "$root" doc/glyphfilters/copyright "$what" >/dev/null || exit 1
}

man=$(command -v man) || echo "no man: the pages are not rendered"

cmake --install "$build" --prefix "$work/prefix" >"$work/log" 2>&1 ||
    fail "cmake --install --prefix: $(cat "$work/log")"
check_tree "$work/prefix" "--prefix"
# Nothing may land outside the prefix: every line of the manifest lies in it.
grep -qv "^$work/prefix/" "$manifest" && fail "--prefix: installed outside the prefix: $(grep -v "^$work/prefix/" "$manifest")"

DESTDIR="$work/dest" cmake --install "$build" >"$work/log" 2>&1 ||
    fail "DESTDIR cmake --install: $(cat "$work/log")"
# The manifest names the files without DESTDIR; each must be under it.
while IFS= read -r file; do
    [ -e "$work/dest$file" ] || fail "DESTDIR: $file is not under DESTDIR"
done <"$manifest"
check_tree "$work/dest" "DESTDIR"

echo "installation: ${programs[*]} and their pages installed and checked"
