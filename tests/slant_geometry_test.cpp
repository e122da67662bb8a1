// Slanted bounding boxes, the pixel correction at band boundaries and the shift.
#include "slant_geometry.hpp"

#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "random_texts.hpp"

namespace glyph {
namespace {

using Rows = std::vector<std::string>;

TEST(SlantBbx, RebuildsTheLineWidenedBySlant) {
    const struct {
        std::string line;
        std::int32_t ratio;
        std::string written;  // empty: the line is refused
        std::int32_t width, height, extra;
        bool width_oversized = false, height_oversized = false;
    } cases[] = {
        {"FONTBOUNDINGBOX 8 16 0 -2\n", 3, "FONTBOUNDINGBOX 13 16 -2 -2\n", 8, 16, 5},
        {"BBX 8 7 0 0\n", 3, "BBX 10 7 -1 0\n", 8, 7, 2},
        {"BBX 8 4 3 0\n", 3, "BBX 9 4 3 0\n", 8, 4, 1},
        {"BBX 8 22 -1 -4\n", 3, "BBX 15 22 -4 -4\n", 8, 22, 7},
        // A box of width or height 0 is written as read; one of height 0 has no slant.
        {"BBX 0 16 0 0\n", 3, "BBX 0 16 0 0\n", 0, 16, 5},
        {"BBX 0 0 0 0\n", 3, "BBX 0 0 0 0\n", 0, 0, 0},
        {"BBX 8 0 1 1\n", 3, "BBX 8 0 1 1\n", 8, 0, 0},
        {"BBX  8\t16   -3  -2 \r\n", 3, "BBX 13 16 -5 -2\n", 8, 16, 5},
        {"\tBBX 8 16 0 -2 99 trailing\n", 3, "BBX 13 16 -2 -2\n", 8, 16, 5},
        {"BBX 8 16 1 0", 3, "BBX 13 16 -1 0\n", 8, 16, 5},
        {"BBX +8 +16 +1 -0\n", 3, "BBX 13 16 -1 0\n", 8, 16, 5},
        {"BBX 8 16 -7 -4\n", -3, "BBX 13 16 -9 -4\n", 8, 16, 5},
        {"BBX 8 16 0 0\n", 1, "BBX 23 16 -7 0\n", 8, 16, 15},
        {"bbx 2 3 4 5\n", 3, "bbx 2 3 4 5\n", 2, 3, 0},
        // A keyword is read as at most 15 characters; the rest of it is the next field.
        {"ABCDEFGHIJKLMNO12 16 0 -2 5\n", 3, "ABCDEFGHIJKLMNO 17 16 -2 -2\n", 12, 16, 5},
        {"FONTBOUNDINGBOXX 8 16 0 -2\n", 3, "", 0, 0, 0},
        {"BBX 8 16 0\n", 3, "", 0, 0, 0},
        {"BBX 8 16 0 x\n", 3, "", 0, 0, 0},
        {"", 3, "", 0, 0, 0},
        // Numbers as written above 2147483647, a minus sign included, are flagged.
        {"BBX 2147483647 16 0 0\n", 3, "BBX 2147483652 16 -2 0\n", INT32_MAX, 16, 5},
        {"BBX 2147483648 16 0 0\n", 3, "BBX 2147483653 16 -2 0\n", INT32_MIN, 16, 5, true},
        {"BBX 99999999999 16 0 0\n", 3, "BBX 1215752196 16 -2 0\n", 1215752191, 16, 5, true},
        {"BBX 8 -1 0 0\n", 3, "BBX 1431655772 4294967295 -715827882 0\n", 8, -1, 1431655764, false,
         true},
        {"BBX -1 4 0 0\n", 3, "BBX 0 4 0 0\n", -1, 4, 1, true},
        {"BBX -0 16 0 0\n", 3, "BBX 0 16 0 0\n", 0, 16, 5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        HookOutput out;
        out.text = "untouched";
        BoxSize box{-7, -8, -9, true, true};  // a refused line leaves it as it is
        const BoxSize want = c.written.empty() ? box
                                               : BoxSize{c.width, c.height, c.extra,
                                                         c.width_oversized, c.height_oversized};
        EXPECT_EQ(slant_bbx(out, box, c.ratio, Line{c.line.c_str(), c.line.size()}),
                  !c.written.empty());
        EXPECT_EQ(out.view(), c.written.empty() ? "untouched" : c.written);
        EXPECT_EQ(
            std::tie(box.width, box.height, box.extra, box.width_oversized, box.height_oversized),
            std::tie(want.width, want.height, want.extra, want.width_oversized,
                     want.height_oversized));
    }
}

// With -b a row at height t (0 the baseline) is in band floor(t / ratio).
TEST(SlantBbx, LeansAboutTheBaseline) {
    const struct {
        std::string line;
        std::int32_t ratio;
        std::string written, widened_left;
        std::int32_t extra, phase;
    } cases[] = {
        // Descenders and ascenders: the bottom band moves the offset.
        {"FONTBOUNDINGBOX 8 16 0 -2\n", 3, "FONTBOUNDINGBOX 13 16 -1 -2\n",
         "FONTBOUNDINGBOX 14 16 -2 -2\n", 5, 1},
        {"BBX 5 7 1 0\n", 3, "BBX 7 7 1 0\n", "BBX 8 7 0 0\n", 2, 2},
        {"BBX 5 7 1 4\n", 3, "BBX 7 7 2 4\n", "BBX 8 7 1 4\n", 2, 1},
        {"BBX 4 3 0 -3\n", 3, "BBX 4 3 -1 -3\n", "BBX 5 3 -2 -3\n", 0, 0},  // wholly below
        {"BBX 3 2 2 7\n", 3, "BBX 3 2 4 7\n", "BBX 4 2 3 7\n", 0, 0},       // wholly above
        {"BBX 6 2 0 -1\n", 3, "BBX 7 2 -1 -1\n", "BBX 8 2 -2 -1\n", 1, 2},  // across -1/0
        {"BBX 6 1 0 -1\n", 3, "BBX 6 1 -1 -1\n", "BBX 7 1 -2 -1\n", 0, 0},
        {"BBX 8 16 0 -2\n", 1, "BBX 23 16 -2 -2\n", "BBX 24 16 -3 -2\n", 15, 0},
        {"BBX 8 16 0 -2\n", 2, "BBX 15 16 -1 -2\n", "BBX 16 16 -2 -2\n", 7, 0},
        {"FONTBOUNDINGBOX 6 13 0 -2\n", 6, "FONTBOUNDINGBOX 8 13 -1 -2\n",
         "FONTBOUNDINGBOX 9 13 -2 -2\n", 2, 1},
        {"BBX 8 16 0 -4\n", 16, "BBX 9 16 -1 -4\n", "BBX 10 16 -2 -4\n", 1, 4},
        {"BBX 8 16 0 -4\n", 7, "BBX 10 16 -1 -4\n", "BBX 11 16 -2 -4\n", 2, 2},
        // Width or height 0: as without -b.
        {"BBX 0 16 0 -2\n", 3, "BBX 0 16 0 -2\n", "BBX 0 16 0 -2\n", 5, 0},
        {"BBX 5 0 1 -2\n", 3, "BBX 5 0 1 -2\n", "BBX 5 0 1 -2\n", 0, 0},
        // Offsets at the ends of their range: taken exactly, written wrapped.
        {"BBX 1 4 -2147483648 -5\n", 3, "BBX 2 4 2147483646 -5\n", "BBX 3 4 2147483645 -5\n", 1, 1},
        {"BBX 2 2 0 2147483647\n", 3, "BBX 2 2 715827882 2147483647\n",
         "BBX 3 2 715827881 2147483647\n", 0, 0},
        {"BBX 8 16 0\n", 3, "", "", 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line + " ratio " + std::to_string(c.ratio));
        const Line line{c.line.c_str(), c.line.size()};
        for (const bool widened : {false, true}) {
            HookOutput out;
            out.text = "untouched";
            BoxSize box;
            const bool read = widened ? slant_bbx_baseline_widened_left(out, box, c.ratio, line)
                                      : slant_bbx_baseline(out, box, c.ratio, line);
            EXPECT_EQ(read, !c.written.empty());
            if (!read) continue;
            EXPECT_EQ(out.view(), widened ? c.widened_left : c.written);
            EXPECT_EQ(box.extra, c.extra);
            EXPECT_EQ(box.phase, c.phase);
        }
    }
}

// ---- correction and shift ----

void load(CellGrid& grid, const Rows& rows, std::size_t extra_rows = 0) {
    grid.ensure(128, rows.size() + extra_rows);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        std::memcpy(grid.cell_row(i), rows[i].data(), rows[i].size());
        grid.cell_len(i) = rows[i].size();
    }
}

Rows cell_rows(const CellGrid& grid, std::size_t n) {
    Rows rows;
    for (std::size_t i = 0; i < n; ++i)
        rows.emplace_back(grid.cells(i));
    return rows;
}

Rows corrected(const Rows& rows, std::int32_t w, const SlantPattern* list) {
    CellGrid grid;
    load(grid, rows);
    correct_slant_pixels(grid, list, w, static_cast<std::int32_t>(rows.size()), SLANT_RATIO);
    return cell_rows(grid, rows.size());
}

const SlantPattern* full_list() {
    static const SlantPatternList list = load_slant_patterns(SLANT_RATIO);
    return list.data();
}

// A list of the given entries, then the terminator.
std::vector<SlantPattern> list_of(std::initializer_list<SlantPattern> entries) {
    std::vector<SlantPattern> list(entries);
    list.push_back(SlantPattern{});
    return list;
}

TEST(SlantGlyph, WorkedExampleRowByRow) {
    const char* hex[] = {"04\n", "08\n", "08\n", "10\n", "10\n", "20\n", "20\n"};
    CellGrid grid = cell_grid_new(16, 7);
    for (std::size_t i = 0; i < 7; ++i)
        hex_to_cells(grid, 8, i, hex[i]);
    EXPECT_EQ(cell_rows(grid, 7), Rows({".....@..", "....@...", "....@...", "...@....", "...@....",
                                        "..@.....", "..@....."}));
    correct_slant_pixels(grid, full_list(), 8, 7, SLANT_RATIO);
    EXPECT_EQ(cell_rows(grid, 7), Rows({".....@..", "....@...", "...$,...", "...,$...", "...@....",
                                        "..@.....", "..@....."}));
    shift_slant_rows(grid, 8, 7, SLANT_RATIO);
    EXPECT_EQ(cell_rows(grid, 7), Rows({"##.....@..", "##....@...", "##...$,...", "#...,$...#",
                                        "#...@....#", "#..@.....#", "..@.....##"}));
    StringSink out;
    print_hex_rows(out, grid, 8 + 2, 7);
    EXPECT_EQ(out.text(), "0100\n0200\n0400\n0400\n0800\n1000\n2000\n");
    cell_grid_free(grid);
}

TEST(SlantGlyph, CorrectionCases) {
    const SlantPattern* table = full_list();
    const std::string dots(8, '.');
    // Entry 8 writes a sixth cell over the set cell 5 of row 3, without a mark.
    EXPECT_EQ(corrected({dots, "....@...", "..@@....", "@@...@..", dots, dots, dots}, 8, table),
              Rows({dots, "....@...", "..@@....", "@@$.....", dots, dots, dots}));
    // Entry 1 reaches four rows up: it is skipped at row 3, and entry 33 acts instead.
    EXPECT_EQ(corrected({"@@@.", "..@.", ".@..", "@..."}, 4, table),
              Rows({"@@@.", "..@.", "$@..", "@..."}));
    // At most three rows: no band boundary, the rows are only cut to w.
    EXPECT_EQ(corrected({".@@@@...", "@..@@@@@", "@@@@@@@@"}, 5, table),
              Rows({".@@@@", "@..@@", "@@@@@"}));
    // Cells beyond w take no part: the pads are clear whatever the row holds there.
    EXPECT_EQ(corrected({"..", "..", ".@@@", "@.@@"}, 2, table), Rows({"..", "..", "$@", "@."}));
    // The right pad is clear: ".@" over "@." does not match across it.
    EXPECT_EQ(corrected({"..", "..", "..@", ".@."}, 2, table), Rows({"..", "..", "..", ".@"}));
    // Cells other than "." and "@" never match.
    EXPECT_EQ(corrected({"..", "..", "x@", "@."}, 2, table), Rows({"..", "..", "x@", "@."}));
}

TEST(SlantGlyph, SearchRules) {
    const SlantPattern e33 = SLANT_PATTERNS[33];
    const std::string dots(8, '.');
    // Only the leftmost occurrence is corrected; a second copy of the entry takes the next.
    const Rows twice = {dots, dots, ".@...@..", "@...@..."};
    EXPECT_EQ(corrected(twice, 8, list_of({e33}).data()),
              Rows({dots, dots, "$@...@..", "@...@..."}));
    EXPECT_EQ(corrected(twice, 8, list_of({e33, e33}).data()),
              Rows({dots, dots, "$@..$@..", "@...@..."}));
    // A failed candidate sends the search on to the next occurrence of the first row.
    EXPECT_EQ(corrected({"......", "......", "@...@.", "...@.."}, 6, list_of({e33}).data()),
              Rows({"......", "......", "@..$@.", "...@.."}));
    // An occurrence found at the right edge is examined.
    EXPECT_EQ(corrected({"....", "....", "...@", "..@."}, 4, list_of({e33}).data()),
              Rows({"....", "....", "..$@", "..@."}));
    // After a candidate fails at work column w - 2 the entry is given up.
    const SlantPattern late{1, 2, -1, {"..", ".@"}, 1, -1, {"$"}};
    EXPECT_EQ(corrected({"....", "....", "....", "...@"}, 4, list_of({late}).data()),
              Rows({"....", "....", "....", "...@"}));
    EXPECT_EQ(corrected({".....", ".....", ".....", "...@."}, 5, list_of({late}).data()),
              Rows({".....", ".....", "..$..", "...@."}));
    // Input rows may reach the clear row below the glyph, but not beyond it, even
    // when the grid holds further work rows.
    const SlantPattern beyond{1, 4, -1, {"@", "@", ".", "."}, 1, -1, {","}};
    const SlantPattern within{1, 3, -1, {"@", "@", "."}, 1, 0, {"$"}};
    CellGrid grid;
    load(grid, {"...", "...", ".@.", ".@."}, 4);
    fill_chars(grid.work_row(5), '.', 5);
    grid.work_len(5) = 5;
    correct_slant_pixels(grid, list_of({beyond, within}).data(), 3, 4, SLANT_RATIO);
    EXPECT_EQ(cell_rows(grid, 4), Rows({"...", "...", ".@.", ".$."}));
}

TEST(ShiftSlantRows, MovesBandsRightTopBandFurthest) {
    CellGrid grid;
    load(grid, {"abcXX", "def", "ghiYYY", "jkl", "mno", "pqr", "stu"});
    shift_slant_rows(grid, 3, 7, 3);
    EXPECT_EQ(cell_rows(grid, 7),
              Rows({"##abc", "##def", "##ghi", "#jkl#", "#mno#", "#pqr#", "stu##"}));
    load(grid, {"ab", "cd", "ef", "gh", "ij"});
    shift_slant_rows(grid, 2, 5, 2);
    EXPECT_EQ(cell_rows(grid, 5), Rows({"##ab", "##cd", "#ef#", "#gh#", "ij##"}));
    load(grid, {"abcdef", "ghijkl", "mnopqr"});
    shift_slant_rows(grid, 4, 3, 3);  // s = 0: only cut to w
    EXPECT_EQ(cell_rows(grid, 3), Rows({"abcd", "ghij", "mnop"}));
}

// ---- the correction and shift checked against a plain model of their rules ----

// The column where every input row of `p` occurs in the work rows from `top`,
// or -1.
long model_match(const Rows& work, const SlantPattern& p, std::size_t top, int w) {
    for (std::size_t col = 0;; ++col) {
        col = work[top].find(p.input_rows[0], col);
        if (col == std::string::npos) return -1;
        bool failed = false;
        for (std::size_t k = 1; k < std::size_t(p.input_count) && !failed; ++k) {
            const std::size_t at = work[top + k].find(p.input_rows[k], col);
            if (at == std::string::npos) return -1;
            failed = at != col;
        }
        if (!failed) return long(col);
        if (long(col) + 1 >= w - 1) return -1;
    }
}

// Bands counted from a baseline: row i of a glyph whose top row lies at
// height `top` is at height top - i, in band floor((top - i) / ratio). The
// phase p of the tools puts the top row at height ratio - 1 - p.
struct ModelBands {
    int ratio, top;
    ModelBands(int r, int phase) : ratio(r), top(r - 1 - phase) {}
    int band(int i) const {
        const int t = top - i;
        return t >= 0 ? t / ratio : -((-t + ratio - 1) / ratio);
    }
    bool boundary(int i) const { return i >= 1 && band(i) != band(i - 1); }
    int shift(int i, int n) const { return band(i) - band(n - 1); }
};

// The work rows after the correction by its rules: the glyph's rows cut to w
// between two clear pads, and the clear row below. `applied` gathers the list
// positions of the entries that matched.
Rows model_correct(const Rows& rows, const SlantPattern* list, int w, int n, int ratio, int phase,
                   std::set<std::size_t>& applied) {
    Rows work(std::size_t(n) + 1, std::string(std::size_t(w) + 2, '.'));
    for (std::size_t i = 0; i < std::size_t(n); ++i)
        work[i].replace(1, std::size_t(w), rows[i], 0, std::size_t(w));
    const ModelBands bands(ratio, phase);
    for (int b = 1; b < n; ++b) {
        if (!bands.boundary(b)) continue;
        for (std::size_t e = 0; list[e].correct > 0; ++e) {
            const SlantPattern& p = list[e];
            const int top = b + p.input_offset;
            if (top < 0 || top + p.input_count > n + 1) continue;
            const long col = model_match(work, p, std::size_t(top), w);
            if (col < 0) continue;
            applied.insert(e);
            for (std::size_t k = 0; k < std::size_t(p.output_count); ++k)
                work[std::size_t(b + p.output_offset) + k].replace(
                    std::size_t(col), std::string(p.output_rows[k]).size(), p.output_rows[k]);
        }
    }
    return work;
}

struct RandomGlyphs {
    std::mt19937 rng{20240607};

