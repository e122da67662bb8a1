#!/usr/bin/env python3
"""Structural invariants of derived fonts against the font they came from.

    check_invariants.py check --font NAME --input IN.bdf --dir DIR
        --patterns TABLE.txt --results FILE TOOL|OPTS|TAG...
    check_invariants.py summary RESULTS...

Each run TOOL|OPTS|TAG (for example "glyphstout|-r -L|stout-rL") names the
files that run.sh left in DIR: TAG.bdf, the font the program wrote; TAG.rt.bdf,
that font compiled by bdftopcf and decompiled by pcf2bdf; TAG.ft and
TAG.pcf.ft, what FreeType shows of the font and of the compiled font
(ft_check --dump). The glyphstoutslope runs are compared with slope.bdf, the
glyphslope output. Missing files skip their checks.

"check" writes one line per check to the results file (font, run, check,
ok or FAIL, number of failures, first message) and prints every failure, at
most a few per check, as
    FAIL [check] font=NAME run="TOOL OPTS" glyph=STARTCHAR row=R: what
"check" exits with 3 when a check fails. "summary" prints the table of all
results and exits 1 if anything failed.

The rules checked here are written out independently of the programs; the
slant pattern table is taken from the programs' -p report (its content has
unit tests of its own), the algorithm that applies it is restated here.

  header             FONT, WEIGHT_NAME and SLANT renamed (ASCII case ignored,
                     every occurrence), FONTBOUNDINGBOX widened by the slant
                     box rule in the slanting programs; every other header
                     line byte for byte
  glyph-count        as many glyphs written as read, in the same order
  copied-lines       every line of a glyph outside its bitmap byte for byte,
                     BBX aside; the lines after the last glyph too
  bbx-rule           BBX unchanged (glyphstout) or widened by the slant box
                     rule: width + extra when width and height are not 0,
                     extra (h-1)//N, x offset - extra//2, N rows per step (3,
                     or -s N); with -b the row at height t (0 the baseline)
                     in band floor(t/N), extra the top row's band less the
                     bottom row's, x offset + the bottom row's band
  row-count          as many rows as the box is high
  row-format         2*ceil(w/8) digits per row for the width w of the rows
                     (1 byte at least in the bold programs), lowercase from
                     the bold programs, uppercase from glyphslope
  bold-formula       glyphstout: each row is the bold formula of its option
                     set applied to the row read, over whole 32-bit words
  bold-keeps-pixels  glyphstout, default and -r -L: no pixel of the box lost
  bold-grows-one-side  glyphstout: every pixel in the box is a pixel read or
                     its neighbour on the growing side
  bold-stays-in-box  -l: nothing set beyond the box width
  slant-fill-clear   glyphslope: the cells the shift adds are clear
  slant-untouched-rows  glyphslope: every row at least 3 rows from every
                     band boundary (row 0 with the default bands, every row
                     of a glyph in one band) is the row read shifted by its
                     band offset
  slant-reference    glyphslope: each row equals the reference slant below
  baseline-lean      glyphslope -b: every pixel the correction left alone
                     lies floor(t/N) pixels right of where it was, in font
                     coordinates, t its row's height: the baseline stays
  bold-of-slope      glyphstoutslope: each row is the bold formula applied to
                     the glyphslope row of the same glyph
  bold-of-widened    with -w: each row is the bold formula applied to the row
                     (glyphstout: cut to the box width; glyphstoutslope: the
                     glyphslope row) with a clear pixel added on the growth
                     side, and every box line of non-zero width and height is
                     one pixel wider there (x offset one less with -l)
  roundtrip          compiled by bdftopcf and decompiled by pcf2bdf: same
                     names, encodings, advances and set pixels in place
  freetype-pixels    FreeType shows every encoded glyph with the box, origin,
                     advance and pixels written, and no other code
  freetype-pcf       the compiled font shows the same in FreeType
  advance-widened    with -a, against the same run without it: every line the
                     same but DWIDTH and SWIDTH lines; a glyph with a set bit
                     in a row written and an advance x (the last DWIDTH of two
                     numbers, 0 < x < 2147483647) has each such DWIDTH x y
                     written as x+1 y and each SWIDTH s t as round(s(x+1)/x)
                     t, halves away from zero, unless that leaves 32 bits;
                     every other glyph is written as without -a
"""

import argparse
import os
import re
import sys
from collections import OrderedDict

MAX_REPORTED = 5
FAILED = 3  # the exit status when a check fails; 1 and 2 mean the checker itself broke
SLANT_RATIO = 3

HEX_LOWER = re.compile(rb"[0-9a-f]*\Z")
HEX_UPPER = re.compile(rb"[0-9A-F]*\Z")
HEX_VALUE = {c: int(chr(c), 16) for c in b"0123456789abcdefABCDEF"}
HEX_ROW = re.compile(rb"[0-9A-Fa-f]+\Z")
LETTERS = frozenset(range(65, 91)) | frozenset(range(97, 123))
GLYPH_KEYS = frozenset((b"BBX", b"BITMAP", b"ENDCHAR"))


# ---------------------------------------------------------------- BDF reading


def split_lines(data):
    """Lines with their line ends, as the programs read them."""
    parts = data.split(b"\n")
    lines = [p + b"\n" for p in parts[:-1]]
    if parts[-1]:
        lines.append(parts[-1])
    return lines


def keyword(line):
    """First token of a line that starts with an ASCII letter, else None."""
    if not line or line[0] not in LETTERS:
        return None
    return line.split(None, 1)[0]


