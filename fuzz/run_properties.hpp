// What every run of the three tools must satisfy, whatever bytes it is given:
//   - the exit status is 0 or 1;
//   - standard error is empty or holds exactly one known message, preceded
//     only by well-formed progress meter frames when -V was given;
//   - the status is 1 exactly when there is a message;
//   - the same input and options give the same status, output and messages.
// The fuzz harnesses abort on a violation; the regression test reports it.
// Output is hashed and counted, never kept whole, so a font that blows up
// into a huge output costs no memory; past OUTPUT_CAP bytes the output fails
// as a full disk would, which bounds the work a single input can cause.
#pragma once

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "byte_io.hpp"
#include "failure.hpp"
#include "fuzz_report.hpp"
#include "memory.hpp"
#include "reference_paths.hpp"
#include "tools.hpp"

namespace glyph::fuzz {

// Any single allocation above this ends the run with "FATAL: Memory exhausted".
inline constexpr std::string_view MEMORY_MESSAGE = "FATAL: Memory exhausted";
// Output beyond this many bytes fails with a write error (EFBIG).
inline constexpr std::uint64_t OUTPUT_CAP = std::uint64_t{8} << 20;
// Standard error is kept whole up to this size; more is a violation in itself.
inline constexpr std::size_t ERROR_CAP = std::size_t{16} << 20;

enum class Tool { stout, slope, stoutslope };

inline const char* tool_name(Tool tool) {
    switch (tool) {
        case Tool::stout:
            return "glyphstout";
        case Tool::slope:
            return "glyphslope";
        case Tool::stoutslope:
            return "glyphstoutslope";
    }
    return "?";
}

inline int run_tool_entry(Tool tool, std::span<const std::string> args, ByteSource& in,
                          ByteSink& out, ByteSink& err) {
    switch (tool) {
        case Tool::stout:
            return run_glyphstout(args, in, out, err);
        case Tool::slope:
            return run_glyphslope(args, in, out, err);
        case Tool::stoutslope:
            return run_glyphstoutslope(args, in, out, err);
    }
    return -1;
}

// A command line and the COLUMNS variable for one run.
struct OptionSet {
    std::vector<std::string> args;
    const char* columns;  // nullptr: COLUMNS unset
};

// The option sets a run is drawn from. -h and -p appear in one set each, so
// that most runs read the input.
inline const std::vector<OptionSet>& option_sets() {
    static const std::vector<OptionSet> sets = {
        {{}, nullptr},
        {{"-r"}, nullptr},
        {{"-L"}, nullptr},
        {{"-r", "-L"}, nullptr},
        {{"-V"}, nullptr},
        {{"-V"}, "30"},
        {{"-V"}, "0"},
        {{"-V", "-r"}, "21"},
        {{"-V", "-L"}, "-7"},
        {{"-V"}, "abc"},
        {{"-l", "-R"}, nullptr},
        {{"-h"}, nullptr},
        {{"-Verbose", "-rx"}, "200"},
        {{"--help", "-", "-r", "-L"}, nullptr},
        {{"-V", "-r", "-L"}, "  25x"},
        {{"-R", "-L", "-p"}, nullptr},
        {{"-w"}, nullptr},
        {{"-w", "-r"}, nullptr},
        {{"-r", "-L", "-w"}, nullptr},
        {{"-V", "-wide", "-l"}, "40"},
        // Slanting by other steps and about the baseline. Values are joined
        // to -s, which the bold tool ignores: a separate one would name its
        // input.
        {{"-b"}, nullptr},
        {{"-s1"}, nullptr},
        {{"-b", "-s6"}, nullptr},
        {{"-s2", "-b", "-w", "-r"}, nullptr},
        {{"-V", "-b", "-s16", "-L"}, "30"},
        {{"-s4", "-b", "-w"}, nullptr},
        // Advances one pixel wider: each glyph held until its ENDCHAR.
        {{"-a"}, nullptr},
        {{"-w", "-a", "-r"}, nullptr},
        {{"-V", "-a", "-b", "-w"}, "30"},
        {{"-a", "-L", "-s5", "-b"}, nullptr},
    };
    return sets;
}

// The option set of an input: chosen by its first byte.
inline std::size_t option_index_for(std::string_view input) {
    unsigned char first = input.empty() ? 0 : static_cast<unsigned char>(input[0]);
    return first % option_sets().size();
}

inline bool has_option(const OptionSet& options, char letter) {
    for (const std::string& a : options.args) {
        if (a.size() >= 2 && a[0] == '-' && a[1] == letter) return true;
    }
    return false;
}

// Where the option scan stops: -h always, -p in the slanting tools.
inline char terminal_option(const OptionSet& options, Tool tool) {
    for (const std::string& a : options.args) {
        if (a.size() < 2 || a[0] != '-') continue;
        if (a[1] == 'h') return 'h';
        if (a[1] == 'p' && tool != Tool::stout) return 'p';
    }
    return 0;
}

// The width the meter lays itself out for: COLUMNS read as a leading decimal
// integer, 80 when unset, never below 21.
inline long meter_width(const char* columns) {
    if (!columns) return 80;
    const char* p = columns;
    while (*p == ' ' || (*p >= '\t' && *p <= '\r'))
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    long value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        value = value * 10 + (*p - '0');
        if (value > 100000000L) value = 100000000L;
    }
    if (negative) value = -value;
    return value < 21 ? 21 : value;
}

