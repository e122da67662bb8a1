#!/usr/bin/env bash
# The Debian package, end to end: a Release build for /usr with Debian's
# hardening flags, cpack -G DEB, lintian (an error fails), dpkg -i, the
# installed programs against the built ones on the sample font, their
# manual pages through man, dpkg -r, and nothing of the package left.
# Installs and removes a package, so it runs as root (as CI does).
# usage: tests/package/deb.sh [BUILD_DIR]   (default: build-deb)
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
build=$(realpath -m "${1:-build-deb}")
font="$source_dir/examples/sample-8x16.bdf"
package=glyphfilters
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
installed() { dpkg-query -W -f='${Status}\n' "$package" 2>/dev/null | grep -q ' installed$'; }

[ "$(id -u)" -eq 0 ] || fail "run as root: the package is installed and removed"
for tool in cmake cpack lintian dpkg dpkg-buildflags man; do
    command -v "$tool" >/dev/null || fail "$tool is needed"
done
installed && fail "$package is installed already; remove it first"
work=$(mktemp -d)
cleanup() {
    if installed; then dpkg -r "$package" >/dev/null || true; fi
    rm -rf "$work"
}
trap cleanup EXIT

echo "-- build"
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cmake -S "$source_dir" -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DGLYPH_TESTS=OFF \
    -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
    -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)"
cmake --build "$build" -j2
rm -f "$build/${package}"_*.deb
(cd "$build" && cpack -G DEB)
debs=("$build/${package}"_*.deb)
[ "${#debs[@]}" -eq 1 ] && [ -f "${debs[0]}" ] || fail "cpack made no single package: ${debs[*]}"
deb=${debs[0]}
dpkg-deb --info "$deb"
dpkg-deb --contents "$deb"

echo "-- lintian"
lintian "$deb" 2>&1 | grep -v 'running with root privileges' | tee "$work/lintian" || true
grep -q '^E:' "$work/lintian" && fail "lintian reports errors"

echo "-- install"
dpkg -i "$deb"
dpkg -L "$package" >"$work/listed"
programs=(glyphstout glyphslope glyphstoutslope glyphfamily)
if grep -qs glyphpreview "$build/preview/cmake_install.cmake"; then programs+=(glyphpreview); fi
if grep -qs glyphbdf "$build/reading/cmake_install.cmake"; then programs+=(glyphbdf); fi
for program in "${programs[@]}"; do
    set +e
    # glyphfamily prints its plan only: a run would write a folder here.
    args=("$font")
    [ "$program" = glyphfamily ] && args=(-n -o "$work/family" "$font")
    "$build/$program" "${args[@]}" >"$work/want" 2>&1
    want=$?
    "/usr/bin/$program" "${args[@]}" >"$work/got" 2>&1
    got=$?
    set -e
    [ "$got" -eq "$want" ] && cmp -s "$work/got" "$work/want" ||
        fail "/usr/bin/$program (status $got) differs from $build/$program (status $want)"
    [ "$(man -w "$program")" = "/usr/share/man/man1/$program.1.gz" ] ||
        fail "man finds no packaged page for $program: $(man -w "$program" 2>&1)"
    MANWIDTH=80 man -P cat "$program" >"$work/page" 2>"$work/page_err" ||
        fail "man $program: $(cat "$work/page_err")"
    [ ! -s "$work/page_err" ] || fail "man $program: $(cat "$work/page_err")"
    grep -q "^NAME" "$work/page" && grep -q "$program" "$work/page" ||
        fail "man $program shows no page"
    echo "$program: runs as built, its page reads"
done
for doc in copyright changelog.gz; do
    grep -qx "/usr/share/doc/$package/$doc" "$work/listed" || fail "no /usr/share/doc/$package/$doc"
done

echo "-- remove"
# What was a file or link then must be gone; a directory that stays must be
# another package's too.
while IFS= read -r path; do
    if [ -d "$path" ] && [ ! -L "$path" ]; then echo "$path"; fi
done <"$work/listed" >"$work/dirs"
grep -vxF -f "$work/dirs" "$work/listed" >"$work/files" || true
dpkg -r "$package"
installed && fail "$package is still installed"
while IFS= read -r path; do
    [ ! -e "$path" ] && [ ! -L "$path" ] || fail "$path is left after dpkg -r"
done <"$work/files"
while IFS= read -r path; do
    [ ! -e "$path" ] || dpkg-query -S "$path" >/dev/null 2>&1 ||
        fail "directory $path is left after dpkg -r"
done <"$work/dirs"
echo "package: built, checked, installed, used and removed without a trace"
