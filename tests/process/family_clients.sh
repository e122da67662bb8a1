#!/bin/bash
# The family as its users meet it: Spleen 12x24 and 6x12 (Debian's
# fonts-spleen) made into a family, installed with --install into a
# throwaway home on the system's own fontconfig configuration (bitmap fonts
# rejected), then drawn by xterm's FreeType path in Xvfb: the italic faces
# load without a word and the four styles draw four different rows; and the
# X server, given the PCF folder, lists the eight faces. Skipped (77)
# without the clients.
set -u
build=$1
for tool in Xvfb xterm xwd xlsfonts convert pcf2bdf fc-list bdftopcf mkfontdir; do
    command -v "$tool" >/dev/null || { echo "no $tool: not run"; exit 77; }
done
font=/usr/share/fonts/X11/misc/spleen-12x24.pcf.gz
[ -f "$font" ] || { echo "no $font (fonts-spleen): not run"; exit 77; }

tmp=$(mktemp -d)
xvfb=
cleanup() {
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
    rm -rf "$tmp"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

export HOME=$tmp/home XDG_CACHE_HOME=$tmp/cache
unset XDG_DATA_HOME XDG_CONFIG_HOME FONTCONFIG_FILE
mkdir -p "$HOME"
pcf2bdf -o "$tmp/spleen-12x24.bdf" "$font" || fail "pcf2bdf"
pcf2bdf -o "$tmp/spleen-6x12.bdf" "${font/12x24/6x12}" || fail "pcf2bdf"
"$build/glyphfamily" --install -o "$tmp/family" "$tmp/spleen-12x24.bdf" "$tmp/spleen-6x12.bdf" \
    >"$tmp/out" 2>&1 ||
    fail "glyphfamily --install: $(cat "$tmp/out")"
for style in Regular Bold Italic "Bold Italic"; do
    fc-list "Spleen:style=$style:pixelsize=24" file | grep -q "^$HOME/" ||
        fail "fontconfig does not list the installed $style face"
done

display=
for n in $(seq 80 99); do
    if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then
        display=$n
        break
    fi
done
[ -n "$display" ] || fail "no free display"
Xvfb ":$display" -screen 0 400x200x24 -nolisten tcp -fp "built-ins,$tmp/family/pcf" \
    >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 50); do
    [ -e "/tmp/.X11-unix/X$display" ] && break
    sleep 0.1
done
export DISPLAY=":$display"

# Without the names of scaled bitmaps (pixel size 0) that X adds for each.
x_faces=$(xlsfonts -fn '-*-spleen-*' | grep -v -e '--0-0-' | sort -u | wc -l)
[ "$x_faces" -eq 8 ] || fail "the X server lists $x_faces faces of the PCF folder, not 8: $(xlsfonts -fn '-*-spleen-*')"

for face in italic bold:italic; do
    timeout 20 xterm -fa "Spleen:pixelsize=24:$face" -e true 2>"$tmp/err" ||
        fail "xterm -fa 'Spleen:pixelsize=24:$face': $(cat "$tmp/err")"
    [ -s "$tmp/err" ] && fail "xterm -fa 'Spleen:pixelsize=24:$face': $(cat "$tmp/err")"
done

# One line in each style, then a blank one; a cell is 12 by 24 pixels.
text='AbcXyz 123'
timeout 30 xterm -geometry 12x6+0+0 -b 0 -fa 'Spleen:pixelsize=24' -e sh -c \
    "printf '%s\n\033[1m%s\033[0m\n\033[3m%s\033[0m\n\033[1;3m%s\033[0m\n' '$text' '$text' '$text' '$text'; sleep 20" &
term=$!
sleep 4
xwd -root -silent >"$tmp/shot.xwd" || fail "xwd"
kill "$term" 2>/dev/null
declare -a rows
for line in 0 1 2 3 4; do
    rows[$line]=$(convert "$tmp/shot.xwd" -crop "120x24+0+$((24 * line))" +repage -format '%#' info:)
done
for a in 0 1 2 3; do
    [ "${rows[$a]}" = "${rows[4]}" ] && fail "style $a drew nothing"
    for b in 0 1 2 3; do
        [ "$a" -lt "$b" ] && [ "${rows[$a]}" = "${rows[$b]}" ] && fail "styles $a and $b drew the same row"
    done
done
echo "xterm drew the four faces of the installed family, each its own; X lists its eight PCF faces"
