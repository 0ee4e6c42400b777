// What only the Qt window has to get right: the design table as widgets, the dialog keys, the
// access keys' buddies, the tab order, the tray's codes and its refusal when there is no tray.
#include "platform/qt/qt_forms.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "ui/main_window_design.h"

namespace brellix::platform::qt {
namespace {

int argc = 1;
char name[] = "brellix";
char* argv[] = {name, nullptr};

class Recorder : public FormEvents {
public:
    std::vector<int> clicks;
    std::vector<std::pair<int, int>> itemChecks;
    std::function<void()> whenClicked;
    void OnLoad() override {}
    void OnClick(int id) override {
        clicks.push_back(id);
        if (whenClicked) whenClicked();
    }
    void OnItemCheck(int id, int item) override { itemChecks.emplace_back(id, item); }
    void OnTimer(int) override {}
    bool OnCloseRequested(CloseReason) override { return false; }
    void OnUnload() override {}
    void OnTrayActivated() override {}
    void OnTrayMenuRequested() override {}
    void OnTrayCameBack() override {}
    void OnEndSession() override {}
};

class QtMainWindow : public ::testing::Test {
protected:
    QtForms forms{argc, argv};
    Recorder recorder;
    void SetUp() override {
        forms.Load(ui::MainWindowSpec(), recorder);
        for (const wchar_t* item : {L"关闭系统", L"关闭电源", L"重启", L"注销"}) forms.AddItem(ui::control::ActionList, item);
        forms.Show();
    }
};

TEST_F(QtMainWindow, TheWindowHasTheDesignedFixedSizeAndShowsEveryRowOfTheActionList) {
    EXPECT_EQ(forms.MainWidget()->minimumSize(), QSize(302, 249));
    EXPECT_EQ(forms.MainWidget()->maximumSize(), QSize(302, 249));
    EXPECT_EQ(forms.Caption(), ui::DesignCaption());
    auto* list = static_cast<CheckList*>(forms.Widget(ui::control::ActionList));
    ASSERT_EQ(list->Count(), 4);
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(list->contentsRect().contains(list->Row(i)->geometry())) << "row inside the list, none scrolled away";
    }
}

TEST_F(QtMainWindow, EnterClicksTheDefaultButtonAndEscTheCancelButton) {
    QTest::keyClick(forms.MainWidget(), Qt::Key_Return);
    QTest::keyClick(forms.MainWidget(), Qt::Key_Escape);
    forms.SetEnabled(ui::control::ArmButton, false);
    QTest::keyClick(forms.MainWidget(), Qt::Key_Return);
    EXPECT_EQ(recorder.clicks, (std::vector<int>{ui::control::ArmButton, ui::control::ExitButton}));
}

TEST_F(QtMainWindow, ALabelsAccessKeyGoesToTheNextControlInTabOrder) {
    const std::pair<int, int> buddies[] = {{ui::control::HourLabel, ui::control::HourPicker},       {ui::control::MinuteLabel, ui::control::MinutePicker},
                                           {ui::control::SecondLabel, ui::control::SecondPicker},      {ui::control::AmPmLabel, ui::control::AmPmPicker},
                                           {ui::control::ActionLabel, ui::control::ActionList}, {ui::control::ForceModeLabel, ui::control::ForceModeList}};
    for (const auto& [label, control] : buddies) {
        SCOPED_TRACE(label);
        EXPECT_EQ(static_cast<QLabel*>(forms.Widget(label))->buddy(), forms.Widget(control));
    }
    EXPECT_EQ(forms.Widget(ui::control::ActionList)->accessibleName(), "选项");
}

TEST_F(QtMainWindow, TabGoesThroughTheControlsByTabIndex) {
    const int expected[] = {ui::control::MinutePicker, ui::control::SecondPicker, ui::control::AmPmPicker, ui::control::ActionList, ui::control::ForceModeList,
                            ui::control::ArmButton, ui::control::ExitButton};  // btnTurnOFF is disabled
    QWidget* widget = forms.Widget(ui::control::HourPicker);
    for (const int id : expected) {
        do {
            widget = widget->nextInFocusChain();
        } while (!widget->isEnabled() || widget->focusPolicy() == Qt::NoFocus || !forms.MainWidget()->isAncestorOf(widget));
        EXPECT_EQ(widget, forms.Widget(id)) << "expected control " << id;
    }
}

TEST_F(QtMainWindow, TheWindowOpensWithTheFocusOnTheFirstControlInTabOrder) {
    EXPECT_EQ(forms.FocusedControl(), ui::control::HourPicker) << "not the default button, as a dialog would have it";
}

TEST_F(QtMainWindow, ScreenReadersSeeEachRowAsACheckBoxWithItsState) {
    forms.SetSelected(ui::control::ActionList, 1, true);
    auto* list = static_cast<CheckList*>(forms.Widget(ui::control::ActionList));
    QAccessibleInterface* checked = QAccessible::queryAccessibleInterface(list->Row(1));
    QAccessibleInterface* unchecked = QAccessible::queryAccessibleInterface(list->Row(2));
    ASSERT_TRUE(checked && unchecked);
    QAccessibleInterface* listInterface = QAccessible::queryAccessibleInterface(list);
    ASSERT_TRUE(listInterface);
    EXPECT_EQ(listInterface->role(), QAccessible::List);
    EXPECT_EQ(listInterface->text(QAccessible::Name), "选项");
    EXPECT_EQ(listInterface->childCount(), 4);
    EXPECT_EQ(checked->role(), QAccessible::CheckBox);
    EXPECT_TRUE(checked->state().checked);
    EXPECT_FALSE(unchecked->state().checked);
    // Every row, checked or not, says it can be checked (Qt 6.4's AT-SPI bridge drops this state).
    EXPECT_TRUE(checked->state().checkable && unchecked->state().checkable);
    EXPECT_EQ(checked->text(QAccessible::Name), "关闭电源");
}

TEST_F(QtMainWindow, AScreenReadersToggleActsAsAClickOnTheBox) {
    auto* list = static_cast<CheckList*>(forms.Widget(ui::control::ActionList));
    forms.SetSelected(ui::control::ActionList, 1, true);
    recorder.clicks.clear();
    recorder.itemChecks.clear();
    QAccessibleInterface* row = QAccessible::queryAccessibleInterface(list->Row(2));
    ASSERT_TRUE(row && row->actionInterface());
    row->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_TRUE(forms.Selected(ui::control::ActionList, 2));
    EXPECT_EQ(forms.ListIndex(ui::control::ActionList), 2);
    EXPECT_EQ(recorder.itemChecks, (std::vector<std::pair<int, int>>{{ui::control::ActionList, 2}}));
    EXPECT_EQ(recorder.clicks, (std::vector<int>{ui::control::ActionList}));
}

// A screen reader follows the keyboard focus: in a list it rests on the current row, follows the
// arrows once the program has answered them, and the keys a user presses there act on the list.
TEST_F(QtMainWindow, TheFocusRestsOnTheCurrentRowAndTheKeysThereActOnTheList) {
    auto* list = static_cast<CheckList*>(forms.Widget(ui::control::ActionList));
    forms.SetSelected(ui::control::ActionList, 1, true);
    const auto focusComesTo = [](QWidget* expected) {
        return QTest::qWaitFor([&] { return QApplication::focusWidget() == expected; }, 1000);
    };
    forms.SetFocus(ui::control::ActionList);
    ASSERT_TRUE(focusComesTo(list->Row(1)));
    recorder.clicks.clear();
    std::vector<QWidget*> focusWhenClicked;
    recorder.whenClicked = [&] { focusWhenClicked.push_back(QApplication::focusWidget()); };
    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        QWidget* focus;
        std::vector<int> clicks;
    } steps[] = {
        {Qt::Key_Down, Qt::NoModifier, list->Row(2), {ui::control::ActionList}},
        {Qt::Key_Tab, Qt::NoModifier, forms.Widget(ui::control::ForceModeList), {}},  // no rows here: the list keeps it
        {Qt::Key_Backtab, Qt::ShiftModifier, list->Row(2), {}},
        {Qt::Key_Backtab, Qt::ShiftModifier, forms.Widget(ui::control::AmPmPicker), {}},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.key);
        QTest::keyClick(QApplication::focusWidget(), step.key, step.modifiers);
        EXPECT_TRUE(focusComesTo(step.focus));
        EXPECT_EQ(recorder.clicks, step.clicks);
        recorder.clicks.clear();
    }
    // The program answers the arrow's click (moving its check) before the focus, and the screen
    // reader, come to the new row.
    EXPECT_EQ(focusWhenClicked, std::vector<QWidget*>{list->Row(1)});
    forms.SetFocus(ui::control::ActionList);
    ASSERT_TRUE(focusComesTo(list->Row(2)));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    EXPECT_TRUE(forms.Selected(ui::control::ActionList, 2)) << "space on the focused row toggles it once";
    EXPECT_EQ(recorder.itemChecks.back(), std::make_pair(int{ui::control::ActionList}, 2));
}

