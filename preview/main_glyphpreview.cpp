#include "glyphpreview.hpp"
#include "process_entry.hpp"

int main(int argc, char** argv) {
    return glyph::run_as_process(glyph::run_glyphpreview, argc, argv);
}
