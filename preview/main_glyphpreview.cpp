#include "glyphpreview.hpp"

int main(int argc, char** argv) {
    return glyph::run_preview_process(glyph::run_glyphpreview, argc, argv);
}
