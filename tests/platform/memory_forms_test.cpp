#include "platform/memory/memory_forms.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace brellix::platform {
namespace {

constexpr int kList = 10, kPicker = 20, kButton = 30;

FormSpec SmallForm() {
    FormSpec form;
    form.windowClass = L"Test.Form";
    form.caption = L"Test";
    form.clientWidth = 3000;
    form.clientHeight = 2000;
    ControlSpec list;
    list.id = kList;
    list.name = L"lst";
    list.type = ControlType::CheckListBox;
    ControlSpec picker;
    picker.id = kPicker;
    picker.name = L"cbo";
    picker.type = ControlType::DropDownList;
    ControlSpec button;
    button.id = kButton;
    button.name = L"btn";
    button.type = ControlType::CommandButton;
    form.controls = {list, picker, button};
    return form;
}

// Records what reaches the program, to hold it against the backend's own log.
class Recorder : public FormEvents {
public:
    std::vector<std::string> calls;
    void Form_Load() override { calls.push_back("Load"); }
    void OnClick(int id) override { calls.push_back("Click " + std::to_string(id)); }
    void OnItemCheck(int id, int item) override {
        calls.push_back("ItemCheck " + std::to_string(id) + " " + std::to_string(item));
    }
    void OnTimer(int) override {}
    bool OnQueryUnload(UnloadMode) override { return false; }
    void OnUnload() override {}
    void OnTrayNotify(std::uint32_t) override {}
    void OnTaskbarCreated() override {}
    void OnEndSession() override {}
};

class MemoryFormsTest : public ::testing::Test {
protected:
    MemoryForms forms;
    Recorder recorder;

    void SetUp() override {
        forms.Load(SmallForm(), recorder);
        for (const wchar_t* text : {L"a", L"b", L"c", L"d"}) forms.AddItem(kList, text);
        for (const wchar_t* text : {L"AM", L"PM"}) forms.AddItem(kPicker, text);
        forms.Show();
    }

    // Checks as a string ("0100") and the current item, the list's whole visible state.
    std::string Checks() const {
        std::string checks;
        for (int i = 0; i < forms.ListCount(kList); ++i) checks += forms.Selected(kList, i) ? '1' : '0';
        return checks;
    }

