// The word-parallel paths held against the plain step-by-step ones they stand
// in for: the bold rule on 64-bit words against the 32-bit BitRow, the slant
// correction on bit masks against the correction on cell rows, and each tool
// run whole on generated fonts with its fast paths and with its references.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "bit_correction.hpp"
#include "bit_row.hpp"
#include "bold_words.hpp"
#include "cell_grid.hpp"
#include "hex_rows.hpp"
#include "random_texts.hpp"
#include "reference_paths.hpp"
#include "slant_geometry.hpp"
#include "slant_masks.hpp"
#include "tool_harness.hpp"

namespace glyph::test {
namespace {

using Pixels = std::vector<std::vector<bool>>;  // [row][x]

struct Generator {
    std::mt19937 rng{97531};
    int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); }

    // Random pixels, or strokes: runs of rows stepping left or right now and
    // then, a pixel or a few wide, as letters are drawn.
    Pixels bitmap(int w, int n) {
        Pixels p(static_cast<std::size_t>(n), std::vector<bool>(static_cast<std::size_t>(w)));
        if (w == 0) return p;
        if (below(2) == 0) {
            const int density = 1 + below(9);  // tenths
            for (auto& row : p)
                for (std::size_t x = 0; x < row.size(); ++x)
                    row[x] = below(10) < density;
            return p;
        }
        for (int strokes = 1 + below(4); strokes > 0; --strokes) {
            int x = below(w);
            const int thick = 1 + below(3),
                      slope = below(5) - 2;  // -2..2: steps of 1 in |slope|+1 rows
            for (int y = below(n + 1); y < n; ++y) {
                for (int t = 0; t < thick; ++t)
                    if (x + t >= 0 && x + t < w) p[std::size_t(y)][std::size_t(x + t)] = true;
                if (slope != 0 && below(3 - (slope < 0 ? -slope : slope) + 1) == 0)
                    x += slope < 0 ? -1 : 1;
            }
        }
        return p;
    }

    // A row as hex text of `cells` cells, now and then with a stray character
    // or cut short.
    std::string hex_row(const std::vector<bool>& pixels, std::size_t cells) {
        std::string text;
        for (std::size_t d = 0; d < cells / 4; ++d) {
            int v = 0;
            for (std::size_t b = 0; b < 4; ++b)
                v = v << 1 | (4 * d + b < pixels.size() && pixels[4 * d + b]);
            text += "0123456789ABCDEF"[v];
        }
        if (below(40) == 0 && !text.empty())
            text[std::size_t(below(int(text.size())))] = "xg -"[below(4)];
        if (below(40) == 0) text.resize(std::size_t(below(int(text.size()) + 1)));
        if (below(30) == 0) text += "0F";
        return text;
    }
};

const SlantPattern* full_list() {
    static const SlantPatternList list = load_slant_patterns(SLANT_RATIO);
    return list.data();
}

// The reference: the cell grid, corrected; the pixels "@" and "$" of each row.
Pixels cell_correction(const Pixels& p, const SlantPattern* list, int w, int ratio, int phase = 0) {
    const std::size_t n = p.size();
    CellGrid grid = cell_grid_new(std::size_t(w), n);
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t x = 0; x < std::size_t(w); ++x)
            grid.cell_row(i)[x] = p[i][x] ? '@' : '.';
        grid.cell_len(i) = std::size_t(w);
    }
    correct_slant_pixels(grid, list, w, int(n), ratio, phase);
    Pixels out(n, std::vector<bool>(static_cast<std::size_t>(w)));
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t x = 0; x < std::size_t(w); ++x)
            out[i][x] = grid.cells(i)[x] == '@' || grid.cells(i)[x] == '$';
    return out;
}

template <class Mask>
Pixels bit_correction(const Pixels& p, const SlantMasks& masks, int w, int ratio, int phase = 0) {
    constexpr std::size_t bits = MASK_BITS<Mask>;
    std::vector<Mask> rows(p.size());
    for (std::size_t i = 0; i < p.size(); ++i)
        for (std::size_t x = 0; x < std::size_t(w); ++x)
            if (p[i][x]) rows[i] |= Mask{1} << (bits - 1 - x);
    BitCorrection<Mask> correction;
    correction.correct(rows.data(), masks, w, int(p.size()), ratio, phase);
    Pixels out(p.size(), std::vector<bool>(static_cast<std::size_t>(w)));
    for (std::size_t i = 0; i < p.size(); ++i)
        for (std::size_t x = 0; x < std::size_t(w); ++x)
            out[i][x] = (rows[i] >> (bits - 1 - x)) & 1;
    return out;
}

