#include "progress_meter.hpp"

#include <algorithm>
#include <string_view>

#include "text_scan.hpp"

namespace glyph {
namespace {

// Writes `count` copies of `c` without a buffer the size of the terminal.
void put_run(ByteSink& sink, char c, std::int64_t count) {
    char chunk[128];
    std::memset(chunk, c, sizeof chunk);
    while (count > 0) {
        std::size_t n = count < std::int64_t{sizeof chunk} ? std::size_t(count) : sizeof chunk;
        sink.put(chunk, n);
        count -= std::int64_t(n);
    }
}

void put_decimal(ByteSink& sink, std::int64_t value) {
    char digits[24];
    sink.put(digits, static_cast<std::size_t>(glyph::put_decimal(digits, value) - digits));
}

}  // namespace

ProgressMeter progress_new(std::int32_t total, const char* columns, ByteSink& err) {
    ProgressMeter meter;
    meter.total = total;
    meter.term_width = columns ? leading_int32(columns) : 80;
    meter.term_width = std::max(meter.term_width, MIN_TERM_WIDTH);
    meter.err = &err;
    return meter;
}

void progress_step(ProgressMeter& meter) {
    std::int64_t n = meter.done++;
    if (n % 20 == 0) return;
    std::int64_t percent = meter.total > 0 ? (n + 1) * 100 / meter.total : 100;
    percent = std::clamp<std::int64_t>(percent, 0, 100);
    std::int64_t bar = std::int64_t{meter.term_width} - 20;
    std::int64_t fill = (bar - 1) * percent / 100;
    ByteSink& err = *meter.err;
    err.put("\rprogress|");
    put_run(err, '=', fill);
    put_run(err, ' ', bar - fill);
    put_decimal(err, percent);
    err.put('%');
    err.put("|\\-/"[meter.spinner % 4]);
    ++meter.spinner;
    err.flush();
}

void progress_finish(ProgressMeter& meter) {
    ByteSink& err = *meter.err;
    err.put('\r');
    put_run(err, ' ', std::int64_t{meter.term_width} - 3);
    err.put('\r');
    err.flush();
}

void progress_free(ProgressMeter& meter) {
    meter.err = nullptr;
}

}  // namespace glyph
