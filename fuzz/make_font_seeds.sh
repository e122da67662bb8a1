#!/usr/bin/env bash
# Makes the seeds of glyphbdf's harness (fuzz/corpus/fonts/) from the
# project's own sample font: its first glyphs as PCF, as gzip-compressed PCF
# and as an OpenType bitmap file, and the same three ways at 8 pixels with a
# string holding a quote. Needs xfonts-utils and gzip; the seeds are kept in
# the tree, so this is run only to remake them.
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
out="$src/fuzz/corpus/fonts"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$out"

# The header and the first five glyphs (space, !, ", #, $) of the sample font.
awk '/^CHARS /{print "CHARS 5"; next}
     /^STARTCHAR/{n++} n>5 && !/^ENDFONT/{next} {print}' \
    "$src/examples/sample-8x16.bdf" >"$work/sample-16.bdf"
# The same glyphs cut to eight rows, named as an 8-pixel font with a quote in
# its copyright, and ENCODING as another charset's.
awk '/^FONT /{print "FONT -Sample-Mono-Medium-R-Normal--8-80-75-75-C-80-Adobe-FontSpecific"; next}
     /^SIZE /{print "SIZE 8 75 75"; next}
     /^FONTBOUNDINGBOX/{print "FONTBOUNDINGBOX 8 8 0 -2"; next}
     /^STARTPROPERTIES/{print "STARTPROPERTIES 6"; print "PIXEL_SIZE 8";
                        print "COPYRIGHT \"A \"\"quoted\"\" word\"";
                        print "CHARSET_REGISTRY \"Adobe\""; print "CHARSET_ENCODING \"FontSpecific\"";
                        print "FONT_ASCENT 6"; skip=1; next}
     /^ENDPROPERTIES/{print "FONT_DESCENT 2"; skip=0}
     skip{next}
     /^BBX/{print "BBX 8 8 0 -2"; rows=0; next}
     /^BITMAP/{print; inbitmap=1; next}
     /^ENDCHAR/{if (inbitmap) for (; rows < 8; rows++) print "00"; inbitmap=0}
     inbitmap{if (rows++ < 8) print; next}
     {print}' "$work/sample-16.bdf" >"$work/sample-8.bdf"

for size in 16 8; do
    bdftopcf -o "$out/sample-$size.pcf" "$work/sample-$size.bdf"
    gzip -n -9 -c "$out/sample-$size.pcf" >"$out/sample-$size.pcf.gz"
done
# One OpenType file of both strikes.
fonttosfnt -b -c -g 2 -m 2 -o "$out/sample-8-16.otb" "$work/sample-16.bdf" "$work/sample-8.bdf"
ls -l "$out"
