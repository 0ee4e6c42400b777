// The forms runtime's contract, held against every backend: the same user action raises the same
// events in the same order, and filling or changing controls from code looks like no user.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "forms_driver.h"

namespace brellix::platform::testing {
namespace {

enum : int { kList = 10, kPicker = 20, kButton = 30, kExit = 31, kMenu = 40, kMenuShow = 41, kMenuOff = 42 };

ControlSpec Control(int id, std::wstring_view name, ControlType type, int left, int top, int width, int height,
                    int tabIndex, std::wstring caption = L"") {
    ControlSpec spec;
    spec.id = id;
    spec.name = name;
    spec.type = type;
    spec.caption = std::move(caption);
    spec.left = left;
    spec.top = top;
    spec.width = width;
    spec.height = height;
    spec.tabIndex = tabIndex;
    return spec;
}

FormSpec SmallForm() {
    FormSpec form;
    form.windowClass = L"Test.Form";
    form.caption = L"Test";
    form.clientWidth = 4500;
    form.clientHeight = 3000;
    form.font = FontSpec{L"Tahoma", 8.25f, 0};
    ControlSpec list = Control(kList, L"lst", ControlType::CheckListBox, 240, 240, 2655, 900, 1);
    list.font = FontSpec{L"宋体", 9.0f, 134};
    ControlSpec exit = Control(kExit, L"exit", ControlType::CommandButton, 3240, 1080, 1095, 495, 3, L"退出(&E)");
    exit.isCancel = true;
    ControlSpec menu = Control(kMenu, L"mnu", ControlType::Menu, 0, 0, 0, 0, -1, L"&Popup");
    menu.visible = false;
    ControlSpec show = Control(kMenuShow, L"mnuShow", ControlType::MenuItem, 0, 0, 0, 0, -1, L"显示(&S)");
    show.parentMenu = kMenu;
    ControlSpec off = Control(kMenuOff, L"mnuOff", ControlType::MenuItem, 0, 0, 0, 0, -1, L"取消(&F)");
    off.parentMenu = kMenu;
    off.enabled = false;
    form.controls = {list,
                     Control(kPicker, L"cbo", ControlType::DropDownList, 240, 1500, 855, 360, 2),
                     Control(kButton, L"btn", ControlType::CommandButton, 3240, 240, 1095, 495, 0, L"运行(&N)"),
                     exit,
                     menu,
                     show,
                     off};
    return form;
}

// What reaches the program, by control name.
class Recorder : public FormEvents {
public:
    std::vector<std::string> calls;
    bool cancelUnload = false;
    std::function<void(int)> onClick;

    void Form_Load() override { calls.push_back("Load"); }
    void OnClick(int id) override {
        calls.push_back("Click " + Name(id));
        if (onClick) onClick(id);
    }
    void OnItemCheck(int id, int item) override { calls.push_back("ItemCheck " + Name(id) + " " + std::to_string(item)); }
    void OnTimer(int) override {}
    bool OnQueryUnload(UnloadMode mode) override {
        calls.push_back("QueryUnload " + std::to_string(static_cast<int>(mode)));
        return cancelUnload;
    }
    void OnUnload() override { calls.push_back("Unload"); }
    void OnTrayNotify(std::uint32_t) override {}
    void OnTaskbarCreated() override {}
    void OnEndSession() override {}

private:
    static std::string Name(int id) {
        static const std::map<int, std::string> names = {{kList, "lst"},   {kPicker, "cbo"},       {kButton, "btn"},
                                                         {kExit, "exit"},  {kMenu, "mnu"},         {kMenuShow, "mnuShow"},
                                                         {kMenuOff, "mnuOff"}};
        const auto it = names.find(id);
        return it == names.end() ? std::to_string(id) : it->second;
    }
};

class FormsContract : public ::testing::TestWithParam<DriverFactory> {
protected:
    std::unique_ptr<FormsDriver> driver = GetParam().make();
    Forms& forms = driver->forms();
    Recorder recorder;

    void SetUp() override {
        forms.Load(SmallForm(), recorder);
        for (const wchar_t* text : {L"关闭系统", L"关闭电源", L"重启", L"注销"}) forms.AddItem(kList, text);
        for (const wchar_t* text : {L"AM", L"PM"}) forms.AddItem(kPicker, text);
        forms.Show();
        recorder.calls.clear();
    }

    std::string Checks() const {
        std::string checks;
        for (int i = 0; i < forms.ListCount(kList); ++i) checks += forms.Selected(kList, i) ? '1' : '0';
        return checks;
    }

    void Arrange(const std::string& checks, int current) {
        for (int i = 0; i < static_cast<int>(checks.size()); ++i) forms.SetSelected(kList, i, checks[i] == '1');
        forms.SetListIndex(kList, current);
        recorder.calls.clear();
    }
};

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
    // The program's handlers change other rows while the event is being raised, as frmMain's do.
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
    EXPECT_EQ(recorder.calls, (Strings{"QueryUnload 0", "QueryUnload 0", "Unload"}));
}

TEST_P(FormsContract, UnloadFromCodeAsksWithItsOwnMode) {
    forms.Unload();
    EXPECT_EQ(recorder.calls, (Strings{"QueryUnload 1", "Unload"}));
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

INSTANTIATE_TEST_SUITE_P(Backends, FormsContract,
                         ::testing::Values(DriverFactory{"Memory", MakeMemoryDriver}, DriverFactory{"Qt", MakeQtDriver}),
                         [](const ::testing::TestParamInfo<DriverFactory>& info) { return info.param.name; });

}  // namespace
}  // namespace brellix::platform::testing
