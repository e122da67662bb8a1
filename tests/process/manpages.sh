#!/usr/bin/env bash
# The manual pages: mandoc and groff check them without a message, and each
# page documents every option that its program's help text lists.
# usage: manpages.sh BUILD_DIR SOURCE_DIR (status 77, skipped, without
# mandoc or groff)
set -u
build=$1
pages="$2/man"
for checker in mandoc groff; do
    command -v "$checker" >/dev/null || {
        echo "no $checker: the manual pages are not checked"
        exit 77
    }
done
status=0
complain() {
    printf 'FAIL: %s\n' "$@" >&2
    status=1
}

for program in glyphstout glyphslope glyphstoutslope glyphfamily glyphpreview glyphbdf; do
    page="$pages/$program.1"
    [ -f "$page" ] || {
        complain "no page $page"
        continue
    }
    out=$(mandoc -T lint -W warning "$page" 2>&1) || [ -n "$out" ] || out="mandoc failed"
    [ -z "$out" ] || complain "$out"
    # The PostScript, UTF-8 and ASCII devices: print, and man in either locale.
    for device in ps utf8 ascii; do
        out=$(groff -mdoc -ww -z -T"$device" "$page" 2>&1) || [ -n "$out" ] || out="groff failed"
        [ -z "$out" ] || complain "groff -T$device $page: $out"
    done
    # Every option of the help text has its entry in OPTIONS.
    [ -x "$build/$program" ] || continue
    help=$("$build/$program" -h) || complain "$program -h failed"
    for letter in $(printf '%s\n' "$help" | sed -n 's/^  -\([A-Za-z]\) .*/\1/p'); do
        grep -qx "\.It Fl $letter\( .*\)\{0,1\}" "$page" || complain "$page does not document -$letter"
    done
done
[ "$status" -eq 0 ] && echo "manual pages: checked"
exit "$status"
