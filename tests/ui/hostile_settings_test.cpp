// The whole program (memory backends, the portable profile code on real files) beside a settings
// file it may not write: it starts with what it can read, runs on, and its exit loses only that
// run's changes; the file keeps what it held.
//
// Permission bits do not stop root, as which CI runs: each run happens in a child process as an
// unprivileged user (RunUnprivileged). Where that user cannot be taken on, the test says so and
// is skipped.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "program_run.h"
#include "settings/scratch_dir.h"

namespace brellix::ui::test {
namespace {

namespace fs = std::filesystem;

struct Surroundings {
    const char* name;
    fs::perms directory;
    fs::perms file;
    bool fileReadable;  // else the start shows the defaults
};

void PrintTo(const Surroundings& s, std::ostream* out) { *out << s.name; }

class ReadOnlySettings : public ::testing::TestWithParam<Surroundings> {
protected:
    brellix::test::ScratchDir dir;
    fs::path Ini() const { return dir / "Brellix.ini"; }
};

TEST_P(ReadOnlySettings, TheProgramRunsOnAndExitLeavesThePreviousFileIntact) {
    const Surroundings& s = GetParam();
    brellix::test::PutFile(Ini(), kSavedSettings);
    ASSERT_EQ(ProgramRun<>(dir.path()).Shown(), kSavedSettingsShown) << "read while still writable";

    fs::permissions(Ini(), s.file);
    fs::permissions(dir.path(), s.directory);
    const std::optional<bool> ranOn = brellix::test::RunUnprivileged([&] {
        ProgramRun<> run(dir.path());
        const bool startedWithWhatItCouldRead = run.Shown() == (s.fileReadable ? kSavedSettingsShown : kDefaultsShown);
        const bool exited = run.ChangeEverythingAndExit();
        const bool told = !run.os.notifications.empty() && run.os.notifications.back().title == L"未能保存设置";
        return startedWithWhatItCouldRead && exited && told;
    });
    if (!ranOn) GTEST_SKIP() << "no unprivileged user to run as: permission bits would not stop this one";
    EXPECT_TRUE(*ranOn) << "started with what it could read, ran on, exited, and told that nothing was stored";

    fs::permissions(dir.path(), fs::perms::owner_all);
    fs::permissions(Ini(), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(brellix::test::FileBytes(Ini()), std::string(kSavedSettings)) << "the previous file is intact";
    EXPECT_EQ(ProgramRun<>(dir.path()).Shown(), kSavedSettingsShown) << "the next start reads what the file held";
    for (const auto& entry : fs::directory_iterator(dir.path())) {
        EXPECT_EQ(entry.path().filename(), "Brellix.ini") << "nothing left behind";
    }
}

constexpr fs::perms kReadAndEnter = fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                    fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec;
constexpr fs::perms kReadOnly = fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read;
constexpr fs::perms kEveryoneReadsAndWrites = kReadOnly | fs::perms::owner_write | fs::perms::group_write |
                                              fs::perms::others_write;

INSTANTIATE_TEST_SUITE_P(
    Permissions, ReadOnlySettings,
    ::testing::Values(
        // As a program under Program Files meets it: neither the directory nor the file is the user's.
        Surroundings{"directory_and_file_read_only", kReadAndEnter, kReadOnly, true},
        // The file alone could be written in place; a new file beside it cannot be created.
        Surroundings{"directory_read_only_file_writable", kReadAndEnter, kEveryoneReadsAndWrites, true},
        Surroundings{"file_unreadable", kReadAndEnter, fs::perms::none, false}),
    [](const ::testing::TestParamInfo<Surroundings>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace brellix::ui::test