TEST_F(QtMainWindow, AnUnloadBeforeTheMessageLoopLeavesLaterPopupsWaitingForTheUser) {
    QtForms other(argc, argv);
    Recorder otherEvents;
    other.Load(ui::MainWindowSpec(), otherEvents);
    other.Unload();
    bool menuWasOpen = false;
    QTimer::singleShot(0, [&] {
        menuWasOpen = forms.Popup()->isVisible();
        forms.Popup()->close();
    });
    forms.PopupMenu(ui::control::TrayMenu);
    EXPECT_TRUE(menuWasOpen);
}

TEST_F(QtMainWindow, AHiddenWindowShowsInTheStateLastSetWhileHidden) {
    struct Case {
        const char* what;
        WindowState before, whileHidden;
    };
    const Case cases[] = {
        {"minimised, hidden, set normal: comes back normal", WindowState::Minimized, WindowState::Normal},
        {"normal, hidden, set minimised: comes back minimised", WindowState::Normal, WindowState::Minimized},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        forms.SetWindowState(c.before);
        EXPECT_EQ(forms.GetWindowState(), c.before);
        forms.Hide();
        EXPECT_EQ(forms.GetWindowState(), c.before) << "a hidden window keeps its state";
        forms.SetWindowState(c.whileHidden);
        EXPECT_FALSE(forms.Visible());
        forms.Show();
        EXPECT_TRUE(forms.Visible());
        EXPECT_EQ(forms.GetWindowState(), c.whileHidden);
        forms.SetWindowState(WindowState::Normal);
    }
}

