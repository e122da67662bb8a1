// The progress meter's drawn lines, byte for byte.

#include "progress_meter.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "byte_io.hpp"

namespace glyph {
namespace {

struct MeterRun {
    std::vector<std::string> steps;  // what each glyph wrote, in order
    std::string finish;              // what the final blanking wrote
};

MeterRun run_meter(std::int32_t total, const char* columns, int glyphs) {
    StringSink err;
    ProgressMeter meter = progress_new(total, columns, err);
    MeterRun run;
    std::size_t seen = 0;
    for (int i = 0; i < glyphs; ++i) {
        progress_step(meter);
        run.steps.push_back(err.text().substr(seen));
        seen = err.text().size();
    }
    progress_finish(meter);
    run.finish = err.text().substr(seen);
    progress_free(meter);
    return run;
}

// The line drawn for a glyph: bar of `width` characters, `fill` of them "=".
std::string drawn(int width, int fill, int percent, char spinner) {
    return "\rprogress|" + std::string(fill, '=') + std::string(width - fill, ' ') +
           std::to_string(percent) + "%" + spinner;
}

std::string blanking(int term_width) {
    return "\r" + std::string(term_width - 3, ' ') + "\r";
}

TEST(ProgressMeter, ThirtyColumnsTenGlyphs) {
    MeterRun run = run_meter(10, "30", 10);
    const std::vector<std::string> expected = {"",
                                               drawn(10, 1, 20, '|'),
                                               drawn(10, 2, 30, '\\'),
                                               drawn(10, 3, 40, '-'),
                                               drawn(10, 4, 50, '/'),
                                               drawn(10, 5, 60, '|'),
                                               drawn(10, 6, 70, '\\'),
                                               drawn(10, 7, 80, '-'),
                                               drawn(10, 8, 90, '/'),
                                               drawn(10, 9, 100, '|')};
    EXPECT_EQ(run.steps, expected);
    EXPECT_EQ(run.steps[9], "\rprogress|========= 100%|");
    EXPECT_EQ(run.finish, blanking(30));
}

TEST(ProgressMeter, DefaultWidthSkipsEveryTwentiethGlyph) {
    MeterRun run = run_meter(45, nullptr, 45);
    ASSERT_EQ(run.steps.size(), 45u);
    EXPECT_EQ(run.steps[0], "");
    EXPECT_EQ(run.steps[1], drawn(60, 2, 4, '|'));
    EXPECT_EQ(run.steps[19], drawn(60, 25, 44, '-'));    // glyph 20, the 19th line drawn
    EXPECT_EQ(run.steps[20], "");                        // glyph 21
    EXPECT_EQ(run.steps[21], drawn(60, 28, 48, '/'));    // the spinner did not move at glyph 21
    EXPECT_EQ(run.steps[40], "");                        // glyph 41
    EXPECT_EQ(run.steps[44], drawn(60, 59, 100, '\\'));  // the 42nd line drawn
    EXPECT_EQ(run.finish, blanking(80));

    // Glyph 22: 48 per cent, 28 "=" and 32 blanks.
    EXPECT_EQ(run.steps[21], "\rprogress|" + std::string(28, '=') + std::string(32, ' ') + "48%/");
    // Glyph 45: 59 "=" and one blank.
    EXPECT_EQ(run.steps[44], "\rprogress|" + std::string(59, '=') + " 100%\\");
}

TEST(ProgressMeter, OneGlyphDrawsNothingButFinishStillBlanks) {
    MeterRun run = run_meter(1, nullptr, 1);
    EXPECT_EQ(run.steps, std::vector<std::string>{""});
    EXPECT_EQ(run.finish, "\r" + std::string(77, ' ') + "\r");
    EXPECT_EQ(run_meter(5, "30", 0).finish, "\r" + std::string(27, ' ') + "\r");
}

TEST(ProgressMeter, PercentStaysWithinZeroToHundred) {
    // A total of 0 (a CHARS line without a number) shows 100.
    MeterRun zero = run_meter(0, "30", 3);
    EXPECT_EQ(zero.steps,
              (std::vector<std::string>{"", drawn(10, 9, 100, '|'), drawn(10, 9, 100, '\\')}));

    // More glyphs than the total: 100 from the total on, the bar never wider.
    MeterRun over = run_meter(3, "30", 25);
    EXPECT_EQ(over.steps[1], drawn(10, 5, 66, '|'));
    const char spinner[] = "|\\-/";
    int lines = 1;
    for (int i = 2; i < 25; ++i) {
        if (i == 20) {
            EXPECT_EQ(over.steps[i], "");
            continue;
        }
        EXPECT_EQ(over.steps[i], drawn(10, 9, 100, spinner[lines % 4])) << "glyph " << i + 1;
        ++lines;
    }
}

TEST(ProgressMeter, NarrowOrUnreadableColumnsGiveTwentyOne) {
    for (const char* columns : {"5", "0", "-3", "abc", "", "21", "20", "-2147483648"}) {
        MeterRun run = run_meter(10, columns, 10);
        EXPECT_EQ(run.steps[1], "\rprogress| 20%|") << '"' << columns << '"';
        EXPECT_EQ(run.steps[2], "\rprogress| 30%\\") << '"' << columns << '"';
        EXPECT_EQ(run.steps[9], "\rprogress| 100%|") << '"' << columns << '"';
        EXPECT_EQ(run.finish, blanking(21)) << '"' << columns << '"';
    }
}

TEST(ProgressMeter, ColumnsReadAsADecimalNumber) {
    struct Case {
        const char* columns;
        int width;
    } cases[] = {{"  25", 25}, {"+40", 40}, {"30abc", 30}, {"22", 22}, {"300", 300}};
    for (const Case& c : cases) {
        MeterRun run = run_meter(4, c.columns, 4);
        const int bar = c.width - 20;
        EXPECT_EQ(run.steps[1], drawn(bar, (bar - 1) * 50 / 100, 50, '|')) << c.columns;
        EXPECT_EQ(run.steps[3], drawn(bar, bar - 1, 100, '-')) << c.columns;
        EXPECT_EQ(run.finish, blanking(c.width)) << c.columns;
    }
    // 300 columns: 139 "=" and 141 blanks at 50 per cent.
    MeterRun wide = run_meter(4, "300", 2);
    EXPECT_EQ(wide.steps[1],
              "\rprogress|" + std::string(139, '=') + std::string(141, ' ') + "50%|");
    EXPECT_EQ(wide.finish, "\r" + std::string(297, ' ') + "\r");
}

}  // namespace
}  // namespace glyph
