// The process around a program's entry function: its arguments without the
// program name, the standard streams, and the exit status it returns.
#pragma once

#include <span>
#include <string>

#include "byte_io.hpp"

namespace glyph {

using EntryFunction = int (*)(std::span<const std::string> args, ByteSource& in, ByteSink& out,
                              ByteSink& err);

int run_as_process(EntryFunction run, int argc, char** argv);

}  // namespace glyph
