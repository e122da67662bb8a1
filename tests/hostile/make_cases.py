#!/usr/bin/env python3
"""Writes the hostile-input cases under cases/: one folder per case with

  input            the bytes given to the tool (standard input, or a file)
  args             optional, one argument per line
  env              optional, one VAR=value per line (COLUMNS is unset otherwise)
  mode             optional: "directory" (a directory named as the input),
                   "devfull" (standard output is /dev/full) or "closed-stdout"
  TOOL.status, TOOL.out, TOOL.err
                   what each tool must end with; all.* stands for every filter
                   without a file of its own
  glyphpreview.status, glyphpreview.err, glyphpreview-png.status,
  glyphpreview-png.err
                   what glyphpreview must end with, reading the input as its
                   font (from standard input, or the directory named), on the
                   terminal and with -o FILE.png; its output is not kept

Every expected output below is worked out by hand from the rules of the tools,
not captured from a run. Run this script again after editing a case; run.sh
only reads the files it writes.
"""

import os
import shutil

HERE = os.path.dirname(os.path.abspath(__file__))
CASES = os.path.join(HERE, "cases")
TOOLS = ("glyphstout", "glyphslope", "glyphstoutslope")

# The FONT line and the SIZE line after it, which the filters copy and without
# which glyphpreview's font reader would stop at the header of every case.
SIZE_LINE = "SIZE 8 75 75\n"
FONT_IN = "FONT -Test-Mono-Medium-R-Normal--8-80-75-75-C-80-ISO8859-1\n" + SIZE_LINE
FONT_OUT = {
    "glyphstout": "FONT -Test-Mono-Bold-R-Normal--8-80-75-75-C-80-ISO8859-1\n" + SIZE_LINE,
    "glyphslope": "FONT -Test-Mono-Medium-I-Normal--8-80-75-75-C-80-ISO8859-1\n" + SIZE_LINE,
    "glyphstoutslope": "FONT -Test-Mono-Bold-I-Normal--8-80-75-75-C-80-ISO8859-1\n" + SIZE_LINE,
}


def head_in(box, chars="CHARS 1\n"):
    return "STARTFONT 2.1\n" + FONT_IN + "FONTBOUNDINGBOX " + box + "\n" + chars


def head_out(tool, box, slanted_box=None, chars="CHARS 1\n"):
    """The header as written: the bold tool copies the box line, the slanting
    tools write `slanted_box` (the same box when not given)."""
    written = box if tool == "glyphstout" else (slanted_box or box)
    return "STARTFONT 2.1\n" + FONT_OUT[tool] + "FONTBOUNDINGBOX " + written + "\n" + chars


def rows(*hex_rows):
    return "".join(r + "\n" for r in hex_rows)


def encoding(name):
    """The ENCODING line of a glyph, which the filters copy and glyphpreview's
    font reader needs: the code of the name's first letter."""
    return "ENCODING %d\n" % ord(name[0])


def glyph(bbx, *hex_rows, name="g", encoded=True):
    return ("STARTCHAR " + name + "\n" + (encoding(name) if encoded else "") + "BBX " + bbx +
            "\nBITMAP\n" + rows(*hex_rows) + "ENDCHAR\n")


def bbx_message(line):
    return "Incorrect bounding box data: " + line + "\n"


cases = {}


def case(name, data, expect, args=None, env=None, mode=None):
    """expect: {tool or "all": (status, out, err)}"""
    cases[name] = dict(input=data, expect=expect, args=args, env=env, mode=mode)


def preview_case(name, data, status, err, png=None):
    """A font for glyphpreview alone: its status and message on the terminal,
    and with -o (`png`, the same when not given)."""
    cases[name] = dict(input=data, expect={}, args=None, env=None, mode=None,
                       preview=((status, err), png or (status, err)))


def per_tool(fn):
    return {t: fn(t) for t in TOOLS}


# --- Empty and truncated headers -------------------------------------------

case("empty-input", "", {"all": (0, "", "")})

HEADER_ONLY = "STARTFONT 2.1\n" + FONT_IN + "FONTBOUNDINGBOX 8 8 0 0\n"
case("header-only", HEADER_ONLY,
     per_tool(lambda t: (0, "STARTFONT 2.1\n" + FONT_OUT[t] + "FONTBOUNDINGBOX " +
                         ("8 8 0 0" if t == "glyphstout" else "10 8 -1 0") + "\n", "")))

# No CHARS line: the whole input is copied, only the header rewrites apply,
# and glyph lines (BBX, rows) are copied as they are.
NO_CHARS_IN = ("STARTFONT 2.1\n" + FONT_IN + "FONTBOUNDINGBOX 8 8 0 0\n" +
               'WEIGHT_NAME "Medium"\nSLANT "R"\n' + glyph("8 8 0 0", "ff", "81") + "ENDFONT\n")
case("no-chars-line", NO_CHARS_IN, {
    "glyphstout": (0, "STARTFONT 2.1\n" + FONT_OUT["glyphstout"] + "FONTBOUNDINGBOX 8 8 0 0\n" +
                   'WEIGHT_NAME "Bold"\nSLANT "R"\n' + glyph("8 8 0 0", "ff", "81") + "ENDFONT\n",
                   ""),
    "glyphslope": (0, "STARTFONT 2.1\n" + FONT_OUT["glyphslope"] + "FONTBOUNDINGBOX 10 8 -1 0\n" +
                   'WEIGHT_NAME "Medium"\nSLANT "I"\n' + glyph("8 8 0 0", "ff", "81") +
                   "ENDFONT\n", ""),
    "glyphstoutslope": (0, "STARTFONT 2.1\n" + FONT_OUT["glyphstoutslope"] +
                        "FONTBOUNDINGBOX 10 8 -1 0\n" + 'WEIGHT_NAME "Bold"\nSLANT "I"\n' +
                        glyph("8 8 0 0", "ff", "81") + "ENDFONT\n", ""),
})

case("only-line-ends", "\n\n\n", {"all": (0, "\n\n\n", "")})

# Every byte value in one go, no CHARS: copied whole, the second piece (from
# byte 11 on) starting with a byte that is no letter.
ALL_BYTES = "".join(chr(b) for b in range(256))
case("all-byte-values", ALL_BYTES, {"all": (0, ALL_BYTES, "")})

