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
    std::string line(static_cast<std::size_t>(term_width - 3) + 2, ' ');
    line.front() = line.back() = '\r';
    return line;
}

// Beyond the total the meter shows 100 and the bar grows no wider; the
// spinner turns once per line drawn, and glyph 21 draws none.
TEST(ProgressMeter, ThirtyColumnsPastTheTotal) {
    MeterRun run = run_meter(3, "30", 25);
    EXPECT_EQ(run.steps[0], "");  // one glyph draws nothing
    EXPECT_EQ(run.steps[1], "\rprogress|=====     66%|");
    for (int i = 2, lines = 1; i < 25; ++i)
        EXPECT_EQ(run.steps[i], i == 20 ? "" : drawn(10, 9, 100, "|\\-/"[lines++ % 4])) << i + 1;
    EXPECT_EQ(run.steps[24], "\rprogress|========= 100%-");
    EXPECT_EQ(run.finish, blanking(30));
    // A total of 0 (a CHARS line without a number) shows 100; the finish
    // blanks even when nothing was drawn.
    EXPECT_EQ(run_meter(0, "30", 3).steps,
              (std::vector<std::string>{"", drawn(10, 9, 100, '|'), drawn(10, 9, 100, '\\')}));
    EXPECT_EQ(run_meter(5, "30", 0).finish, blanking(30));
}

TEST(ProgressMeter, DefaultWidthSkipsEveryTwentiethGlyph) {
    MeterRun run = run_meter(45, nullptr, 45);
    EXPECT_EQ(run.steps[1], drawn(60, 2, 4, '|'));
    EXPECT_EQ(run.steps[19], drawn(60, 25, 44, '-'));  // glyph 20, the 19th line drawn
    EXPECT_EQ(run.steps[20], "");                      // glyph 21
    // The spinner did not move at glyph 21: 48 per cent, 28 "=" and 32 blanks.
    EXPECT_EQ(run.steps[21], "\rprogress|" + std::string(28, '=') + std::string(32, ' ') + "48%/");
    EXPECT_EQ(run.steps[40], "");  // glyph 41
    // Glyph 45, the 42nd line drawn: 59 "=" and one blank.
    EXPECT_EQ(run.steps[44], "\rprogress|" + std::string(59, '=') + " 100%\\");
    EXPECT_EQ(run.finish, "\r" + std::string(77, ' ') + "\r");
}

TEST(ProgressMeter, ColumnsReadAsADecimalNumberOfAtLeast21) {
    const struct {
        const char* columns;
        int width;
    } cases[] = {{"  25", 25}, {"+40", 40}, {"30abc", 30},      {"22", 22}, {"300", 300},
                 {"21", 21},   {"20", 21},  {"5", 21},          {"0", 21},  {"-3", 21},
                 {"abc", 21},  {"", 21},    {"-2147483648", 21}};
    for (const auto& c : cases) {
        SCOPED_TRACE('"' + std::string(c.columns) + '"');
        MeterRun run = run_meter(4, c.columns, 4);
        const int bar = c.width - 20;
        EXPECT_EQ(run.steps[1], drawn(bar, (bar - 1) * 50 / 100, 50, '|'));
        EXPECT_EQ(run.steps[3], drawn(bar, bar - 1, 100, '-'));
        EXPECT_EQ(run.finish, blanking(c.width));
    }
    EXPECT_EQ(run_meter(4, "21", 2).steps[1], "\rprogress| 50%|");
    // 300 columns: 139 "=" and 141 blanks at 50 per cent.
    EXPECT_EQ(run_meter(4, "300", 2).steps[1],
              "\rprogress|" + std::string(139, '=') + std::string(141, ' ') + "50%|");
}

}  // namespace
}  // namespace glyph
