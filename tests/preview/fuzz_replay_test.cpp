// Replays the fuzz corpora, the seeds and every input a fuzzer once found at
// fault, through glyphpreview with each option set its harness uses, and
// checks the same properties as the harness does.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "../../fuzz/preview_properties.hpp"
#include "preview_harness.hpp"

namespace glyph::test {
namespace {

namespace fs = std::filesystem;

void replay(const char* subdir) {
    fuzz::ScopedAllocationLimit limit(fuzz::ALLOCATION_LIMIT);
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(fs::path(FUZZ_CORPUS_DIR) / subdir))
        if (entry.is_regular_file()) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    ASSERT_FALSE(files.empty()) << "no files under " << subdir;
    for (const fs::path& file : files) {
        const std::string input = read_file(file);
        for (const std::vector<std::string>& args : fuzz::preview_option_sets())
            EXPECT_EQ(fuzz::check_preview_run(args, input), "")
                << subdir << "/" << file.filename().string();
    }
}

TEST(PreviewFuzzRegression, SeedCorpusKeepsEveryProperty) {
    replay("seed");
}

TEST(PreviewFuzzRegression, FoundInputsKeepEveryProperty) {
    replay("regression");
    replay("preview");  // found by the preview's harness, too slow a start for the filters'
}

}  // namespace
}  // namespace glyph::test
