#include "ui/tray_icon.h"

#include <gtest/gtest.h>

#include "platform/memory/memory_forms.h"
#include "platform/memory/memory_os.h"
#include "ui/main_window_design.h"

namespace brellix::ui {
namespace {

using platform::MemoryForms;
using platform::MemoryOs;

class NoEvents : public platform::FormEvents {
public:
    void OnLoad() override {}
    void OnClick(int) override {}
    void OnItemCheck(int, int) override {}
    void OnTimer(int) override {}
    bool OnCloseRequested(platform::CloseReason) override { return false; }
    void OnUnload() override {}
    void OnTrayActivated() override {}
    void OnTrayMenuRequested() override {}
    void OnTrayCameBack() override {}
    void OnEndSession() override {}
};

struct TrayFixture : ::testing::Test {
    MemoryOs os;
    MemoryForms form;
    NoEvents events;
    TrayState tray;
    void SetUp() override { form.Load(MainWindowSpec(), events); }
};

TEST_F(TrayFixture, TheIconBelongsToTheWindowWithTheCaptionOfThatMoment) {
    ShowTrayIcon(os, form, tray);
    ASSERT_EQ(os.trayIcons.size(), 1u);
    EXPECT_EQ(os.trayIcons[0].window, form.Handle());
    EXPECT_EQ(os.trayIcons[0].tip, DesignCaption());

    form.SetCaption(kCaptionArmed);
    RestoreTrayIcon(os, tray, /*trayCameBack=*/true);
    EXPECT_EQ(os.trayIcons.size(), 1u) << "a recreated taskbar gets the icon back once";
}

TEST_F(TrayFixture, ARecreatedTaskbarGetsTheIconAgainWithTheFirstTip) {
    ShowTrayIcon(os, form, tray);
    form.SetCaption(kCaptionArmed);
    os.trayIcons.clear();  // the shell restarted and lost every icon
    RestoreTrayIcon(os, tray, /*trayCameBack=*/true);
    ASSERT_EQ(os.trayIcons.size(), 1u);
    EXPECT_EQ(os.trayIcons[0].tip, DesignCaption());
}

TEST_F(TrayFixture, AFirstAddThatFailedIsRetriedUntilTheShellTakesIt) {
    os.trayAvailable = false;
    ShowTrayIcon(os, form, tray);
    EXPECT_FALSE(tray.iconPresent);
    RestoreTrayIcon(os, tray, /*trayCameBack=*/false);
    EXPECT_FALSE(tray.iconPresent);
    os.trayAvailable = true;
    RestoreTrayIcon(os, tray, /*trayCameBack=*/false);
    EXPECT_TRUE(tray.iconPresent);
    EXPECT_EQ(os.trayIcons.size(), 1u);
    const std::size_t adds = os.CallsNamed({"ShowTrayIcon"}).size();
    RestoreTrayIcon(os, tray, /*trayCameBack=*/false);
    EXPECT_EQ(os.CallsNamed({"ShowTrayIcon"}).size(), adds) << "a present icon is not added again";
}

TEST_F(TrayFixture, RemovingDeletesTheIconByWindowAndId) {
    ShowTrayIcon(os, form, tray);
    RemoveTrayIcon(os, tray);
    EXPECT_TRUE(os.trayIcons.empty());
    EXPECT_FALSE(tray.iconPresent);
    RemoveTrayIcon(os, tray);  // deleting an icon that is not there changes nothing
    EXPECT_TRUE(os.trayIcons.empty());
}

TEST_F(TrayFixture, NothingIsRestoredBeforeTheFirstAdd) {
    RestoreTrayIcon(os, tray, /*trayCameBack=*/true);
    EXPECT_TRUE(os.CallsNamed({"ShowTrayIcon"}).empty());
}

}  // namespace
}  // namespace brellix::ui
