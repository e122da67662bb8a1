#include "font_buffer.hpp"

#include <stdexcept>
#include <string>

namespace glyph::otb {
namespace {

std::uint64_t checked(std::int64_t value, std::int64_t low, std::int64_t high) {
    if (value < low || value > high)
        throw std::range_error("the value " + std::to_string(value) + " does not fit its field");
    return static_cast<std::uint64_t>(value);
}

}  // namespace

void FontBuffer::put(std::uint64_t value, int count) {
    for (int i = count - 1; i >= 0; --i)
        data_.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

void FontBuffer::set(std::size_t at, std::uint64_t value, int count) {
    const auto n = static_cast<std::size_t>(count);
    if (at > data_.size() || data_.size() - at < n)
        throw std::out_of_range("a field patched outside the table");
    for (std::size_t i = 0; i < n; ++i)
        data_[at + i] = static_cast<std::uint8_t>(value >> (8 * (n - 1 - i)));
}

void FontBuffer::u8(std::int64_t value) {
    put(checked(value, 0, 0xFF), 1);
}
void FontBuffer::i8(std::int64_t value) {
    put(checked(value, -0x80, 0x7F), 1);
}
void FontBuffer::u16(std::int64_t value) {
    put(checked(value, 0, 0xFFFF), 2);
}
void FontBuffer::i16(std::int64_t value) {
    put(checked(value, -0x8000, 0x7FFF), 2);
}
void FontBuffer::u32(std::int64_t value) {
    put(checked(value, 0, 0xFFFFFFFF), 4);
}
void FontBuffer::i64(std::int64_t value) {
    put(static_cast<std::uint64_t>(value), 8);
}

void FontBuffer::tag(std::string_view four_letters) {
    if (four_letters.size() != 4) throw std::logic_error("a table tag of other than four letters");
    for (const char c : four_letters)
        data_.push_back(static_cast<std::uint8_t>(c));
}

void FontBuffer::bytes(std::span<const std::uint8_t> data) {
    data_.insert(data_.end(), data.begin(), data.end());
}

void FontBuffer::zeros(std::size_t count) {
    data_.resize(data_.size() + count, 0);
}

void FontBuffer::align(std::size_t multiple) {
    zeros((multiple - data_.size() % multiple) % multiple);
}

std::size_t FontBuffer::reserve16() {
    zeros(2);
    return data_.size() - 2;
}
std::size_t FontBuffer::reserve32() {
    zeros(4);
    return data_.size() - 4;
}
void FontBuffer::patch16(std::size_t at, std::int64_t value) {
    set(at, checked(value, 0, 0xFFFF), 2);
}
void FontBuffer::patch32(std::size_t at, std::int64_t value) {
    set(at, checked(value, 0, 0xFFFFFFFF), 4);
}

std::uint32_t FontBuffer::get32(std::size_t at) const {
    if (at > data_.size() || data_.size() - at < 4)
        throw std::out_of_range("a field read outside the table");
    return std::uint32_t{data_[at]} << 24 | std::uint32_t{data_[at + 1]} << 16 |
           std::uint32_t{data_[at + 2]} << 8 | data_[at + 3];
}

void BitWriter::bits(unsigned bits, int count) {
    pending_ = pending_ << count | (bits & 0xFFu) >> (8 - count);
    count_ += count;
    if (count_ >= 8) {
        count_ -= 8;
        out_.u8((pending_ >> count_) & 0xFF);
    }
}

void BitWriter::finish() {
    if (count_ > 0) out_.u8((pending_ << (8 - count_)) & 0xFF);
    pending_ = 0;
    count_ = 0;
}

std::uint32_t checksum(std::span<const std::uint8_t> data) {
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i < data.size(); i += 4) {
        std::uint32_t word = 0;
        for (std::size_t k = 0; k < 4; ++k)
            word = word << 8 | (i + k < data.size() ? data[i + k] : 0u);
        sum += word;
    }
    return sum;
}

}  // namespace glyph::otb
