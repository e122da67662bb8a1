// The glyph cell grid: bitmap lines into cells, cells back into hex text.
#include "cell_grid.hpp"

#include <gtest/gtest.h>

#include <string>

#include "slant_geometry.hpp"

namespace glyph {
namespace {

void set_cells(CellGrid& grid, std::size_t row, const std::string& cells) {
    std::memcpy(grid.cell_row(row), cells.data(), cells.size());
    grid.cell_len(row) = cells.size();
}

TEST(HexToCells, ReadsDigitsForTheWidth) {
    const std::string dots8(8, '.');
    const std::string all_digits = std::string("....") + "...@" + "..@." + "..@@" + ".@.." +
                                   ".@.@" + ".@@." + ".@@@" + "@..." + "@..@" + "@.@." + "@.@@" +
                                   "@@.." + "@@.@" + "@@@." + "@@@@";
    // clang-format off
    const struct { std::int32_t width; const char* line; std::string cells; } cases[] = {
        {5, "F8\n", "@@@@@..."}, {0, "F8\n", "@@@@@..."},  // width 0 still reads two digits
        {1, "80", "@......."}, {8, "ab\n", "@.@.@.@@"}, {8, "AB\n", "@.@.@.@@"},
        {9, "F8\n", "@@@@@..." + dots8},  // line end and end of text read "...."
        {13, "fff8\n", std::string(13, '@') + "..."},
        {8, "12345", "...@..@."},  // digits beyond the width are ignored
        {8, "", dots8}, {8, "\n", dots8},
        {16, "1 G3", "...@" "...." "...." "..@@"},  // a non-digit takes a digit's place
        {16, "g0x1", "...." "...." "...." "...@"}, {8, "\xff" "F", "....@@@@"},
        {8, "1\0F", "...@...."},  // a NUL ends the text
        {24, "12", "...@..@." + dots8 + dots8},
        {64, "0123456789abcdef", all_digits}, {64, "0123456789ABCDEF", all_digits},
        // A row read again is rewritten whole, not merged with what it held.
        {64, "ffffffffffffffff", std::string(64, '@')}, {8, "01", ".......@"}};
    // clang-format on
    CellGrid grid;
    grid.ensure(64, 3);
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + " " + c.line);
        hex_to_cells(grid, c.width, 1, c.line);
        EXPECT_EQ(grid.cells(1), c.cells);
        EXPECT_EQ(cells_read_for(c.width), c.cells.size());
    }
    EXPECT_EQ(grid.cells(0), "");  // only the row given is filled
    EXPECT_EQ(grid.cells(2), "");
}

TEST(CellsToHex, WorkedExamples) {
    // clang-format off
    const struct { std::string cells; std::int64_t width; std::string hex; } cases[] = {
        {"@@@@@...", 5, "F8"},
        {"##@@@@@", 7, "3E"},  // top row of a 7-row glyph of width 5 after the shift
        {"@@@@@##", 7, "F8"},  // its bottom row
        {"@", 1, "80"}, {".......@@", 9, "0180"},
        {std::string(13, '@'), 13, "FFF8"}, {std::string(27, '@'), 27, "FFFFFFE0"},
        {std::string(32, '@'), 32, "FFFFFFFF"}, {std::string(40, '@'), 40, "FFFFFFFFFF"},
        {"$,#.$$$$", 8, "8F"},  // "$" is set; ",", "#" and "." are clear
        {"x@?@", 4, "50"},      // any other character is clear
        {std::string(16, '@'), 9, "FFFF"},      // digits follow the row, not the width
        {std::string(40, '@'), 8, "FFFFFFFF"},  // width 8 bounds the row to one group
        {std::string(40, '@'), 0, "FFFFFFFF"}, {"", 8, ""}};
    // clang-format on
    CellGrid grid;
    grid.ensure(40, 1);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.cells + " width " + std::to_string(c.width));
        set_cells(grid, 0, c.cells);
        cells_to_hex(grid, c.width, 1);
        EXPECT_EQ(grid.work(0), c.hex);
        EXPECT_EQ(grid.cells(0), c.cells);  // the cells are only read
    }
}

