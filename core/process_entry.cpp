#include "process_entry.hpp"

#include <vector>

namespace glyph {

int run_as_process(EntryFunction run, int argc, char** argv) {
    std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    FdSource in(0, false);
    FdSink out(1, 1 << 16);
    FdSink err(2, 4096, true);  // a failure to report is not reported
    return run(args, in, out, err);
}

}  // namespace glyph
