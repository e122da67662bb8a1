// Replays the fuzz corpora, the seeds and every input a fuzzer once found at
// fault, through the three tools with each option set the harnesses use, and
// checks the same properties as the harnesses do. glyphpreview replays the
// same folders through its own harness's option sets in tests/preview/.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "../fuzz/run_properties.hpp"

namespace {

namespace fs = std::filesystem;
using glyph::fuzz::Tool;

std::vector<fs::path> corpus_files(const char* subdir) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(fs::path(FUZZ_CORPUS_DIR) / subdir))
        if (entry.is_regular_file()) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

std::string read_file(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void replay(const char* subdir) {
    glyph::fuzz::ScopedAllocationLimit limit(glyph::fuzz::ALLOCATION_LIMIT);
    const std::vector<fs::path> files = corpus_files(subdir);
    ASSERT_FALSE(files.empty()) << "no files under " << subdir;
    for (const fs::path& file : files) {
        const std::string input = read_file(file);
        for (Tool tool : {Tool::stout, Tool::slope, Tool::stoutslope}) {
            for (const glyph::fuzz::OptionSet& options : glyph::fuzz::option_sets()) {
                EXPECT_EQ(glyph::fuzz::check_run(tool, options, input), "")
                    << subdir << "/" << file.filename().string();
            }
        }
    }
}

TEST(FuzzRegression, SeedCorpusKeepsEveryProperty) {
    replay("seed");
}

TEST(FuzzRegression, FoundInputsKeepEveryProperty) {
    replay("regression");
}

}  // namespace