def numbers(line):
    """The whole numbers after a line's keyword, up to the first field that is not one."""
    values = []
    for field in line.split()[1:]:
        try:
            values.append(int(field))
        except ValueError:
            break
    return values


class Glyph:
    __slots__ = ("index", "name", "meta", "rows", "bbx", "bbx_line", "encoding", "dwidth")

    def __init__(self, index):
        self.index = index
        self.name = None  # STARTCHAR name, text
        self.meta = []  # every line of the glyph that is not a bitmap row
        self.rows = []  # bitmap rows without their line ends
        self.bbx = None  # (w, h, x, y) of the last BBX line
        self.bbx_line = None
        self.encoding = None
        self.dwidth = None


class Font:
    def __init__(self, path):
        with open(path, "rb") as f:
            lines = split_lines(f.read())
        self.header = []
        self.glyphs = []
        self.trailer = []
        at = 0
        while at < len(lines):
            line = lines[at]
            self.header.append(line)
            at += 1
            if keyword(line) == b"CHARS":
                break
        glyph = Glyph(0)
        in_bitmap = False
        pending = []  # lines since the last ENDCHAR
        letters = LETTERS
        for line in lines[at:]:
            pending.append(line)
            key = line.split(None, 1)[0] if line and line[0] in letters else None
            if key is None or key not in GLYPH_KEYS:
                if in_bitmap:
                    glyph.rows.append(line[:-1] if line[-1:] == b"\n" else line)
                    continue
                glyph.meta.append(line)
                if key == b"STARTCHAR":
                    glyph.name = line[len(key) :].strip().decode("latin-1")
                elif key == b"ENCODING":
                    glyph.encoding = (numbers(line) or [None])[0]
                elif key == b"DWIDTH":
                    glyph.dwidth = (numbers(line) or [None])[0]
                continue
            glyph.meta.append(line)
            if key == b"BBX":
                box = numbers(line)
                glyph.bbx = tuple(box) if len(box) == 4 else None
                glyph.bbx_line = line
            elif key == b"BITMAP":
                in_bitmap = True
            elif key == b"ENDCHAR":
                self.glyphs.append(glyph)
                glyph = Glyph(len(self.glyphs))
                in_bitmap = False
                pending = []
        self.trailer = pending


# ------------------------------------------------------------- rules restated


def replace_all_nocase(source, pattern, replacement):
    """Every occurrence, left to right, without overlap; ASCII case ignored."""
    low, pat = source.lower(), pattern.lower()
    out, start = [], 0
    while True:
        found = low.find(pat, start)
        if found < 0:
            break
        out.append(source[start:found])
        out.append(replacement)
        start = found + len(pat)
    out.append(source[start:])
    return b"".join(out)


RULES = {
    "glyphstout": {"weight": (b"Medium", b"Bold"), "slant": None},
    "glyphslope": {"weight": None, "slant": (b"R", b"I")},
    "glyphstoutslope": {"weight": (b"Medium", b"Bold"), "slant": (b"R", b"I")},
}