// Hashes and counts what it is given and keeps a bounded prefix.
class DigestSink final : public ByteSink {
  public:
    DigestSink(std::size_t keep, std::uint64_t cap) : ByteSink(4096), keep_(keep), cap_(cap) {}

    std::uint64_t hash() const { return hash_; }
    std::uint64_t size() const { return size_; }
    const std::string& prefix() const { return prefix_; }
    bool failed() const { return failed_; }

  protected:
    void deliver(const char* bytes, std::size_t n) override {
        if (size_ + n > cap_) {
            failed_ = true;
            throw IoFailure(IoFailure::Kind::write, EFBIG);
        }
        for (std::size_t i = 0; i < n; ++i)
            hash_ = (hash_ ^ static_cast<unsigned char>(bytes[i])) * 1099511628211ull;
        if (prefix_.size() < keep_) prefix_.append(bytes, std::min(n, keep_ - prefix_.size()));
        size_ += n;
    }

  private:
    std::size_t keep_;
    std::uint64_t cap_;
    std::uint64_t hash_ = 14695981039346656037ull;
    std::uint64_t size_ = 0;
    std::string prefix_;
    bool failed_ = false;
};

// Keeps standard error whole, up to ERROR_CAP bytes.
class ErrorSink final : public ByteSink {
  public:
    ErrorSink() : ByteSink(4096) {}
    const std::string& text() {
        flush();
        return text_;
    }
    bool overflowed() const { return overflowed_; }

  protected:
    void deliver(const char* bytes, std::size_t n) override {
        if (text_.size() + n > ERROR_CAP) {
            overflowed_ = true;
            return;
        }
        text_.append(bytes, n);
    }

  private:
    std::string text_;
    bool overflowed_ = false;
};

struct RunRecord {
    int status = -1;
    std::uint64_t out_hash = 0;
    std::uint64_t out_size = 0;
    std::string out_prefix;
    bool out_failed = false;
    std::string err;
    bool err_overflowed = false;
};

// Takes what a run left in its sinks into `r`.
inline void record_sinks(RunRecord& r, DigestSink& out, ErrorSink& err) {
    r.err = err.text();
    r.err_overflowed = err.overflowed();
    r.out_hash = out.hash();
    r.out_size = out.size();
    r.out_prefix = out.prefix();
    r.out_failed = out.failed();
}

// Runs one tool once on `input` as its standard input, with COLUMNS set as the
// option set asks and put back afterwards.
inline RunRecord run_once(Tool tool, const OptionSet& options, std::string_view input) {
    const char* old = std::getenv("COLUMNS");
    std::string saved = old ? old : "";
    if (options.columns)
        setenv("COLUMNS", options.columns, 1);
    else
        unsetenv("COLUMNS");
    MemorySource in(input);
    DigestSink out(4096, OUTPUT_CAP);
    ErrorSink err;
    RunRecord r;
    r.status = run_tool_entry(tool, options.args, in, out, err);
    record_sinks(r, out, err);
    if (old)
        setenv("COLUMNS", saved.c_str(), 1);
    else
        unsetenv("COLUMNS");
    return r;
}

// The keyword of a line as the tools see it: the text up to its first NUL, and
// of that the first white-space-delimited token when it begins with a letter.
inline std::string_view keyword_of(std::string_view line) {
    std::size_t nul = line.find('\0');
    if (nul != std::string_view::npos) line = line.substr(0, nul);
    if (line.empty() || !((line[0] >= 'A' && line[0] <= 'Z') || (line[0] >= 'a' && line[0] <= 'z')))
        return {};
    std::size_t end = 1;
    while (end < line.size() && line[end] != ' ' && !(line[end] >= '\t' && line[end] <= '\r'))
        ++end;
    return line.substr(0, end);
}

