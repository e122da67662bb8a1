// What every run of glyphbdf on one font read from standard input must
// satisfy, whatever bytes the font holds (an OpenType file, a PCF file, one
// compressed with gzip, or none of these):
//   - the exit status is 0 or 1, and 1 exactly when standard error holds a
//     message;
//   - standard error is empty or exactly one known message of one line;
//   - a run that fails on the font writes nothing on standard output;
//   - a converted font is one whole BDF font: STARTFONT first, ENDFONT
//     last, as many glyphs as its CHARS line says; a listing is one line
//     per strike;
//   - the same input and options give the same status, output and message.
// The fuzz harness aborts on a violation; the reading tests replay its
// corpus through the same checks.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "glyphbdf.hpp"
#include "run_properties.hpp"

namespace glyph::fuzz {

// The command lines a run is drawn from: a font's one strike, a size most
// seeds have and one they lack, the listing, and a cap far below the
// harness's own.
inline const std::vector<std::vector<std::string>>& bdf_reader_option_sets() {
    static const std::vector<std::vector<std::string>> sets = {
        {}, {"-z", "16"}, {"-z8"}, {"-l"}, {"-m", "1"}, {"-l", "-z", "16"},
    };
    return sets;
}

// The option set of an input: its last byte picks it, so that the first
// bytes stay the file's own signature.
inline std::size_t bdf_reader_option_index_for(std::string_view input) {
    const unsigned last = input.empty() ? 0u : static_cast<unsigned char>(input.back());
    return last % bdf_reader_option_sets().size();
}

// Keeps the output whole, up to OUTPUT_CAP bytes, past which it fails as a
// full disk would.
class KeptSink final : public ByteSink {
  public:
    KeptSink() : ByteSink(1 << 16) {}
    const std::string& text() {
        flush();
        return text_;
    }
    bool failed() const { return failed_; }

  protected:
    void deliver(const char* bytes, std::size_t n) override {
        if (text_.size() + n > OUTPUT_CAP) {
            failed_ = true;
            throw IoFailure(IoFailure::Kind::write, EFBIG);
        }
        text_.append(bytes, n);
    }

  private:
    std::string text_;
    bool failed_ = false;
};

struct BdfReaderRecord {
    int status = -1;
    std::string out;
    bool out_failed = false;
    std::string err;
    friend bool operator==(const BdfReaderRecord&, const BdfReaderRecord&) = default;
};

inline BdfReaderRecord run_bdf_reader_once(const std::vector<std::string>& args,
                                           std::string_view input) {
    MemorySource in(input);
    KeptSink out;
    ErrorSink err;
    BdfReaderRecord r;
    r.status = run_glyphbdf(args, in, out, err);
    r.out_failed = out.failed();
    if (!r.out_failed) r.out = out.text();
    r.err = err.text();
    return r;
}

// Checks that `line` (without its line end) is one of glyphbdf's messages.
inline std::string check_bdf_reader_message(std::string_view line, const BdfReaderRecord& r) {
    if (line == MEMORY_MESSAGE) return {};
    static constexpr std::string_view PREFIXES[] = {
        "Cannot open font (standard input): ",
        "No bitmap strike in (standard input): an outline font, which otf2bdf converts",
        "(standard input) has strikes of several sizes; choose one with -z: ",
        "No strike of ",
        "Cannot read glyph ",
        "Write error: ",
    };
    for (std::string_view prefix : PREFIXES) {
        if (line.substr(0, prefix.size()) != prefix) continue;
        if (prefix == "Write error: " && !r.out_failed)
            return "write error although every write succeeded";
        if (prefix != "Write error: " && !r.out.empty()) return "output before a failure";
        return {};
    }
    return "standard error holds an unknown message";
}

// A whole BDF font, as far as its frame goes.
inline std::string check_bdf_frame(std::string_view out) {
    if (out.rfind("STARTFONT 2.1\n", 0) != 0) return "output does not start with STARTFONT";
    if (out.size() < 8 || out.substr(out.size() - 8) != "ENDFONT\n")
        return "output does not end with ENDFONT";
    const std::size_t chars = out.find("\nCHARS ");
    if (chars == std::string_view::npos) return "output without CHARS";
    const std::uint64_t count = std::stoull(std::string(out.substr(chars + 7, 20)));
    std::uint64_t glyphs = 0;
    for (std::size_t at = out.find("\nSTARTCHAR "); at != std::string_view::npos;
         at = out.find("\nSTARTCHAR ", at + 1))
        ++glyphs;
    if (glyphs != count) return "CHARS does not count the glyphs";
    return {};
}

inline std::string check_bdf_reader_record(const std::vector<std::string>& args,
                                           const BdfReaderRecord& r) {
    if (r.status != 0 && r.status != 1) return "exit status " + std::to_string(r.status);
    if (r.err.empty() != (r.status == 0)) return "status 1 exactly when there is a message: not so";
    if (!r.err.empty()) {
        if (r.err.back() != '\n' || r.err.find('\n') != r.err.size() - 1)
            return "standard error is not exactly one line";
        return check_bdf_reader_message(std::string_view(r.err).substr(0, r.err.size() - 1), r);
    }
    bool list = false;
    for (const std::string& a : args)
        list = list || a == "-l";
    if (!list) return check_bdf_frame(r.out);
    if (r.out.empty() || r.out.back() != '\n') return "a listing without its lines";
    return {};
}

// Runs glyphbdf twice on the same input and checks both runs; empty when
// every property holds, else what went wrong.
inline std::string check_bdf_reader_run(const std::vector<std::string>& args,
                                        std::string_view input) {
    const BdfReaderRecord first = run_bdf_reader_once(args, input);
    std::string why = check_bdf_reader_record(args, first);
    if (why.empty() && !(run_bdf_reader_once(args, input) == first))
        why = "the same run twice gave different results";
    if (why.empty()) return why;
    std::string shown;
    for (const std::string& a : args)
        shown += " '" + a + "'";
    return "glyphbdf" + shown + ": " + why + "; status " + std::to_string(first.status) + ", " +
           std::to_string(first.out.size()) + " bytes out, stderr '" + first.err.substr(0, 200) +
           "'";
}

}  // namespace glyph::fuzz