# --- CHARS ------------------------------------------------------------------

# "CHARS" alone counts 0; the glyphs are handled as usual.
case("chars-without-number", head_in("8 3 0 0", "CHARS\n") + glyph("8 3 0 0", "18", "24", "42"),
     {
         "glyphstout": (0, head_out("glyphstout", "8 3 0 0", chars="CHARS\n") +
                        glyph("8 3 0 0", "38", "6c", "c6"), ""),
         "glyphslope": (0, head_out("glyphslope", "8 3 0 0", chars="CHARS\n") +
                        glyph("8 3 0 0", "18", "24", "42"), ""),
         "glyphstoutslope": (0, head_out("glyphstoutslope", "8 3 0 0", chars="CHARS\n") +
                             glyph("8 3 0 0", "38", "6c", "c6"), ""),
     })

case("chars-minus-one", head_in("8 3 0 0", "CHARS -1\n") + glyph("8 3 0 0", "18") + "ENDFONT\n",
     per_tool(lambda t: (1, head_out(t, "8 3 0 0", chars="CHARS -1\n"),
                         "Incorrect glyph count: CHARS -1\n\n")))

# A count beyond 32 bits saturates: the meter's per cent stays at 0.
METER_30_ZERO = "\rprogress|" + " " * 10 + "0%|"
BLANK_30 = "\r" + " " * 27 + "\r"
case("chars-huge-count",
     head_in("8 3 0 0", "CHARS 99999999999\n") + glyph("8 1 0 0", "80") + glyph("8 1 0 0", "01"),
     {
         "glyphstout": (0, head_out("glyphstout", "8 3 0 0", chars="CHARS 99999999999\n") +
                        glyph("8 1 0 0", "80") + glyph("8 1 0 0", "03"), METER_30_ZERO + BLANK_30),
         "glyphslope": (0, head_out("glyphslope", "8 3 0 0", chars="CHARS 99999999999\n") +
                        glyph("8 1 0 0", "80") + glyph("8 1 0 0", "01"), METER_30_ZERO + BLANK_30),
         "glyphstoutslope": (0, head_out("glyphstoutslope", "8 3 0 0",
                                         chars="CHARS 99999999999\n") +
                             glyph("8 1 0 0", "80") + glyph("8 1 0 0", "03"),
                             METER_30_ZERO + BLANK_30),
     }, args=["-V"], env=["COLUMNS=30"])

# --- FONTBOUNDINGBOX ----------------------------------------------------------

def font_box_failure(name, box_line):
    data = "STARTFONT 2.1\n" + FONT_IN + box_line + "CHARS 1\n" + glyph("8 3 0 0", "18")
    case(name, data, per_tool(lambda t: (1, "STARTFONT 2.1\n" + FONT_OUT[t],
                                         bbx_message(box_line))))


font_box_failure("font-box-one-number", "FONTBOUNDINGBOX 8\n")
font_box_failure("font-box-width-4294967295", "FONTBOUNDINGBOX 4294967295 8 0 0\n")
font_box_failure("font-box-height-99999999999", "FONTBOUNDINGBOX 8 99999999999 0 0\n")
font_box_failure("font-box-minus-width", "FONTBOUNDINGBOX -8 8 0 0\n")
font_box_failure("font-box-minus-height", "FONTBOUNDINGBOX 8 -3 0 0\n")
font_box_failure("font-box-2147483648", "FONTBOUNDINGBOX 2147483648 8 0 0\n")

# Three numbers: enough for the bold tool (width and height), not for the
# slanting tools (a keyword and four numbers).
case("font-box-three-numbers", head_in("8 3 0") + glyph("8 3 0 0", "18", "24", "42"), {
    "glyphstout": (0, head_out("glyphstout", "8 3 0") + glyph("8 3 0 0", "38", "6c", "c6"), ""),
    "glyphslope": (1, "STARTFONT 2.1\n" + FONT_OUT["glyphslope"],
                   bbx_message("FONTBOUNDINGBOX 8 3 0\n")),
    "glyphstoutslope": (1, "STARTFONT 2.1\n" + FONT_OUT["glyphstoutslope"],
                        bbx_message("FONTBOUNDINGBOX 8 3 0\n")),
})

# Height 0: no slant extra, the box is written as read; glyphs of height 0
# pass everywhere and have no rows.
case("font-box-height-zero",
     head_in("8 0 0 0", "CHARS 2\n") + "STARTCHAR a\nENCODING 97\nBBX 8 0 0 0\nBITMAP\nENDCHAR\n" +
     "STARTCHAR b\nENCODING 98\nBBX 0 0 0 0\nBITMAP\nENDCHAR\nENDFONT\n",
     per_tool(lambda t: (0, head_out(t, "8 0 0 0", chars="CHARS 2\n") +
                         "STARTCHAR a\nENCODING 97\nBBX 8 0 0 0\nBITMAP\nENDCHAR\n" +
                         "STARTCHAR b\nENCODING 98\nBBX 0 0 0 0\nBITMAP\nENDCHAR\nENDFONT\n", "")))

# Width 0: one byte per row in the bold tool; rows of no cells in glyphslope
# (empty lines); glyphstoutslope emboldens an empty text into one zero byte.
case("font-box-width-zero", head_in("0 3 0 0") + glyph("0 3 0 0", "FF", "FF", "FF"), {
    "glyphstout": (0, head_out("glyphstout", "0 3 0 0") + glyph("0 3 0 0", "ff", "ff", "ff"), ""),
    "glyphslope": (0, head_out("glyphslope", "0 3 0 0") + glyph("0 3 0 0", "", "", ""), ""),
    "glyphstoutslope": (0, head_out("glyphstoutslope", "0 3 0 0") +
                        glyph("0 3 0 0", "00", "00", "00"), ""),
})

