// Slanted bounding boxes, the pixel correction at band boundaries and the shift.
#include "slant_geometry.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <climits>
#include <deque>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace glyph {
namespace {

using Rows = std::vector<std::string>;

struct BoxCase {
    std::string line;
    std::int32_t ratio;
    std::string written;  // empty: the line is refused
    std::int32_t width, height, extra;
    bool width_oversized = false, height_oversized = false;
};

TEST(SlantBbx, RebuildsTheLineWidenedBySlant) {
    const BoxCase cases[] = {
        {"FONTBOUNDINGBOX 8 16 0 -2\n", 3, "FONTBOUNDINGBOX 13 16 -2 -2\n", 8, 16, 5},
        {"BBX 8 7 0 0\n", 3, "BBX 10 7 -1 0\n", 8, 7, 2},
        {"BBX 4 9 2 -1\n", 3, "BBX 6 9 1 -1\n", 4, 9, 2},
        {"BBX 5 3 1 0\n", 3, "BBX 5 3 1 0\n", 5, 3, 0},
        {"BBX 1 1 0 0\n", 3, "BBX 1 1 0 0\n", 1, 1, 0},
        {"BBX 8 4 3 0\n", 3, "BBX 9 4 3 0\n", 8, 4, 1},
        {"BBX 8 10 0 0\n", 3, "BBX 11 10 -1 0\n", 8, 10, 3},
        {"BBX 8 22 -1 -4\n", 3, "BBX 15 22 -4 -4\n", 8, 22, 7},
        {"BBX 0 16 0 0\n", 3, "BBX 0 16 0 0\n", 0, 16, 5},
        {"BBX 0 0 0 0\n", 3, "BBX 0 0 0 0\n", 0, 0, 0},  // an empty box has no slant
        {"BBX 8 0 1 1\n", 3, "BBX 8 0 1 1\n", 8, 0, 0},
        {"FONTBOUNDINGBOX 8 0 0 0\n", 3, "FONTBOUNDINGBOX 8 0 0 0\n", 8, 0, 0},
        {"BBX  8\t16   -3  -2 \r\n", 3, "BBX 13 16 -5 -2\n", 8, 16, 5},
        {"\tBBX 8 16 0 -2 99 trailing\n", 3, "BBX 13 16 -2 -2\n", 8, 16, 5},
        {"BBX 8 16 1 0", 3, "BBX 13 16 -1 0\n", 8, 16, 5},
        {"BBX +8 +16 +1 -0\n", 3, "BBX 13 16 -1 0\n", 8, 16, 5},
        {"BBX 8 16 -7 -4\n", -3, "BBX 13 16 -9 -4\n", 8, 16, 5},
        {"BBX 8 16 0 0\n", 1, "BBX 23 16 -7 0\n", 8, 16, 15},
        {"bbx 2 3 4 5\n", 3, "bbx 2 3 4 5\n", 2, 3, 0},
        // A keyword is read as at most 15 characters; the rest of it is the next field.
        {"ABCDEFGHIJKLMNO12 16 0 -2 5\n", 3, "ABCDEFGHIJKLMNO 17 16 -2 -2\n", 12, 16, 5},
        {"ABCDEFGHIJKLMNOP 8 16 0 0\n", 3, "", 0, 0, 0},
        {"FONTBOUNDINGBOXX 8 16 0 -2\n", 3, "", 0, 0, 0},
        {"BBX 8 16 0\n", 3, "", 0, 0, 0},
        {"BBX 8 16 0 x\n", 3, "", 0, 0, 0},
        {"BBX x 16 0 0\n", 3, "", 0, 0, 0},
        {"BBX\n", 3, "", 0, 0, 0},
        {"\n", 3, "", 0, 0, 0},
        {"", 3, "", 0, 0, 0},
        // Numbers as written above 2147483647, a minus sign included, are flagged.
        {"BBX 2147483647 16 0 0\n", 3, "BBX 2147483652 16 -2 0\n", INT32_MAX, 16, 5},
        {"BBX 2147483648 16 0 0\n", 3, "BBX 2147483653 16 -2 0\n", INT32_MIN, 16, 5, true},
        {"BBX 8 -1 0 0\n", 3, "BBX 1431655772 4294967295 -715827882 0\n", 8, -1, 1431655764, false,
         true},
        {"BBX -1 4 0 0\n", 3, "BBX 0 4 0 0\n", -1, 4, 1, true},
        {"BBX -0 16 0 0\n", 3, "BBX 0 16 0 0\n", 0, 16, 5},
    };
    for (const BoxCase& c : cases) {
        SCOPED_TRACE(c.line);
        HookOutput out;
        out.assign("untouched");
        BoxSize box{-7, -8, -9, true, true};
        const Line line{c.line.c_str(), c.line.size()};
        const bool read = slant_bbx(out, box, c.ratio, line);
        if (c.written.empty()) {
            EXPECT_FALSE(read);
            EXPECT_EQ(out.view(), "untouched");
            EXPECT_EQ(box.width, -7);
            EXPECT_EQ(box.height, -8);
            EXPECT_EQ(box.extra, -9);
            EXPECT_TRUE(box.width_oversized && box.height_oversized);
            continue;
        }
        EXPECT_TRUE(read);
        EXPECT_EQ(out.view(), c.written);
        EXPECT_EQ(box.width, c.width);
        EXPECT_EQ(box.height, c.height);
        EXPECT_EQ(box.extra, c.extra);
        EXPECT_EQ(box.width_oversized, c.width_oversized);
        EXPECT_EQ(box.height_oversized, c.height_oversized);
    }
    // Far beyond 32 bits is still flagged.
    HookOutput out;
    BoxSize box;
    const std::string huge = "BBX 99999999999 16 0 0\n";
    ASSERT_TRUE(slant_bbx(out, box, 3, Line{huge.c_str(), huge.size()}));
    EXPECT_TRUE(box.width_oversized);
    EXPECT_FALSE(box.height_oversized);
}

TEST(SlantExtra, HeightMinusOneOverRatio) {
    const struct {
        std::uint32_t height;
        std::int32_t ratio, extra;
    } cases[] = {{0, 3, 0},   {1, 3, 0},   {2, 3, 0},    {3, 3, 0},
                 {4, 3, 1},   {7, 3, 2},   {16, 3, 5},   {17, 3, 5},
                 {16, -3, 5}, {16, 1, 15}, {100, 7, 14}, {4294967295u, 3, 1431655764}};
    for (const auto& c : cases)
        EXPECT_EQ(slant_extra(c.height, c.ratio), c.extra) << c.height << " / " << c.ratio;
}

TEST(FillChars, WritesCountCopiesAndANul) {
    char buffer[8];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(fill_chars(buffer, '#', 3), buffer);
    EXPECT_EQ(std::string(buffer, 8), std::string("###\0xxxx", 8));
    EXPECT_EQ(fill_chars(buffer, '.', 0), buffer);
    EXPECT_EQ(std::string(buffer, 8), std::string("\0##\0xxxx", 8));
    fill_chars(buffer, '@', 7);
    EXPECT_EQ(std::string(buffer, 8), std::string("@@@@@@@\0", 8));
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
    const auto n = static_cast<std::int32_t>(rows.size());
    correct_slant_pixels(grid, list, w, n, SLANT_RATIO);
    return cell_rows(grid, rows.size());
}

const SlantPatternList& full_list() {
    static const SlantPatternList list = load_slant_patterns(SLANT_RATIO);
    return list;
}

// A list of the given table entries, then the terminator.
std::vector<SlantPattern> list_of(std::initializer_list<SlantPattern> entries) {
    std::vector<SlantPattern> list(entries);
    list.push_back(SlantPattern{});
    return list;
}

TEST(SlantGlyph, WorkedExampleRowByRow) {
    const char* hex[] = {"04\n", "08\n", "08\n", "10\n", "10\n", "20\n", "20\n"};
    const Rows read = {".....@..", "....@...", "....@...", "...@....",
                       "...@....", "..@.....", "..@....."};
    const Rows after_correction = {".....@..", "....@...", "...$,...", "...,$...",
                                   "...@....", "..@.....", "..@....."};
    const Rows after_shift = {"##.....@..", "##....@...", "##...$,...", "#...,$...#",
                              "#...@....#", "#..@.....#", "..@.....##"};
    CellGrid grid = cell_grid_new(16, 7);
    for (std::size_t i = 0; i < 7; ++i)
        hex_to_cells(grid, 8, i, hex[i]);
    EXPECT_EQ(cell_rows(grid, 7), read);
    correct_slant_pixels(grid, full_list().data(), 8, 7, SLANT_RATIO);
    EXPECT_EQ(cell_rows(grid, 7), after_correction);
    shift_slant_rows(grid, 8, 7, SLANT_RATIO);
    EXPECT_EQ(cell_rows(grid, 7), after_shift);
    StringSink out;
    print_hex_rows(out, grid, 8 + 2, 7);
    EXPECT_EQ(out.text(), "0100\n0200\n0400\n0400\n0800\n1000\n2000\n");
    cell_grid_free(grid);
}

TEST(SlantGlyph, CorrectionCases) {
    const SlantPattern* table = full_list().data();
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
    EXPECT_EQ(corrected({".@..", "@..."}, 2, table), Rows({".@", "@."}));
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
    const Rows tall = {"...", "...", ".@.", ".@."};
    CellGrid grid;
    load(grid, tall, 4);
    fill_chars(grid.work_row(5), '.', 5);
    grid.work_len(5) = 5;
    correct_slant_pixels(grid, list_of({beyond, within}).data(), 3, 4, SLANT_RATIO);
    EXPECT_EQ(cell_rows(grid, 4), Rows({"...", "...", ".@.", ".$."}));
}

TEST(SlantGlyph, DegenerateSizes) {
    const SlantPattern* table = full_list().data();
    // n = 0: only the clear row below is written; the cell rows stay as they are.
    CellGrid empty = cell_grid_new(8, 0);
    correct_slant_pixels(empty, table, 8, 0, SLANT_RATIO);
    EXPECT_EQ(empty.work(0), "..........");
    CellGrid grid;
    load(grid, {"abc", "def"});
    correct_slant_pixels(grid, table, 3, 0, SLANT_RATIO);
    shift_slant_rows(grid, 3, 0, SLANT_RATIO);
    EXPECT_EQ(cell_rows(grid, 2), Rows({"abc", "def"}));

    // w = 0: rows become the s fill cells; BBX 0 16 0 0 prints 16 rows of "00".
    for (std::int32_t n : {1, 3, 7, 16}) {
        SCOPED_TRACE(n);
        const std::string line = "BBX 0 " + std::to_string(n) + " 0 0\n";
        HookOutput out;
        BoxSize box;
        ASSERT_TRUE(slant_bbx(out, box, SLANT_RATIO, Line{line.c_str(), line.size()}));
        EXPECT_EQ(out.view(), line);
        CellGrid g = cell_grid_new(8, static_cast<std::size_t>(n));
        for (std::size_t i = 0; i < static_cast<std::size_t>(n); ++i)
            hex_to_cells(g, 0, i, "FF\n");
        correct_slant_pixels(g, table, 0, n, SLANT_RATIO);
        EXPECT_EQ(cell_rows(g, 1), Rows({""}));
        shift_slant_rows(g, 0, n, SLANT_RATIO);
        const std::string fill(static_cast<std::size_t>(box.extra), '#');
        EXPECT_EQ(cell_rows(g, static_cast<std::size_t>(n)),
                  Rows(static_cast<std::size_t>(n), fill));
        StringSink printed;
        print_hex_rows(printed, g, box.extra, n);
        std::string expected;
        for (std::int32_t i = 0; i < n; ++i)
            expected += box.extra == 0 ? "\n" : "00\n";
        EXPECT_EQ(printed.text(), expected);
    }
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

// ---- the correction checked against a plain model of its rules ----

struct Model {
    std::set<std::size_t> applied;  // list positions of entries that matched
    int changed_glyphs = 0;

    Rows correct(const Rows& rows, const SlantPattern* list, int w, int n, int ratio) {
        Rows work;
        for (int i = 0; i < n; ++i)
            work.push_back("." + rows[static_cast<std::size_t>(i)].substr(0, std::size_t(w)) + ".");
        work.push_back(std::string(std::size_t(w) + 2, '.'));
        for (int b = ratio; b < n; b += ratio) {
            for (std::size_t e = 0; list[e].correct > 0; ++e) {
                const SlantPattern& p = list[e];
                const int top = b + p.input_offset;
                if (top < 0 || top + p.input_count > n + 1) continue;
                long col = match(work, p, std::size_t(top), w);
                if (col < 0) continue;
                applied.insert(e);
                for (int k = 0; k < p.output_count; ++k) {
                    std::string& row = work[std::size_t(b + p.output_offset + k)];
                    const std::string text = p.output_rows[std::size_t(k)];
                    for (std::size_t j = 0; j < text.size(); ++j)
                        row.at(std::size_t(col) + j) = text[j];
                }
            }
        }
        Rows out;
        bool changed = false;
        for (int i = 0; i < n; ++i) {
            out.push_back(work[std::size_t(i)].substr(1, std::size_t(w)));
            changed |= out.back() != rows[std::size_t(i)].substr(0, std::size_t(w));
        }
        changed_glyphs += changed;
        return out;
    }

    static long match(const Rows& work, const SlantPattern& p, std::size_t top, int w) {
        std::size_t col = 0;
        for (;;) {
            col = work[top].find(p.input_rows[0], col);
            if (col == std::string::npos) return -1;
            bool failed = false;
            for (int k = 1; k < p.input_count && !failed; ++k) {
                std::size_t at = work[top + std::size_t(k)].find(p.input_rows[std::size_t(k)], col);
                if (at == std::string::npos) return -1;
                failed = at != col;
            }
            if (!failed) return long(col);
            ++col;
            if (long(col) >= w - 1) return -1;
        }
    }

    static Rows shift(const Rows& rows, int w, int n, int ratio) {
        Rows out;
        const int s = (n - 1) / ratio;
        for (int i = 0; i < n; ++i) {
            const int k = i / ratio;
            out.push_back(std::string(std::size_t(s - k), '#') +
                          rows[std::size_t(i)].substr(0, std::size_t(w)) +
                          std::string(std::size_t(k), '#'));
        }
        return out;
    }
};

struct RandomGlyphs {
    std::mt19937 rng{20240607};

    int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); }