class Slant:
    """How a run slants: N rows per step (-s N, else 3), bands counted from
    each glyph's top row or, with -b, from the baseline."""

    def __init__(self, opts=()):
        self.ratio, self.baseline = SLANT_RATIO, "-b" in opts
        for i, opt in enumerate(opts):
            if opt.startswith("-s"):
                self.ratio = int(opt[2:] or opts[i + 1])

    def key(self):
        return (self.ratio, self.baseline)

    def leans(self, w, h):
        return self.baseline and w != 0 and h != 0

    def bands(self, w, h, y):
        """Per row of a box: its band counted down from the top band; and
        the extra. Without -b row i is in band i // N."""
        n = self.ratio
        if not self.leans(w, h):
            return [i // n for i in range(h)], (h - 1) // n if h >= 1 else 0
        top = y + h - 1
        return [top // n - (top - i) // n for i in range(h)], top // n - y // n

    def extra(self, w, h, y):
        return self.bands(w, h, y)[1]

    def box(self, w, h, x, y):
        extra = self.extra(w, h, y)
        if self.leans(w, h):
            return w + extra, h, wrap32(x + y // self.ratio), y
        if w != 0 and h != 0:
            return w + extra, h, x - extra // 2, y
        return w, h, x, y


def wrap32(value):
    return (value + 2**31) % 2**32 - 2**31


def box_line(keyword_text, box):
    return b"%s %d %d %d %d\n" % (keyword_text, *box)


def widened_box(box, left_shift):
    """A box written one pixel wider on the growth side (-w), unless empty."""
    w, h, x, y = box
    if w == 0 or h == 0:
        return box
    return w + 1, h, x - 1 if left_shift else x, y


def written_box_line(tool, line, widen, left_shift, slant):
    """A FONTBOUNDINGBOX or BBX line as the tool writes it; None where the
    tool cannot read it."""
    key = keyword(line)
    box = numbers(line)
    if tool == "glyphstout" and not widen:
        return line
    if len(box) < 4:
        return None
    written = tuple(box[:4]) if tool == "glyphstout" else slant.box(*box[:4])
    if widen and box[0] != 0 and box[1] != 0:
        return box_line(key, widened_box(written, left_shift))
    return line if tool == "glyphstout" else box_line(key, written)


def expected_header_line(tool, line, widen=False, left_shift=True, lean=Slant()):
    rules = RULES[tool]
    key = keyword(line)
    weight, slant = rules["weight"], rules["slant"]
    old_w, new_w = weight if weight else (b"", b"")
    if key == b"FONT":
        if slant:
            pat = old_w[:11] + b"-" + slant[0][:2] + b"-"
            rep = new_w[:11] + b"-" + slant[1][:2] + b"-"
        else:
            pat, rep = old_w[:11] + b"-", new_w[:11] + b"-"
        return replace_all_nocase(line, pat, rep)
    if key == b"WEIGHT_NAME" and weight:
        return replace_all_nocase(line, old_w, new_w)
    if key == b"SLANT" and slant:
        return replace_all_nocase(line, b'"' + slant[0][:2] + b'"', b'"' + slant[1][:2] + b'"')
    if key == b"FONTBOUNDINGBOX":
        return written_box_line(tool, line, widen, left_shift, lean)
    return line


def read_row(text, bytes_count):
    """A row as the programs read it: 2*bytes digits, anything else a 0."""
    digits = 2 * bytes_count
    if len(text) == digits and HEX_ROW.match(text):
        return int(text, 16)
    value = 0
    for i in range(2 * bytes_count):
        c = text[i] if i < len(text) else 0
        value = (value << 4) | HEX_VALUE.get(c, 0)
    return value


def row_bytes(width):
    """Bytes per row, 1 for a width of 0 (C division truncating to zero)."""
    return (width - 1) // 8 + 1 if width >= 1 else 1


def bold(row, bytes_count, left_shift, reflect_left):
    """The bold formula on one row of bytes_count bytes, over its 32-bit words."""
    words = (bytes_count + 3) // 4
    n = 32 * words
    mask = (1 << n) - 1
    s = row << (n - 8 * bytes_count)
    # Pixel x is bit n-1-x: S(x+1) is s << 1, S(x-1) is s >> 1.
    if left_shift and not reflect_left:
        b = s | ((s << 1) & ~(s >> 1))
    elif left_shift and reflect_left:
        b = (s << 1) | (s & ~(s << 2))
    elif not left_shift and not reflect_left:
        b = (s >> 1) | (s & ~(s >> 2))
    else:
        b = s | ((s >> 1) & ~(s << 1))
    return (b & mask) >> (n - 8 * bytes_count)


def hex_text(value, digits, upper):
    if digits == 0:
        return b""
    return (b"%0*X" if upper else b"%0*x") % (digits, value)


# ------------------------------------------------------------ reference slant


class Pattern:
    __slots__ = ("level", "in_offset", "inputs", "out_offset", "outputs", "set_rows")


def load_patterns(path):
    """The entries of the pattern table report, in priority order."""
    patterns = []
    current, section = None, None
    with open(path, encoding="ascii") as f:
        for line in f:
            line = line.rstrip("\n")
            m = re.match(r"(input|output) \((-?\d+), (\d+)\)$", line)
            if line.startswith("correct "):
                current = Pattern()
                current.level = int(line.split()[1])
                current.inputs, current.outputs = [], []
                patterns.append(current)
            elif m:
                section = m.group(1)
                if section == "input":
                    current.in_offset = int(m.group(2))
                else:
                    current.out_offset = int(m.group(2))
            elif "\t" in line and current is not None:
                cells = line.split("\t", 1)[1]
                (current.inputs if section == "input" else current.outputs).append(cells)
    for p in patterns:
        # The input rows that need a set pixel: a work row without one cannot match them.
        p.set_rows = tuple(k for k, row in enumerate(p.inputs) if "@" in row)
    if len(patterns) != 34:
        raise SystemExit(f"check_invariants: {path}: {len(patterns)} patterns, expected 34")
    return patterns


def reference_slant(rows, w, h, patterns, bands=None, corrected=None):
    """Cells of each slanted row: the correction at every band boundary (the
    rows whose band differs from the row above), then the shift. `bands`
    gives each row's band from the top; the patterns are those of its level.
    `corrected`, a list, gets the corrected cells of each row."""
    if bands is None:
        bands = [i // SLANT_RATIO for i in range(h)]
    digits = 2 * row_bytes(w)
    cells = []
    for i in range(h):
        text = rows[i] if i < len(rows) else b""
        value = read_row(text, digits // 2)
        bits = format(value, "0%db" % (4 * digits))[:w]
        cells.append(bits.replace("1", "@").replace("0", "."))
    work = ["." + c + "." for c in cells] + ["." * (w + 2)]
    has_set = ["@" in row for row in work]
    for b in (i for i in range(1, h) if bands[i] != bands[i - 1]):
        for p in patterns:
            top = b + p.in_offset
            if top < 0 or top + len(p.inputs) > h + 1:
                continue
            if not all(has_set[top + k] for k in p.set_rows):
                continue
            col, match = 0, None
            while True:
                found = work[top].find(p.inputs[0], col)
                if found < 0:
                    break
                col = found
                state = "match"
                for k in range(1, len(p.inputs)):
                    at = work[top + k].find(p.inputs[k], col)
                    if at < 0:
                        state = "none"
                        break
                    if at != col:
                        state = "next"
                        break
                if state == "none":
                    break
                if state == "match":
                    match = col
                    break
                col += 1
                if not col < w - 1:
                    break
            if match is None:
                continue
            for k, out in enumerate(p.outputs):
                r = b + p.out_offset + k
                work[r] = work[r][:match] + out + work[r][match + len(out) :]
                has_set[r] = "@" in work[r]
    s = bands[-1] if h >= 1 else 0
    slanted = []
    for i in range(h):
        k = bands[i]
        slanted.append("#" * (s - k) + work[i][1 : w + 1] + "#" * k)
    if corrected is not None:
        corrected.extend(work[i][1 : w + 1] for i in range(h))
    return slanted


CELL_BITS = str.maketrans({"@": "1", "$": "1", ".": "0", ",": "0", "#": "0"})


def cells_value(cells):
    """Cells as a row of bytes: "@" and "$" set, the last byte filled with 0."""
    bits = cells.translate(CELL_BITS)
    length = len(bits)
    padded = length + (-length % 8)
    return int(bits.ljust(padded, "0") or "0", 2), padded // 8


# ------------------------------------------------------------------ reporting


class Report:
    def __init__(self, font, run):
        self.font, self.run = font, run
        self.checks = OrderedDict()
        self.notes = OrderedDict()

    def declare(self, *names):
        for name in names:
            self.checks.setdefault(name, [0, ""])

    def fail(self, check, glyph, row, what):
        entry = self.checks.setdefault(check, [0, ""])
        entry[0] += 1
        where = ""
        if glyph is not None:
            where += " glyph=%s" % (glyph.name if glyph.name is not None else "#%d" % glyph.index)
        if row is not None:
            where += " row=%d" % row
        message = 'font=%s run="%s"%s: %s' % (self.font, self.run, where, what)
        if not entry[1]:
            entry[1] = message
        if entry[0] <= MAX_REPORTED:
            print("FAIL [%s] %s" % (check, message))
        elif entry[0] == MAX_REPORTED + 1:
            print("FAIL [%s] font=%s run=\"%s\": more failures not shown" % (check, self.font, self.run))

    def note(self, name, glyph, what):
        """Something worth knowing that is not a failure: counted, first case kept."""
        entry = self.notes.setdefault(name, [0, ""])
        entry[0] += 1
        if not entry[1]:
            entry[1] = "first in glyph %s: %s" % (glyph.name, what)

    def write(self, path):
        with open(path, "a", encoding="utf-8") as f:
            for name, (count, message) in self.checks.items():
                status = "ok" if count == 0 else "FAIL"
                f.write("%s\t%s\t%s\t%s\t%d\t%s\n" % (self.font, self.run, name, status, count, message))
            for name, (count, message) in self.notes.items():
                f.write("%s\t%s\t%s\tnote\t%d\t%s\n" % (self.font, self.run, name, count, message))
        return all(count == 0 for count, _ in self.checks.values())


# --------------------------------------------------------------------- checks


def show(line):
    return line.rstrip(b"\n").decode("latin-1")


def check_header(report, tool, opts, src, out):
    widen, left_shift, slant = "-w" in opts, "-r" not in opts, Slant(opts)
    report.declare("header")
    if len(out.header) != len(src.header):
        report.fail("header", None, None,
                    "header has %d lines, expected %d" % (len(out.header), len(src.header)))
        return
    for number, (a, b) in enumerate(zip(src.header, out.header), 1):
        want = expected_header_line(tool, a, widen, left_shift, slant)
        if b != want:
            report.fail("header", None, None, "header line %d is '%s', expected '%s'"
                        % (number, show(b), show(want) if want is not None else "nothing"))


def match_glyphs(report, src, out):
    """Pairs of glyphs in and out; a count mismatch is reported at the first differing name."""
    report.declare("glyph-count")
    if len(src.glyphs) != len(out.glyphs):
        first = None
        for a, b in zip(src.glyphs, out.glyphs):
            if a.name != b.name:
                first = a
                break
        if first is None:
            first = src.glyphs[len(out.glyphs)] if len(src.glyphs) > len(out.glyphs) else None
        report.fail("glyph-count", first, None,
                    "%d glyphs written, %d read; first missing or extra glyph here"
                    % (len(out.glyphs), len(src.glyphs)))
        return None
    return list(zip(src.glyphs, out.glyphs))


def check_copied_lines(report, tool, opts, pairs, src, out):
    widen, left_shift, slant = "-w" in opts, "-r" not in opts, Slant(opts)
    # With -a the advances are checked against the run without it.
    advance_lines = (b"DWIDTH", b"SWIDTH") if "-a" in opts else ()
    report.declare("copied-lines", "bbx-rule")
    for a, b in pairs:
        if len(a.meta) != len(b.meta):
            report.fail("copied-lines", a, None,
                        "%d lines outside the bitmap, expected %d" % (len(b.meta), len(a.meta)))
            continue
        for la, lb in zip(a.meta, b.meta):
            if keyword(la) == b"BBX":
                want = written_box_line(tool, la, widen, left_shift, slant)
                if lb != want:
                    report.fail("bbx-rule", a, None, "'%s' written for '%s', expected '%s'"
                                % (show(lb), show(la), show(want) if want is not None else "nothing"))
            elif la != lb and keyword(la) not in advance_lines:
                report.fail("copied-lines", a, None,
                            "'%s' written for '%s'" % (show(lb), show(la)))
                break
    if src.trailer != out.trailer:
        report.fail("copied-lines", None, None, "lines after the last glyph differ")


def check_rows(report, tool, opts, pairs, slope_pairs, patterns):
    """Row count and layout, and the pixels: the bold formula, the reference slant."""
    left_shift = "-r" not in opts
    reflect_left = "-L" in opts
    widen = "-w" in opts and tool != "glyphslope"
    slant = Slant(opts)
    formula = "bold-of-widened" if widen else "bold-formula"
    of_slope = "bold-of-widened" if widen else "bold-of-slope"
    names = ["row-count", "row-format"]
    if tool == "glyphstout":
        names += [formula, "bold-grows-one-side"]
        if left_shift != reflect_left:
            names.append("bold-keeps-pixels")
    elif tool == "glyphslope":
        names += ["slant-fill-clear", "slant-untouched-rows", "slant-reference"]
        if slant.baseline:
            names.append("baseline-lean")
    else:
        names += [of_slope]
    if tool != "glyphslope" and left_shift:
        names.append("bold-stays-in-box")
    report.declare(*names)
    upper = tool == "glyphslope"
    pattern = HEX_UPPER if upper else HEX_LOWER
    for n, (a, b) in enumerate(pairs):
        if b.bbx is None:
            continue
        w, h = b.bbx[0], b.bbx[1]
        win = a.bbx[0] if a.bbx else 0
        # With -w a box of non-zero width and height grows by a clear column.
        widened = widen and a.bbx is not None and a.bbx[0] != 0 and a.bbx[1] != 0
        if len(b.rows) != h:
            report.fail("row-count", a, None, "%d rows written for a box of height %d" % (len(b.rows), h))
        if tool == "glyphstout":
            nbytes = row_bytes(w)
        else:
            cells = win + slant.extra(win, h, a.bbx[3] if a.bbx else 0) if h >= 1 else 0
            slope_bytes = (cells + 7) // 8
            nbytes = (cells + widened + 7) // 8
            if tool == "glyphstoutslope":
                nbytes = max(nbytes, 1)
        digits = 2 * nbytes
        box_mask = ((1 << w) - 1) << (8 * nbytes - w) if 0 < w <= 8 * nbytes else 0
        for r, text in enumerate(b.rows):
            if len(text) != digits or not pattern.match(text):
                report.fail("row-format", a, r, "row '%s' is not %d %s hex digits"
                            % (text.decode("latin-1"), digits, "uppercase" if upper else "lowercase"))
                continue
            value = int(text, 16) if text else 0
            if tool != "glyphslope" and left_shift and value & ~box_mask:
                # Growing to the left never passes the box's right edge.
                report.fail("bold-stays-in-box", a, r,
                            "row %s sets pixels beyond the box width %d" % (text.decode(), w))
            if tool == "glyphstout":
                if r >= len(a.rows):
                    continue
                read = a.rows[r].decode("latin-1")
                if widened:
                    source = widen_row(read_row(a.rows[r], row_bytes(win)), row_bytes(win), win,
                                       nbytes, left_shift)
                else:
                    source = read_row(a.rows[r], nbytes)
                want = bold(source, nbytes, left_shift, reflect_left)
                if value != want:
                    report.fail(formula, a, r, "row %s written for %s, expected %s"
                                % (text.decode(), read, hex_text(want, digits, False).decode()))
                if left_shift != reflect_left and source & box_mask & ~value:
                    report.fail("bold-keeps-pixels", a, r,
                                "pixels of %s lost in %s" % (read, text.decode()))
                note_lost_growth(report, a, r, source, nbytes, w, left_shift)
                grown = source | (source << 1 if left_shift else source >> 1)
                if value & box_mask & ~grown:
                    report.fail("bold-grows-one-side", a, r, "pixels of %s not next to a pixel of %s"
                                % (text.decode(), read))
            elif tool == "glyphstoutslope" and slope_pairs is not None:
                slope_rows = slope_pairs[n][1].rows
                if r < len(slope_rows):
                    if widened:
                        source = widen_row(read_row(slope_rows[r], slope_bytes), slope_bytes,
                                           cells, nbytes, left_shift)
                    else:
                        source = read_row(slope_rows[r], nbytes)
                    note_lost_growth(report, a, r, source, nbytes, w, left_shift)
                    want = bold(source, nbytes, left_shift, reflect_left)
                    if value != want:
                        report.fail(of_slope, a, r,
                                    "row %s written, the oblique row %s emboldened is %s"
                                    % (text.decode(), slope_rows[r].decode(),
                                       hex_text(want, digits, False).decode()))
        if tool == "glyphslope" and h >= 1 and len(b.rows) == h:
            check_slant_glyph(report, a, b, win, h, nbytes, patterns, slant)


def widen_row(row, row_bytes_count, width, bytes_count, left_shift):
    """A row of `width` pixels read in row_bytes_count bytes, cut to its width,
    with a clear pixel added at the left (-l) or the right (-r), as a value of
    bytes_count bytes."""
    kept = row >> (8 * row_bytes_count - width) if width else 0
    total = 8 * bytes_count
    return kept << (total - width - (1 if left_shift else 0)) if width else 0


def note_lost_growth(report, glyph, r, source, nbytes, w, left_shift):
    """A set pixel at the box edge that the bold grows from: the box is not
    widened, so its growth falls outside and no consumer shows it."""
    if w <= 0:
        return
    edge = 8 * nbytes - 1 if left_shift else 8 * nbytes - w
    if source >> edge & 1:
        side = "left" if left_shift else "right"
        report.note("growth-lost-at-%s-edge" % side, glyph, "row %d" % r)


def check_slant_glyph(report, a, b, w, h, nbytes, patterns, slant):
    """The slanted rows of one glyph.

    What holds for any input: the fill cells are clear, and the correction
    writes only rows b-2 to b+2 of a band boundary b, so a row at least three
    rows from every boundary (row 0 with the default bands of 3, and every
    row of a glyph in one band) is the row read, shifted. With bands of 3 rows
    the window b-2..b+2 covers every other row, so "only near band
    boundaries" bounds nothing more; the reference slant checks those rows
    exactly instead.
    """
    y = a.bbx[3] if a.bbx else 0
    bands, extra = slant.bands(w, h, y)
    boundaries = [i for i in range(1, h) if bands[i] != bands[i - 1]]
    total = 8 * nbytes
    src_bytes = row_bytes(w)
    for r, text in enumerate(b.rows):
        if len(text) != 2 * nbytes:
            return  # already reported as a format failure
        value = int(text, 16) if text else 0
        k = bands[r]
        left = extra - k  # fill cells before the glyph's cells
        inside = ((1 << w) - 1) << (total - left - w) if w else 0
        if value & ~inside:
            report.fail("slant-fill-clear", a, r, "pixels set outside the %d glyph cells shifted by %d in %s"
                        % (w, left, text.decode()))
        if all(abs(r - boundary) > 2 for boundary in boundaries):
            source = read_row(a.rows[r], src_bytes) >> (8 * src_bytes - w) if r < len(a.rows) else 0
            shifted_back = (value >> (total - left - w)) & ((1 << w) - 1)
            if shifted_back != source:
                report.fail("slant-untouched-rows", a, r, "row %s is not the source row shifted by %d"
                            % (text.decode(), left))
    corrected = []
    levelled = [p for p in patterns if p.level <= slant.ratio]
    slanted = reference_slant(a.rows, w, h, levelled, bands, corrected)
    if slant.baseline:
        check_baseline_lean(report, a, b, w, h, corrected, slant)
    for r, cells in enumerate(slanted):
        value, count = cells_value(cells)
        want = hex_text(value, 2 * count, True)
        if b.rows[r] != want:
            report.fail("slant-reference", a, r, "row %s written, the reference slant gives %s (%s)"
                        % (b.rows[r].decode(), want.decode(), cells))


def check_baseline_lean(report, a, b, w, h, corrected, slant):
    """With -b, in font coordinates: a pixel at (x, t) that the correction
    left set is written at (x + floor(t / N), t), t its row's height."""
    if not a.bbx or not b.bbx or w == 0:
        return
    x_in, y = a.bbx[2], a.bbx[3]
    x_out = b.bbx[2]
    total = 8 * ((b.bbx[0] + 7) // 8)
    src_bytes = row_bytes(w)
    for r, cells in enumerate(corrected):
        t = y + h - 1 - r
        value = int(b.rows[r], 16) if b.rows[r] else 0
        source = read_row(a.rows[r], src_bytes) if r < len(a.rows) else 0
        for c, cell in enumerate(cells):
            if cell != "@" or not source >> (8 * src_bytes - 1 - c) & 1:
                continue
            col = x_in + c + t // slant.ratio - x_out
            if not 0 <= col < b.bbx[0] or not value >> (total - 1 - col) & 1:
                report.fail("baseline-lean", a, r, "the pixel at x %d, height %d is not at x %d"
                            % (x_in + c, t, x_in + c + t // slant.ratio))
                return


def check_roundtrip(report, pairs, path):
    """The font compiled and decompiled again: same glyphs, same pixels in place."""
    report.declare("roundtrip")
    back = Font(path)
    if len(back.glyphs) != len(pairs):
        report.fail("roundtrip", None, None, "%d glyphs after the round trip, %d written"
                    % (len(back.glyphs), len(pairs)))
        return
    for (a, b), c in zip(pairs, back.glyphs):
        if b.name != c.name or b.encoding != c.encoding:
            report.fail("roundtrip", a, None, "came back as %s (encoding %s)" % (c.name, c.encoding))
            continue
        if b.dwidth != c.dwidth:
            report.fail("roundtrip", a, None, "advance %s came back as %s" % (b.dwidth, c.dwidth))
        if b.bbx == c.bbx and [r.upper() for r in b.rows] == c.rows:
            continue
        if ink(b) != ink(c):
            report.fail("roundtrip", a, None, "pixels differ after the round trip (box %s, back %s)"
                        % (b.bbx, c.bbx))


def ink(glyph):
    """The set pixels of a glyph in font coordinates, in a form that does not depend on its box."""
    if glyph.bbx is None:
        return ()
    w, h, x, y = glyph.bbx
    if w <= 0:
        return ()
    nbytes = row_bytes(w)
    result = []
    for r, text in enumerate(glyph.rows[:h]):
        bits = read_row(text, nbytes) >> (8 * nbytes - w)
        if bits:
            t = (bits & -bits).bit_length() - 1
            result.append((y + h - 1 - r, x + w - 1 - t, bits >> t))
    return tuple(result)


def read_dump(path):
    entries = {}
    current = None
    with open(path, encoding="latin-1") as f:
        for line in f:
            if line.startswith("FONT "):
                current = {}
                entries[line[5:].strip()] = current
                continue
            code, rest = line.split(" ", 1)
            current[int(code)] = rest.rstrip("\n")
    return list(entries.values())


def check_freetype(report, pairs, dump_path, pcf_dump_path):
    """FreeType shows every encoded glyph with the box, advance and pixels written."""
    report.declare("freetype-pixels")
    dumps = read_dump(dump_path)
    if len(dumps) != 1:
        report.fail("freetype-pixels", None, None, "no FreeType dump of the font")
        return
    seen = {}
    for a, b in pairs:
        if b.encoding is None or b.encoding < 0 or b.encoding in seen or b.bbx is None:
            continue
        seen[b.encoding] = True
        w, h, x, y = b.bbx
        nbytes = (w + 7) // 8
        rows = []
        for text in b.rows[:h]:
            bits = read_row(text, row_bytes(w)) >> (8 * row_bytes(w) - w) if w else 0
            rows.append(hex_text(bits << (8 * nbytes - w), 2 * nbytes, False).decode() if nbytes else "")
        shown = ",".join(rows) if w and h else "-"
        want = "%d %d %d %d %s %s" % (w, h, x, y + h, b.dwidth, shown)
        got = dumps[0].get(b.encoding)
        if got != want:
            report.fail("freetype-pixels", a, None, "FreeType shows encoding %d as '%s', written '%s'"
                        % (b.encoding, got, want))
    extra = set(dumps[0]) - set(seen)
    if extra:
        report.fail("freetype-pixels", None, None, "FreeType maps codes not in the font: %s"
                    % sorted(extra)[:5])
    if pcf_dump_path:
        report.declare("freetype-pcf")
        pcf = read_dump(pcf_dump_path)
        if len(pcf) != 1 or pcf[0] != dumps[0]:
            diff = next((c for c in dumps[0] if not pcf or pcf[0].get(c) != dumps[0][c]), None)
            report.fail("freetype-pcf", None, None,
                        "the compiled font shows code %s differently from the BDF font" % diff)


INT32_MAX = 2**31 - 1


def two_numbers(line, key):
    """The two numbers of a DWIDTH or SWIDTH line written as the keyword, two
    decimal numbers within 32 bits and white space, else None."""
    m = re.match(rb"%s[ \t\n\v\f\r]+(-?[0-9]+)[ \t\n\v\f\r]+(-?[0-9]+)[ \t\n\v\f\r]*\Z" % key, line)
    if not m:
        return None
    values = int(m.group(1)), int(m.group(2))
    return values if all(-2**31 <= v <= INT32_MAX for v in values) else None


def scaled_swidth(s, x):
    """round(s (x + 1) / x), halves away from zero, or None beyond 32 bits."""
    q, r = divmod(abs(s) * (x + 1), x)
    q += 2 * r >= x
    value = -q if s < 0 else q
    return value if -2**31 <= value <= INT32_MAX else None


def check_advance(report, pairs, plain):
    """-a against the run without it: only the advances of inked glyphs grew."""
    report.declare("advance-widened")
    if len(plain.glyphs) != len(pairs):
        report.fail("advance-widened", None, None, "the run without -a wrote %d glyphs, this one %d"
                    % (len(plain.glyphs), len(pairs)))
        return
    for (a, b), p in zip(pairs, plain.glyphs):
        if b.rows != p.rows or len(b.meta) != len(p.meta):
            report.fail("advance-widened", a, None, "rows or lines differ from the run without -a")
            continue
        inked = any(HEX_VALUE.get(c, 0) for row in b.rows for c in row)
        advance = None
        for line in p.meta:
            if keyword(line) == b"DWIDTH":
                fields = two_numbers(line, b"DWIDTH")
                if fields and 0 < fields[0] < INT32_MAX:
                    advance = fields[0]
        for lp, lb in zip(p.meta, b.meta):
            key = keyword(lp)
            want = lp
            if inked and advance and key in (b"DWIDTH", b"SWIDTH"):
                fields = two_numbers(lp, key)
                first = None
                if fields and key == b"DWIDTH" and 0 < fields[0] < INT32_MAX:
                    first = fields[0] + 1
                elif fields and key == b"SWIDTH":
                    first = scaled_swidth(fields[0], advance)
                if first is not None:
                    end = b"\r\n" if lp.endswith(b"\r\n") else b"\n" if lp.endswith(b"\n") else b""
                    want = b"%s %d %d%s" % (key, first, fields[1], end)
            if lb != want:
                report.fail("advance-widened", a, None, "'%s' written for '%s', expected '%s'"
                            % (show(lb), show(lp), show(want)))
                break


def check_run(args, src, run_item, slope_cache):
    """All checks of one run, "TOOL|OPTS|TAG"; its files are DIR/TAG.*."""
    tool, opts, tag = run_item.split("|")
    run = (tool + " " + opts).strip()
    report = Report(args.font, run)
    base = os.path.join(args.dir, tag)

    def present(suffix):
        path = base + suffix
        return path if os.path.exists(path) and os.path.getsize(path) > 0 else None

    if not os.path.exists(base + ".bdf"):
        return True  # the program failed; run.sh has recorded it
    try:
        out = Font(base + ".bdf")
        check_header(report, tool, opts.split(), src, out)
        pairs = match_glyphs(report, src, out)
        if pairs is not None:
            check_copied_lines(report, tool, opts.split(), pairs, src, out)
            slope_pairs = None
            if tool == "glyphstoutslope":
                # The oblique face of the same slant options.
                key = Slant(opts.split()).key()
                slope_tag = next((t for r, o, t in (item.split("|") for item in args.runs)
                                  if r == "glyphslope" and Slant(o.split()).key() == key), "slope")
                slope_path = os.path.join(args.dir, slope_tag + ".bdf")
                if slope_path not in slope_cache and os.path.exists(slope_path):
                    slope_cache[slope_path] = Font(slope_path)
                slope = slope_cache.get(slope_path)
                if slope is not None and len(slope.glyphs) == len(pairs):
                    slope_pairs = list(zip(src.glyphs, slope.glyphs))
            patterns = load_patterns(args.patterns) if tool == "glyphslope" else None
            check_rows(report, tool, opts.split(), pairs, slope_pairs, patterns)
            if "-a" in opts.split():
                # The same run without -a, among this font's runs.
                rest = sorted(o for o in opts.split() if o != "-a")
                plain_tag = next((t for r, o, t in (item.split("|") for item in args.runs)
                                  if r == tool and sorted(o.split()) == rest), None)
                plain_path = plain_tag and os.path.join(args.dir, plain_tag + ".bdf")
                if plain_path and os.path.exists(plain_path):
                    check_advance(report, pairs, Font(plain_path))
                else:
                    report.fail("advance-widened", None, None, "no run without -a to compare with")
            if present(".rt.bdf"):
                check_roundtrip(report, pairs, present(".rt.bdf"))
            if present(".ft"):
                check_freetype(report, pairs, present(".ft"), present(".pcf.ft"))
    except Exception as error:  # a checker that breaks on a font is a failure too
        report.fail("checker", None, None, "%s: %s" % (type(error).__name__, error))
    return report.write(args.results)


def run_check(args):
    src = Font(args.input)
    slope_cache = {}
    ok = True
    for run_item in args.runs:
        ok = check_run(args, src, run_item, slope_cache) and ok
    return 0 if ok else FAILED


# -------------------------------------------------------------------- summary

COLUMNS = [
    ("tool", ("tool",)),
    ("bdftopcf", ("bdftopcf",)),
    ("bdfresize", ("bdfresize",)),
    ("FreeType", ("freetype", "freetype-pixels", "freetype-pcf")),
    ("round trip", ("pcf2bdf", "roundtrip")),
    ("invariants", None),
]


# The notes shown: rows whose bold growth falls outside the glyph's box, at
# pixel 0 with -l, past the last pixel with -r. The -L runs count the same.
NOTE_COLUMNS = [
    ("glyphstout", "glyphstout", "growth-lost-at-left-edge"),
    ("glyphstout -r", "glyphstout -r", "growth-lost-at-right-edge"),
    ("glyphstoutslope", "glyphstoutslope", "growth-lost-at-left-edge"),
    ("glyphstoutslope -r", "glyphstoutslope -r", "growth-lost-at-right-edge"),
    ("glyphstout -w", "glyphstout -w", "growth-lost-at-left-edge"),
    ("glyphstoutslope -w -r", "glyphstoutslope -w -r", "growth-lost-at-right-edge"),
]


def run_summary(args):
    rows = OrderedDict()
    meta = {}
    notes = {}
    failed = 0
    checks = 0
    for path in args.results:
        with open(path, encoding="utf-8") as f:
            for line in f:
                font, run, check, status, count, message = line.rstrip("\n").split("\t", 5)
                cells = rows.setdefault(font, OrderedDict((c, [0, 0]) for c, _ in COLUMNS))
                if check.startswith("_"):
                    meta[(font, check)] = count
                    continue
                if status == "note":
                    notes[(font, run, check)] = count
                    continue
                column = next((c for c, names in COLUMNS if names and check in names), "invariants")
                cell = cells[column]
                cell[0] += 1
                checks += 1
                if status != "ok":
                    cell[1] += 1
                    failed += 1
    header = ["font", "glyphs", "time"] + [c for c, _ in COLUMNS]
    table = [header]
    for font, cells in rows.items():
        table.append([font, meta.get((font, "_glyphs"), "?"), meta.get((font, "_seconds"), "?") + "s"]
                     + [("ok %d" % n if bad == 0 else "FAIL %d/%d" % (bad, n)) for n, bad in cells.values()])
    widths = [max(len(r[i]) for r in table) for i in range(len(header))]
    for r in table:
        print("  ".join(v.ljust(widths[i]) for i, v in enumerate(r)).rstrip())
    if notes:
        print("\nrows with a pixel on the box edge whose bold growth falls outside the box"
              " (the boxes are not widened but with -w; not failures):")
        note_table = [["font"] + [title for title, _, _ in NOTE_COLUMNS]]
        for font in rows:
            note_table.append([font] + [notes.get((font, run, check), "0") for _, run, check in NOTE_COLUMNS])
        widths = [max(len(r[i]) for r in note_table) for i in range(len(note_table[0]))]
        for r in note_table:
            print("  ".join(v.ljust(widths[i]) for i, v in enumerate(r)).rstrip())
    print("\n%d checks in %d fonts: %d passed, %d failed" % (checks, len(rows), checks - failed, failed))
    return 1 if failed or not rows else 0


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    sub = parser.add_subparsers(dest="command", required=True)
    check = sub.add_parser("check")
    check.add_argument("--font", required=True)
    check.add_argument("--input", required=True)
    check.add_argument("--dir", required=True)
    check.add_argument("--patterns", required=True)
    check.add_argument("--results", required=True)
    check.add_argument("runs", nargs="+", metavar="TOOL|OPTS|TAG")
    summary = sub.add_parser("summary")
    summary.add_argument("results", nargs="+")
    args = parser.parse_args()
    return run_check(args) if args.command == "check" else run_summary(args)


if __name__ == "__main__":
    sys.exit(main())
