// The sfnt wrapper: the table directory, every table on a 4-byte boundary,
// and the checksums that readers may verify.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace glyph::otb {

struct Table {
    std::string tag;  // four letters
    std::vector<std::uint8_t> data;
};

// The file of `tables` (any order; the directory lists them sorted by tag).
// head's checkSumAdjustment is set so that the whole file sums to 0xB1B0AFBA.
std::vector<std::uint8_t> sfnt_file(std::vector<Table> tables);

}  // namespace glyph::otb
