// The whole program (memory backends, the portable profile code on real files) beside a settings
// file it may not write: it starts with what it can read, runs on, and its exit loses only that
// run's changes; the file keeps what it held.
//
// Permission bits do not stop root, as which CI runs: each run happens in a child process as an
// unprivileged user (RunUnprivileged). Where that user cannot be taken on, the test says so and
// is skipped.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "app/program_state.h"
#include "app/startup.h"
#include "platform/memory/memory_forms.h"
#include "platform/memory/memory_os.h"
#include "settings/scratch_dir.h"
#include "ui/frm_main_layout.h"

namespace brellix::ui {
namespace {

namespace fs = std::filesystem;

// One run of the program with its executable in the directory.
struct ProgramRun {
    platform::MemoryOs os;
    platform::MemoryForms forms;
    app::ProgramState state;
    std::unique_ptr<FrmMain> frm;

    explicit ProgramRun(const fs::path& exeDir) {
        os.moduleFileName = exeDir.wstring() + L"\\Brellix.exe";
        frm = std::make_unique<FrmMain>(forms, os, state.osvInfo, state.schedule, state.frmMain);
        app::InteractiveStartUp(os, forms, state, *frm);
    }
    std::string Checks(int list) const {
        std::string marks;
        for (int i = 0; i < forms.ListCount(list); ++i) marks += forms.Selected(list, i) ? '1' : '0';
        return marks;
    }
    // What the window shows of the saved choices.
    std::string Shown() const {
        return Checks(lstOptions) + " " + Checks(lstExtra) + " " + platform::ToCallText(state.schedule.strShutdownTime) +
               " " + std::to_string(forms.Left()) + "," + std::to_string(forms.Top());
    }
    // A user changes every choice and moves the window, arms and disarms, then chooses Exit.
    bool ChangeEverythingAndExit() {
        if (!forms.IsLoaded() || !forms.Visible()) return false;
        forms.UserClickItem(lstOptions, 0);
        forms.UserClickItem(lstExtra, 0);
        forms.UserChoose(cboHour, 0);
        forms.UserChoose(cboMinute, 1);
        forms.UserChoose(cboSecond, 2);
        forms.UserChoose(cboAMPM, 1);
        forms.SetLeft(300);
        forms.SetTop(450);
        forms.UserClick(btnTurnON);
        forms.UserClick(btnTurnOFF);
        forms.UserClick(btnExit);
        return !forms.IsLoaded() && os.trayIcons.empty();
    }
};

constexpr char kSaved[] =
    "[Position]\r\nLeft=1500\r\nTop=1200\r\n[Options]\r\nSelected=3\r\n[Extra]\r\nSelected=1\r\n"
    "[Shutdown]\r\nHour=11\r\nMinute=30\r\nSecond=0\r\nAMPM=PM\r\n";

struct Surroundings {
    const char* name;
    fs::perms directory;
    fs::perms file;
    bool fileReadable;  // else the start shows the defaults
};

void PrintTo(const Surroundings& s, std::ostream* out) { *out << s.name; }

class ReadOnlySettings : public ::testing::TestWithParam<Surroundings> {
protected:
    test::ScratchDir dir;
    fs::path Ini() const { return dir / "Brellix.ini"; }
};

TEST_P(ReadOnlySettings, TheProgramRunsOnAndExitLeavesThePreviousFileIntact) {
    const Surroundings& s = GetParam();
    test::PutFile(Ini(), kSaved);
    const std::string expectedShown = ProgramRun(dir.path()).Shown();  // read while still writable
    ASSERT_EQ(expectedShown, "0001 01 11:30:0 PM 1500.000000,1200.000000");
    const std::string defaultsShown = "0100 01 3:15:45 AM 0.000000,0.000000";

    fs::permissions(Ini(), s.file);
    fs::permissions(dir.path(), s.directory);
    const std::optional<bool> ranOn = test::RunUnprivileged([&] {
        ProgramRun run(dir.path());
        const bool startedWithWhatItCouldRead = run.Shown() == (s.fileReadable ? expectedShown : defaultsShown);
        return startedWithWhatItCouldRead && run.ChangeEverythingAndExit();
    });
    if (!ranOn) GTEST_SKIP() << "no unprivileged user to run as: permission bits would not stop this one";
    EXPECT_TRUE(*ranOn) << "started with what it could read, ran on and exited";

    fs::permissions(dir.path(), fs::perms::owner_all);
    fs::permissions(Ini(), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(test::FileBytes(Ini()), std::string(kSaved)) << "the previous file is intact";
    EXPECT_EQ(ProgramRun(dir.path()).Shown(), expectedShown) << "the next start reads what the file held";
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
}  // namespace brellix::ui
