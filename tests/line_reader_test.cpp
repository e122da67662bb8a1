// The pieces the line reader hands out, and the number scanning of text_scan.

#include "line_reader.hpp"

#include <gtest/gtest.h>

#include <cerrno>
#include <limits>
#include <string>
#include <tuple>
#include <vector>

#include "byte_io.hpp"
#include "failure.hpp"
#include "text_scan.hpp"

namespace glyph {
namespace {

using namespace std::string_view_literals;

// Hands out one byte per read, and optionally fails once its bytes are gone.
class TrickleSource final : public ByteSource {
  public:
    explicit TrickleSource(std::string bytes, int fail_errno = 0)
        : bytes_(std::move(bytes)), fail_errno_(fail_errno) {}
    std::size_t read(char* buffer, std::size_t capacity) override {
        if (pos_ == bytes_.size()) {
            if (fail_errno_ != 0) throw IoFailure(IoFailure::Kind::read, fail_errno_);
            return 0;
        }
        if (capacity == 0) return 0;
        buffer[0] = bytes_[pos_++];
        return 1;
    }

  private:
    std::string bytes_;
    std::size_t pos_ = 0;
    int fail_errno_;
};

std::vector<std::string> pieces_from(ByteSource& source, std::size_t block = 1 << 16) {
    LineReader reader(source, LINE_BUFFER_SIZE, block);
    std::vector<std::string> out;
    Line line;
    while (reader.next(line)) {
        EXPECT_EQ(line.data[line.size], '\0') << "piece " << out.size() << " is not terminated";
        out.emplace_back(line.view());
    }
    return out;
}

std::vector<std::string> pieces(const std::string& input) {
    MemorySource source(input);
    return pieces_from(source);
}

// n characters that differ from their neighbours, so misplaced cuts show.
std::string run_of(std::size_t n, char first = 'a') {
    std::string s;
    for (std::size_t i = 0; i < n; ++i)
        s += char(first + i % 26);
    return s;
}

using Pieces = std::vector<std::string>;

TEST(LineReader, LongLinesArriveInPiecesOf255) {
    const std::string l254 = run_of(254), l255 = run_of(255), l256 = run_of(256);
    const std::string l1000 = run_of(1000);
    struct Case {
        std::string input;
        Pieces expected;
    } cases[] = {{l254 + "\nnext\n", {l254 + "\n", "next\n"}},
                 {l254, {l254}},
                 {l255 + "\nnext\n", {l255, "\n", "next\n"}},
                 {l255, {l255}},
                 {l256 + "\nnext\n", {l255, l256.substr(255) + "\n", "next\n"}},
                 {l256, {l255, l256.substr(255)}},
                 {l1000 + "\nnext",
                  {l1000.substr(0, 255), l1000.substr(255, 255), l1000.substr(510, 255),
                   l1000.substr(765) + "\n", "next"}},
                 {l1000,
                  {l1000.substr(0, 255), l1000.substr(255, 255), l1000.substr(510, 255),
                   l1000.substr(765)}}};
    for (const Case& c : cases)
        EXPECT_EQ(pieces(c.input), c.expected) << "input of " << c.input.size() << " bytes";
}

TEST(LineReader, LineEndsAndEmptyInput) {
    EXPECT_EQ(pieces(""), Pieces{});
    EXPECT_EQ(pieces("\n\n"), (Pieces{"\n", "\n"}));
    EXPECT_EQ(pieces("A\r\nB\r\n"), (Pieces{"A\r\n", "B\r\n"}));
    EXPECT_EQ(pieces("A\nB"), (Pieces{"A\n", "B"}));
    EXPECT_EQ(pieces("A\r"), (Pieces{"A\r"}));
    // A CR alone does not end a line.
    EXPECT_EQ(pieces("A\rB\n"), (Pieces{"A\rB\n"}));
}

TEST(LineReader, NulBytesAreKeptAndCounted) {
    const std::string with_nul("AB\0CD\n", 6);
    const std::string input = with_nul + "EF\n";
    MemorySource source(input);
    LineReader reader(source);
    Line line;
    ASSERT_TRUE(reader.next(line));
    EXPECT_EQ(line.view(), with_nul);
    EXPECT_EQ(line.text(), "AB");
    ASSERT_TRUE(reader.next(line));
    EXPECT_EQ(line.view(), "EF\n");
    EXPECT_EQ(line.text(), "EF\n");
    EXPECT_FALSE(reader.next(line));

    // NUL bytes take their place in a piece like any other byte.
    std::string long_line = run_of(300);
    long_line[10] = '\0';
    long_line[260] = '\0';
    const Pieces got = pieces(long_line + "\n");
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0], long_line.substr(0, 255));
    EXPECT_EQ(got[1], long_line.substr(255) + "\n");
    EXPECT_EQ((Line{got[0].c_str(), got[0].size()}.text()), long_line.substr(0, 10));
    EXPECT_EQ((Line{got[1].c_str(), got[1].size()}.text()), long_line.substr(255, 5));
}