    void Arrange(const std::string& checks, int current) {
        for (int i = 0; i < static_cast<int>(checks.size()); ++i) forms.SetSelected(kList, i, checks[i] == '1');
        forms.SetListIndex(kList, current);
        forms.events.clear();
        recorder.calls.clear();
    }
};

TEST_F(MemoryFormsTest, CheckListRaisesClickAndItemCheckAsTheProgramRequires) {
    struct Case {
        const char* what;
        std::string checksBefore;
        int currentBefore;
        std::function<void(MemoryForms&)> act;
        std::vector<std::string> events;
        std::string checksAfter;
        int currentAfter;
    };
    const std::vector<Case> cases = {
        {"click on a row's text", "0000", -1, [](MemoryForms& f) { f.UserClickItem(kList, 2); },
         {"Click(lst)"}, "0000", 2},
        {"click on the current row's text again", "0010", 2, [](MemoryForms& f) { f.UserClickItem(kList, 2); },
         {"Click(lst)"}, "0010", 2},
        {"click on an unchecked box", "0000", -1, [](MemoryForms& f) { f.UserClickCheckBox(kList, 1); },
         {"ItemCheck(lst, 1)", "Click(lst)"}, "0100", 1},
        {"click on a checked box", "0100", 3, [](MemoryForms& f) { f.UserClickCheckBox(kList, 1); },
         {"ItemCheck(lst, 1)", "Click(lst)"}, "0000", 1},
        {"space toggles the current row only", "0000", 2, [](MemoryForms& f) { f.UserPressSpace(kList); },
         {"ItemCheck(lst, 2)"}, "0010", 2},
        {"space unchecks a checked current row", "1000", 0, [](MemoryForms& f) { f.UserPressSpace(kList); },
         {"ItemCheck(lst, 0)"}, "0000", 0},
        {"space without a current row", "0000", -1, [](MemoryForms& f) { f.UserPressSpace(kList); }, {}, "0000",
         -1},
        {"down arrow without a current row goes to the first", "0000", -1,
         [](MemoryForms& f) { f.UserPressArrow(kList, 1); }, {"Click(lst)"}, "0000", 0},
        {"down arrow moves the current row", "0100", 1, [](MemoryForms& f) { f.UserPressArrow(kList, 1); },
         {"Click(lst)"}, "0100", 2},
        {"up arrow on the first row", "0000", 0, [](MemoryForms& f) { f.UserPressArrow(kList, -1); }, {}, "0000",
         0},
        {"down arrow on the last row", "0000", 3, [](MemoryForms& f) { f.UserPressArrow(kList, 1); }, {}, "0000",
         3},
        {"a long jump stops at the end", "0000", 1, [](MemoryForms& f) { f.UserPressArrow(kList, 10); },
         {"Click(lst)"}, "0000", 3},
        {"checking from code makes the row current", "0000", -1,
         [](MemoryForms& f) { f.SetSelected(kList, 2, true); }, {"ItemCheck(lst, 2)", "Click(lst)"}, "0010", 2},
        {"checking the current row from code", "0000", 2, [](MemoryForms& f) { f.SetSelected(kList, 2, true); },
         {"ItemCheck(lst, 2)"}, "0010", 2},
        {"checking a checked row elsewhere only moves", "0010", 0,
         [](MemoryForms& f) { f.SetSelected(kList, 2, true); }, {"Click(lst)"}, "0010", 2},
        {"checking a checked current row changes nothing", "0010", 2,
         [](MemoryForms& f) { f.SetSelected(kList, 2, true); }, {}, "0010", 2},
        {"unchecking from code leaves the current row", "1000", 0,
         [](MemoryForms& f) { f.SetSelected(kList, 0, false); }, {"ItemCheck(lst, 0)"}, "0000", 0},
        {"unchecking an unchecked row changes nothing", "0000", 1,
         [](MemoryForms& f) { f.SetSelected(kList, 3, false); }, {}, "0000", 1},
        {"moving the current row from code", "0000", 1, [](MemoryForms& f) { f.SetListIndex(kList, 3); },
         {"Click(lst)"}, "0000", 3},
        {"setting the same current row", "0000", 1, [](MemoryForms& f) { f.SetListIndex(kList, 1); }, {}, "0000",
         1},
        {"clearing the current row", "0000", 1, [](MemoryForms& f) { f.SetListIndex(kList, -1); }, {"Click(lst)"},
         "0000", -1},
        {"rows that do not exist", "0100", 1,
         [](MemoryForms& f) {
             f.SetSelected(kList, 4, true);
             f.SetListIndex(kList, 7);
             f.UserClickItem(kList, 4);
             f.UserClickCheckBox(kList, -1);
         },
         {}, "0100", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Arrange(c.checksBefore, c.currentBefore);
        c.act(forms);
        EXPECT_EQ(forms.events, c.events);
        EXPECT_EQ(Checks(), c.checksAfter);
        EXPECT_EQ(forms.ListIndex(kList), c.currentAfter);
        EXPECT_EQ(recorder.calls.size(), c.events.size()) << "every logged event reached the program";
    }
}

TEST_F(MemoryFormsTest, FillingRaisesNothing) {
    MemoryForms fresh;
    Recorder events;
    fresh.Load(SmallForm(), events);
    fresh.Show();
    for (int i = 0; i < 5; ++i) {
        fresh.AddItem(kList, L"row");
        fresh.AddItem(kPicker, L"item");
    }
    EXPECT_EQ(events.calls, std::vector<std::string>{"Load"});
    EXPECT_EQ(fresh.ListIndex(kList), -1);
    EXPECT_EQ(fresh.ListIndex(kPicker), -1);
    EXPECT_FALSE(fresh.Selected(kList, 0));
}

TEST_F(MemoryFormsTest, AListTheUserCannotReachIgnoresTheUserButNotTheProgram) {
    const std::vector<std::function<void(MemoryForms&)>> userActions = {
        [](MemoryForms& f) { f.UserClickItem(kList, 1); },
        [](MemoryForms& f) { f.UserClickCheckBox(kList, 1); },
        [](MemoryForms& f) { f.UserPressSpace(kList); },
        [](MemoryForms& f) { f.UserPressArrow(kList, 1); },
    };
    for (bool disabled : {true, false}) {
        SCOPED_TRACE(disabled ? "disabled list" : "hidden window");
        Arrange("0000", 0);
        if (disabled) forms.SetEnabled(kList, false);
        else forms.Hide();
        for (const auto& act : userActions) act(forms);
        EXPECT_TRUE(forms.events.empty());
        EXPECT_EQ(Checks(), "0000");
        EXPECT_EQ(forms.ListIndex(kList), 0);

        forms.SetSelected(kList, 3, true);
        EXPECT_EQ(forms.events, (std::vector<std::string>{"ItemCheck(lst, 3)", "Click(lst)"}));
        forms.SetEnabled(kList, true);
        forms.Show();
    }
}

TEST_F(MemoryFormsTest, PickerTextSelectsTheItemWithExactlyThatText) {
    struct Case {
        const char* what;
        int before;
        std::wstring text;
        bool found;
        std::vector<std::string> events;
        int after;
    };
    const Case cases[] = {
        {"another item", 0, L"PM", true, {"Click(cbo)"}, 1},
        {"the chosen item", 1, L"PM", true, {}, 1},
        {"from no choice", -1, L"AM", true, {"Click(cbo)"}, 0},
        {"no such item", 0, L"XM", false, {}, 0},
        {"case matters", 0, L"pm", false, {}, 0},
        {"no partial match", 0, L"P", false, {}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        forms.SetListIndex(kPicker, c.before);
        forms.events.clear();
        EXPECT_EQ(forms.SetText(kPicker, c.text), c.found);
        EXPECT_EQ(forms.events, c.events);
        EXPECT_EQ(forms.ListIndex(kPicker), c.after);
        EXPECT_EQ(forms.Text(kPicker), c.after < 0 ? L"" : forms.List(kPicker, c.after));
    }
}

TEST_F(MemoryFormsTest, ChoosingInAPickerAlwaysRaisesClick) {
    forms.SetListIndex(kPicker, 1);
    forms.events.clear();
    forms.UserChoose(kPicker, 0);
    forms.UserChoose(kPicker, 0);
    EXPECT_EQ(forms.events, (std::vector<std::string>{"Click(cbo)", "Click(cbo)"}));
    EXPECT_EQ(forms.Text(kPicker), L"AM");
}

}  // namespace
}  // namespace brellix::platform
