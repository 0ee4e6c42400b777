#include "ui/tray_icon.h"

#include <gtest/gtest.h>

#include "platform/memory/memory_forms.h"
#include "platform/memory/memory_os.h"
#include "ui/frm_main_layout.h"

namespace brellix::ui {
namespace {

using platform::MemoryForms;
using platform::MemoryOs;

class NoEvents : public platform::FormEvents {
public:
    void Form_Load() override {}
    void OnClick(int) override {}
    void OnItemCheck(int, int) override {}
    void OnTimer(int) override {}
    bool OnQueryUnload(platform::UnloadMode) override { return false; }
    void OnUnload() override {}
    void OnTrayNotify(std::uint32_t) override {}
    void OnTaskbarCreated() override {}
    void OnEndSession() override {}
};

struct TrayFixture : ::testing::Test {
    MemoryOs os;
    MemoryForms form;
    NoEvents events;
    TrayState tray;
    void SetUp() override { form.Load(FrmMainSpec(), events); }
};

TEST_F(TrayFixture, TheIconCarriesTheWindowTheIdItsFlagsAndTheCaptionOfThatMoment) {
    AddTrayIcon(os, form, tray);
    ASSERT_EQ(os.trayIcons.size(), 1u);
    const platform::NotifyIconData& icon = os.trayIcons[0];
    EXPECT_EQ(icon.hWnd, form.hWnd());
    EXPECT_EQ(icon.uID, 1u);
    EXPECT_EQ(icon.uFlags, 7u);
    EXPECT_EQ(icon.hIcon, form.Icon());
    EXPECT_EQ(icon.uCallbackMessage, form.TrayCallbackMessage());
    EXPECT_NE(icon.uCallbackMessage, 0x200u) << "never mixed with the window's own mouse moves";
    EXPECT_EQ(icon.szTip, DesignCaption());

    form.SetCaption(kCaptionArmed);
    RestoreTrayIcon(os, tray, /*taskbarRecreated=*/true);
    EXPECT_EQ(os.trayIcons.size(), 1u) << "a recreated taskbar gets the icon back once";
}

TEST_F(TrayFixture, ARecreatedTaskbarGetsTheIconAgainWithTheFirstTip) {
    AddTrayIcon(os, form, tray);
    form.SetCaption(kCaptionArmed);
    os.trayIcons.clear();  // the shell restarted and lost every icon
    RestoreTrayIcon(os, tray, /*taskbarRecreated=*/true);
    ASSERT_EQ(os.trayIcons.size(), 1u);
    EXPECT_EQ(os.trayIcons[0].szTip, DesignCaption());
}

TEST_F(TrayFixture, AFirstAddThatFailedIsRetriedUntilTheShellTakesIt) {
    os.notifyIconSucceeds = false;
    AddTrayIcon(os, form, tray);
    EXPECT_FALSE(tray.iconPresent);
    RestoreTrayIcon(os, tray, /*taskbarRecreated=*/false);
    EXPECT_FALSE(tray.iconPresent);
    os.notifyIconSucceeds = true;
    RestoreTrayIcon(os, tray, /*taskbarRecreated=*/false);
    EXPECT_TRUE(tray.iconPresent);
    EXPECT_EQ(os.trayIcons.size(), 1u);
    const std::size_t adds = os.CallsNamed({"Shell_NotifyIconW"}).size();
    RestoreTrayIcon(os, tray, /*taskbarRecreated=*/false);
    EXPECT_EQ(os.CallsNamed({"Shell_NotifyIconW"}).size(), adds) << "a present icon is not added again";
}

TEST_F(TrayFixture, RemovingDeletesTheIconByWindowAndId) {
    AddTrayIcon(os, form, tray);
    RemoveTrayIcon(os, tray);
    EXPECT_TRUE(os.trayIcons.empty());
    EXPECT_FALSE(tray.iconPresent);
    RemoveTrayIcon(os, tray);  // deleting an icon that is not there changes nothing
    EXPECT_TRUE(os.trayIcons.empty());
}

TEST_F(TrayFixture, NothingIsRestoredBeforeTheFirstAdd) {
    RestoreTrayIcon(os, tray, /*taskbarRecreated=*/true);
    EXPECT_TRUE(os.CallsNamed({"Shell_NotifyIconW"}).empty());
}

TEST(DecodeTrayNotification, OnlyRightPressAndLeftDoubleClickDoAnything) {
    const struct {
        std::uint32_t code;
        TrayAction action;
    } cases[] = {
        {0x200, TrayAction::None},           {0x201, TrayAction::None},
        {0x202, TrayAction::None},           {0x203, TrayAction::ShowWindow},
        {0x204, TrayAction::ShowPopupMenu},  {0x205, TrayAction::None},
        {0x206, TrayAction::None},           {0x207, TrayAction::None},
        {0x400, TrayAction::None},           {0, TrayAction::None},
        {0xFFFFFFFF, TrayAction::None},
    };
    for (const auto& c : cases) EXPECT_EQ(DecodeTrayNotification(c.code), c.action) << c.code;
}

}  // namespace
}  // namespace brellix::ui
