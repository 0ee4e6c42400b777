// A user's hands on a forms runtime: the same actions on every backend, so one table of cases
// holds each backend to the same events in the same order.
#pragma once

#include <functional>
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

std::unique_ptr<FormsDriver> MakeMemoryDriver();
std::unique_ptr<FormsDriver> MakeQtDriver();

}  // namespace brellix::platform::testing
