// The one place where the OpenType writer turns numbers into bytes: big-endian
// fields whose values must fit them, placeholders filled in once an offset or
// length is known, and the padding between tables.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace glyph::otb {

class FontBuffer {
  public:
    // Each throws std::range_error when the value does not fit the field: a
    // font too large for the format, which the writer reports as such.
    void u8(std::int64_t value);
    void i8(std::int64_t value);
    void u16(std::int64_t value);
    void i16(std::int64_t value);
    void u32(std::int64_t value);
    void i64(std::int64_t value);
    void tag(std::string_view four_letters);
    void bytes(std::span<const std::uint8_t> data);
    void zeros(std::size_t count);
    void align(std::size_t multiple);

    // A field to be filled in later with patch16/patch32 at the position
    // returned; patching beyond what was reserved throws std::out_of_range.
    std::size_t reserve16();
    std::size_t reserve32();
    void patch16(std::size_t at, std::int64_t value);
    void patch32(std::size_t at, std::int64_t value);
    std::uint32_t get32(std::size_t at) const;

    std::size_t size() const { return data_.size(); }
    const std::vector<std::uint8_t>& data() const { return data_; }
    std::vector<std::uint8_t> take() { return std::move(data_); }
    void reserve(std::size_t capacity) { data_.reserve(capacity); }

  private:
    void put(std::uint64_t value, int count);
    void set(std::size_t at, std::uint64_t value, int count);
    std::vector<std::uint8_t> data_;
};

// Rows of pixels packed one after another with no padding between them, the
// last byte filled with zeros: the bit-aligned glyph images.
class BitWriter {
  public:
    explicit BitWriter(FontBuffer& out) : out_(out) {}
    // The `count` (at most 8) high bits of `bits`.
    void bits(unsigned bits, int count);
    void finish();

  private:
    FontBuffer& out_;
    unsigned pending_ = 0;  // the low `count_` bits are waiting
    int count_ = 0;
};

// The sum of the big-endian words of a table, its last word padded with zeros.
std::uint32_t checksum(std::span<const std::uint8_t> data);

}  // namespace glyph::otb
