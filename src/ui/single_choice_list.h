// A check-box list kept to a single choice, like a group of radio buttons.
#pragma once

#include <cstdint>

#include "platform/forms.h"

namespace brellix::ui {

// Click checks the current item; ItemCheck(k) unchecks every item but k, and a user's uncheck of
// the only checked item is undone. Events may nest: our
// own unchecks report back as ItemCheck, and with passThroughMessageLoop each index first lets
// waiting messages run, a user's further choice on this list among them. The newest choice wins:
// once the handlers have returned, it is the only item that can be checked.
class SingleChoiceList {
public:
    SingleChoiceList(platform::Forms& forms, platform::CheckList list, bool passThroughMessageLoop)
        : forms_(forms), list_(list), passThroughMessageLoop_(passThroughMessageLoop) {}

    void Click();
    void ItemCheck(int item);

private:
    void Uncheck(int item);
    bool NoneChecked() const;
    bool TakeOwnUncheck(int item);

    platform::Forms& forms_;
    platform::CheckList list_;
    bool passThroughMessageLoop_;
    // The item of the latest Click or ItemCheck that was not our own doing; -1 before any.
    int newestChoice_ = -1;
    // One bit per item (the first 32) that this code unchecked and whose ItemCheck has not come
    // back yet.
    std::uint32_t ownUnchecks_ = 0;
};

}  // namespace brellix::ui