# Negative offsets are ordinary; the slanting tools move x left by half the
# extra. The glyph is the seven-row stroke of the worked slant example.
STROKE_IN = ("04", "08", "08", "10", "10", "20", "20")
case("font-box-negative-offsets", head_in("8 7 -3 -2") + glyph("8 7 0 0", *STROKE_IN), {
    "glyphstout": (0, head_out("glyphstout", "8 7 -3 -2") +
                   glyph("8 7 0 0", "0c", "18", "18", "30", "30", "60", "60"), ""),
    "glyphslope": (0, head_out("glyphslope", "8 7 -3 -2", "10 7 -4 -2") +
                   glyph("10 7 -1 0", "0100", "0200", "0400", "0400", "0800", "1000", "2000"), ""),
    "glyphstoutslope": (0, head_out("glyphstoutslope", "8 7 -3 -2", "10 7 -4 -2") +
                        glyph("10 7 -1 0", "0300", "0600", "0c00", "0c00", "1800", "3000", "6000"),
                        ""),
})

# A font box far larger than any glyph: memory follows the glyphs.
case("font-box-60000-small-glyphs",
     head_in("60000 60000 0 0", "CHARS 2\n") + glyph("8 3 0 0", "18", "24", "42", name="a") +
     glyph("8 7 0 0", *STROKE_IN, name="b") + "ENDFONT\n", {
         "glyphstout": (0, head_out("glyphstout", "60000 60000 0 0", chars="CHARS 2\n") +
                        glyph("8 3 0 0", "38", "6c", "c6", name="a") +
                        glyph("8 7 0 0", "0c", "18", "18", "30", "30", "60", "60", name="b") +
                        "ENDFONT\n", ""),
         "glyphslope": (0, head_out("glyphslope", "", "79999 60000 -9999 0", chars="CHARS 2\n") +
                        glyph("8 3 0 0", "18", "24", "42", name="a") +
                        glyph("10 7 -1 0", "0100", "0200", "0400", "0400", "0800", "1000", "2000",
                              name="b") + "ENDFONT\n", ""),
         "glyphstoutslope": (0, head_out("glyphstoutslope", "", "79999 60000 -9999 0",
                                         chars="CHARS 2\n") +
                             glyph("8 3 0 0", "38", "6c", "c6", name="a") +
                             glyph("10 7 -1 0", "0300", "0600", "0c00", "0c00", "1800", "3000",
                                   "6000", name="b") + "ENDFONT\n", ""),
     })

# A glyph whose box truly cannot be had under the 64 MiB cap.
HUGE_HEAD_IN = head_in("2000000000 2000 0 0")
HUGE_GLYPH_HEAD = "STARTCHAR huge\nENCODING 104\nBBX {}\nBITMAP\n"
case("glyph-box-cannot-be-allocated",
     HUGE_HEAD_IN + HUGE_GLYPH_HEAD.format("2000000000 2000 0 0") + "FF\nENDCHAR\nENDFONT\n", {
         "glyphstout": (1, head_out("glyphstout", "2000000000 2000 0 0") +
                        HUGE_GLYPH_HEAD.format("2000000000 2000 0 0"), "FATAL: Memory exhausted"),
         "glyphslope": (1, head_out("glyphslope", "", "2000000666 2000 -333 0") +
                        HUGE_GLYPH_HEAD.format("2000000666 2000 -333 0"),
                        "FATAL: Memory exhausted"),
         "glyphstoutslope": (1, head_out("glyphstoutslope", "", "2000000666 2000 -333 0") +
                             HUGE_GLYPH_HEAD.format("2000000666 2000 -333 0"),
                             "FATAL: Memory exhausted"),
     })

# --- Glyph boxes --------------------------------------------------------------

def glyph_box_failure_all(name, bbx_line):
    data = head_in("8 3 0 0") + "STARTCHAR g\nENCODING 103\n" + bbx_line + "BITMAP\nFF\nENDCHAR\n"
    case(name, data, per_tool(lambda t: (1, head_out(t, "8 3 0 0") + "STARTCHAR g\nENCODING 103\n",
                                         bbx_message(bbx_line))))


glyph_box_failure_all("glyph-box-wider-than-font", "BBX 9 3 0 0\n")
glyph_box_failure_all("glyph-box-minus-width", "BBX -8 3 0 0\n")
glyph_box_failure_all("glyph-box-one-number", "BBX 8\n")
glyph_box_failure_all("glyph-box-2147483648", "BBX 2147483648 1 0 0\n")
glyph_box_failure_all("glyph-box-no-numbers", "BBX\n")


def bold_only_glyph_box(name, bbx_line, in_rows, bold_rows):
    """A box that only the slanting tools reject (the bold tool checks the
    width alone, and needs two numbers)."""
    data = head_in("8 3 0 0") + "STARTCHAR g\nENCODING 103\n" + bbx_line + "BITMAP\n" + rows(*in_rows) + \
        "ENDCHAR\n"
    expect = {"glyphstout": (0, head_out("glyphstout", "8 3 0 0") + "STARTCHAR g\nENCODING 103\n" + bbx_line +
                             "BITMAP\n" + rows(*bold_rows) + "ENDCHAR\n", "")}
    for t in TOOLS[1:]:
        expect[t] = (1, head_out(t, "8 3 0 0") + "STARTCHAR g\nENCODING 103\n", bbx_message(bbx_line))
    case(name, data, expect)


bold_only_glyph_box("glyph-box-taller-than-font", "BBX 8 4 0 0\n", ("80", "40", "20", "10"),
                    ("80", "c0", "60", "30"))
bold_only_glyph_box("glyph-box-minus-height", "BBX 8 -3 0 0\n", ("18",), ("38",))
bold_only_glyph_box("glyph-box-three-numbers", "BBX 8 3 0\n", ("24",), ("6c",))

# BBX 0 0 0 0 passes everywhere, written unchanged, with no rows.
case("glyph-box-all-zero", head_in("8 3 0 0") + "STARTCHAR g\nENCODING 103\nBBX 0 0 0 0\nBITMAP\nENDCHAR\n",
     per_tool(lambda t: (0, head_out(t, "8 3 0 0") + "STARTCHAR g\nENCODING 103\nBBX 0 0 0 0\nBITMAP\nENDCHAR\n",
                         "")))

