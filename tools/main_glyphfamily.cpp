#include "process_entry.hpp"
#include "tools.hpp"

int main(int argc, char** argv) {
    return glyph::run_as_process(glyph::run_glyphfamily, argc, argv);
}