    int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); }

    // Rows of at least w cells, pixels of a random density, now and then a stray
    // character, and cells beyond w that must not count.
    Rows glyph(int w, int n) {
        const int density = 1 + 2 * below(4);  // in tenths
        const bool strays = below(8) == 0;
        Rows rows;
        for (int i = 0; i < n; ++i) {
            std::string row(std::size_t(w + below(8)), '.');
            for (char& c : row)
                c = strays && below(20) == 0 ? ",$#x"[below(4)] : below(10) < density ? '@' : '.';
            rows.push_back(row);
        }
        return rows;
    }

    // Writes the input rows of `p` into the glyph at band boundary b, work column col.
    void plant(Rows& rows, const SlantPattern& p, int b, int col, int w) {
        for (int k = 0; k < p.input_count; ++k) {
            const int r = b + p.input_offset + k;
            const std::string text = p.input_rows[std::size_t(k)];
            for (int j = 0; r >= 0 && r < int(rows.size()) && j < int(text.size()); ++j)
                if (col - 1 + j >= 0 && col - 1 + j < w)
                    rows[std::size_t(r)][std::size_t(col - 1 + j)] = text[std::size_t(j)];
        }
    }
};

// Runs grid and model on one glyph; true if they agree in the work rows after
// the correction and in the cell rows after the shift.
bool agree(CellGrid& grid, std::set<std::size_t>& applied, const Rows& rows,
           const SlantPattern* list, int w, int n, int ratio, int phase = 0) {
    load(grid, rows);
    correct_slant_pixels(grid, list, w, n, ratio, phase);
    const Rows work = model_correct(rows, list, w, n, ratio, phase, applied);
    Rows corrected, shifted;
    for (int i = 0; i <= n; ++i)
        corrected.emplace_back(grid.work(std::size_t(i)));
    const ModelBands bands(ratio, phase);
    for (int i = 0; i < n; ++i)
        shifted.push_back(std::string(std::size_t(bands.shift(i, n)), '#') +
                          work[std::size_t(i)].substr(1, std::size_t(w)) +
                          std::string(std::size_t(bands.shift(0, n) - bands.shift(i, n)), '#'));
    shift_slant_rows(grid, w, n, ratio, phase);
    EXPECT_EQ(corrected, work) << "w " << w << " ratio " << ratio << " phase " << phase;
    EXPECT_EQ(cell_rows(grid, std::size_t(n)), shifted)
        << "w " << w << " ratio " << ratio << " phase " << phase;
    return corrected == work && cell_rows(grid, std::size_t(n)) == shifted;
}