# A glyph wider than the font box but low enough to pass the slanted check.
case("glyph-wider-but-low", head_in("8 16 0 -2") + glyph("13 1 0 0", "FFF8"), {
    "glyphstout": (1, head_out("glyphstout", "8 16 0 -2") + "STARTCHAR g\nENCODING 103\n",
                   bbx_message("BBX 13 1 0 0\n")),
    "glyphslope": (0, head_out("glyphslope", "", "13 16 -2 -2") + glyph("13 1 0 0", "FFF8"), ""),
    "glyphstoutslope": (0, head_out("glyphstoutslope", "", "13 16 -2 -2") +
                        glyph("13 1 0 0", "fff8"), ""),
})

# A BBX line inside the bitmap widens the glyph for the rows after it; the
# row read at the narrower width is clear beyond its own cells.
case("bbx-inside-bitmap-widens",
     head_in("16 3 0 0") + "STARTCHAR g\nENCODING 103\nBBX 5 3 0 0\nBITMAP\nFF\nBBX 12 3 0 0\nFFF0\n8010\n"
     "ENDCHAR\n", {
         "glyphstout": (0, head_out("glyphstout", "16 3 0 0") +
                        "STARTCHAR g\nENCODING 103\nBBX 5 3 0 0\nBITMAP\nff\nBBX 12 3 0 0\nfff0\n8030\n"
                        "ENDCHAR\n", ""),
         "glyphslope": (0, head_out("glyphslope", "16 3 0 0") +
                        "STARTCHAR g\nENCODING 103\nBBX 5 3 0 0\nBITMAP\nBBX 12 3 0 0\nFF00\nFFF0\n8010\n"
                        "ENDCHAR\n", ""),
         "glyphstoutslope": (0, head_out("glyphstoutslope", "16 3 0 0") +
                             "STARTCHAR g\nENCODING 103\nBBX 5 3 0 0\nBITMAP\nBBX 12 3 0 0\nff00\nfff0\n8030\n"
                             "ENDCHAR\n", ""),
     })

# --- Glyph structure ----------------------------------------------------------

# The second glyph's STARTCHAR arrives inside the first one's bitmap: a row
# for the bold tool, dropped by the slanting tools (beyond the height).
MISSING_END_IN = (head_in("8 3 0 0", "CHARS 2\n") + "STARTCHAR a\nBBX 8 3 0 0\nBITMAP\n18\n24\n42\n" +
                  glyph("8 3 0 0", "81", "42", "24", name="b", encoded=False) + "ENDFONT\n")
case("missing-endchar", MISSING_END_IN, {
    "glyphstout": (0, head_out("glyphstout", "8 3 0 0", chars="CHARS 2\n") +
                   "STARTCHAR a\nBBX 8 3 0 0\nBITMAP\n38\n6c\nc6\n00\n" +
                   "BBX 8 3 0 0\nBITMAP\n83\nc6\n6c\nENDCHAR\nENDFONT\n", ""),
    "glyphslope": (0, head_out("glyphslope", "8 3 0 0", chars="CHARS 2\n") +
                   "STARTCHAR a\nBBX 8 3 0 0\nBITMAP\n" +
                   "BBX 8 3 0 0\nBITMAP\n81\n42\n24\nENDCHAR\nENDFONT\n", ""),
    "glyphstoutslope": (0, head_out("glyphstoutslope", "8 3 0 0", chars="CHARS 2\n") +
                        "STARTCHAR a\nBBX 8 3 0 0\nBITMAP\n" +
                        "BBX 8 3 0 0\nBITMAP\n83\nc6\n6c\nENDCHAR\nENDFONT\n", ""),
})

# No BITMAP: the rows are copied as ordinary lines, and at ENDCHAR the
# slanting tools write clear rows, nothing of the glyph before.
MISSING_BITMAP_TAIL = "STARTCHAR b\nENCODING 98\nBBX 8 3 0 0\n18\n24\n"
case("missing-bitmap",
     head_in("8 3 0 0", "CHARS 2\n") + glyph("8 3 0 0", "FF", "FF", "FF", name="a") +
     MISSING_BITMAP_TAIL + "ENDCHAR\n", {
         "glyphstout": (0, head_out("glyphstout", "8 3 0 0", chars="CHARS 2\n") +
                        glyph("8 3 0 0", "ff", "ff", "ff", name="a") + MISSING_BITMAP_TAIL +
                        "ENDCHAR\n", ""),
         "glyphslope": (0, head_out("glyphslope", "8 3 0 0", chars="CHARS 2\n") +
                        glyph("8 3 0 0", "FF", "FF", "FF", name="a") + MISSING_BITMAP_TAIL +
                        "00\n00\n00\nENDCHAR\n", ""),
         "glyphstoutslope": (0, head_out("glyphstoutslope", "8 3 0 0", chars="CHARS 2\n") +
                             glyph("8 3 0 0", "ff", "ff", "ff", name="a") + MISSING_BITMAP_TAIL +
                             "00\n00\n00\nENDCHAR\n", ""),
     })

case("endchar-before-any-glyph", head_in("8 3 0 0") + "ENDCHAR\n", {
    "glyphstout": (0, head_out("glyphstout", "8 3 0 0") + "ENDCHAR\n", ""),
    "glyphslope": (0, head_out("glyphslope", "8 3 0 0") + "00\n00\n00\nENDCHAR\n", ""),
    "glyphstoutslope": (0, head_out("glyphstoutslope", "8 3 0 0") + "00\n00\n00\nENDCHAR\n", ""),
})

# Fewer rows than the height: the missing rows are clear, not the rows of the
# glyph before.
case("fewer-rows-than-height",
     head_in("8 3 0 0", "CHARS 2\n") + glyph("8 3 0 0", "81", "81", "81", name="a") +
     glyph("8 3 0 0", "FF", name="b"), {
         "glyphstout": (0, head_out("glyphstout", "8 3 0 0", chars="CHARS 2\n") +
                        glyph("8 3 0 0", "83", "83", "83", name="a") +
                        glyph("8 3 0 0", "ff", name="b"), ""),
         "glyphslope": (0, head_out("glyphslope", "8 3 0 0", chars="CHARS 2\n") +
                        glyph("8 3 0 0", "81", "81", "81", name="a") +
                        glyph("8 3 0 0", "FF", "00", "00", name="b"), ""),
         "glyphstoutslope": (0, head_out("glyphstoutslope", "8 3 0 0", chars="CHARS 2\n") +
                             glyph("8 3 0 0", "83", "83", "83", name="a") +
                             glyph("8 3 0 0", "ff", "00", "00", name="b"), ""),
     })

