// The stage and its commit: every file that was in the output folder before a
// failed commit is there again, byte for byte, whatever move failed; links of
// the target and its subfolders are followed; stages left by killed runs go.
#include "staging.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "family_harness.hpp"
#include "test_fonts.hpp"

namespace glyph::test {
namespace {

namespace fs = std::filesystem;
using family::Stage;

const std::vector<std::string> KEPT = {"bdf", "pcf", "otb"};

// A folder `out` as users leave it: earlier files of the same names, files of
// their own, a subfolder linked elsewhere (on `linked_to`'s file system).
struct World {
    const char* what;
    bool target_exists;
    bool target_is_link;
    bool pcf_is_link;
    const char* linked_to;  // where the linked folders live; nullptr: the scratch folder
};

void build(const World& world, const Scratch& scratch, const fs::path& elsewhere) {
    if (!world.target_exists) return;
    const fs::path real = world.target_is_link ? scratch.path / "real-out" : scratch.path / "out";
    fs::create_directories(real / "bdf");
    scratch.write(fs::relative(real / "bdf/a.bdf", scratch.path), "old a\n");
    scratch.write(fs::relative(real / "bdf/mine.bdf", scratch.path), "the user's own\n");
    if (world.target_is_link) fs::create_directory_symlink("real-out", scratch.path / "out");
    if (world.pcf_is_link) {
        fs::create_directories(elsewhere / "realpcf");
        std::ofstream(elsewhere / "realpcf/a.pcf.gz") << "old pcf\n";
        std::ofstream(elsewhere / "realpcf/fonts.dir") << "1\na.pcf.gz -old-\n";
        fs::create_directory_symlink(elsewhere / "realpcf", real / "pcf");
    }
}

// The run's files: one replaces an old file in each folder, one is new.
void stage_files(Stage& stage) {
    for (const auto& [file, text] :
         std::map<std::string, std::string>{{"bdf/a.bdf", "new a\n"},
                                            {"bdf/b.bdf", "new b\n"},
                                            {"pcf/a.pcf.gz", "new pcf\n"},
                                            {"pcf/fonts.dir", "2\n"},
                                            {"otb/A-Regular.otb", "new otb\n"}}) {
        stage.folder(fs::path(file).parent_path());
        std::ofstream(stage.path() / file) << text;
    }
    stage.folder("work");
}

std::map<std::string, std::string> everything(const Scratch& scratch, const fs::path& elsewhere) {
    std::map<std::string, std::string> all = tree(scratch.path);
    if (elsewhere != scratch.path)
        for (auto& [name, text] : tree(elsewhere))
            all["elsewhere/" + name] = text;
    return all;
}

TEST(FamilyStage, FailedCommitRestoresEveryFileAndSuccessLeavesNothingBeside) {
    const bool other_device = fs::is_directory("/dev/shm");
    const World worlds[] = {
        {"a new folder", false, false, false, nullptr},
        {"a folder of earlier files", true, false, false, nullptr},
        {"pcf/ linked to a folder beside it", true, false, true, nullptr},
        {"the target a link, pcf/ linked", true, true, true, nullptr},
        {"pcf/ linked to another file system", true, false, true, "/dev/shm"},
    };
    for (const World& world : worlds) {
        if (world.linked_to && !other_device) continue;
        // Fail at each move in turn, then at none.
        for (int fail_at = 0;; ++fail_at) {
            SCOPED_TRACE(std::string(world.what) + ", failing move " + std::to_string(fail_at));
            Scratch scratch;
            fs::path elsewhere = scratch.path;
            if (world.linked_to) {
                std::string name = std::string(world.linked_to) + "/glyphfamily-XXXXXX";
                elsewhere = ::mkdtemp(name.data());
            }
            build(world, scratch, elsewhere);
            const auto before = everything(scratch, elsewhere);
            const family::Target target = family::resolve_target(scratch.path / "out", KEPT);
            ASSERT_EQ(target.error, "");
            int moves = 0;
            bool failed = false;
            {
                Stage stage(target);
                ASSERT_EQ(stage.error(), "");
                stage_files(stage);
                const std::string result = stage.commit([&](const fs::path&) -> std::string {
                    return moves++ == fail_at ? "injected" : "";
                });
                failed = !result.empty();
                if (failed) {
                    EXPECT_EQ(result, "injected");
                }
            }
            const auto after = everything(scratch, elsewhere);
            if (elsewhere != scratch.path) fs::remove_all(elsewhere);
            if (failed) {
                EXPECT_TRUE(after == before);
                continue;
            }
            // Done: the new files where they belong, the user's own kept, and
            // nothing of the run beside the target or a linked folder.
            const std::string pcf = !world.pcf_is_link          ? "out/pcf/"
                                    : elsewhere != scratch.path ? "elsewhere/realpcf/"
                                                                : "realpcf/";
            const std::string bdf = world.target_is_link ? "real-out/bdf/" : "out/bdf/";
            EXPECT_EQ(after.at(bdf + "a.bdf"), "new a\n");
            EXPECT_EQ(after.at(bdf + "b.bdf"), "new b\n");
            EXPECT_EQ(after.at(pcf + "a.pcf.gz"), "new pcf\n");
            if (world.target_exists) {
                EXPECT_EQ(after.at(bdf + "mine.bdf"), "the user's own\n");
            }
            for (const auto& [name, text] : after) {
                EXPECT_EQ(name.find("/."), std::string::npos) << name;
                EXPECT_NE(name[0], '.') << name;
            }
            EXPECT_EQ(after.count("out/work"), 0u);
            EXPECT_GE(fail_at, 3);
            break;
        }
    }
}

TEST(FamilyStage, TargetsThatCannotTakeTheRunAreRefusedFirst) {
    Scratch scratch;
    fs::create_directories(scratch.path / "file-bdf");
    scratch.write("file-bdf/bdf", "a file where a folder belongs");
    scratch.write("plain-file", "not a folder");
    fs::create_directories(scratch.path / "dangling");
    fs::create_directory_symlink(scratch.path / "nowhere", scratch.path / "dangling/pcf");
    const struct {
        const char* what;
        fs::path target;
        std::string error;
    } cases[] = {
        {"a subfolder that is a file", scratch.path / "file-bdf",
         (scratch.path / "file-bdf/bdf").string() + ": not a folder"},
        {"a target that is a file", scratch.path / "plain-file",
         (scratch.path / "plain-file").string() + ": not a folder"},
        {"a parent that does not exist", scratch.path / "no/such",
         (scratch.path / "no").string() + ": No such file or directory"},
        {"a subfolder linked to nothing", scratch.path / "dangling",
         (scratch.path / "dangling/pcf").string() + ": No such file or directory"},
        {"a new folder named with a slash", scratch.path / "new/", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(family::resolve_target(c.target, KEPT).error, c.error);
    }
}

TEST(FamilyStage, StagesOfKilledRunsAreRemoved) {
    Scratch scratch;
    fs::create_directory(scratch.path / "out");
    const pid_t dead = ::fork();
    if (dead == 0) ::_exit(0);
    ::waitpid(dead, nullptr, 0);
    const struct {
        std::string name;
        bool removed;
    } entries[] = {
        {family::stage_name("out", dead, 0), true},         // its run is gone
        {family::stage_name("out", 1, 3), true},            // pid 1 is no glyphfamily
        {family::stage_name("out", ::getpid(), 7), false},  // this run's own
        {family::stage_name("other", dead, 0), false},      // another folder's
        {".out.part-x-1", false},                           // not a stage's name
    };
    for (const auto& entry : entries) {
        fs::create_directory(scratch.path / entry.name);
        scratch.write(entry.name + "/half.bdf", "STARTFONT");
    }
    const Stage stage(family::resolve_target(scratch.path / "out", KEPT));
    ASSERT_EQ(stage.error(), "");
    std::vector<std::string> expected;
    for (const auto& entry : entries) {
        EXPECT_EQ(fs::exists(scratch.path / entry.name), !entry.removed) << entry.name;
        if (entry.removed) expected.push_back((scratch.path / entry.name).string());
    }
    std::vector<std::string> removed = stage.removed();
    std::sort(removed.begin(), removed.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(removed, expected);
}

// Runs glyphfamily in-process as a user that is not root, when the tests run
// as root, so that a folder's permissions hold.
RunResult family_as_user(const std::vector<std::string>& args) {
    if (::geteuid() != 0) return family(args);
    int ends[2];
    if (::pipe(ends) != 0) return {-1, "", "no pipe"};
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(ends[0]);
        if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(99);
        const RunResult run = family(args);
        const std::string err = run.err;
        if (::write(ends[1], err.data(), err.size()) < 0) ::_exit(98);
        ::_exit(run.status);
    }
    ::close(ends[1]);
    RunResult run;
    char buffer[4096];
    for (ssize_t n; (n = ::read(ends[0], buffer, sizeof buffer)) > 0;)
        run.err.append(buffer, static_cast<std::size_t>(n));
    ::close(ends[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

// Whole runs into folders whose subfolders are links or cannot be written:
// a run that works follows the links; one that cannot leaves every file as it
// was, byte for byte, the earlier face in bdf/ above all.
TEST(FamilyErrors, LinkedAndHalfWritableTargets) {
    NEED_CONVERTERS();
    const struct {
        const char* what;
        std::function<void(const fs::path& root)> make;
        std::string message;  // empty: the run succeeds
    } cases[] = {
        {"pcf/ linked to a folder beside the target",
         [](const fs::path& root) { fs::create_directory_symlink("../realpcf", root / "t/pcf"); },
         ""},
        {"pcf/ not writable",
         [](const fs::path& root) {
             fs::create_directory(root / "t/pcf");
             fs::permissions(root / "t/pcf", fs::perms(0555));
         },
         "t/pcf: Permission denied"},
        {"pcf/ linked to a file",
         [](const fs::path& root) {
             std::ofstream(root / "realpcf/file") << "x";
             fs::create_symlink("../realpcf/file", root / "t/pcf");
         },
         "t/pcf: not a folder"},
        {"a folder where a PCF file goes",
         [](const fs::path& root) {
             fs::create_directory(root / "realpcf/f.pcf.gz");
             fs::create_directory_symlink("../realpcf", root / "t/pcf");
         },
         "t/pcf/f.pcf.gz: a folder is in the way"},
        {"the folder's parent not writable",
         [](const fs::path& root) { fs::permissions(root, fs::perms(0555)); },
         ": Permission denied"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Scratch scratch;
        const fs::path root = scratch.path / "home";
        fs::create_directories(root / "t/bdf");
        fs::create_directory(root / "realpcf");
        const std::string font = scratch.write("f.bdf", make_font({}));
        scratch.write("home/t/bdf/f.bdf", "old\n");
        fs::permissions(scratch.path, fs::perms(0755));
        for (const auto& entry : fs::recursive_directory_iterator(root))
            ::lchown(entry.path().c_str(), 65534, 65534);
        ::lchown(root.c_str(), 65534, 65534);
        c.make(root);
        const auto before = tree(root);
        const RunResult run = family_as_user({"-o", (root / "t").string(), font});
        if (c.message.empty()) {
            ASSERT_EQ(run.status, 0) << run.err;
            EXPECT_EQ(read(root / "t/bdf/f.bdf"), read(font));
            EXPECT_TRUE(fs::is_symlink(root / "t/pcf"));
            EXPECT_TRUE(fs::exists(root / "realpcf/f-bold.pcf.gz"));
            EXPECT_TRUE(fs::exists(root / "realpcf/fonts.dir"));
            for (const auto& entry : fs::directory_iterator(root))
                EXPECT_NE(entry.path().filename().string()[0], '.') << entry.path();
        } else {
            EXPECT_EQ(run.status, 1);
            EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
            EXPECT_TRUE(tree(root) == before);
        }
        fs::permissions(root, fs::perms(0755));
    }
}

}  // namespace
}  // namespace glyph::test
