// The converters as glyphfamily runs them: a deadline, a stop signal and
// endless messages end a converter and everything it started; the job pool
// starts nothing after a stop; a converter that lies about its result is
// caught, and the output folder stays as it was.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "converted_fonts.hpp"
#include "family_harness.hpp"
#include "job_pool.hpp"
#include "stop_signal.hpp"
#include "test_fonts.hpp"

namespace glyph::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// Whether a process is still running (a zombie waiting for its parent is not).
bool running(pid_t pid) {
    if (::kill(pid, 0) != 0) return false;
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(stat, line);
    const std::size_t close = line.rfind(')');
    return close == std::string::npos || line.substr(close + 2, 1) != "Z";
}

TEST(FamilyConverter, EndsAtItsDeadlineAtAStopAndKeepsTheEndOfItsMessages) {
    Scratch scratch;
    const std::string pid_file = (scratch.path / "pid").string();
    const struct {
        const char* what;
        std::string body;
        std::chrono::milliseconds deadline;
        int stop;  // a signal sent to the run after 300 ms
        bool ok, timed_out;
        std::string messages;  // the start of them
    } cases[] = {
        {"a converter that succeeds", "exit 0\n", 0ms, 0, true, false, ""},
        {"one that fails", "echo broken >&2; exit 3\n", 0ms, 0, false, false, "broken\n"},
        {"one that writes 30 MB of messages",
         "head -c 30000000 /dev/zero | tr '\\0' x >&2; echo end >&2; exit 1\n", 0ms, 0, false,
         false, "... (29995908 bytes cut) xxx"},
        {"one that hangs, its child with it", "sleep 60 & echo $! > " + pid_file + "; wait\n",
         300ms, 0, false, true, ""},
        {"one that closes its messages and hangs",
         "exec 2>&- 1>&-; sleep 60 & echo $! > " + pid_file + "; wait\n", 300ms, 0, false, true,
         ""},
        // SIGTERM, which no shell ignores in the jobs it starts.
        {"one interrupted by SIGTERM", "sleep 60 & echo $! > " + pid_file + "; wait\n", 0ms,
         SIGTERM, false, false, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove(pid_file);
        const std::string program = scratch.script("converter", c.body);
        const family::StopSignals signals;
        std::jthread stopper;
        if (c.stop)
            stopper = std::jthread([&] {
                std::this_thread::sleep_for(300ms);
                ::kill(::getpid(), c.stop);
            });
        const auto start = std::chrono::steady_clock::now();
        const family::ChildResult result =
            family::run_child(program, {"converter"}, nullptr, {c.deadline});
        const auto took = std::chrono::steady_clock::now() - start;
        if (stopper.joinable()) stopper.join();
        EXPECT_LT(took, 10s);
        EXPECT_EQ(result.ok, c.ok);
        EXPECT_EQ(result.timed_out, c.timed_out);
        EXPECT_EQ(result.stopped_by, c.stop);
        EXPECT_EQ(result.messages.substr(0, c.messages.size()), c.messages);
        EXPECT_LE(result.messages.size(), 4096u + 40u);
        if (fs::exists(pid_file)) {
            const pid_t child = std::stoi(read(pid_file));
            for (int i = 0; i < 100 && running(child); ++i)
                std::this_thread::sleep_for(10ms);
            EXPECT_FALSE(running(child)) << "the converter's own child outlived it";
        }
    }
    EXPECT_EQ(family::stop_signal(), 0) << "a stop outlived the run that caught it";
}

TEST(FamilyJobs, NothingStartsAfterAFailureOrAStop) {
    const struct {
        const char* what;
        std::function<std::string()> first;
        std::string result;
    } cases[] = {
        {"the first job fails", [] { return std::string("first failed"); }, "first failed"},
        {"the first job is interrupted",
         [] {
             ::kill(::getpid(), SIGTERM);
             return std::string();
         },
         ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const family::StopSignals signals;
        std::atomic<int> later{0};
        std::vector<family::Job> jobs = {{c.first, {}}};
        for (int i = 0; i < 6; ++i)
            jobs.push_back({[&] {
                                ++later;
                                return std::string();
                            },
                            {0}});
        EXPECT_EQ(family::run_jobs(jobs, 2), c.result);
        EXPECT_EQ(later, 0);
    }
}

// A font a converter might write, against the checks: what real tools write
// passes, what a lying one writes does not.
TEST(FamilyConverted, PcfFilesAndFontsDirAreCheckedForWhatTheyClaim) {
    Scratch scratch;
    const struct {
        const char* what;
        std::string name, bytes;
        std::string problem;  // its start
    } pcf_cases[] = {
        {"text", "a.pcf", "garbage\n", "no PCF header"},
        {"nothing", "b.pcf", "", "no PCF header"},
        {"a header and nothing more", "c.pcf", std::string("\1fcp\0\0\0\0", 8),
#if GLYPH_TEST_FREETYPE
         "FreeType cannot open it"
#else
         ""
#endif
        },
        {"text as a .gz", "d.pcf.gz", "garbage\n", "not gzip data"},
    };
    for (const auto& c : pcf_cases) {
        SCOPED_TRACE(c.what);
        const std::string problem = family::check_pcf(scratch.write(c.name, c.bytes));
        EXPECT_EQ(problem.substr(0, c.problem.size()), c.problem);
        EXPECT_EQ(problem.empty(), c.problem.empty());
    }
    if (have("bdftopcf") && have("gzip")) {
        const std::string bdf = scratch.write("f.bdf", make_font({}));
        const std::string pcf = (scratch.path / "f.pcf").string();
        const std::string gz = pcf + ".gz";
        ASSERT_TRUE(family::run_child(*family::find_on_path("bdftopcf", std::getenv("PATH")),
                                      {"bdftopcf", bdf}, &pcf)
                        .ok);
        ASSERT_TRUE(family::run_child(*family::find_on_path("gzip", std::getenv("PATH")),
                                      {"gzip", "-c", pcf}, &gz)
                        .ok);
        EXPECT_EQ(family::check_pcf(pcf), "");
        EXPECT_EQ(family::check_pcf(gz), "");
    }
    const struct {
        const char* what;
        std::string text;
        std::string problem;
    } dir_cases[] = {
        {"whole", "2\na.pcf.gz -a-\nb.pcf.gz -b-\n", ""},
        {"listing none", "0\n", "a.pcf.gz is not listed"},
        {"counting one too many", "3\na.pcf.gz -a-\nb.pcf.gz -b-\n",
         "it counts 3 fonts but lists 2"},
        {"one missing", "2\na.pcf.gz -a-\nc.pcf.gz -c-\n", "b.pcf.gz is not listed"},
        {"no count", "a.pcf.gz -a-\n", "no count of fonts on its first line"},
        {"empty", "", "no count of fonts on its first line"},
    };
    for (const auto& c : dir_cases) {
        SCOPED_TRACE(c.what);
        const std::string file = scratch.write("fonts.dir", c.text);
        EXPECT_EQ(family::check_fonts_dir(file, {"a.pcf.gz", "b.pcf.gz"}), c.problem);
    }
}

// Whole runs with one converter replaced by a script first on PATH: each
// fails naming the converter, in one line of bounded length, and leaves the
// folder and its parent as they were.
TEST(FamilyErrors, ConvertersThatHangLieOrFloodFailTheRunCleanly) {
    NEED_CONVERTERS();
    Scratch scratch;
    const std::string font = scratch.write("f.bdf", make_font({}));
    fs::create_directories(scratch.path / "out/bdf");
    scratch.write("out/bdf/f.bdf", "old\n");
    // Messages name the files as they are in the output folder.
    const std::string out = (scratch.path / "out").string();
    const struct {
        const char* what;
        const char* program;
        std::string body;
        const char* timeout;
        std::string message;
    } cases[] = {
        {"bdftopcf writes no font", "bdftopcf", "echo garbage\n", nullptr,
         "glyphfamily: bdftopcf wrote no PCF font for " + out + "/bdf/f"},
        {"gzip writes no gzip data", "gzip", "echo garbage\n", nullptr,
         "glyphfamily: gzip wrote no compressed PCF font for " + out + "/bdf/f"},
        {"mkfontdir lists nothing", "mkfontdir", "echo 5 > \"$1/fonts.dir\"\n", nullptr,
         "glyphfamily: mkfontdir wrote a broken pcf/fonts.dir: it counts 5 fonts but lists 0"},
        {"bdftopcf fails naming its input as it was given", "bdftopcf",
         "echo \"bdftopcf: cannot read $*\" >&2; exit 1\n", nullptr,
         "glyphfamily: bdftopcf on " + out + "/bdf/f.bdf failed: bdftopcf: cannot read -t " + out +
             "/bdf/f.bdf\n"},
        {"bdftopcf hangs", "bdftopcf", "sleep 60\n", "1",
         "glyphfamily: bdftopcf on " + out + "/bdf/f"},
        {"bdftopcf floods its messages", "bdftopcf",
         "head -c 30000000 /dev/zero | tr '\\0' x >&2; exit 1\n", nullptr,
         "glyphfamily: bdftopcf on " + out + "/bdf/f"},
    };
    const std::string path = (scratch.path / "bin").string() + ":" + std::getenv("PATH");
    const auto before = tree(scratch.path);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const EnvSetting search("PATH", path.c_str());
        const EnvSetting timeout("GLYPHFAMILY_TIMEOUT", c.timeout);
        fs::create_directory(scratch.path / "bin");
        scratch.script(std::string("bin/") + c.program, c.body);
        const auto start = std::chrono::steady_clock::now();
        const RunResult run = family({"-o", (scratch.path / "out").string(), "-j", "2", font});
        EXPECT_LT(std::chrono::steady_clock::now() - start, 20s);
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err.substr(0, c.message.size()), c.message) << run.err.substr(0, 300);
        EXPECT_EQ(split_lines(run.err).size(), 1u);
        EXPECT_LT(run.err.size(), 4096u + 200u);
        fs::remove_all(scratch.path / "bin");
        EXPECT_TRUE(tree(scratch.path) == before);
    }
}

}  // namespace
}  // namespace glyph::test