case("more-rows-than-height", head_in("8 3 0 0") + glyph("8 3 0 0", "01", "02", "04", "08", "10"),
     {
         "glyphstout": (0, head_out("glyphstout", "8 3 0 0") +
                        glyph("8 3 0 0", "03", "06", "0c", "18", "30"), ""),
         "glyphslope": (0, head_out("glyphslope", "8 3 0 0") + glyph("8 3 0 0", "01", "02", "04"),
                        ""),
         "glyphstoutslope": (0, head_out("glyphstoutslope", "8 3 0 0") +
                             glyph("8 3 0 0", "03", "06", "0c"), ""),
     })

# Characters that are no hex digits read as 0 and take a digit's place.
case("non-hex-characters", head_in("8 3 0 0") + glyph("8 3 0 0", "G1", "zz", "F-"), {
    "glyphstout": (0, head_out("glyphstout", "8 3 0 0") + glyph("8 3 0 0", "03", "00", "f0"), ""),
    "glyphslope": (0, head_out("glyphslope", "8 3 0 0") + glyph("8 3 0 0", "01", "00", "F0"), ""),
    "glyphstoutslope": (0, head_out("glyphstoutslope", "8 3 0 0") +
                        glyph("8 3 0 0", "03", "00", "f0"), ""),
})

# --- Long lines -----------------------------------------------------------------
# A line longer than 255 bytes arrives in pieces of at most 255, each handled
# as a line. Each case puts a line of the given length in a header comment, in
# a comment between glyphs and as a bitmap row ("F" repeated), followed by
# the row 81.


def long_line_case(length, stout_rows, slope_rows, stoutslope_rows):
    header_comment = "COMMENT " + "h" * (length - 8) + "\n"
    glyph_comment = "COMMENT " + "c" * (length - 8) + "\n"
    long_row = "F" * length + "\n"
    data = (head_in("8 3 0 0", header_comment + "CHARS 1\n") + glyph_comment +
            "STARTCHAR g\nENCODING 103\nBBX 8 3 0 0\nBITMAP\n" + long_row + "81\nENDCHAR\n")

    def out(t, out_rows):
        return (head_out(t, "8 3 0 0", chars=header_comment + "CHARS 1\n") + glyph_comment +
                "STARTCHAR g\nENCODING 103\nBBX 8 3 0 0\nBITMAP\n" + rows(*out_rows) + "ENDCHAR\n")

    case("line-of-%d-bytes" % length, data, {
        "glyphstout": (0, out("glyphstout", stout_rows), ""),
        "glyphslope": (0, out("glyphslope", slope_rows), ""),
        "glyphstoutslope": (0, out("glyphstoutslope", stoutslope_rows), ""),
    })


long_line_case(254, ("ff", "83"), ("FF", "81", "00"), ("ff", "83", "00"))
long_line_case(255, ("ff", "00", "83"), ("FF", "00", "81"), ("ff", "00", "83"))
long_line_case(256, ("ff", "f0", "83"), ("FF", "F0", "81"), ("ff", "f0", "83"))
long_line_case(1000, ("ff", "ff", "ff", "ff", "83"), ("FF", "FF", "FF"), ("ff", "ff", "ff"))

# A piece that begins with a keyword is taken for one: FONT in the header...
SPLIT_FONT = "COMMENT " + "a" * 247 + "FONT x-Medium-R-\n"
case("long-line-piece-is-font", head_in("8 3 0 0", SPLIT_FONT + "CHARS 1\n"), {
    "glyphstout": (0, head_out("glyphstout", "8 3 0 0",
                               chars="COMMENT " + "a" * 247 + "FONT x-Bold-R-\nCHARS 1\n"), ""),
    "glyphslope": (0, head_out("glyphslope", "8 3 0 0",
                               chars="COMMENT " + "a" * 247 + "FONT x-Medium-I-\nCHARS 1\n"), ""),
    "glyphstoutslope": (0, head_out("glyphstoutslope", "8 3 0 0",
                                    chars="COMMENT " + "a" * 247 + "FONT x-Bold-I-\nCHARS 1\n"),
                        ""),
})

# ... and BBX in the glyph section, where it fails the check.
SPLIT_BBX_FIRST = "COMMENT " + "b" * 247
case("long-line-piece-is-bbx",
     head_in("8 3 0 0") + SPLIT_BBX_FIRST + "BBX 99 3 0 0\n" + glyph("8 3 0 0", "18"),
     per_tool(lambda t: (1, head_out(t, "8 3 0 0") + SPLIT_BBX_FIRST,
                         bbx_message("BBX 99 3 0 0\n"))))

# --- Line ends and odd bytes -----------------------------------------------------

# CRLF: the carriage return is white space to the keyword test and the number
# scans. Copied lines keep it; the slanting tools rebuild box lines with a
# plain newline; every row is written with a plain newline.
CRLF_IN = (head_in("8 3 0 0") + glyph("8 3 0 0", "18", "24", "42") + "ENDFONT\n").replace("\n",
                                                                                          "\r\n")


def crlf_out(t, rows_out):
    head = head_out(t, "8 3 0 0").replace("\n", "\r\n")
    body = "STARTCHAR g\r\nENCODING 103\r\nBBX 8 3 0 0\r\nBITMAP\r\n"
    if t != "glyphstout":
        head = head.replace("FONTBOUNDINGBOX 8 3 0 0\r\n", "FONTBOUNDINGBOX 8 3 0 0\n")
        body = body.replace("BBX 8 3 0 0\r\n", "BBX 8 3 0 0\n")
    return head + body + rows(*rows_out) + "ENDCHAR\r\nENDFONT\r\n"


case("crlf-line-ends", CRLF_IN, {
    "glyphstout": (0, crlf_out("glyphstout", ("38", "6c", "c6")), ""),
    "glyphslope": (0, crlf_out("glyphslope", ("18", "24", "42")), ""),
    "glyphstoutslope": (0, crlf_out("glyphstoutslope", ("38", "6c", "c6")), ""),
})