// Both mask widths against the cells where they apply, for one list, ratio
// and band phase.
int compare_corrections(Generator& gen, const SlantPattern* list, int w, int n, int ratio,
                        int phase = 0) {
    const SlantMasks masks = compile_slant_masks(list);
    const Pixels p = gen.bitmap(w, n);
    const Pixels want = cell_correction(p, list, w, ratio, phase);
    int cases = 0;
    if (w <= BitCorrection<std::uint64_t>::MAX_WIDTH) {
        EXPECT_EQ(bit_correction<std::uint64_t>(p, masks, w, ratio, phase), want)
            << "64-bit masks, w " << w << " n " << n << " ratio " << ratio << " phase " << phase;
        ++cases;
    }
    EXPECT_EQ(bit_correction<Bits128>(p, masks, w, ratio, phase), want)
        << "128-bit masks, w " << w << " n " << n << " ratio " << ratio << " phase " << phase;
    return cases + 1;
}

TEST(FastPaths, MaskCorrectionMatchesCellCorrection) {
    Generator gen;
    int cases = 0;
    for (int w = 0; w <= 70; ++w)
        for (int n = 0; n <= 40; ++n)
            for (int k = 0; k < 3; ++k)
                cases += compare_corrections(gen, full_list(), w, n, SLANT_RATIO);
    // Lower levels: the table's entries at other places in the list.
    for (int level = 1; level < SLANT_RATIO; ++level) {
        const SlantPatternList list = load_slant_patterns(level);
        for (int g = 0; g < 300; ++g)
            cases +=
                compare_corrections(gen, list.data(), gen.below(71), gen.below(41), SLANT_RATIO);
    }
    // Every rows-per-step from 1 to 8 with the list it loads, in every band phase.
    for (int ratio = 1; ratio <= 8; ++ratio) {
        const SlantPatternList list = load_slant_patterns(ratio);
        for (int phase = 0; phase < ratio; ++phase)
            for (int g = 0; g < 60; ++g)
                cases += compare_corrections(gen, list.data(), gen.below(71), gen.below(41), ratio,
                                             phase);
    }
    // Other lists and ratios: the filters are made from whatever list is given.
    test::RandomTexts text(gen);  // the lists' row texts
    for (int round = 0; round < 300; ++round) {
        std::vector<SlantPattern> list;
        for (int e = gen.below(8); e > 0; --e) {
            SlantPattern p{};
            p.correct = 1;
            p.input_count = 1 + gen.below(6);
            p.input_offset = -1 - gen.below(round % 10 == 0 ? 12 : 4);  // some reaching far
            for (std::size_t k = 0; k < std::size_t(p.input_count); ++k)
                p.input_rows[k] = text(1 + gen.below(6), ".@", 2);
            p.output_count = 1 + gen.below(std::min(p.input_count, 4));
            p.output_offset = p.input_offset + gen.below(p.input_count - p.output_count + 1);
            for (std::size_t k = 0; k < std::size_t(p.output_count); ++k)
                p.output_rows[k] = text(1 + gen.below(6), ".@$,", 4);
            list.push_back(p);
        }
        list.push_back(SlantPattern{});
        for (int g = 0; g < 10; ++g) {
            const int ratio = 1 + gen.below(4);
            cases += compare_corrections(gen, list.data(), gen.below(71), gen.below(25), ratio,
                                         gen.below(ratio));
        }
    }
    RecordProperty("cases", cases);
}

// An entry may write "@" past the end of its input row, onto a work row's
// right pad, and a later entry may match that cell: the masks must still
// look there. Here the first entry, matching ".@." with its last cell on the
// pad, sets the pad; the second matches ".@" across the last pixel and the
// pad and sets that pixel again.
TEST(FastPaths, EntriesMatchSetCellsWrittenOnThePad) {
    const SlantPattern list[] = {
        {1, 1, 0, {".@."}, 1, 0, {"..@"}},
        {1, 1, 0, {".@"}, 1, 0, {"$$"}},
        {},
    };
    const SlantMasks masks = compile_slant_masks(list);
    const int w = 4;
    Pixels p(4, std::vector<bool>(w));
    p[3][3] = true;
    const Pixels want = cell_correction(p, list, w, 3);
    EXPECT_TRUE(want[3][3]);  // set again by the second entry
    EXPECT_EQ(bit_correction<std::uint64_t>(p, masks, w, 3), want);
    EXPECT_EQ(bit_correction<Bits128>(p, masks, w, 3), want);
}

