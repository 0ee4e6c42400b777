// The whole program on the Qt backends, offscreen: what a user sees where the desktop has no tray.
#include <gtest/gtest.h>

#include "app/program_state.h"
#include "app/startup.h"
#include "platform/qt/qt_forms.h"
#include "platform/qt/qt_os.h"
#include "settings/scratch_dir.h"

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
    ui::FrmMain frmMain(forms, os, state.osvInfo, state.schedule, state.frmMain);
    app::InteractiveStartUp(os, forms, state, frmMain);
    ASSERT_TRUE(forms.Visible());
    EXPECT_FALSE(state.frmMain.tray.iconPresent) << "no tray here: the add reported failure";

    forms.Window()->close();
    EXPECT_TRUE(forms.IsLoaded());
    EXPECT_TRUE(forms.Visible()) << "a hidden window could not be brought back";
    EXPECT_EQ(forms.GetWindowState(), WindowState::Minimized);
    unsetenv("XDG_CONFIG_HOME");
}

}  // namespace
}  // namespace brellix::platform::qt