case("no-final-line-end", head_in("8 3 0 0") + glyph("8 3 0 0", "18", "24", "42") + "ENDFONT",
     {
         "glyphstout": (0, head_out("glyphstout", "8 3 0 0") +
                        glyph("8 3 0 0", "38", "6c", "c6") + "ENDFONT", ""),
         "glyphslope": (0, head_out("glyphslope", "8 3 0 0") +
                        glyph("8 3 0 0", "18", "24", "42") + "ENDFONT", ""),
         "glyphstoutslope": (0, head_out("glyphstoutslope", "8 3 0 0") +
                             glyph("8 3 0 0", "38", "6c", "c6") + "ENDFONT", ""),
     })

# The input ends inside a bitmap, on a row without a line end: the bold tool
# writes the row with its newline; the slanting tools never write the rows of
# a glyph left open.
OPEN_TAIL = "STARTCHAR g\nENCODING 103\nBBX 8 3 0 0\nBITMAP\n18\n24"
case("ends-inside-bitmap", head_in("8 3 0 0") + OPEN_TAIL, {
    "glyphstout": (0, head_out("glyphstout", "8 3 0 0") +
                   "STARTCHAR g\nENCODING 103\nBBX 8 3 0 0\nBITMAP\n38\n6c\n", ""),
    "glyphslope": (0, head_out("glyphslope", "8 3 0 0") + "STARTCHAR g\nENCODING 103\nBBX 8 3 0 0\nBITMAP\n",
                   ""),
    "glyphstoutslope": (0, head_out("glyphstoutslope", "8 3 0 0") +
                        "STARTCHAR g\nENCODING 103\nBBX 8 3 0 0\nBITMAP\n", ""),
})

# NUL bytes: a line holding one is copied whole; in a row the NUL ends the
# row's text; a keyword line is judged by its text before the NUL.
NUL_IN = (head_in("8 3 0 0", "COMMENT a\0b\nCHARS 1\n") + "\0BBX 99 3 0 0\n" +
          "STARTCHAR g\nENCODING 103\nBBX 8 3 0 0\nBITMAP\0junk\nF\0F\n\0FF\n81\nENDCHAR\n")


def nul_out(t, rows_out):
    return (head_out(t, "8 3 0 0", chars="COMMENT a\0b\nCHARS 1\n") + "\0BBX 99 3 0 0\n" +
            "STARTCHAR g\nENCODING 103\nBBX 8 3 0 0\nBITMAP\0junk\n" + rows(*rows_out) + "ENDCHAR\n")


case("nul-bytes", NUL_IN, {
    "glyphstout": (0, nul_out("glyphstout", ("f0", "00", "83")), ""),
    "glyphslope": (0, nul_out("glyphslope", ("F0", "00", "81")), ""),
    "glyphstoutslope": (0, nul_out("glyphstoutslope", ("f0", "00", "83")), ""),
})

# Bytes of 128 and more: never a letter, read as 0 in a row, kept elsewhere.
HIGH_FONT_IN = "FONT -\xe9t\xe9-Mono-Medium-R-Normal--8\n"
HIGH_IN = ("STARTFONT 2.1\n\xff\xfeFONT -Medium-R-\n" + HIGH_FONT_IN + "FONTBOUNDINGBOX 8 3 0 0\n"
           "CHARS 1\nSTARTCHAR \xe0\nBBX 8 3 0 0\nBITMAP\n\x80F\nF\x80\n\xc3\xa9\nENDCHAR\n")


def high_out(t, font_line, rows_out):
    return ("STARTFONT 2.1\n\xff\xfeFONT -Medium-R-\n" + font_line + "FONTBOUNDINGBOX 8 3 0 0\n"
            "CHARS 1\nSTARTCHAR \xe0\nBBX 8 3 0 0\nBITMAP\n" + rows(*rows_out) + "ENDCHAR\n")


case("bytes-128-and-more", HIGH_IN, {
    "glyphstout": (0, high_out("glyphstout", "FONT -\xe9t\xe9-Mono-Bold-R-Normal--8\n",
                               ("1f", "f0", "00")), ""),
    "glyphslope": (0, high_out("glyphslope", "FONT -\xe9t\xe9-Mono-Medium-I-Normal--8\n",
                               ("0F", "F0", "00")), ""),
    "glyphstoutslope": (0, high_out("glyphstoutslope", "FONT -\xe9t\xe9-Mono-Bold-I-Normal--8\n",
                                    ("1f", "f0", "00")), ""),
})

# Keywords are compared exactly: lower-case ones are ordinary lines, and
# inside a bitmap a lower-case endchar is a row.
LOWER_IN = ("STARTFONT 2.1\nfont -Test-Mono-Medium-R-Normal--8\n" + FONT_IN +
            "fontboundingbox 99 99 0 0\nFONTBOUNDINGBOX 8 3 0 0\nchars 5\nCHARS 1\n"
            "startchar a\nbbx 99 3 0 0\nbitmap\nBBX 8 3 0 0\nBITMAP\nendchar\n18\nENDCHAR\n")


def lower_out(t, rows_out):
    return ("STARTFONT 2.1\nfont -Test-Mono-Medium-R-Normal--8\n" + FONT_OUT[t] +
            "fontboundingbox 99 99 0 0\nFONTBOUNDINGBOX 8 3 0 0\nchars 5\nCHARS 1\n"
            "startchar a\nbbx 99 3 0 0\nbitmap\nBBX 8 3 0 0\nBITMAP\n" + rows(*rows_out) +
            "ENDCHAR\n")


case("lower-case-keywords", LOWER_IN, {
    "glyphstout": (0, lower_out("glyphstout", ("e0", "38")), ""),
    "glyphslope": (0, lower_out("glyphslope", ("E0", "18", "00")), ""),
    "glyphstoutslope": (0, lower_out("glyphstoutslope", ("e0", "38", "00")), ""),
})

# Tabs are white space: they end a keyword and separate numbers; in a row a
# tab is a non-digit that reads as 0.
TAB_IN = ("STARTFONT 2.1\n" + FONT_IN + "FONTBOUNDINGBOX\t8\t3\t0\t0\nCHARS\t1\n"
          "STARTCHAR\tg\nENCODING 103\nBBX\t8\t3\t0\t0\nBITMAP\t\n\t18\n24\t\nENDCHAR\t\n")