// Whether the input holds a CHARS line, taking the lines in the pieces of at
// most 255 bytes in which the tools read them.
inline bool has_chars_line(std::string_view input) {
    while (!input.empty()) {
        std::size_t nl = input.find('\n');
        std::size_t size = nl == std::string_view::npos ? input.size() : nl + 1;
        if (size > 255) size = 255;
        if (keyword_of(input.substr(0, size)) == "CHARS") return true;
        input.remove_prefix(size);
    }
    return false;
}

// Removes the meter frames at the front of `err`. Each drawn frame is
// "\rprogress|" + a bar of width - 20 characters ("=" then blanks, the number
// of "=" being (width - 21) * percent / 100) + the percentage (0 to 100, never
// falling) + "%" + the spinner character for the frame's number; the blanking
// frame is "\r" + width - 3 blanks + "\r" and ends standard error.
inline std::string strip_meter(std::string_view& err, long width, bool& blanked) {
    static constexpr char SPINNER[] = "|\\-/";
    const std::string_view head = "\rprogress|";
    std::string blank(static_cast<std::size_t>(width - 3) + 2, ' ');
    blank.front() = blank.back() = '\r';
    const std::size_t bar = static_cast<std::size_t>(width - 20);
    blanked = false;
    long frames = 0, last_percent = -1;
    while (!err.empty() && err[0] == '\r') {
        if (err.substr(0, blank.size()) == blank) {
            blanked = true;
            err.remove_prefix(blank.size());
            if (!err.empty()) return "text after the meter was blanked";
            return {};
        }
        if (err.substr(0, head.size()) != head) return "a carriage return that starts no frame";
        err.remove_prefix(head.size());
        if (err.size() < bar) return "meter frame cut short";
        std::size_t fill = 0;
        while (fill < bar && err[fill] == '=')
            ++fill;
        for (std::size_t i = fill; i < bar; ++i) {
            if (err[i] != ' ') return "meter bar holds something other than '=' then blanks";
        }
        err.remove_prefix(bar);
        std::size_t digits = 0;
        long percent = 0;
        while (digits < err.size() && digits < 4 && err[digits] >= '0' && err[digits] <= '9')
            percent = percent * 10 + (err[digits++] - '0');
        if (digits == 0 || digits > 3 || percent > 100) return "meter percentage out of 0..100";
        if (percent < last_percent) return "meter percentage went down";
        last_percent = percent;
        if (static_cast<long>(fill) != (width - 21) * percent / 100)
            return "meter bar length does not match its percentage";
        err.remove_prefix(digits);
        if (err.size() < 2 || err[0] != '%') return "meter frame without its per-cent sign";
        if (err[1] != SPINNER[frames % 4]) return "meter spinner out of turn";
        err.remove_prefix(2);
        ++frames;
    }
    return {};
}

// Checks that `rest` is exactly one known message; empty result when it is.
inline std::string check_message(std::string_view rest, std::string_view input,
                                 const RunRecord& r) {
    if (rest == MEMORY_MESSAGE) return {};
    struct LineMessage {
        std::string_view prefix;
        std::string_view keyword_a, keyword_b;
    };
    static constexpr LineMessage line_messages[] = {
        {"Incorrect bounding box data: ", "BBX", "FONTBOUNDINGBOX"},
        {"Incorrect glyph count: ", "CHARS", "CHARS"},
    };
    for (const LineMessage& m : line_messages) {
        if (rest.substr(0, m.prefix.size()) != m.prefix) continue;
        if (rest.back() != '\n') return "line message without its final newline";
        std::string_view line = rest.substr(m.prefix.size(), rest.size() - m.prefix.size() - 1);
        if (line.empty()) return "line message with no line";
        if (line.size() > 255) return "line message quoting more than 255 bytes";
        std::size_t nl = line.find('\n');
        if (nl != std::string_view::npos && nl + 1 != line.size())
            return "line message quoting more than one line";
        if (input.find(line) == std::string_view::npos)
            return "line message quoting a line that is not in the input";
        std::string_view kw = keyword_of(line);
        if (kw != m.keyword_a && kw != m.keyword_b)
            return "line message quoting a line of the wrong keyword";
        return {};
    }
    for (std::string_view prefix :
         {std::string_view("Read error: "), std::string_view("Write error: ")}) {
        if (rest.substr(0, prefix.size()) != prefix) continue;
        std::string_view text = rest.substr(prefix.size());
        if (text.size() < 2 || text.back() != '\n' || text.find('\n') != text.size() - 1)
            return "I/O message not one line";
        if (prefix[0] == 'R') return "read error from an input held in memory";
        if (!r.out_failed) return "write error although every write succeeded";
        return {};
    }
    return "standard error holds an unknown message";
}

