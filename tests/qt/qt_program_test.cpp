// The whole program on the Qt backends, offscreen: what a user sees where the desktop has no tray.
#include <gtest/gtest.h>
#include <signal.h>

#include <QCoreApplication>

#include "app/program_state.h"
#include "app/startup.h"
#include "platform/qt/qt_forms.h"
#include "platform/qt/qt_os.h"
#include "settings/scratch_dir.h"
#include "ui/main_window_design.h"

namespace brellix::platform::qt {
namespace {

int argc = 1;
char name[] = "brellix";
char* argv[] = {name, nullptr};

TEST(QtProgram, WithoutATrayTheCloseBoxMinimisesTheWindowInsteadOfHidingIt) {
    test::ScratchDir config;
    setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
    QtForms forms(argc, argv);
    QtOs os({"brellix"}, forms);
    app::ProgramState state;
    ui::MainWindow window(forms, os, state.schedule, state.mainWindow);
    app::InteractiveStartUp(os, forms, state, window);
    ASSERT_TRUE(forms.Visible());
    EXPECT_FALSE(state.mainWindow.tray.iconPresent) << "no tray here: the add reported failure";

    forms.MainWidget()->close();
    EXPECT_TRUE(forms.IsLoaded());
    EXPECT_TRUE(forms.Visible()) << "a hidden window could not be brought back";
    EXPECT_EQ(forms.GetWindowState(), WindowState::Minimized);
    unsetenv("XDG_CONFIG_HOME");
}

class EndRecorder : public FormEvents {
public:
    int endSessions = 0;
    void OnLoad() override {}
    void OnClick(int) override {}
    void OnItemCheck(int, int) override {}
    void OnTimer(int) override {}
    bool OnCloseRequested(CloseReason) override { return true; }
    void OnUnload() override {}
    void OnTrayActivated() override {}
    void OnTrayMenuRequested() override {}
    void OnTrayCameBack() override {}
    void OnEndSession() override { ++endSessions; }
};

TEST(QtProgram, TheEndSignalsStoreTheSettingsAndTheirHandlersGoWithTheWindow) {
    for (const int number : {SIGTERM, SIGHUP, SIGINT}) {
        SCOPED_TRACE(number);
        {
            QtForms forms(argc, argv);
            EndRecorder events;
            forms.Load(ui::MainWindowSpec(), events);
            raise(number);
            for (int i = 0; i < 100 && events.endSessions == 0; ++i) QCoreApplication::processEvents();
            EXPECT_EQ(events.endSessions, 1);
            EXPECT_TRUE(forms.IsLoaded()) << "no unload: the program stores its settings itself";
        }
        struct sigaction now {};
        sigaction(number, nullptr, &now);
        EXPECT_EQ(now.sa_handler, SIG_DFL);
    }
}

}  // namespace
}  // namespace brellix::platform::qt