def tab_out(t, rows_out):
    box = "FONTBOUNDINGBOX\t8\t3\t0\t0\n" if t == "glyphstout" else "FONTBOUNDINGBOX 8 3 0 0\n"
    bbx = "BBX\t8\t3\t0\t0\n" if t == "glyphstout" else "BBX 8 3 0 0\n"
    return ("STARTFONT 2.1\n" + FONT_OUT[t] + box + "CHARS\t1\nSTARTCHAR\tg\nENCODING 103\n" + bbx +
            "BITMAP\t\n" + rows(*rows_out) + "ENDCHAR\t\n")


case("tabs", TAB_IN, {
    "glyphstout": (0, tab_out("glyphstout", ("03", "6c")), ""),
    "glyphslope": (0, tab_out("glyphslope", ("01", "24", "00")), ""),
    "glyphstoutslope": (0, tab_out("glyphstoutslope", ("03", "6c", "00")), ""),
})

# --- Progress meter -------------------------------------------------------------

THREE_SMALL = (glyph("8 1 0 0", "80", name="a") + glyph("8 1 0 0", "01", name="b") +
               glyph("8 1 0 0", "18", name="c"))


def small_out(t):
    bold = t != "glyphslope"
    return (glyph("8 1 0 0", "80", name="a") + glyph("8 1 0 0", "03" if bold else "01", name="b") +
            glyph("8 1 0 0", "38" if bold else "18", name="c"))


METER_30 = "\rprogress|=====     66%|\rprogress|========= 100%\\" + BLANK_30
case("meter-columns-30", head_in("8 3 0 0", "CHARS 3\n") + THREE_SMALL,
     per_tool(lambda t: (0, head_out(t, "8 3 0 0", chars="CHARS 3\n") + small_out(t), METER_30)),
     args=["-V"], env=["COLUMNS=30"])

# COLUMNS below 21 counts as 21: a bar of one character.
case("meter-columns-5", head_in("8 3 0 0", "CHARS 2\n") + THREE_SMALL,
     per_tool(lambda t: (0, head_out(t, "8 3 0 0", chars="CHARS 2\n") + small_out(t),
                         "\rprogress| 100%|\rprogress| 100%\\\r" + " " * 18 + "\r")),
     args=["-V"], env=["COLUMNS=5"])

# A failure after the meter has drawn: the message follows the last frame.
case("meter-then-bad-box",
     head_in("8 3 0 0", "CHARS 2\n") + glyph("8 1 0 0", "80", name="a") +
     glyph("8 1 0 0", "01", name="b") + "STARTCHAR c\nENCODING 99\nBBX 99 1 0 0\nBITMAP\n18\nENDCHAR\n",
     per_tool(lambda t: (1, head_out(t, "8 3 0 0", chars="CHARS 2\n") +
                         glyph("8 1 0 0", "80", name="a") +
                         glyph("8 1 0 0", "01" if t == "glyphslope" else "03", name="b") +
                         "STARTCHAR c\nENCODING 99\n",
                         "\rprogress|==== 100%|" + bbx_message("BBX 99 1 0 0\n"))),
     args=["-V"], env=["COLUMNS=25"])

# --- The surroundings -------------------------------------------------------------

SMALL_FONT = head_in("8 3 0 0") + glyph("8 3 0 0", "18", "24", "42") + "ENDFONT\n"
case("input-is-a-directory", "", {"all": (1, "", "Read error: Is a directory\n")},
     mode="directory")
case("output-to-dev-full", SMALL_FONT, {"all": (1, "", "Write error: No space left on device\n")},
     mode="devfull")
case("standard-output-closed", SMALL_FONT, {"all": (1, "", "Write error: Bad file descriptor\n")},
     mode="closed-stdout")


# --- -w: boxes one pixel wider on the growth side (glyphslope ignores it) --------

# With -w a box line needs all four numbers; the slanting tools need them anyway.
case("widen-box-without-offsets", head_in("8 16") + glyph("8 1 0 0", "FF"),
     per_tool(lambda t: (1, "STARTFONT 2.1\n" + FONT_OUT[t], bbx_message("FONTBOUNDINGBOX 8 16\n"))),
     args=["-w"])

# A box whose widened width would pass 2147483647 is unreadable; unwidened, it passes.
case("widen-width-overflow", head_in("2147483647 1 0 0", "CHARS 0\n"),
     {"glyphstout": (1, "STARTFONT 2.1\n" + FONT_OUT["glyphstout"],
                     bbx_message("FONTBOUNDINGBOX 2147483647 1 0 0\n")),
      "glyphslope": (0, head_out("glyphslope", "2147483647 1 0 0", chars="CHARS 0\n"), ""),
      "glyphstoutslope": (1, "STARTFONT 2.1\n" + FONT_OUT["glyphstoutslope"],
                          bbx_message("FONTBOUNDINGBOX 2147483647 1 0 0\n"))},
     args=["-w"])

# Ink in both edge columns of a glyph three rows high (no slant): X.....X. of a
# 7-pixel box becomes XX....XX of an 8-pixel box, on either side of growth.
for side, extra_args, font_x, glyph_x in (("left", [], "-3", "-4"), ("right", ["-r"], "-2", "-3")):
    bold_out = glyph("8 3 %s 1" % glyph_x, "c3", "c3", "c3")
    case("widen-edge-ink-" + side, head_in("8 3 -2 -1") + glyph("7 3 -3 1", "82", "82", "82"),
         {"glyphstout": (0, head_out("glyphstout", "9 3 %s -1" % font_x) + bold_out, ""),
          "glyphslope": (0, head_out("glyphslope", "8 3 -2 -1") +
                         glyph("7 3 -3 1", "82", "82", "82"), ""),
          "glyphstoutslope": (0, head_out("glyphstoutslope", "9 3 %s -1" % font_x) + bold_out, "")},
         args=["-w"] + extra_args)

# --- glyphpreview ------------------------------------------------------------------
# The preview reads every case as its font through FreeType's BDF reader, which
# needs a FONT, a SIZE and a FONTBOUNDINGBOX line, STARTCHAR, ENCODING, BBX and
# BITMAP in every glyph, numbers it can read, and ENDFONT; a font it cannot
# open is reported with the reader's reason and status 1. A font it opens is
# shown with status 0, whatever its glyphs hold; an unreadable glyph is a box.


