// What every run of glyphpreview on one font read from standard input must
// satisfy, whatever bytes the font holds:
//   - the exit status is 0 or 1, and 1 exactly when standard error holds a
//     message;
//   - standard error is empty or holds exactly one known message, one line;
//   - a font that could not be opened shows nothing and writes no image;
//     one that could is shown under its label on the terminal, or gives one
//     PNG image (and nothing on standard output) with -o;
//   - the same input and options give the same status, output and image.
// The image is kept in memory, never written to a file. The fuzz harness
// aborts on a violation; the preview's regression test reports it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "glyphpreview.hpp"
#include "run_properties.hpp"

namespace glyph::fuzz {

inline constexpr std::string_view PREVIEW_LABEL = "(standard input)\n";
inline constexpr std::string_view PNG_SIGNATURE = "\x89PNG\r\n\x1a\n";
inline constexpr const char* PNG_PATH = "preview.png";

// The texts a run is drawn from: the default one, none, plain ASCII, bytes
// that are no UTF-8, characters beyond Latin-1, control characters and a
// long line of a wide letter.
inline const std::vector<std::vector<std::string>>& preview_texts() {
    static const std::vector<std::vector<std::string>> texts = {
        {},
        {"-t", ""},
        {"-t", "Hello, World! 0123"},
        {"-t", "\xff\xc3(\xe2\x82\xed\xa0\x80x"},
        {"-t", "\xc3\xa9\xe2\x82\xac\xe4\xb8\xad\xf0\x9f\x98\x80\xef\xbf\xbd"},
        {"-t", std::string("\t\0\x7f\x01 ", 5)},
        {"-t", std::string(48, 'W')},
    };
    return texts;
}

// The output kinds and scales: the terminal or a PNG image, each at the
// smallest, a middling and the largest scale.
inline const std::vector<std::vector<std::string>>& preview_outputs() {
    static const std::vector<std::vector<std::string>> outputs = {
        {},
        {"-s", "2"},
        {"-s16"},
        {"-o", PNG_PATH},
        {"-s", "3", "-o", PNG_PATH},
        {"-o", PNG_PATH, "-s", "16"},
    };
    return outputs;
}

// Every pairing of a text and an output kind, as one command line each.
inline const std::vector<std::vector<std::string>>& preview_option_sets() {
    static const std::vector<std::vector<std::string>> sets = [] {
        std::vector<std::vector<std::string>> all;
        for (const auto& text : preview_texts())
            for (const auto& output : preview_outputs()) {
                std::vector<std::string> args = text;
                args.insert(args.end(), output.begin(), output.end());
                all.push_back(args);
            }
        return all;
    }();
    return sets;
}

// The option set of an input: its first byte picks the text, its second the
// output kind and scale.
inline std::size_t preview_option_index_for(std::string_view input) {
    const auto byte = [&](std::size_t i) {
        return i < input.size() ? static_cast<unsigned char>(input[i]) : 0u;
    };
    return (byte(0) % preview_texts().size()) * preview_outputs().size() +
           byte(1) % preview_outputs().size();
}

// What a filter's run gives, and the image the preview stored.
struct PreviewRecord : RunRecord {
    int images = 0;  // how often the image was stored
    std::string image_path;
    std::string image;
};

inline PreviewRecord run_preview_once(const std::vector<std::string>& args,
                                      std::string_view input) {
    MemorySource in(input);
    DigestSink out(4096, OUTPUT_CAP);
    ErrorSink err;
    PreviewRecord r;
    const PngStore store = [&r](const std::string& path, std::string_view png, std::string&) {
        ++r.images;
        r.image_path = path;
        r.image.assign(png);
        return true;
    };
    r.status = run_glyphpreview(args, in, out, err, store);
    record_sinks(r, out, err);
    return r;
}

// Checks that `err` is exactly one known message of one line; empty when it is.
inline std::string check_preview_message(std::string_view err, const PreviewRecord& r) {
    if (err.back() != '\n' || err.find('\n') != err.size() - 1)
        return "standard error is not exactly one line";
    const std::string_view line = err.substr(0, err.size() - 1);
    if (line == MEMORY_MESSAGE) return {};
    const struct {
        std::string_view prefix;
        bool needs_failed_output;
    } messages[] = {
        {"Cannot open font (standard input): ", false},
        {"Write error: ", true},
    };
    for (const auto& m : messages) {
        if (line.substr(0, m.prefix.size()) != m.prefix) continue;
        if (line.size() == m.prefix.size()) return "message without its reason";
        if (m.needs_failed_output && !r.out_failed)
            return "write error although every write succeeded";
        return {};
    }
    return "standard error holds an unknown message";
}

inline std::string check_preview_record(const std::vector<std::string>& args,
                                        const PreviewRecord& r) {
    if (r.status != 0 && r.status != 1) return "exit status " + std::to_string(r.status);
    if (r.err_overflowed) return "standard error grew beyond its cap";
    if (r.err.empty() != (r.status == 0)) return "status 1 exactly when there is a message: not so";
    if (!r.err.empty()) {
        std::string why = check_preview_message(r.err, r);
        if (!why.empty()) return why;
    }
    const bool opened = r.err.rfind("Cannot open font", 0) != 0;
    bool to_png = false;
    for (const std::string& a : args)
        to_png = to_png || a.rfind("-o", 0) == 0;
    if (to_png) {
        if (r.out_size != 0) return "standard output written although an image was asked for";
        if (r.images > 1) return "the image was stored more than once";
        if (r.status == 0 && r.images != 1) return "status 0 but no image";
        if (!opened && r.images != 0) return "an image although the font could not be opened";
        if (r.images == 1 && r.image_path != PNG_PATH) return "the image went to another path";
        if (r.images == 1 && r.image.rfind(PNG_SIGNATURE, 0) != 0)
            return "the image is not a PNG image";
    } else {
        if (r.images != 0) return "an image although none was asked for";
        if (!opened && r.out_size != 0) return "output although the font could not be opened";
        if (r.status == 0 && r.out_prefix.rfind(PREVIEW_LABEL, 0) != 0)
            return "the font is shown without its label";
    }
    return {};
}

// Runs glyphpreview twice on the same input and checks both runs; empty when
// every property holds, else what went wrong.
inline std::string check_preview_run(const std::vector<std::string>& args, std::string_view input) {
    const PreviewRecord first = run_preview_once(args, input);
    std::string why = check_preview_record(args, first);
    if (why.empty()) {
        const PreviewRecord second = run_preview_once(args, input);
        if (second.status != first.status || second.out_hash != first.out_hash ||
            second.out_size != first.out_size || second.err != first.err ||
            second.images != first.images || second.image != first.image)
            why = "the same run twice gave different results";
    }
    if (why.empty()) return why;
    std::string shown;
    for (const std::string& a : args)
        shown += " '" + a + "'";
    return "glyphpreview" + shown + ": " + why + "; status " + std::to_string(first.status) + ", " +
           std::to_string(first.out_size) + " bytes out, stderr '" + first.err.substr(0, 200) + "'";
}

}  // namespace glyph::fuzz
