#!/usr/bin/env python3
"""Print glyphs of BDF fonts as text art, side by side.

    python3 show_glyph.py GLYPH FONT [FONT ...]

GLYPH is a STARTCHAR name (such as A or ampersand). Each font's glyph is drawn
in its own column, '#' for a set pixel and '.' for a clear one, aligned on the
baseline so that the faces can be compared.
"""

import sys


def read_glyph(path, name):
    """The glyph's box (w, h, x, y) and its rows as lists of 0/1 pixels."""
    with open(path, encoding="latin-1") as f:
        lines = f.read().splitlines()
    for i, line in enumerate(lines):
        if line.split()[:2] != ["STARTCHAR", name]:
            continue
        j = i
        while not lines[j].startswith("BBX"):
            j += 1
        w, h, x, y = (int(v) for v in lines[j].split()[1:5])
        while lines[j] != "BITMAP":
            j += 1
        rows = []
        for hexrow in lines[j + 1 : j + 1 + h]:
            bits = bin(int(hexrow, 16))[2:].zfill(len(hexrow) * 4)
            rows.append([int(b) for b in bits[:w]])
        return (w, h, x, y), rows
    sys.exit(f"{path}: no glyph named {name}")


def render(box, rows, top, bottom, left, right):
    """Text rows from `top` down to `bottom` (y above the baseline)."""
    w, h, x, y = box
    out = []
    for row_y in range(top, bottom - 1, -1):
        r = y + h - 1 - row_y  # index into rows
        line = ""
        for col in range(left, right + 1):
            c = col - x
            on = 0 <= r < h and 0 <= c < w and rows[r][c]
            line += "#" if on else "."
        out.append(line)
    return out


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    name, paths = sys.argv[1], sys.argv[2:]
    glyphs = [read_glyph(p, name) for p in paths]
    top = max(b[3] + b[1] - 1 for b, _ in glyphs)
    bottom = min(b[3] for b, _ in glyphs)
    left = min(b[2] for b, _ in glyphs)
    right = max(b[2] + b[0] - 1 for b, _ in glyphs)
    columns = [render(b, r, top, bottom, left, right) for b, r in glyphs]
    names = [p.rsplit("/", 1)[-1].removesuffix(".bdf") for p in paths]
    width = max([right - left + 1] + [len(n) for n in names])
    print("  ".join(n.ljust(width) for n in names))
    for parts in zip(*columns):
        print("  ".join(part.ljust(width) for part in parts))


if __name__ == "__main__":
    main()
