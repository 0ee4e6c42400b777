// The forms runtime's contract, held against every backend: the same user action raises the same
// events in the same order, and filling or changing controls from code looks like no user.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/forms_contract.h"

namespace brellix::platform::testing {

using Strings = std::vector<std::string>;

TEST_P(FormsContract, CheckListRaisesClickAndItemCheckAsTheProgramRequires) {
    struct Case {
        const char* what;
        std::string checksBefore;
        int currentBefore;
        std::function<void(FormsDriver&, Forms&)> act;
        Strings events;
        std::string checksAfter;
        int currentAfter;
    };
    const std::vector<Case> cases = {
        {"click on a row's text", "0000", -1, [](FormsDriver& d, Forms&) { d.ClickRowText(kList, 2); },
         {"Click lst"}, "0000", 2},
        {"click on the current row's text again", "0010", 2, [](FormsDriver& d, Forms&) { d.ClickRowText(kList, 2); },
         {"Click lst"}, "0010", 2},
        {"click on an unchecked box", "0000", -1, [](FormsDriver& d, Forms&) { d.ClickCheckBox(kList, 1); },
         {"ItemCheck lst 1", "Click lst"}, "0100", 1},
        {"click on a checked box", "0100", 3, [](FormsDriver& d, Forms&) { d.ClickCheckBox(kList, 1); },
         {"ItemCheck lst 1", "Click lst"}, "0000", 1},
        {"space toggles the current row only", "0000", 2, [](FormsDriver& d, Forms&) { d.PressSpace(kList); },
         {"ItemCheck lst 2"}, "0010", 2},
        {"space unchecks a checked current row", "1000", 0, [](FormsDriver& d, Forms&) { d.PressSpace(kList); },
         {"ItemCheck lst 0"}, "0000", 0},
        {"space without a current row", "0000", -1, [](FormsDriver& d, Forms&) { d.PressSpace(kList); }, {}, "0000",
         -1},
        {"down arrow without a current row goes to the first", "0000", -1,
         [](FormsDriver& d, Forms&) { d.PressArrow(kList, 1); }, {"Click lst"}, "0000", 0},
        {"down arrow moves the current row", "0100", 1, [](FormsDriver& d, Forms&) { d.PressArrow(kList, 1); },
         {"Click lst"}, "0100", 2},
        {"up arrow on the first row", "0000", 0, [](FormsDriver& d, Forms&) { d.PressArrow(kList, -1); }, {}, "0000",
         0},
        {"down arrow on the last row", "0000", 3, [](FormsDriver& d, Forms&) { d.PressArrow(kList, 1); }, {}, "0000",
         3},
        {"checking from code makes the row current", "0000", -1,
         [](FormsDriver&, Forms& f) { f.SetSelected(kList, 2, true); }, {"ItemCheck lst 2", "Click lst"}, "0010", 2},
        {"checking the current row from code", "0000", 2, [](FormsDriver&, Forms& f) { f.SetSelected(kList, 2, true); },
         {"ItemCheck lst 2"}, "0010", 2},
        {"checking a checked row elsewhere only moves", "0010", 0,
         [](FormsDriver&, Forms& f) { f.SetSelected(kList, 2, true); }, {"Click lst"}, "0010", 2},
        {"checking a checked current row changes nothing", "0010", 2,
         [](FormsDriver&, Forms& f) { f.SetSelected(kList, 2, true); }, {}, "0010", 2},
        {"unchecking from code leaves the current row", "1000", 0,
         [](FormsDriver&, Forms& f) { f.SetSelected(kList, 0, false); }, {"ItemCheck lst 0"}, "0000", 0},
        {"moving the current row from code", "0000", 1, [](FormsDriver&, Forms& f) { f.SetListIndex(kList, 3); },
         {"Click lst"}, "0000", 3},
        {"clearing the current row", "0000", 1, [](FormsDriver&, Forms& f) { f.SetListIndex(kList, -1); },
         {"Click lst"}, "0000", -1},
        {"rows that do not exist", "0100", 1,
         [](FormsDriver&, Forms& f) {
             f.SetSelected(kList, 4, true);
             f.SetListIndex(kList, 7);
         },
         {}, "0100", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Arrange(c.checksBefore, c.currentBefore);
        c.act(*driver, forms);
        EXPECT_EQ(recorder.calls, c.events);
        EXPECT_EQ(Checks(), c.checksAfter);
        EXPECT_EQ(forms.ListIndex(kList), c.currentAfter);
    }
}

TEST_P(FormsContract, TheSingleChoiceHandlersRunInsideTheUsersClick) {
    // The program's handlers change other rows while the event is being raised, as the main window's do.
    recorder.onClick = [this](int id) {
        if (id == kList) forms.SetSelected(kList, forms.ListIndex(kList), true);
    };
    Arrange("1000", 0);
    driver->ClickRowText(kList, 3);
    EXPECT_EQ(recorder.calls, (Strings{"Click lst", "ItemCheck lst 3"}));
    EXPECT_EQ(Checks(), "1001");
}

TEST_P(FormsContract, FillingRaisesNothing) {
    EXPECT_TRUE(recorder.calls.empty());
    EXPECT_EQ(forms.ListIndex(kPicker), -1);
    EXPECT_EQ(forms.ListIndex(kList), -1);
    EXPECT_EQ(Checks(), "0000");
    EXPECT_EQ(forms.ListCount(kList), 4);
    EXPECT_EQ(forms.List(kList, 1), L"关闭电源");
}

TEST_P(FormsContract, ADisabledListIgnoresTheUserButNotTheProgram) {
    Arrange("0000", 0);
    forms.SetEnabled(kList, false);
    driver->ClickRowText(kList, 1);
    driver->ClickCheckBox(kList, 1);
    driver->PressSpace(kList);
    driver->PressArrow(kList, 1);
    EXPECT_TRUE(recorder.calls.empty());
    EXPECT_EQ(Checks(), "0000");
    EXPECT_EQ(forms.ListIndex(kList), 0);
    forms.SetSelected(kList, 3, true);
    EXPECT_EQ(recorder.calls, (Strings{"ItemCheck lst 3", "Click lst"}));
}

TEST_P(FormsContract, PickerTextSelectsTheItemWithExactlyThatText) {
    struct Case {
        const char* what;
        int before;
        std::wstring text;
        bool found;
        Strings events;
        int after;
    };
    const Case cases[] = {
        {"another item", 0, L"PM", true, {"Click cbo"}, 1},
        {"the chosen item", 1, L"PM", true, {}, 1},
        {"from no choice", -1, L"AM", true, {"Click cbo"}, 0},
        {"no such item", 0, L"XM", false, {}, 0},
        {"case matters", 0, L"pm", false, {}, 0},
        {"no partial match", 0, L"P", false, {}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        forms.SetListIndex(kPicker, c.before);
        recorder.calls.clear();
        EXPECT_EQ(forms.SetText(kPicker, c.text), c.found);
        EXPECT_EQ(recorder.calls, c.events);
        EXPECT_EQ(forms.ListIndex(kPicker), c.after);
        EXPECT_EQ(forms.Text(kPicker), c.after < 0 ? L"" : forms.List(kPicker, c.after));
    }
}

TEST_P(FormsContract, ChoosingInAPickerAlwaysRaisesClick) {
    forms.SetListIndex(kPicker, 1);
    recorder.calls.clear();
    driver->Choose(kPicker, 0);
    driver->Choose(kPicker, 0);
    EXPECT_EQ(recorder.calls, (Strings{"Click cbo", "Click cbo"}));
    EXPECT_EQ(forms.Text(kPicker), L"AM");
}

TEST_P(FormsContract, ButtonsClickOnlyWhileEnabled) {
    driver->ClickButton(kButton);
    forms.SetEnabled(kButton, false);
    driver->ClickButton(kButton);
    EXPECT_EQ(recorder.calls, (Strings{"Click btn"}));
}

TEST_P(FormsContract, TheCloseBoxAsksFirstAndACancelKeepsTheWindow) {
    recorder.cancelUnload = true;
    driver->CloseBox();
    EXPECT_TRUE(forms.IsLoaded());
    recorder.cancelUnload = false;
    driver->CloseBox();
    EXPECT_FALSE(forms.IsLoaded());
    EXPECT_EQ(recorder.calls, (Strings{"CloseRequested 0", "CloseRequested 0", "Unload"}));
}

TEST_P(FormsContract, UnloadFromCodeAsksWithItsOwnMode) {
    forms.Unload();
    EXPECT_EQ(recorder.calls, (Strings{"CloseRequested 1", "Unload"}));
    EXPECT_FALSE(forms.IsLoaded());
}

TEST_P(FormsContract, PopupMenuRaisesTheMenuThenTheChosenItemBeforeItReturns) {
    struct Case {
        const char* what;
        std::optional<int> choice;
        Strings events;
    };
    const Case cases[] = {
        {"an enabled item", kMenuShow, {"Click mnu", "Click mnuShow"}},
        {"a disabled item", kMenuOff, {"Click mnu"}},
        {"closed without a choice", std::nullopt, {"Click mnu"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        recorder.calls.clear();
        driver->PopupAndChoose(kMenu, c.choice);
        EXPECT_EQ(recorder.calls, c.events);
    }
}

TEST_P(FormsContract, TheFocusGoesWhereTheProgramPutsItAndLeavesADisabledControl) {
    forms.SetFocus(kButton);
    EXPECT_EQ(forms.FocusedControl(), kButton);
    forms.SetFocus(kPicker);
    EXPECT_EQ(forms.FocusedControl(), kPicker);
    forms.SetEnabled(kButton, false);
    forms.SetFocus(kButton);
    EXPECT_EQ(forms.FocusedControl(), kPicker) << "a disabled control takes no focus";
    forms.SetEnabled(kPicker, false);
    EXPECT_EQ(forms.FocusedControl(), kExit) << "the next enabled control in tab order";
    EXPECT_TRUE(recorder.calls.empty()) << "moving the focus raises no event";
}

TEST_P(FormsContract, CaptionsAndEnabledStatesReadBack) {
    forms.SetCaption(L"Vospel - 激活");
    forms.SetControlCaption(kButton, L"运行(&N)");
    forms.SetEnabled(kMenuShow, false);
    EXPECT_EQ(forms.Caption(), L"Vospel - 激活");
    EXPECT_EQ(forms.ControlCaption(kButton), L"运行(&N)");
    EXPECT_FALSE(forms.Enabled(kMenuShow));
    EXPECT_FALSE(forms.Enabled(kMenuOff));
    EXPECT_TRUE(forms.Enabled(kExit));
}

}  // namespace brellix::platform::testing