    // Rows of at least w cells, pixels of a random density, now and then a stray
    // character, and cells beyond w that must not count.
    Rows glyph(int w, int n) {
        const double density = std::array{0.1, 0.3, 0.5, 0.7}[std::size_t(below(4))];
        const bool strays = below(8) == 0;
        std::bernoulli_distribution set(density);
        Rows rows;
        for (int i = 0; i < n; ++i) {
            std::string row(std::size_t(w + below(8)), '.');
            for (char& c : row)
                c = strays && below(20) == 0 ? ",$#x"[below(4)] : set(rng) ? '@' : '.';
            rows.push_back(row);
        }
        return rows;
    }

    // Writes the input rows of `p` into the glyph at band boundary b, work column col.
    void plant(Rows& rows, const SlantPattern& p, int b, int col, int w) {
        for (int k = 0; k < p.input_count; ++k) {
            const int r = b + p.input_offset + k;
            if (r < 0 || r >= int(rows.size())) continue;
            const std::string text = p.input_rows[std::size_t(k)];
            for (std::size_t j = 0; j < text.size(); ++j) {
                const int cell = col - 1 + int(j);
                if (cell >= 0 && cell < w) rows[std::size_t(r)][std::size_t(cell)] = text[j];
            }
        }
    }
};

// Runs grid and model on one glyph; true if they agree after both steps.
bool agree(CellGrid& grid, Model& model, const Rows& rows, const SlantPattern* list, int w, int n,
           int ratio) {
    load(grid, rows);
    correct_slant_pixels(grid, list, w, n, ratio);
    const Rows expected = model.correct(rows, list, w, n, ratio);
    EXPECT_EQ(cell_rows(grid, std::size_t(n)), expected) << "w " << w << " ratio " << ratio;
    shift_slant_rows(grid, w, n, ratio);
    EXPECT_EQ(cell_rows(grid, std::size_t(n)), Model::shift(expected, w, n, ratio));
    return !::testing::Test::HasFailure();
}

