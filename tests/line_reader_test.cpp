// The pieces the line reader hands out, and the number scanning of text_scan.
#include "line_reader.hpp"

#include <gtest/gtest.h>

#include <cerrno>
#include <limits>
#include <string>
#include <vector>

#include "byte_io.hpp"
#include "failure.hpp"
#include "text_scan.hpp"

namespace glyph {
namespace {

using namespace std::string_literals;
using Pieces = std::vector<std::string>;

// Hands out one byte per read, and optionally fails once its bytes are gone.
class TrickleSource final : public ByteSource {
  public:
    explicit TrickleSource(std::string bytes, int fail_errno = 0)
        : bytes_(std::move(bytes)), fail_errno_(fail_errno) {}
    std::size_t read(char* buffer, std::size_t capacity) override {
        if (pos_ == bytes_.size() && fail_errno_ != 0)
            throw IoFailure(IoFailure::Kind::read, fail_errno_);
        if (pos_ == bytes_.size() || capacity == 0) return 0;
        buffer[0] = bytes_[pos_++];
        return 1;
    }

  private:
    std::string bytes_;
    std::size_t pos_ = 0;
    int fail_errno_;
};

// Every piece `source` hands out, until the end or a read error.
Pieces pieces_from(ByteSource& source, std::size_t block = 1 << 16, int* error = nullptr) {
    LineReader reader(source, LINE_BUFFER_SIZE, block);
    Pieces out;
    Line line;
    try {
        while (reader.next(line)) {
            out.emplace_back(line.view());
        }
    } catch (const IoFailure& failure) {
        EXPECT_EQ(failure.kind, IoFailure::Kind::read);
        if (error) *error = failure.error;
    }
    return out;
}

// n characters that differ from their neighbours, so misplaced cuts show.
std::string run_of(std::size_t n, char first = 'a') {
    std::string s;
    for (std::size_t i = 0; i < n; ++i)
        s += char(first + i % 26);
    return s;
}

// Whatever size of reads the source makes, and whatever block the reader
// fills, the pieces are the same.
TEST(LineReader, PiecesOfAtMost255Bytes) {
    const std::string l254 = run_of(254), l255 = run_of(255), l256 = run_of(256, 'A');
    const std::string l1000 = run_of(1000);
    std::string with_nul = run_of(300);
    with_nul[10] = with_nul[260] = '\0';
    const struct {
        std::string input;
        Pieces expected;
    } cases[] = {
        {l254 + "\nnext\n", {l254 + "\n", "next\n"}},
        {l255 + "\nnext\n", {l255, "\n", "next\n"}},
        {l256 + "\nnext\n", {l256.substr(0, 255), l256.substr(255) + "\n", "next\n"}},
        {l255 + l255, {l255, l255}},
        {l1000 + "\nlast",
         {l1000.substr(0, 255), l1000.substr(255, 255), l1000.substr(510, 255),
          l1000.substr(765) + "\n", "last"}},
        {"", {}},
        {"\n\n", {"\n", "\n"}},
        {"A\r\nB\r\n", {"A\r\n", "B\r\n"}},
        {"A\rB\n\r", {"A\rB\n", "\r"}},  // a CR alone does not end a line
        {"AB\0CD\nEF"s, {"AB\0CD\n"s, "EF"}},
        {with_nul + "\n", {with_nul.substr(0, 255), with_nul.substr(255) + "\n"}},
    };
    for (const auto& c : cases) {
        for (std::size_t block : {std::size_t{1}, std::size_t{256}, std::size_t{300},
                                  std::size_t{1000}, std::size_t{1} << 16}) {
            SCOPED_TRACE(std::to_string(c.input.size()) + " bytes, block " + std::to_string(block));
            MemorySource memory(c.input);
            EXPECT_EQ(pieces_from(memory, block), c.expected);
            TrickleSource trickle(c.input);
            EXPECT_EQ(pieces_from(trickle, block), c.expected);
        }
    }
    // A piece read as a C string ends at its first NUL byte.
    EXPECT_EQ((Line{"AB\0CD\n", 6}.text()), "AB");
    EXPECT_EQ((Line{"EF\n", 3}.text()), "EF\n");
}

TEST(LineReader, ReadErrorComesAfterEveryEarlierPiece) {
    const std::string input = "FONT a\n" + run_of(300) + "\nno line end";
    const Pieces before = {"FONT a\n", run_of(300).substr(0, 255), run_of(300).substr(255) + "\n",
                           "no line end"};
    int error = 0;
    MemorySource memory(input, EIO);
    EXPECT_EQ(pieces_from(memory, 1 << 16, &error), before);
    EXPECT_EQ(error, EIO);
    error = 0;
    TrickleSource trickle(input, EIO);
    EXPECT_EQ(pieces_from(trickle, 1 << 16, &error), before);
    EXPECT_EQ(error, EIO);
}

TEST(FieldScanner, SignedFieldsWrapLikeA32BitConversion) {
    constexpr std::int32_t min = std::numeric_limits<std::int32_t>::min();
    // clang-format off
    const struct { const char* text; std::int32_t value; } cases[] = {
        {"0", 0}, {"-0", 0}, {"+7", 7}, {"  \t-12x", -12}, {"-1", -1},
        {"2147483647", 2147483647}, {"2147483648", min}, {"-2147483648", min},
        {"-2147483649", 2147483647}, {"4294967295", -1}, {"4294967296", 0}, {"4294967297", 1},
        // Beyond a 64-bit long: clamped to its range first, then cut to 32 bits.
        {"9223372036854775807", -1}, {"9223372036854775808", -1}, {"-9223372036854775807", 1},
        {"-9223372036854775808", 0}, {"-9223372036854775809", 0},
        {"99999999999999999999", -1}, {"-99999999999999999999", 0}};
    // clang-format on
    for (const auto& c : cases) {
        FieldScanner scan(c.text);
        std::int32_t value = 12345;
        ASSERT_TRUE(scan.signed_field(value)) << c.text;
        EXPECT_EQ(value, c.value) << c.text;
    }
    for (const char* bad : {"", "   ", "-", "+ 5", "x5", "--5"}) {
        FieldScanner scan(bad);
        std::int32_t value = 12345;
        EXPECT_FALSE(scan.signed_field(value)) << '"' << bad << '"';
    }
}

TEST(LeadingInt32, ReadsLikeAtoiButSaturates) {
    constexpr std::int32_t max = std::numeric_limits<std::int32_t>::max();
    constexpr std::int32_t min = std::numeric_limits<std::int32_t>::min();
    // clang-format off
    const struct { std::string text; std::int32_t value; } cases[] = {
        {"", 0}, {"abc", 0}, {"-", 0}, {"- 5", 0}, {"--5", 0}, {"42", 42}, {"  \t\n+42x", 42},
        {"-42 7", -42}, {"007", 7}, {"2147483647", max}, {"2147483648", max},
        {"4294967296", max}, {"99999999999999999999999", max}, {"-2147483648", min},
        {"-2147483649", min}, {"-99999999999999999999999", min}, {"12\00034"s, 12}};
    // clang-format on
    for (const auto& c : cases)
        EXPECT_EQ(leading_int32(c.text), c.value) << '"' << c.text << '"';
}

}  // namespace
}  // namespace glyph