TEST(PrintHexRows, OneLinePerRowAndNothingForNoRows) {
    CellGrid grid;
    grid.ensure(16, 4);
    hex_to_cells(grid, 8, 0, "ab\n");  // lower case read in, upper case written back
    set_cells(grid, 1, "");
    set_cells(grid, 2, ".......@@");
    set_cells(grid, 3, "@");
    StringSink out;
    print_hex_rows(out, grid, 9, 4);
    print_hex_rows(out, grid, 9, 2);
    EXPECT_EQ(out.text(), "AB\n\n0180\n80\nAB\n\n");
    for (std::int32_t count : {0, -1}) {
        // No row is converted either: the work rows keep what they held.
        std::memcpy(grid.work_row(0), "keep", 5);
        grid.work_len(0) = 4;
        print_hex_rows(out, grid, 9, count);
        EXPECT_EQ(out.text(), "AB\n\n0180\n80\nAB\n\n");
        EXPECT_EQ(grid.work(0), "keep");
    }
}

TEST(ClearMissingCells, ClearsUnsuppliedRowsAndShortRows) {
    CellGrid grid;
    grid.ensure(16, 6);
    hex_to_cells(grid, 10, 0, "ffc0");
    hex_to_cells(grid, 8, 1, "ff");  // read while a narrower width was in force
    set_cells(grid, 2, "stale@@@");
    set_cells(grid, 3, "@@");
    set_cells(grid, 4, "@@@@");
    set_cells(grid, 5, "kept");
    clear_missing_cells(grid, 10, 2, 5);
    EXPECT_EQ(grid.cells(0), "@@@@@@@@@@......");
    EXPECT_EQ(grid.cells(1), "@@@@@@@@..");
    for (std::size_t i = 2; i < 5; ++i)
        EXPECT_EQ(grid.cells(i), std::string(16, '.'));
    EXPECT_EQ(grid.cells(5), "kept");
    // Width 0: a missing row is read as two digits, eight clear cells.
    set_cells(grid, 0, "@@@");
    clear_missing_cells(grid, 0, 0, 1);
    EXPECT_EQ(grid.cells(0), "........");
    // Nothing missing: rows already long enough stay as they are.
    set_cells(grid, 0, "@.@.@.@.");
    clear_missing_cells(grid, 8, 1, 1);
    EXPECT_EQ(grid.cells(0), "@.@.@.@.");
}

TEST(CellGrid, EnsureGrowsAndKeepsTheRowsHeld) {
    CellGrid grid;
    grid.ensure(8, 2);
    set_cells(grid, 0, "@.@.@.@.");
    set_cells(grid, 1, "@@");
    grid.ensure(40, 5);  // wider and taller: the rows are laid out anew
    set_cells(grid, 4, std::string(40, '@'));
    grid.ensure(16, 3);  // never shrinks
    EXPECT_EQ(grid.capacity(), 40u);
    EXPECT_EQ(grid.row_count(), 5u);
    grid.ensure(40, 7);  // taller only
    grid.ensure(48, 7);  // wider only
    const std::string held[] = {"@.@.@.@.", "@@", "", "", std::string(40, '@'), "", ""};
    for (std::size_t i = 0; i < 7; ++i)
        EXPECT_EQ(grid.cells(i), held[i]) << i;
    // The work row below the last cell row holds capacity + 2 cells.
    fill_chars(grid.work_row(7), '.', 50);
    grid.work_len(7) = 50;
    EXPECT_EQ(grid.work(7), std::string(50, '.'));
    grid.release();
    EXPECT_EQ(grid.row_count(), 0u);
    EXPECT_EQ(grid.capacity(), 0u);
}

}  // namespace
}  // namespace glyph
