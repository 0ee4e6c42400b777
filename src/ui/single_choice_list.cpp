#include "ui/single_choice_list.h"

namespace brellix::ui {

namespace {

constexpr std::uint32_t Bit(int item) { return item >= 0 && item < 32 ? std::uint32_t{1} << item : 0; }

}  // namespace

void SingleChoiceList::Click() {
    const int current = list_.ListIndex();
    if (current < 0) return;
    newestChoice_ = current;
    list_.SetSelected(current, true);
}

void SingleChoiceList::ItemCheck(int item) {
    if (TakeOwnUncheck(item)) return;
    // The list always shows the one choice that will be used: a user's uncheck of the only
    // checked item (Space on it, a screen reader's toggle) checks it again.
    if (!list_.Selected(item)) {
        if (NoneChecked()) list_.SetSelected(item, true);
        return;
    }
    newestChoice_ = item;

    const int count = list_.ListCount();
    for (int i = 0; i < count; ++i) {
        if (passThroughMessageLoop_) {
            forms_.DoEvents();
            // A newer choice was handled meanwhile; finish for it below, without further passes.
            if (newestChoice_ != item) break;
        }
        if (i != item) Uncheck(i);
    }
    if (newestChoice_ == item) return;
    // A newer ItemCheck has already swept the list, but a Click on an item that was still checked
    // raises none: indices this loop passed may hold our own item checked.
    for (int i = 0; i < count; ++i) {
        if (i != newestChoice_) Uncheck(i);
    }
}

bool SingleChoiceList::NoneChecked() const {
    for (int i = 0; i < list_.ListCount(); ++i) {
        if (list_.Selected(i)) return false;
    }
    return true;
}

void SingleChoiceList::Uncheck(int item) {
    if (!list_.Selected(item)) return;
    ownUnchecks_ |= Bit(item);
    list_.SetSelected(item, false);
}

// Whether this ItemCheck only reports an uncheck of our own (at once or later, as the backend
// chooses); a check of the item, the user's, clears the mark.
bool SingleChoiceList::TakeOwnUncheck(int item) {
    const std::uint32_t bit = Bit(item);
    const bool own = (ownUnchecks_ & bit) != 0 && !list_.Selected(item);
    ownUnchecks_ &= ~bit;
    return own;
}

}  // namespace brellix::ui