TEST(SlantModel, TableOnRandomGlyphs) {
    RandomGlyphs gen;
    std::set<std::size_t> applied;
    CellGrid grid;  // shared, so every glyph meets the leftovers of the one before
    for (int round = 0; round < 4000; ++round) {
        // Mostly small glyphs; every tenth one is wider than 62 cells or close to it.
        const int w = round % 10 == 9 ? 55 + gen.below(20) : 1 + gen.below(20);
        const int n = 1 + gen.below(20);
        Rows rows = gen.glyph(w, n);
        for (int planted = gen.below(4); planted > 0 && n > SLANT_RATIO; --planted)
            gen.plant(rows, SLANT_PATTERNS[std::size_t(gen.below(34))],
                      SLANT_RATIO * (1 + gen.below((n - 1) / SLANT_RATIO)), gen.below(w + 1), w);
        ASSERT_TRUE(agree(grid, applied, rows, full_list(), w, n, SLANT_RATIO))
            << "round " << round;
    }
    EXPECT_EQ(applied.size(), SLANT_PATTERN_COUNT);  // every entry was exercised
    // Every rows-per-step from 1 to 8 with its own list, bands in every phase.
    for (int round = 0; round < 4000; ++round) {
        const int ratio = 1 + gen.below(8), phase = gen.below(ratio);
        const SlantPatternList list = load_slant_patterns(ratio);
        int entries = 0;
        while (list[std::size_t(entries)].correct > 0)
            ++entries;
        const int w = 1 + gen.below(20), n = 1 + gen.below(24);
        Rows rows = gen.glyph(w, n);
        for (int b = ratio - phase; b < n; b += ratio)
            if (gen.below(2) == 0)
                gen.plant(rows, list[std::size_t(gen.below(entries))], b, gen.below(w + 1), w);
        ASSERT_TRUE(agree(grid, applied, rows, list.data(), w, n, ratio, phase))
            << "round " << round;
    }
}