TEST(LineReader, PiecesDoNotDependOnHowTheSourceDelivers) {
    std::string input = "STARTFONT 2.1\r\n" + run_of(600) + "\n" + run_of(255, 'A') + "\n\n";
    input += std::string("x\0y\n", 4) + run_of(254) + "\n" + run_of(510) + "\nlast";
    const std::string r600 = run_of(600), r510 = run_of(510);
    const Pieces expected = {"STARTFONT 2.1\r\n",
                             r600.substr(0, 255),
                             r600.substr(255, 255),
                             r600.substr(510) + "\n",
                             run_of(255, 'A'),
                             "\n",
                             "\n",
                             std::string("x\0y\n", 4),
                             run_of(254) + "\n",
                             r510.substr(0, 255),
                             r510.substr(255),
                             "\n",
                             "last"};
    for (std::size_t block : {std::size_t{1}, std::size_t{256}, std::size_t{300}, std::size_t{1000},
                              std::size_t{1} << 16}) {
        TrickleSource trickle(input);
        EXPECT_EQ(pieces_from(trickle, block), expected) << "trickled, block " << block;
        MemorySource memory(input);
        EXPECT_EQ(pieces_from(memory, block), expected) << "block " << block;
    }
}

TEST(LineReader, ReadErrorComesAfterEveryEarlierPiece) {
    const std::string input = "FONT a\n" + run_of(300) + "\nno line end";
    const Pieces before = {"FONT a\n", run_of(300).substr(0, 255), run_of(300).substr(255) + "\n",
                           "no line end"};
    for (bool trickle : {false, true}) {
        MemorySource memory(input, EIO);
        TrickleSource slow(input, EIO);
        ByteSource& source = trickle ? static_cast<ByteSource&>(slow) : memory;
        LineReader reader(source);
        Pieces got;
        Line line;
        try {
            while (reader.next(line))
                got.emplace_back(line.view());
            ADD_FAILURE() << "no read error reported";
        } catch (const IoFailure& failure) {
            EXPECT_EQ(failure.kind, IoFailure::Kind::read);
            EXPECT_EQ(failure.error, EIO);
        }
        EXPECT_EQ(got, before) << (trickle ? "one byte per read" : "whole reads");
    }
}

TEST(FieldScanner, SignedFieldsWrapLikeA32BitConversion) {
    constexpr std::int32_t min = std::numeric_limits<std::int32_t>::min();
    // clang-format off
    struct Case { const char* text; std::int32_t value; } cases[] = {
        {"0", 0}, {"-0", 0}, {"+7", 7}, {"  \t-12x", -12}, {"-1", -1},
        {"2147483647", 2147483647}, {"2147483648", min}, {"-2147483648", min},
        {"-2147483649", 2147483647}, {"4294967295", -1}, {"4294967296", 0}, {"4294967297", 1},
        // Beyond a 64-bit long: clamped to its range first, then cut to 32 bits.
        {"9223372036854775807", -1}, {"9223372036854775808", -1}, {"-9223372036854775807", 1},
        {"-9223372036854775808", 0}, {"-9223372036854775809", 0},
        {"99999999999999999999", -1}, {"-99999999999999999999", 0}};
    // clang-format on
    for (const Case& c : cases) {
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

TEST(FieldScanner, FieldsFollowOneAnother) {
    FieldScanner scan("FONTBOUNDINGBOXES\t8  16 -1 -2 tail");
    std::string_view keyword;
    UnsignedField w, h;
    std::int32_t x = 0, y = 0;
    ASSERT_TRUE(scan.token(keyword, 15));  // cut at its length limit
    EXPECT_EQ(keyword, "FONTBOUNDINGBOX");
    ASSERT_TRUE(scan.skip_token() && scan.unsigned_field(w) && scan.unsigned_field(h));
    ASSERT_TRUE(scan.signed_field(x) && scan.signed_field(y));
    EXPECT_EQ(std::make_tuple(w.value, h.value, x, y), std::make_tuple(8u, 16u, -1, -2));
    EXPECT_FALSE(scan.signed_field(x));
    EXPECT_EQ(x, -1);
}

TEST(LeadingInt32, ReadsLikeAtoiButSaturates) {
    constexpr std::int32_t max = std::numeric_limits<std::int32_t>::max();
    constexpr std::int32_t min = std::numeric_limits<std::int32_t>::min();
    // clang-format off
    struct Case { const char* text; std::int32_t value; } cases[] = {
        {"", 0}, {"abc", 0}, {"-", 0}, {"- 5", 0}, {"--5", 0}, {"42", 42}, {"  \t\n+42x", 42},
        {"-42 7", -42}, {"007", 7}, {"2147483647", max}, {"2147483648", max},
        {"4294967296", max}, {"99999999999999999999999", max}, {"-2147483648", min},
        {"-2147483649", min}, {"-99999999999999999999999", min}};
    // clang-format on
    for (const Case& c : cases)
        EXPECT_EQ(leading_int32(c.text), c.value) << '"' << c.text << '"';
    EXPECT_EQ(leading_int32("12\00034"sv), 12);
}

}  // namespace
}  // namespace glyph
