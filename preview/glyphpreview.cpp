#include "glyphpreview.hpp"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <string_view>
#include <vector>

#include "failure.hpp"
#include "ft_font.hpp"
#include "layout.hpp"
#include "memory.hpp"
#include "png_writer.hpp"
#include "preview_options.hpp"
#include "terminal_writer.hpp"
#include "utf8.hpp"

namespace glyph {
namespace {

constexpr std::string_view STANDARD_INPUT_LABEL = "(standard input)";

// The last part of a path, as basename(1) gives it, without its C library's
// habit of changing the argument.
std::string_view base_name(std::string_view path) {
    while (path.size() > 1 && path.back() == '/')
        path.remove_suffix(1);
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos || path.size() == 1 ? path : path.substr(slash + 1);
}

class Preview {
  public:
    Preview(const PreviewOptions& options, ByteSink& out, ByteSink& err, const PngStore& store)
        : options_(options),
          text_(decode_utf8(options.text)),
          out_(out),
          err_(err),
          store_(store) {}

    void show_file(const std::string& path) {
        std::string reason;
        std::unique_ptr<Font> font = Font::open_file(library_, path, reason);
        if (!font) return cannot_open(path, reason);
        show(std::move(font), base_name(path));
    }

    void show_standard_input(ByteSource& in) {
        std::string reason;
        std::unique_ptr<Font> font;
        try {
            font = Font::open_bytes(library_, read_all(in), reason);
        } catch (const IoFailure& failure) {
            reason = std::strerror(failure.error);
        }
        if (!font) return cannot_open(STANDARD_INPUT_LABEL, reason);
        show(std::move(font), STANDARD_INPUT_LABEL);
    }

    // Writes the page, the status of the whole run as the result. When no
    // font could be read no file is written: an empty page would pass for a
    // result.
    int finish() {
        if (options_.to_png && !entries_.empty()) {
            std::string png, reason;
            if (!encode_png(scaled(compose_page(entries_), options_.scale), png, reason) ||
                !store_(options_.png_path, png, reason)) {
                report("Cannot write " + options_.png_path + ": " + reason + "\n");
            }
        }
        out_.flush();
        return status_;
    }

  private:
    // A font whose line is too large to draw costs its own block only, as a
    // font that cannot be read does.
    void show(std::unique_ptr<Font> font, std::string_view label) {
        try {
            show_line(std::move(font), label);
        } catch (const std::bad_alloc&) {
            report(std::string(MemoryExhausted().what()) + "\n");
        } catch (const MemoryExhausted& exhausted) {
            report(std::string(exhausted.what()) + "\n");
        }
    }

    void show_line(std::unique_ptr<Font> font, std::string_view label) {
        Bitmap line = set_line(*font, text_);
        if (!options_.to_png) {
            write_terminal(out_, label, scaled(line, options_.scale));
            return;
        }
        const std::u32string name = decode_utf8(label);
        Bitmap label_line = set_line(label_face(*font, name), name);
        // The page holds every line until it is written: together they keep
        // to the cap that each of them keeps to.
        const std::size_t pixels = page_pixels_ + area(line) + area(label_line);
        const std::size_t cap = current_allocation_limit();
        if (cap != 0 && pixels > cap) throw MemoryExhausted();
        page_pixels_ = pixels;
        entries_.push_back({std::move(label_line), std::move(line)});
        fonts_.push_back(std::move(font));
    }

    // A face that can show a file's name: the font's own when it has every
    // character of it, so that each name reads as its font does; else the
    // first font shown before it that has them, so that a font without Latin
    // letters still gets a readable name; else its own, with boxes.
    Font& label_face(Font& font, std::u32string_view name) const {
        const auto shows = [name](const Font& face) {
            return std::all_of(name.begin(), name.end(),
                               [&face](char32_t code) { return face.has(code); });
        };
        if (shows(font)) return font;
        for (const std::unique_ptr<Font>& shown : fonts_)
            if (shows(*shown)) return *shown;
        return font;
    }

    static std::size_t area(const Bitmap& picture) {
        return static_cast<std::size_t>(picture.width()) *
               static_cast<std::size_t>(picture.height());
    }

    void cannot_open(std::string_view name, const std::string& reason) {
        report("Cannot open font " + std::string(name) + ": " + reason + "\n");
    }

    // What was shown so far goes out first, so that a message stands next to
    // the fonts it came between.
    void report(const std::string& message) {
        out_.flush();
        err_.put(message);
        err_.flush();
        status_ = 1;
    }

    const PreviewOptions& options_;
    const std::u32string text_;
    ByteSink& out_;
    ByteSink& err_;
    const PngStore& store_;
    FontLibrary library_;                       // declared before the fonts, which it must outlive
    std::vector<std::unique_ptr<Font>> fonts_;  // those on the page, for labels
    std::size_t page_pixels_ = 0;
    std::vector<PageEntry> entries_;
    int status_ = 0;
};

}  // namespace

int run_glyphpreview(std::span<const std::string> args, ByteSource& in, ByteSink& out,
                     ByteSink& err) {
    return run_glyphpreview(args, in, out, err, write_file);
}

int run_glyphpreview(std::span<const std::string> args, ByteSource& in, ByteSink& out,
                     ByteSink& err, const PngStore& store) {
    try {
        const PreviewOptions options = scan_preview_options(args);
        switch (options.action) {
            case PreviewOptions::Action::help:
                out.put(preview_help_text());
                out.flush();
                return 0;
            case PreviewOptions::Action::fail:
                return fail_with(out, err, options.message);
            case PreviewOptions::Action::show:
                break;
        }
        const AllocationCap cap(options.memory_mib << 20);
        Preview preview(options, out, err, store);
        if (options.fonts.empty()) preview.show_standard_input(in);
        for (const std::string& path : options.fonts)
            preview.show_file(path);
        return preview.finish();
    } catch (const IoFailure& io) {
        return fail_with(out, err, std::string("Write error: ") + std::strerror(io.error) + "\n");
    } catch (const MemoryExhausted&) {
        return fail_with(out, err, "FATAL: Memory exhausted\n");
    } catch (const std::bad_alloc&) {
        return fail_with(out, err, "FATAL: Memory exhausted\n");
    }
}

}  // namespace glyph