TEST(SlantModel, RandomListsAndRatios) {
    RandomGlyphs gen;
    std::set<std::size_t> applied;
    CellGrid grid;
    test::RandomTexts text(gen);  // the lists' row texts
    for (int round = 0; round < 400; ++round) {
        std::vector<SlantPattern> list;
        for (int e = 1 + gen.below(6); e > 0; --e) {
            SlantPattern p{};
            p.correct = 1;
            p.input_count = 1 + gen.below(4);
            p.input_offset = -1 - gen.below(4);
            int longest = 0;
            for (std::size_t k = 0; k < std::size_t(p.input_count); ++k) {
                const int len = 1 + gen.below(3);
                longest = std::max(longest, len);
                p.input_rows[k] = text(len, ".@", 2);
            }
            p.output_count = 1 + gen.below(p.input_count);
            p.output_offset = p.input_offset + gen.below(p.input_count - p.output_count + 1);
            for (std::size_t k = 0; k < std::size_t(p.output_count); ++k)
                p.output_rows[k] = text(1 + gen.below(longest), ".@$,", 4);
            list.push_back(p);
        }
        list.push_back(SlantPattern{});
        const int ratio = 1 + gen.below(4);
        for (int g = 0; g < 20; ++g) {
            const int w = g == 19 ? 60 + gen.below(8) : gen.below(12);
            const int n = gen.below(13);
            ASSERT_TRUE(
                agree(grid, applied, gen.glyph(w, n), list.data(), w, n, ratio, gen.below(ratio)))
                << "round " << round;
        }
    }
}

}  // namespace
}  // namespace glyph
