#include "platform/qt/qt_os.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/file.h>

#include <QGuiApplication>
#include <QScreen>

#include "platform/qt/qt_forms.h"
#include "settings/scratch_dir.h"
#include "settings/settings_file.h"

namespace brellix::platform::qt {
namespace {

using test::FileBytes;
using test::ScratchDir;

int argc = 1;
char name[] = "brellix";
char* argv[] = {name, nullptr};

// Sets (or, given nothing, unsets) an environment variable for the scope of a test.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::optional<std::string>& value) : name_(name) {
        if (const char* old = getenv(name)) old_ = old;
        if (value) setenv(name, value->c_str(), 1);
        else unsetenv(name);
    }
    ~ScopedEnv() {
        if (old_) setenv(name_, old_->c_str(), 1);
        else unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(QtOs, OneInstancePerUserSession) {
    ScratchDir runtime;
    ScopedEnv runtimeDir("XDG_RUNTIME_DIR", runtime.path().string());
    ScopedEnv session("XDG_SESSION_ID", "7");
    QtForms forms(argc, argv);
    {
        QtOs first({"brellix"}, forms);
        EXPECT_FALSE(first.AnotherInstanceRunning());
        QtOs second({"brellix"}, forms);
        EXPECT_TRUE(second.AnotherInstanceRunning());
        ScopedEnv otherSession("XDG_SESSION_ID", "8");
        QtOs inAnotherSession({"brellix"}, forms);
        EXPECT_FALSE(inAnotherSession.AnotherInstanceRunning());
    }
    QtOs afterTheFirstEnded({"brellix"}, forms);
    EXPECT_FALSE(afterTheFirstEnded.AnotherInstanceRunning());
}

// Without a runtime directory to hold the lock (none at all, or one where no file can be made),
// two starts still meet at one lock: in the user's private cache directory, never at a name in
// /tmp that another user can take first.
TEST(QtOs, WithoutAUsableRuntimeDirectoryTheLockIsPrivateAndStillOne) {
    ScratchDir scratch;
    ScopedEnv cache("XDG_CACHE_HOME", (scratch / "cache").string());
    const std::string session = "t" + std::to_string(getpid());
    ScopedEnv sessionId("XDG_SESSION_ID", session);
    const std::string predictable = "/tmp/brellix-" + std::to_string(getuid()) + "-session-" + session + ".lock";
    UniqueFd heldByAnother(::open(predictable.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
    ASSERT_TRUE(heldByAnother && ::flock(heldByAnother.get(), LOCK_EX | LOCK_NB) == 0);
    const std::optional<std::string> runtimeDirectories[] = {std::nullopt, (scratch / "no-such-dir").string()};
    QtForms forms(argc, argv);
    for (const auto& runtimeDirectory : runtimeDirectories) {
        SCOPED_TRACE(runtimeDirectory.value_or("no XDG_RUNTIME_DIR"));
        ScopedEnv runtime("XDG_RUNTIME_DIR", runtimeDirectory);
        QtOs first({"brellix"}, forms);
        EXPECT_FALSE(first.AnotherInstanceRunning());
        QtOs second({"brellix"}, forms);
        EXPECT_TRUE(second.AnotherInstanceRunning());
    }
    EXPECT_EQ(std::filesystem::status(scratch / "cache/brellix").permissions(), std::filesystem::perms::owner_all);
    ::unlink(predictable.c_str());
}

TEST(QtOs, TheCommandLineCarriesTheArgumentsForTheKeywordSearch) {
    QtForms forms(argc, argv);
    QtOs os({"/opt/my apps/brellix", "reboot", "\xE5\x85\xB3 force"}, forms);
    EXPECT_EQ(os.CommandLine(), L"\"/opt/my apps/brellix\" reboot \x5173 force");
}

TEST(QtOs, SettingsLiveInTheConfigDirectoryWhichAWriteCreates) {
    ScratchDir home;
    ScopedEnv config("XDG_CONFIG_HOME", (home / "cfg").string());
    QtForms forms(argc, argv);
    QtOs os({"brellix"}, forms);
    // A writable program directory keeps the file beside the program.
    EXPECT_EQ(os.SettingsDirectory(home.path().wstring()), home.path().wstring());

    const std::wstring file = (home / "cfg/Brellix/Brellix.ini").wstring();
    EXPECT_TRUE(os.WriteSetting(file, L"Shutdown", L"Hour", L"8").written);
    EXPECT_EQ(FileBytes(home / "cfg/Brellix/Brellix.ini"), "[Shutdown]\r\nHour=8\r\n");
    EXPECT_EQ(os.ReadSetting(file, L"Shutdown", L"Hour", L"3", 254), L"8");
}

// The reason told is what stopped the settings directory from being made, not the missing
// directory the write meets afterwards. As root, the user "nobody" meets the permission bits.
TEST(QtOs, ASettingsDirectoryThatCannotBeMadeIsToldByItsCause) {
    ScratchDir home;
    std::filesystem::permissions(home.path(), std::filesystem::perms::owner_all | std::filesystem::perms::others_read |
                                                  std::filesystem::perms::others_exec);
    test::PutFile(home / "a-file", "x");
    std::filesystem::create_directory(home / "locked");
    std::filesystem::permissions(home / "locked", std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec |
                                                      std::filesystem::perms::others_read |
                                                      std::filesystem::perms::others_exec);
    struct Case {
        const char* what;
        std::filesystem::path file;
        std::wstring reason;
    };
    const Case cases[] = {
        {"a file where the directory goes", home / "a-file/Brellix/Brellix.ini", L"Not a directory"},
        {"a directory the user may not write in", home / "locked/Brellix/Brellix.ini", L"Permission denied"},
    };
    QtForms forms(argc, argv);
    QtOs os({"brellix"}, forms);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::optional<bool> told = test::RunUnprivileged(
            [&] { return os.WriteSetting(c.file.wstring(), L"Shutdown", L"Hour", L"8").reason == c.reason; });
        ASSERT_TRUE(told.has_value()) << "could not drop root's privileges for the check";
        EXPECT_TRUE(*told);
    }
}

TEST(QtOs, TheExecutableIsThisProcess) {
    QtForms forms(argc, argv);
    QtOs os({"brellix"}, forms);
    EXPECT_EQ(std::filesystem::path(os.ExecutablePath()).filename(), "brellix_qt_tests");
}

TEST(QtOs, MonitorsAreTheScreensQtKnows) {
    QtForms forms(argc, argv);
    QtOs os({"brellix"}, forms);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const ScreenRect onScreen{screen.left() + 10, screen.top() + 10, screen.left() + 40, screen.top() + 40};
    const ScreenRect farAway{screen.right() + 5000, 0, screen.right() + 5300, 250};
    const ScreenRect touching{screen.right(), 0, screen.right() + 300, 250};
    EXPECT_TRUE(os.RectOnAnyMonitor(onScreen));
    EXPECT_TRUE(os.RectOnAnyMonitor(touching));
    EXPECT_FALSE(os.RectOnAnyMonitor(farAway));
    const QRect work = QGuiApplication::primaryScreen()->availableGeometry();
    const ScreenRect nearest = os.NearestMonitorWorkArea(farAway);
    EXPECT_EQ(nearest.left, work.left());
    EXPECT_EQ(nearest.top, work.top());
    EXPECT_EQ(nearest.right, work.right() + 1);
    EXPECT_EQ(nearest.bottom, work.bottom() + 1);
}

TEST(QtOs, ClocksAgree) {
    QtForms forms(argc, argv);
    QtOs os({"brellix"}, forms);
    const std::uint64_t tick = os.MonotonicMilliseconds();
    const LocalTimeOfDay now = os.LocalTime();
    EXPECT_GE(os.MonotonicMilliseconds(), tick);
    EXPECT_LT(now.hour, 24);
    EXPECT_LT(now.millisecond, 1000);
    EXPECT_GT(os.WallClockMilliseconds(), 1'600'000'000'000);
}

}  // namespace
}  // namespace brellix::platform::qt
