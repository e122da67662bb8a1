#include "cell_grid.hpp"

#include "hex_digits.hpp"

namespace glyph {
namespace {

// The four cells of each hex digit value.
constexpr char DIGIT_CELLS[16][5] = {"....", "...@", "..@.", "..@@", ".@..", ".@.@",
                                     ".@@.", ".@@@", "@...", "@..@", "@.@.", "@.@@",
                                     "@@..", "@@.@", "@@@.", "@@@@"};

bool is_hex_digit(unsigned char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

}  // namespace

void CellGrid::grow(std::size_t capacity, std::size_t rows) {
    std::size_t new_capacity = capacity > capacity_ ? capacity : capacity_;
    std::size_t new_rows = rows > rows_ ? rows : rows_;
    // Rows are laid out with a fixed stride, so a wider grid is rebuilt and the
    // cells of the rows held so far are carried over.
    PodArray<char> cells(checked_size(new_rows, new_capacity + 1));
    PodArray<char> work(checked_size(new_rows + 1, new_capacity + 3));
    PodArray<std::size_t> cell_len(new_rows), work_len(new_rows + 1);
    for (std::size_t i = 0; i < rows_; ++i) {
        std::memcpy(cells.data() + i * (new_capacity + 1), cell_row(i), cell_len_[i]);
        cell_len[i] = cell_len_[i];
    }
    for (std::size_t i = rows_; i < new_rows; ++i)
        cell_len[i] = 0;
    for (std::size_t i = 0; i <= new_rows; ++i)
        work_len[i] = 0;
    cells_ = std::move(cells);
    work_ = std::move(work);
    cell_len_ = std::move(cell_len);
    work_len_ = std::move(work_len);
    capacity_ = new_capacity;
    rows_ = new_rows;
}

void CellGrid::release() {
    *this = CellGrid();
}

CellGrid cell_grid_new(std::size_t capacity, std::size_t row_count) {
    CellGrid grid;
    grid.ensure(capacity, row_count);
    return grid;
}

void cell_grid_free(CellGrid& grid) {
    grid.release();
}

std::size_t cells_read_for(std::int32_t width) {
    return 8 * (static_cast<std::size_t>(width > 0 ? (width - 1) / 8 : 0) + 1);
}

void hex_to_cells(CellGrid& grid, std::int32_t width, std::size_t row_index, const char* line) {
    const std::size_t cells = cells_read_for(width);
    char* row = grid.cell_row(row_index);
    const unsigned char* p = reinterpret_cast<const unsigned char*>(line);
    for (std::size_t i = 0; i < cells; i += 4) {
        unsigned char c = *p;
        std::memcpy(row + i, DIGIT_CELLS[is_hex_digit(c) ? hex_value(c) : 0], 4);
        if (c != 0) ++p;  // the end of the text stays put: every further digit is clear
    }
    grid.cell_len(row_index) = cells;
}

void bits_to_cells(CellGrid& grid, std::size_t row_index, std::uint64_t high, std::uint64_t low,
                   std::size_t cells) {
    char* row = grid.cell_row(row_index);
    for (std::size_t i = 0; i < cells; ++i) {
        const std::uint64_t word = i < 64 ? high : low;
        row[i] = (word >> (63 - i % 64)) & 1 ? '@' : '.';
    }
    grid.cell_len(row_index) = cells;
}

void clear_missing_cells(CellGrid& grid, std::int32_t width, std::size_t from, std::size_t count) {
    const std::size_t w = static_cast<std::size_t>(width);
    for (std::size_t i = 0; i < count; ++i) {
        std::size_t& len = grid.cell_len(i);
        if (i >= from) len = 0;
        std::size_t want = i >= from ? cells_read_for(width) : w;
        if (len < want) {
            std::memset(grid.cell_row(i) + len, '.', want - len);
            len = want;
        }
    }
}

void cells_to_hex(CellGrid& grid, std::int64_t width, std::int32_t count) {
    if (count <= 0) return;
    // Rows are cut after this many 32-cell groups; no row of the tools is longer.
    const std::int64_t groups = (width - 1) / 8 * 4 + 1;
    const std::size_t limit = groups > 0 ? static_cast<std::size_t>(groups) * 32 : 0;
    for (std::size_t i = 0; i < static_cast<std::size_t>(count); ++i) {
        std::string_view cells = grid.cells(i);
        std::size_t len = cells.size() < limit ? cells.size() : limit;
        char* text = grid.work_row(i);
        std::size_t out = 0;
        for (std::size_t start = 0; start < len; start += 32) {
            std::size_t k = len - start < 32 ? len - start : 32;
            std::uint32_t word = 0;
            for (std::size_t j = 0; j < k; ++j) {
                char c = cells[start + j];
                if (c == '@' || c == '$') word |= std::uint32_t{1} << (31 - j);
            }
            std::size_t bytes = (k + 7) / 8;
            put_hex_word(text + out, word >> (32 - 8 * bytes), 2 * bytes, true);
            out += 2 * bytes;
        }
        text[out] = '\0';
        grid.work_len(i) = out;
    }
}

void print_hex_rows(ByteSink& out, CellGrid& grid, std::int64_t width, std::int32_t count) {
    cells_to_hex(grid, width, count);
    for (std::int32_t i = 0; i < count; ++i) {
        out.put(grid.work(static_cast<std::size_t>(i)));
        out.put('\n');
    }
}

}  // namespace glyph