// A window manager told to minimise a window that is hidden just after may act on it late and
// keep the window iconified when it is shown again: the toolkit's window is never minimised then.
TEST_F(QtMainWindow, AMinimiseReachesTheWindowOnlyWhenItStaysShown) {
    for (const bool hiddenAfter : {true, false}) {
        SCOPED_TRACE(hiddenAfter ? "minimised, then hidden" : "minimised");
        forms.SetWindowState(WindowState::Minimized);
        if (hiddenAfter) forms.Hide();
        forms.DoEvents();
        EXPECT_EQ(forms.MainWidget()->windowState().testFlag(Qt::WindowMinimized), !hiddenAfter);
        EXPECT_EQ(forms.GetWindowState(), WindowState::Minimized);
        forms.SetWindowState(WindowState::Normal);
        forms.Show();
    }
}

TEST_F(QtMainWindow, APositionReadsBackAsSetUntilTheWindowMoves) {
    forms.SetLeft(1234.5f);
    forms.SetTop(-300.0f);
    EXPECT_EQ(forms.Left(), 1234.5f);
    EXPECT_EQ(forms.Top(), -300.0f);
    EXPECT_EQ(forms.WindowRect().left, 82);
    EXPECT_EQ(forms.WindowRect().top, -20);
    forms.MainWidget()->move(100, 50);
    EXPECT_EQ(forms.Left(), 1500.0f);
    EXPECT_EQ(forms.Top(), 750.0f);
}

TEST(TrayEventOf, EachActivationMeansWhatTheProgramExpects) {
    struct Case {
        QSystemTrayIcon::ActivationReason reason;
        bool statusNotifier;
        TrayEvent event;
    } const cases[] = {
        {QSystemTrayIcon::Context, false, TrayEvent::MenuRequested},
        {QSystemTrayIcon::DoubleClick, false, TrayEvent::Activated},
        {QSystemTrayIcon::Trigger, false, TrayEvent::None},
        {QSystemTrayIcon::MiddleClick, false, TrayEvent::None},
        {QSystemTrayIcon::Context, true, TrayEvent::None},
        {QSystemTrayIcon::Trigger, true, TrayEvent::Activated},
        {QSystemTrayIcon::DoubleClick, true, TrayEvent::Activated},
        {QSystemTrayIcon::Unknown, true, TrayEvent::None},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TrayEventOf(c.reason, c.statusNotifier), c.event) << c.reason << " " << c.statusNotifier;
    }
}

TEST_F(QtMainWindow, WithoutAnyTrayAddingTheIconFails) {
    // No session bus and no X server here: neither a D-Bus tray nor an XEmbed one.
    ASSERT_TRUE(forms.Tray());
    EXPECT_FALSE(forms.Tray()->Add("tip"));
    EXPECT_FALSE(forms.Tray()->Remove());
}

}  // namespace
}  // namespace brellix::platform::qt
