#include "platform/qt/qt_os.h"

#include <gtest/gtest.h>
#include <stdlib.h>

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

// Sets an environment variable for the scope of a test.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : name_(name) {
        if (const char* old = getenv(name)) old_ = old;
        setenv(name, value.c_str(), 1);
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