TEST(SlantModel, TableOnRandomGlyphs) {
    RandomGlyphs gen;
    Model model;
    CellGrid grid;  // shared, so every glyph meets the leftovers of the one before
    const SlantPattern* list = full_list().data();
    for (int round = 0; round < 4000; ++round) {
        // Mostly small glyphs; every tenth one is wider than 62 cells or close to it.
        const int w = round % 10 == 9 ? 55 + gen.below(20) : 1 + gen.below(20);
        const int n = 1 + gen.below(20);
        Rows rows = gen.glyph(w, n);
        for (int planted = gen.below(4); planted > 0 && n > SLANT_RATIO; --planted)
            gen.plant(rows, SLANT_PATTERNS[std::size_t(gen.below(34))],
                      SLANT_RATIO * (1 + gen.below((n - 1) / SLANT_RATIO)), gen.below(w + 1), w);
        if (!agree(grid, model, rows, list, w, n, SLANT_RATIO)) {
            ADD_FAILURE() << "first difference at round " << round;
            break;
        }
    }
    EXPECT_EQ(model.applied.size(), SLANT_PATTERN_COUNT);  // every entry was exercised
    EXPECT_GT(model.changed_glyphs, 2000);
}

TEST(SlantModel, RandomListsAndRatios) {
    RandomGlyphs gen;
    Model model;
    CellGrid grid;
    std::deque<std::string> texts;  // stable storage for the row texts
    auto text = [&](std::size_t len, const char* alphabet, std::size_t letters) {
        std::string t(len, '.');
        for (char& c : t)
            c = alphabet[gen.below(int(letters))];
        return texts.emplace_back(t).c_str();
    };
    for (int round = 0; round < 400; ++round) {
        std::vector<SlantPattern> list;
        for (int e = 1 + gen.below(6); e > 0; --e) {
            SlantPattern p{};
            p.correct = 1;
            p.input_count = 1 + gen.below(4);
            p.input_offset = -1 - gen.below(4);
            std::size_t longest = 0;
            for (int k = 0; k < p.input_count; ++k) {
                const std::size_t len = std::size_t(1 + gen.below(3));
                longest = std::max(longest, len);
                p.input_rows[std::size_t(k)] = text(len, ".@", 2);
            }
            p.output_count = 1 + gen.below(p.input_count);
            p.output_offset = p.input_offset + gen.below(p.input_count - p.output_count + 1);
            for (int k = 0; k < p.output_count; ++k)
                p.output_rows[std::size_t(k)] =
                    text(std::size_t(1 + gen.below(int(longest))), ".@$,", 4);
            list.push_back(p);
        }
        list.push_back(SlantPattern{});
        const int ratio = 1 + gen.below(4);
        bool ok = true;
        for (int g = 0; g < 20 && ok; ++g) {
            const int w = g == 19 ? 60 + gen.below(8) : gen.below(12);
            const int n = gen.below(13);
            ok = agree(grid, model, gen.glyph(w, n), list.data(), w, n, ratio);
        }
        if (!ok) {
            ADD_FAILURE() << "first difference at round " << round;
            break;
        }
    }
}

}  // namespace
}  // namespace glyph
