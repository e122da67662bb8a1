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
//
// With -a (Advance) each glyph's output is held until its ENDCHAR line; the
// loop tells the hold where the lines it cares about lie among the held
// bytes, and is otherwise the same loop.
#pragma once

#include <cstddef>
#include <cstdint>

#include "advance_hold.hpp"
#include "filter_driver.hpp"
#include "reference_paths.hpp"

namespace glyph {

template <class Section, bool Advance>
class GlyphLoop {
  public:
    GlyphLoop(const GlyphRun& run, Section& section)
        : run_(run), section_(section), boxes_(run), in_place_(!reference_paths()) {}

    void run() {
        if constexpr (Advance) {
            try {
                run_lines();
            } catch (...) {
                hold_.drop(run_.out);  // a failed run writes nothing of the glyph in hand
                throw;
            }
            hold_.release(run_.out);  // the input ended inside a glyph
        } else {
            run_lines();
        }
    }

  private:
    void run_lines() {
        Line line;
        for (;;) {
            if (in_place_) take_block();
            if (!run_.input.next(line)) return;
            take_piece(line);
        }
    }

    // One piece read by next().
    void take_piece(const Line& line) {
        const GlyphKeyword keyword = glyph_keyword(line);
        if constexpr (Advance) {
            if (keyword == GlyphKeyword::none) note_line(line, pending_);
            if (keyword == GlyphKeyword::bitmap || keyword == GlyphKeyword::bbx) {
                const std::size_t from = held_at(pending_);
                take_keyword_piece(keyword, line);
                noted_rows_line(from, held_at(pending_));
                return;
            }
        }
        take_keyword_piece(keyword, line);
    }
    void take_keyword_piece(GlyphKeyword keyword, const Line& line) {
        switch (keyword) {
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
                finish_glyph();
                run_.out.put(line.view());
                end_glyph();
                break;
        }
    }

    // -a: where the byte `at` of the block will lie among the held bytes
    // (for a piece, with nothing pending, `at` is pending_: the next byte
    // written). Meaningless while nothing is held.
    std::size_t held_at(std::size_t at) const { return run_.out.held_size() + (at - pending_); }
    // -a: a line the glyph section takes as it always does, seen first for
    // STARTCHAR, DWIDTH and SWIDTH; `at` is its start in the block.
    [[gnu::always_inline]] void note_line(const Line& line, std::size_t at) {
        if (!may_be_advance_keyword(*line.data)) return;
        const AdvanceKeyword keyword = advance_keyword(line);
        if (keyword == AdvanceKeyword::startchar) {
            write_pending();
            hold_.start(run_.out);
        } else if (keyword != AdvanceKeyword::none && hold_.holding() && !in_bitmap_) {
            hold_.mark(keyword, held_at(at), line.size);
        }
    }
    // -a: a BBX or BITMAP line, written from `from` to `to`: the rows of the
    // glyph begin after its first BITMAP line, and such a line among them is
    // no row.
    void noted_rows_line(std::size_t from, std::size_t to) {
        if (!hold_.holding()) return;
        if (hold_.rows_open())
            hold_.skip_line(run_.out, from, to);
        else if (in_bitmap_)
            hold_.open_rows(to);
    }
    // -a: at ENDCHAR, once the section has written the glyph's rows and
    // before the ENDCHAR line.
    void finish_glyph() {
        if constexpr (Advance) {
            if (hold_.holding()) hold_.finish(run_.out);
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

    // A whole line from start_ to end. This, take_keyword_line and
    // note_line are inlined by force: in the loop of -a the compiler would
    // call them, and on a font of short glyphs the calls cost much of -a's
    // time.
    [[gnu::always_inline]] void take_line(const Line& line, std::size_t end) {
        const GlyphKeyword keyword =
            may_be_glyph_keyword(*line.data) ? glyph_keyword(line) : GlyphKeyword::none;
        if constexpr (Advance) {
            if (keyword == GlyphKeyword::none) note_line(line, start_);
            if (keyword == GlyphKeyword::bitmap || keyword == GlyphKeyword::bbx) {
                const std::size_t from = held_at(start_);
                take_keyword_line(keyword, line, end);
                noted_rows_line(from, held_at(end));
                return;
            }
        }
        take_keyword_line(keyword, line, end);
    }
    [[gnu::always_inline]] void take_keyword_line(GlyphKeyword keyword, const Line& line,
                                                  std::size_t end) {
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
                finish_glyph();
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
    AdvanceHold hold_;  // -a only
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
    if (run.options.advance)
        GlyphLoop<Section, true>(run, section).run();
    else
        GlyphLoop<Section, false>(run, section).run();
}

}  // namespace glyph
