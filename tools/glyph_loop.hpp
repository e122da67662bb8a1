// The line loop of the glyph section in its two states, outside a bitmap and
// inside one. It is a template over the tool's final section class, so the
// handlers of rows, called for most lines of a font, are direct calls.
//
// While the lines ahead in the input's block are whole lines of at most one
// piece, the loop takes them in place: their newlines are found 64 bytes at
// a time, ahead of the lines (finding each line's end from its start would
// make every line wait for the one before it), lines that are only copied
// are written in runs, and runs of rows go to the section in one call. Every
// other line, a long one cut into pieces or one at the end of the block,
// comes through LineReader::next() and is handled on its own.
#pragma once

#include <cstddef>
#include <cstdint>

#include "filter_driver.hpp"
#include "reference_paths.hpp"

namespace glyph {

template <class Section>
class GlyphLoop {
  public:
    GlyphLoop(const GlyphRun& run, Section& section)
        : run_(run), section_(section), boxes_(run), in_place_(!reference_paths()) {}

    void run() {
        Line line;
        for (;;) {
            if (in_place_) take_block();
            if (!run_.input.next(line)) return;
            take_piece(line);
        }
    }

  private:
    // One piece read by next().
    void take_piece(const Line& line) {
        switch (glyph_keyword(line)) {
            case GlyphKeyword::none:
                if (in_bitmap_)
                    section_.bitmap_row(line);
                else
                    run_.out.put(line.view());
                break;
            case GlyphKeyword::bbx:
                run_.out.put(boxes_.check(section_, line));
                break;
            case GlyphKeyword::bitmap:
                run_.out.put(line.view());
                begin_bitmap();
                break;
            case GlyphKeyword::endchar:
                section_.end_glyph();
                run_.out.put(line.view());
                end_glyph();
                break;
        }
    }

    void begin_bitmap() {
        section_.begin_bitmap();
        in_bitmap_ = true;
    }
    void end_glyph() {
        in_bitmap_ = false;
        if (run_.meter) progress_step(*run_.meter);
    }

    // The whole lines ahead in the block. Bytes from pending_ to the line in
    // hand are lines to copy, not written yet: they are written before
    // anything else is, and before anything that can fail.
    void take_block() {
        const std::string_view rest = run_.input.buffered();
        base_ = rest.data();
        size_ = rest.size();
        start_ = pending_ = 0;
        find_newlines_from(0);
        for (;;) {
            if (in_bitmap_) {
                write_pending();
                start_ += section_.take_rows(base_ + start_, base_ + size_);
                pending_ = start_;
                find_newlines_from(start_);
            }
            std::size_t end;
            if (!next_line_end(end)) break;
            const Line line{base_ + start_, end - start_};
            if (line.size > LINE_BUFFER_SIZE - 1) break;  // cut into pieces by next()
            take_line(line, end);
            start_ = end;
        }
        write_pending();
        run_.input.consume(start_);
    }

    // A whole line from start_ to end.
    void take_line(const Line& line, std::size_t end) {
        const GlyphKeyword keyword =
            may_be_glyph_keyword(*line.data) ? glyph_keyword(line) : GlyphKeyword::none;
        switch (keyword) {
            case GlyphKeyword::none:
                if (in_bitmap_) {
                    write_pending();
                    section_.bitmap_row(line);
                    pending_ = end;
                }
                break;  // outside a bitmap the line joins the run to copy
            case GlyphKeyword::bbx: {
                std::string_view text;
                try {
                    text = boxes_.check(section_, line);
                } catch (const BadLine&) {
                    write_pending();  // every line before the failing one stays written
                    throw;
                }
                if (text.data() != line.data || text.size() != line.size) {
                    write_pending();
                    run_.out.put(text);
                    pending_ = end;
                }
                break;
            }
            case GlyphKeyword::bitmap:
                begin_bitmap();  // the line joins the run, which the rows write
                break;
            case GlyphKeyword::endchar:
                write_pending();
                section_.end_glyph();
                end_glyph();  // the line begins the next run
                break;
        }
    }

    void write_pending() {
        if (start_ > pending_) run_.out.put(base_ + pending_, start_ - pending_);
        pending_ = start_;
    }

    // The newlines of the 64 bytes from `from`, if the block holds them.
    void find_newlines_from(std::size_t from) {
        chunk_ = from;
        newlines_ = chunk_ + 64 <= size_ ? newline_mask64(base_ + chunk_) : 0;
    }

    // The end, newline included, of the line from start_; false where the
    // rest of the block holds no whole 64 bytes to find it in.
    bool next_line_end(std::size_t& end) {
        while (newlines_ == 0) {
            if (chunk_ + 128 > size_) return false;
            chunk_ += 64;
            newlines_ = newline_mask64(base_ + chunk_);
        }
        end = chunk_ + static_cast<std::size_t>(__builtin_ctzll(newlines_)) + 1;
        newlines_ &= newlines_ - 1;
        return true;
    }

    const GlyphRun& run_;
    Section& section_;
    BoxChecker boxes_;
    bool in_place_;  // lines are taken in place; off, every piece comes through next()
    bool in_bitmap_ = false;
    const char* base_ = nullptr;
    std::size_t size_ = 0;
    std::size_t start_ = 0;    // the line in hand
    std::size_t pending_ = 0;  // the first byte not written
    std::size_t chunk_ = 0;
    std::uint64_t newlines_ = 0;  // of the chunk at chunk_, those not used yet
};

template <class Section>
void run_glyph_section(const GlyphRun& run) {
    Section section(run.font, run.options, run.out);
    GlyphLoop<Section>(run, section).run();
}

}  // namespace glyph