// Digits read two at a time agree with the per-digit table on every pair of
// bytes, value and flags.
TEST(FastPaths, DigitPairsMatchSingleDigits) {
    for (int first = 0; first < 256; ++first)
        for (int second = 0; second < 256; ++second) {
            const char text[2] = {char(first), char(second)};
            std::uint8_t seen = 0;
            const std::uint64_t word = read_digits<2>(text, seen);
            const std::uint8_t a = HEX_NIBBLE[std::size_t(first)],
                               b = HEX_NIBBLE[std::size_t(second)];
            ASSERT_EQ(word, std::uint64_t((a & 0xf) << 4 | (b & 0xf)) << 56)
                << first << " " << second;
            ASSERT_EQ(seen, (a | b) & 0xf0) << first << " " << second;
        }
}

TEST(FastPaths, BoldWordsMatchTheBitRow) {
    Generator gen;
    PodArray<std::uint64_t> scratch;
    BitRow reference;
    for (int rule = 0; rule < 4; ++rule) {
        const BoldRule r{rule < 2, rule % 2 == 1};
        for (std::size_t bytes = 1; bytes <= 24; ++bytes) {
            reference.reserve(bytes);
            for (int k = 0; k < 300; ++k) {
                std::vector<bool> pixels(8 * bytes);
                const int density = gen.below(11);
                for (std::size_t x = 0; x < pixels.size(); ++x)
                    pixels[x] = gen.below(10) < density;
                const std::string text = gen.hex_row(pixels, 8 * bytes) + "\n";
                StringSink want, got;
                embolden_row(reference, text.c_str(), bytes, r.left_shift, r.reflect_left);
                print_bit_row(want, reference, bytes);
                write_bold_row(got, text.data(), text.size(), bytes, r, scratch);
                ASSERT_EQ(got.text(), want.text())
                    << "bytes " << bytes << " rule " << rule << " row " << text;
            }
        }
    }
}

// A font of random glyphs of widths 0 to 70, heights 0 to 40 and y offsets
// -6 to 2, in a font box that holds nearly all; now and then a glyph whose
// box changes inside its bitmap, one with too few or too many rows, CRLF
// line ends.
std::string random_font(Generator& gen) {
    std::string font =
        "STARTFONT 2.1\nFONT -Test-Gen-Medium-R-Normal--16-160-75-75-C-80-ISO10646-1\n"
        "FONTBOUNDINGBOX 72 52 0 -8\nCHARS 12\n";
    const std::string eol = gen.below(10) == 0 ? "\r\n" : "\n";
    for (int g = 0; g < 12; ++g) {
        const int w = gen.below(71), n = gen.below(41);
        font += "STARTCHAR g" + std::to_string(g) + eol + "ENCODING " + std::to_string(g) + eol +
                "DWIDTH 8 0" + eol + "BBX " + std::to_string(w) + " " + std::to_string(n) + " 0 " +
                std::to_string(gen.below(9) - 6) + eol + "BITMAP" + eol;
        const Pixels p = gen.bitmap(w, n);
        const int rows = n + (gen.below(8) == 0 ? gen.below(5) - 2 : 0);
        for (int i = 0; i < rows; ++i) {
            if (gen.below(200) == 0)
                font +=
                    "BBX " + std::to_string(gen.below(71)) + " " + std::to_string(n) + " 0 0" + eol;
            const std::size_t cells = 8 * (std::size_t(w > 0 ? w - 1 : 0) / 8 + 1);
            font += gen.hex_row(i < n ? p[std::size_t(i)] : std::vector<bool>(), cells) + eol;
        }
        font += "ENDCHAR" + eol;
    }
    return font + "ENDFONT" + eol;
}

TEST(FastPaths, ToolsWriteWhatTheirReferencesWrite) {
    Generator gen;
    const ToolEntry tools[] = {run_glyphstout, run_glyphslope, run_glyphstoutslope};
    const std::vector<std::string> flags[] = {{},
                                              {"-r"},
                                              {"-L"},
                                              {"-r", "-L"},
                                              {"-w"},
                                              {"-w", "-r"},
                                              {"-w", "-L"},
                                              {"-w", "-r", "-L"},
                                              {"-b"},
                                              {"-s", "1"},
                                              {"-s2", "-b"},
                                              {"-b", "-s", "5"},
                                              {"-s7", "-w"},
                                              {"-b", "-s16", "-w", "-r"}};
    int runs = 0;
    for (int round = 0; round < 60; ++round) {
        const std::string font = random_font(gen);
        for (const ToolEntry tool : tools)
            for (const auto& args : flags) {
                const RunResult fast = run_tool_on(tool, font, args);
                use_reference_paths(true);
                const RunResult reference = run_tool_on(tool, font, args);
                use_reference_paths(false);
                ASSERT_EQ(fast.status, reference.status) << "round " << round;
                ASSERT_EQ(fast.err, reference.err) << "round " << round;
                ASSERT_EQ(fast.out, reference.out) << "round " << round;
                ++runs;
            }
    }
    RecordProperty("runs", runs);
}

}  // namespace
}  // namespace glyph::test
