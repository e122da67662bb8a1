// Replays glyphbdf's fuzz seeds, and every input its harness once found at
// fault, with each command line the harness uses; the same checks hold.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "bdf_reader_properties.hpp"
#include "converters.hpp"

namespace glyph::test {
namespace {

namespace fs = std::filesystem;

TEST(BdfReaderFuzzRegression, FontSeedsKeepEveryProperty) {
    fuzz::ScopedAllocationLimit limit(fuzz::ALLOCATION_LIMIT);
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(fs::path(FUZZ_CORPUS_DIR) / "fonts"))
        if (entry.is_regular_file()) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    ASSERT_FALSE(files.empty());
    std::size_t converted = 0;
    for (const fs::path& file : files) {
        const std::string input = read_text(file);
        for (const std::vector<std::string>& args : fuzz::bdf_reader_option_sets()) {
            EXPECT_EQ(fuzz::check_bdf_reader_run(args, input), "") << file.filename().string();
            converted += fuzz::run_bdf_reader_once(args, input).status == 0;
        }
        // Cut short anywhere, a file is refused with a message, never read past its end.
        for (std::size_t cut = 1; cut < input.size(); cut += 97)
            EXPECT_EQ(fuzz::check_bdf_reader_run({}, input.substr(0, cut)), "")
                << file.filename().string() << " cut at " << cut;
    }
    EXPECT_GE(converted, files.size());  // the seeds are fonts the harness starts from
}

}  // namespace
}  // namespace glyph::test