def cannot_open(reason, name="(standard input)"):
    return (1, "Cannot open font %s: %s\n" % (name, reason))


NO_END = cannot_open("Font glyphs corrupted or missing fields")  # no ENDFONT, or a glyph cut
PREVIEW = {
    "all-byte-values": cannot_open("unknown file format"),
    "empty-input": cannot_open("invalid stream operation"),
    "only-line-ends": cannot_open("invalid stream operation"),
    "input-is-a-directory": cannot_open("unknown file format", "a-directory"),
    "header-only": cannot_open("Font header corrupted or missing fields"),
    # A line the reader does not know (a lower-case keyword, a FONT line
    # without a dash, one keyword glued to its number by a tab) breaks the file.
    "bytes-128-and-more": cannot_open("broken file"),
    "lower-case-keywords": cannot_open("broken file"),
    "no-chars-line": cannot_open("broken file"),
    "tabs": cannot_open("broken file"),
    "missing-bitmap": cannot_open("broken file"),
    "missing-endchar": cannot_open("`ENCODING' field missing"),
    "nul-bytes": cannot_open("`ENCODING' field missing"),
    "glyph-box-cannot-be-allocated": cannot_open("`BBX' too big"),
    # Fonts that end with ENDFONT open.
    "chars-minus-one": (0, ""),
    "crlf-line-ends": (0, ""),
    "font-box-60000-small-glyphs": (0, ""),
    "font-box-height-zero": (0, ""),
}
# The output cases: the terminal's writes fail, the PNG file does not.
PREVIEW_PNG = {
    "output-to-dev-full": (0, ""),
    "standard-output-closed": (0, ""),
}
PREVIEW.update({
    "output-to-dev-full": (1, "Write error: No space left on device\n"),
    "standard-output-closed": (1, "Write error: Bad file descriptor\n"),
})

PREVIEW_HEAD = ("STARTFONT 2.1\n" + FONT_IN + "FONTBOUNDINGBOX {box}\nSTARTPROPERTIES 2\n"
                "FONT_ASCENT {ascent}\nFONT_DESCENT 0\nENDPROPERTIES\nCHARS 2\n")


def preview_font(glyph_a, box="8 8 0 0", ascent=8, dwidth=8):
    """A font of a glyph T (its lines from BBX on) and a well-formed h, the
    first two letters of glyphpreview's default text."""
    return (PREVIEW_HEAD.format(box=box, ascent=ascent) +
            "STARTCHAR T\nENCODING 84\nDWIDTH %d 0\n" % dwidth + glyph_a + "ENDCHAR\n" +
            "STARTCHAR h\nENCODING 104\nDWIDTH 8 0\nBBX 8 2 0 0\nBITMAP\nFF\n81\nENDCHAR\n"
            "ENDFONT\n")


# Glyphs without a picture FreeType can hand over: each is a box, or nothing.
preview_case("preview-glyph-without-bitmap", preview_font("BBX 8 8 0 0\n"), 0, "")
preview_case("preview-glyph-box-empty", preview_font("BBX 0 0 0 0\nBITMAP\n"), 0, "")
preview_case("preview-glyph-box-no-height", preview_font("BBX 8 0 0 0\nBITMAP\n"), 0, "")
preview_case("preview-no-unicode-map",
             preview_font("BBX 8 1 0 0\nBITMAP\nFF\n").replace("ENCODING 84", "ENCODING -1"),
             0, "")
# Pixels of 8 bits (gray), half of them ink.
preview_case("preview-gray-pixels",
             preview_font("BBX 2 2 0 0\nBITMAP\n7F80\nFF00\n").replace(
                 "SIZE 8 75 75", "SIZE 8 75 75 8").replace("BITMAP\nFF\n81", "BITMAP\n"
                 + "FF" * 8 + "\n" + "80" * 8), 0, "")
# Cells of 4000 by 6000 pixels for the boxes of the 41 missing characters:
# the line would pass the 64 MiB cap, and cannot be had.
preview_case("preview-huge-cells", preview_font("BBX 8 1 0 0\nBITMAP\nFF\n", box="4000 6000 0 0",
                                                ascent=6000), 1, "FATAL: Memory exhausted\n")
# A glyph advancing 30000 pixels, one 20000 pixels above the baseline: a long
# or a tall line, within the cap.
preview_case("preview-huge-advance", preview_font("BBX 8 1 0 0\nBITMAP\nFF\n", dwidth=30000),
             0, "")
preview_case("preview-glyph-far-above", preview_font("BBX 8 1 0 20000\nBITMAP\nFF\n"), 0, "")

def write_bytes(path, text):
    with open(path, "wb") as f:
        f.write(text.encode("latin-1"))


def main():
    if os.path.isdir(CASES):
        shutil.rmtree(CASES)
    for name, c in cases.items():
        d = os.path.join(CASES, name)
        os.makedirs(d)
        write_bytes(os.path.join(d, "input"), c["input"])
        if c["args"]:
            write_bytes(os.path.join(d, "args"), "".join(a + "\n" for a in c["args"]))
        if c["env"]:
            write_bytes(os.path.join(d, "env"), "".join(e + "\n" for e in c["env"]))
        if c["mode"]:
            write_bytes(os.path.join(d, "mode"), c["mode"] + "\n")
        for tool, (status, out, err) in c["expect"].items():
            write_bytes(os.path.join(d, tool + ".status"), "%d\n" % status)
            write_bytes(os.path.join(d, tool + ".out"), out)
            write_bytes(os.path.join(d, tool + ".err"), err)
        terminal, png = c.get("preview") or (PREVIEW.get(name, NO_END),
                                             PREVIEW_PNG.get(name) or PREVIEW.get(name, NO_END))
        for tool, (status, err) in (("glyphpreview", terminal), ("glyphpreview-png", png)):
            write_bytes(os.path.join(d, tool + ".status"), "%d\n" % status)
            write_bytes(os.path.join(d, tool + ".err"), err)
    print("%d cases written" % len(cases))


if __name__ == "__main__":
    main()
