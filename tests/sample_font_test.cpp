// The project's sample font through all three tools: each writes a complete
// font of the same glyphs, renamed, with boxes and rows that agree.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "font_text.hpp"
#include "tool_harness.hpp"

namespace glyph::test {
namespace {

struct Box {
    long width = 0, height = 0, x = 0, y = 0;
};

Box parse_box(const std::string& line) {
    Box b;
    std::istringstream in(line);
    std::string keyword;
    in >> keyword >> b.width >> b.height >> b.x >> b.y;
    return b;
}

struct Glyph {
    std::string bbx;
    std::vector<std::string> rows;
};

// A font split into the lines outside bitmaps and the glyphs' rows.
struct Font {
    std::vector<std::string> lines;
    std::vector<Glyph> glyphs;
};

Font parse(const std::string& text) {
    Font font;
    std::istringstream in(text);
    bool in_bitmap = false;
    Glyph current;
    for (std::string line; std::getline(in, line);) {
        if (line.starts_with("BBX ")) current.bbx = line;
        if (line == "ENDCHAR") {
            font.glyphs.push_back(current);
            current = Glyph();
            in_bitmap = false;
        }
        if (in_bitmap) {
            current.rows.push_back(line);
        } else {
            font.lines.push_back(line);
        }
        if (line == "BITMAP") in_bitmap = true;
    }
    return font;
}

bool hex_row(const std::string& row, bool upper) {
    for (char c : row)
        if (!((c >= '0' && c <= '9') || (upper ? (c >= 'A' && c <= 'F') : (c >= 'a' && c <= 'f'))))
            return false;
    return true;
}

// Whether every pixel set in `plain` is also set in `bold` (rows of equal length).
bool covers(const std::string& bold, const std::string& plain) {
    if (bold.size() != plain.size()) return false;
    for (std::size_t i = 0; i < bold.size(); ++i) {
        unsigned b = std::stoul(bold.substr(i, 1), nullptr, 16);
        unsigned p = std::stoul(plain.substr(i, 1), nullptr, 16);
        if ((b & p) != p) return false;
    }
    return true;
}

// The box a slanting tool writes for `box`: widened by (height - 1) / 3, the
// x offset moved left by half of that; an empty box stays.
std::string slanted(const Box& box, const char* keyword) {
    long extra = box.height > 0 ? (box.height - 1) / 3 : 0;
    bool empty = box.width == 0 || box.height == 0;
    char text[96];
    std::snprintf(text, sizeof text, "%s %ld %ld %ld %ld", keyword, box.width + (empty ? 0 : extra),
                  box.height, box.x - (empty ? 0 : extra / 2), box.y);
    return text;
}

TEST(SampleFont, ThroughEveryTool) {
    const std::string source = read_file(SAMPLE_FONT);
    ASSERT_FALSE(source.empty()) << "cannot read " << SAMPLE_FONT;
    const Font input = parse(source);
    ASSERT_EQ(input.glyphs.size(), 95u);

    struct Tool {
        const char* name;
        ToolEntry entry;
        const char* weight;
        const char* slant;
        bool slants;
        bool upper;
    };
    const Tool tools[] = {
        {"glyphstout", run_glyphstout, "Bold", "R", false, false},
        {"glyphslope", run_glyphslope, "Medium", "I", true, true},
        {"glyphstoutslope", run_glyphstoutslope, "Bold", "I", true, false},
    };
    std::vector<Font> results;
    for (const Tool& tool : tools) {
        SCOPED_TRACE(tool.name);
        const RunResult r = run_tool_on(tool.entry, source);
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.err, "");
        const Font out = parse(r.out);
        results.push_back(out);
        ASSERT_EQ(out.glyphs.size(), input.glyphs.size());
        ASSERT_EQ(out.lines.size(), input.lines.size());

        // Outside the bitmaps only the naming lines and the boxes change.
        for (std::size_t i = 0; i < input.lines.size(); ++i) {
            const std::string& in = input.lines[i];
            std::string want = in;
            if (in.starts_with("FONT "))
                want = std::string("FONT -Sample-Mono-") + tool.weight + "-" + tool.slant +
                       "-Normal--16-160-75-75-C-80-ISO10646-1";
            else if (in.starts_with("WEIGHT_NAME "))
                want = std::string("WEIGHT_NAME \"") + tool.weight + "\"";
            else if (in.starts_with("SLANT "))
                want = std::string("SLANT \"") + tool.slant + "\"";
            else if (tool.slants && in.starts_with("FONTBOUNDINGBOX "))
                want = slanted(parse_box(in), "FONTBOUNDINGBOX");
            else if (tool.slants && in.starts_with("BBX "))
                want = slanted(parse_box(in), "BBX");
            EXPECT_EQ(out.lines[i], want) << "line " << i;
        }

        for (std::size_t g = 0; g < out.glyphs.size(); ++g) {
            const Glyph& glyph = out.glyphs[g];
            const Box box = parse_box(glyph.bbx);
            SCOPED_TRACE(glyph.bbx);
            ASSERT_EQ(static_cast<long>(glyph.rows.size()), box.height);
            const std::size_t digits = 2 * static_cast<std::size_t>((box.width + 7) / 8);
            for (const std::string& row : glyph.rows) {
                EXPECT_EQ(row.size(), digits) << row;
                EXPECT_TRUE(hex_row(row, tool.upper)) << row;
            }
        }
    }
    // With the default flags emboldening only adds pixels: the bold rows cover
    // the rows as read, the bold-oblique rows cover the oblique ones.
    ASSERT_EQ(results.size(), 3u);
    for (std::size_t g = 0; g < input.glyphs.size(); ++g) {
        for (std::size_t r = 0; r < input.glyphs[g].rows.size(); ++r) {
            EXPECT_TRUE(covers(results[0].glyphs[g].rows[r], input.glyphs[g].rows[r]))
                << "glyph " << g << " row " << r;
            EXPECT_TRUE(covers(results[2].glyphs[g].rows[r], results[1].glyphs[g].rows[r]))
                << "glyph " << g << " row " << r;
        }
    }
}

}  // namespace
}  // namespace glyph::test
