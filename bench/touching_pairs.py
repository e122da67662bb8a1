#!/usr/bin/env python3
"""How often the inks of two letters touch when they are set side by side.

    bench/touching_pairs.py [BUILD_DIR]

For each of five proportional X fonts (the 75dpi Helvetica 12, Times 14,
Times 12 and New Century Schoolbook 12, and the 100dpi Helvetica 12) it
counts, over every ordered pair of printable ASCII glyphs (33 to 126) set
one after the other at the first one's advance, the share of pairs whose
inks touch: on one pixel row, a pixel of the one beside or on a pixel of the
other. It does so for the regular face, the bold face drawn by the font's
designer, the bold that `glyphstout -w` derives from the regular face, and
the one `glyphstout -w -a` derives, and prints a Markdown table.

The fonts come from Debian's xfonts-75dpi and xfonts-100dpi, read with
pcf2bdf; BUILD_DIR (default: build) holds glyphstout.
"""

import gzip
import os
import subprocess
import sys

FONTS = [
    ("75dpi helvR12", "75dpi/helvR12", "75dpi/helvB12"),
    ("75dpi timR14", "75dpi/timR14", "75dpi/timB14"),
    ("75dpi timR12", "75dpi/timR12", "75dpi/timB12"),
    ("75dpi ncenR12", "75dpi/ncenR12", "75dpi/ncenB12"),
    ("100dpi helvR12", "100dpi/helvR12", "100dpi/helvB12"),
]
FONT_DIR = "/usr/share/fonts/X11"
PRINTABLE = range(33, 127)  # the space has no ink to touch


def bdf_of_pcf(name):
    path = os.path.join(FONT_DIR, name + ".pcf.gz")
    if not os.path.exists(path):
        sys.exit("%s missing: apt-get install xfonts-75dpi xfonts-100dpi pcf2bdf" % path)
    with gzip.open(path) as f:
        return subprocess.run(["pcf2bdf"], input=f.read(), capture_output=True, check=True).stdout


def glyph_inks(bdf):
    """Encoding -> (advance, {row y: bit mask of the ink, bit i at x = i - OFFSET})."""
    glyphs = {}
    encoding = advance = box = None
    rows = None
    for line in bdf.split(b"\n"):
        fields = line.split()
        if not fields:
            continue
        key = fields[0]
        if key == b"ENCODING":
            encoding = int(fields[1])
        elif key == b"DWIDTH":
            advance = int(fields[1])
        elif key == b"BBX":
            box = [int(v) for v in fields[1:5]]
        elif key == b"BITMAP":
            rows = []
        elif key == b"ENDCHAR":
            w, h, x, y = box
            ink = {}
            for r, text in enumerate(rows[:h]):
                bits = int(text, 16) >> (4 * len(text) - w) if w else 0  # the box's pixels only
                mask = 0
                for col in range(w):
                    if bits >> (w - 1 - col) & 1:
                        mask |= 1 << (x + col + OFFSET)
                if mask:
                    ink[y + h - 1 - r] = mask
            glyphs[encoding] = (advance, ink)
            rows = None
        elif rows is not None:
            rows.append(key)
    return glyphs


OFFSET = 64  # room for ink left of the origin


def touching_share(glyphs):
    chars = [glyphs[c] for c in PRINTABLE if c in glyphs]
    touching = 0
    for advance, first in chars:
        for _, second in chars:
            for y, mask in first.items():
                other = second.get(y)
                if other is None:
                    continue
                other <<= advance
                if mask & (other | other << 1 | other >> 1):
                    touching += 1
                    break
    return 100.0 * touching / (len(chars) ** 2)


def main():
    build = sys.argv[1] if len(sys.argv) > 1 else "build"
    stout = os.path.join(build, "glyphstout")
    print("| font | regular | the designer's bold | `glyphstout -w` | `glyphstout -w -a` |")
    print("|---|---|---|---|---|")
    for title, regular, bold in FONTS:
        source = bdf_of_pcf(regular)
        faces = [
            source,
            bdf_of_pcf(bold),
            subprocess.run([stout, "-w"], input=source, capture_output=True, check=True).stdout,
            subprocess.run([stout, "-w", "-a"], input=source, capture_output=True,
                           check=True).stdout,
        ]
        shares = ["%.1f %%" % touching_share(glyph_inks(face)) for face in faces]
        print("| %s | %s |" % (title, " | ".join(shares)))


if __name__ == "__main__":
    main()
