#include "process_entry.hpp"
#include "stop_signal.hpp"
#include "tools.hpp"

int main(int argc, char** argv) {
    return glyph::family::end_as_signalled(
        glyph::run_as_process(glyph::run_glyphfamily, argc, argv));
}
