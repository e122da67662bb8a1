#include "glyphbdf.hpp"
#include "process_entry.hpp"

int main(int argc, char** argv) {
    return glyph::run_as_process(glyph::run_glyphbdf, argc, argv);
}
