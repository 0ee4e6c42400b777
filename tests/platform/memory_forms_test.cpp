#include "platform/memory/memory_forms.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/forms_contract.h"

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
    void OnLoad() override { calls.push_back("Load"); }
    void OnClick(int id) override { calls.push_back("Click " + std::to_string(id)); }
    void OnItemCheck(int id, int item) override {
        calls.push_back("ItemCheck " + std::to_string(id) + " " + std::to_string(item));
    }
    void OnTimer(int) override {}
    bool OnCloseRequested(CloseReason) override { return false; }
    void OnUnload() override {}
    void OnTrayActivated() override {}
    void OnTrayMenuRequested() override {}
    void OnTrayCameBack() override {}
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

    std::string Checks() const { return testing::ChecksOf(forms, kList); }

    void Arrange(const std::string& checks, int current) {
        testing::ArrangeChecks(forms, kList, checks, current);
        forms.events.clear();
        recorder.calls.clear();
    }
};

// The cases every backend shares are in forms_contract_test.cpp; these are the memory window's
// own: its event log, moves the other drivers cannot make, and a hidden window.
TEST_F(MemoryFormsTest, UserActionsBeyondTheContract) {
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
        {"click on a box logs both events", "0000", -1, [](MemoryForms& f) { f.UserClickCheckBox(kList, 1); },
         {"ItemCheck(lst, 1)", "Click(lst)"}, "0100", 1},
        {"a long jump stops at the end", "0000", 1, [](MemoryForms& f) { f.UserPressArrow(kList, 10); },
         {"Click(lst)"}, "0000", 3},
        {"rows that do not exist", "0100", 1,
         [](MemoryForms& f) {
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

TEST_F(MemoryFormsTest, AHiddenWindowIgnoresTheUserButNotTheProgram) {
    const std::vector<std::function<void(MemoryForms&)>> userActions = {
        [](MemoryForms& f) { f.UserClickItem(kList, 1); },
        [](MemoryForms& f) { f.UserClickCheckBox(kList, 1); },
        [](MemoryForms& f) { f.UserPressSpace(kList); },
        [](MemoryForms& f) { f.UserPressArrow(kList, 1); },
        [](MemoryForms& f) { f.UserChoose(kPicker, 1); },
        [](MemoryForms& f) { f.UserClick(kButton); },
    };
    Arrange("0000", 0);
    forms.Hide();
    for (const auto& act : userActions) act(forms);
    EXPECT_TRUE(forms.events.empty());
    EXPECT_EQ(Checks(), "0000");
    EXPECT_EQ(forms.ListIndex(kList), 0);

    forms.SetSelected(kList, 3, true);
    EXPECT_EQ(forms.events, (std::vector<std::string>{"ItemCheck(lst, 3)", "Click(lst)"}));
}

}  // namespace
}  // namespace brellix::platform
