// The forms contract against the memory backend.
#include "platform/forms_contract.h"
#include "platform/memory/memory_forms.h"

namespace brellix::platform::testing {
namespace {

class MemoryDriver : public FormsDriver {
public:
    Forms& forms() override { return forms_; }
    void ClickRowText(int list, int item) override { forms_.UserClickItem(list, item); }
    void ClickCheckBox(int list, int item) override { forms_.UserClickCheckBox(list, item); }
    void PressSpace(int list) override { forms_.UserPressSpace(list); }
    void PressArrow(int list, int delta) override { forms_.UserPressArrow(list, delta); }
    void Choose(int picker, int item) override { forms_.UserChoose(picker, item); }
    void ClickButton(int id) override { forms_.UserClick(id); }
    void CloseBox() override { forms_.UserClose(CloseReason::CloseBox); }
    void PopupAndChoose(int menu, std::optional<int> item) override {
        forms_.popupChoice = item;
        forms_.PopupMenu(menu);
    }

private:
    MemoryForms forms_;
};

INSTANTIATE_TEST_SUITE_P(Memory, FormsContract,
                         ::testing::Values(DriverFactory{"Memory", [] { return std::make_unique<MemoryDriver>(); }}),
                         DriverName);

}  // namespace
}  // namespace brellix::platform::testing