// The properties of one run; empty when all hold.
inline std::string check_record(Tool tool, const OptionSet& options, std::string_view input,
                                const RunRecord& r) {
    if (r.status != 0 && r.status != 1) return "exit status " + std::to_string(r.status);
    if (r.err_overflowed) return "standard error grew beyond its cap";
    const char stop = terminal_option(options, tool);
    if (stop) {
        if (r.status != 0 || !r.err.empty()) return "-h or -p did not end quietly with status 0";
        if (stop == 'h' && r.out_prefix.rfind(std::string("Usage: ") + tool_name(tool), 0) != 0)
            return "-h wrote no usage line";
        if (r.out_size == 0) return "-h or -p wrote nothing";
        return {};
    }
    std::string_view err = r.err;
    bool blanked = false;
    if (has_option(options, 'V')) {
        std::string why = strip_meter(err, meter_width(options.columns), blanked);
        if (!why.empty()) return why;
        // The meter exists once the header pass has read a CHARS line.
        if (r.status == 0 && has_chars_line(input) && !blanked)
            return "status 0 with the meter not blanked";
        if (r.status == 0 && !has_chars_line(input) && !r.err.empty())
            return "standard error written although the header had no CHARS line";
        if (r.status == 1 && blanked) return "failed run blanked its meter";
    } else if (!err.empty() && err[0] == '\r') {
        return "meter drawn without -V";
    }
    if (err.empty()) {
        if (r.status != 0) return "status 1 without a message";
        if (r.out_failed) return "output failed but the run ended with status 0";
        return {};
    }
    if (r.status != 1) return "a message with status 0";
    return check_message(err, input, r);
}

// Runs the tool twice on the same input, the second time on its reference
// paths, and checks both runs; empty when all
// properties hold, else what went wrong.
inline std::string check_run(Tool tool, const OptionSet& options, std::string_view input) {
    RunRecord first = run_once(tool, options, input);
    std::string why = check_record(tool, options, input, first);
    if (why.empty()) {
        use_reference_paths(true);
        RunRecord second = run_once(tool, options, input);
        use_reference_paths(false);
        // The paths ask for memory in blocks of different sizes, so where one
        // runs out the other may not, or not at the same line.
        const bool exhausted = first.err.find(MEMORY_MESSAGE) != std::string::npos ||
                               second.err.find(MEMORY_MESSAGE) != std::string::npos;
        if (!exhausted && (second.status != first.status || second.out_hash != first.out_hash ||
                           second.out_size != first.out_size || second.err != first.err))
            why = "the reference paths gave a different result";
    }
    if (why.empty() && has_option(options, 'V') && !terminal_option(options, tool)) {
        // The meter only adds to standard error: without -V the output is the
        // same and standard error holds the message alone.
        OptionSet quiet{{}, options.columns};
        for (const std::string& a : options.args)
            if (a.rfind("-V", 0) != 0) quiet.args.push_back(a);
        RunRecord plain = run_once(tool, quiet, input);
        std::string_view rest = first.err;
        bool blanked = false;
        strip_meter(rest, meter_width(options.columns), blanked);
        if (plain.status != first.status || plain.out_hash != first.out_hash ||
            plain.out_size != first.out_size || plain.err != rest)
            why = "the same run without -V differs in more than the meter";
    }
    if (why.empty()) return why;
    std::string args;
    for (const std::string& a : options.args)
        args += " " + a;
    return std::string(tool_name(tool)) + args +
           " (COLUMNS=" + (options.columns ? options.columns : "unset") + "): " + why +
           "; status " + std::to_string(first.status) + ", " + std::to_string(first.out_size) +
           " bytes out, stderr " + std::to_string(first.err.size()) + " bytes";
}

// Sets the allocation limit for as long as the object lives.
class ScopedAllocationLimit {
  public:
    explicit ScopedAllocationLimit(std::size_t bytes) { set_allocation_limit(bytes); }
    ~ScopedAllocationLimit() { set_allocation_limit(0); }
    ScopedAllocationLimit(const ScopedAllocationLimit&) = delete;
    ScopedAllocationLimit& operator=(const ScopedAllocationLimit&) = delete;
};

}  // namespace glyph::fuzz
