// The forms runtime's contract, shared by every backend's tests: a user's hands on the runtime
// (the same actions on every backend), a small form, and a recorder of what reaches the program.
// Each backend's test program instantiates FormsContract with its own driver.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/forms.h"

namespace brellix::platform::testing {

class FormsDriver {
public:
    virtual ~FormsDriver() = default;
    virtual Forms& forms() = 0;
    virtual void ClickRowText(int list, int item) = 0;
    virtual void ClickCheckBox(int list, int item) = 0;
    virtual void PressSpace(int list) = 0;
    virtual void PressArrow(int list, int delta) = 0;  // one key press, up (-1) or down (+1)
    virtual void Choose(int picker, int item) = 0;
    virtual void ClickButton(int id) = 0;
    virtual void CloseBox() = 0;
    // Opens the popup menu as the program does; the user picks the item, or closes the menu.
    virtual void PopupAndChoose(int menu, std::optional<int> item) = 0;
};

struct DriverFactory {
    std::string name;
    std::function<std::unique_ptr<FormsDriver>()> make;
};

inline std::string DriverName(const ::testing::TestParamInfo<DriverFactory>& info) { return info.param.name; }

enum : int { kList = 10, kPicker = 20, kButton = 30, kExit = 31, kMenu = 40, kMenuShow = 41, kMenuOff = 42 };

inline ControlSpec Control(int id, std::wstring_view name, ControlType type, int left, int top, int width, int height,
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

inline FormSpec SmallForm() {
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

    void OnLoad() override { calls.push_back("Load"); }
    void OnClick(int id) override {
        calls.push_back("Click " + Name(id));
        if (onClick) onClick(id);
    }
    void OnItemCheck(int id, int item) override { calls.push_back("ItemCheck " + Name(id) + " " + std::to_string(item)); }
    void OnTimer(int) override {}
    bool OnCloseRequested(CloseReason mode) override {
        calls.push_back("CloseRequested " + std::to_string(static_cast<int>(mode)));
        return cancelUnload;
    }
    void OnUnload() override { calls.push_back("Unload"); }
    void OnTrayActivated() override {}
    void OnTrayMenuRequested() override {}
    void OnTrayCameBack() override {}
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

// A check list's checks as a string ("0100"): with its current item, the list's whole visible state.
inline std::string ChecksOf(const Forms& forms, int list) {
    std::string checks;
    for (int i = 0; i < forms.ListCount(list); ++i) checks += forms.Selected(list, i) ? '1' : '0';
    return checks;
}

// Sets the checks and the current item from code, before the user acts.
inline void ArrangeChecks(Forms& forms, int list, const std::string& checks, int current) {
    for (int i = 0; i < static_cast<int>(checks.size()); ++i) forms.SetSelected(list, i, checks[i] == '1');
    forms.SetListIndex(list, current);
}

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

    std::string Checks() const { return ChecksOf(forms, kList); }

    void Arrange(const std::string& checks, int current) {
        ArrangeChecks(forms, kList, checks, current);
        recorder.calls.clear();
    }
};


}  // namespace brellix::platform::testing
