#include "platform/memory/memory_forms.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "platform/memory/memory_os.h"

namespace brellix::platform {

void MemoryForms::Load(const FormSpec& spec, FormEvents& events) {
    events_ = &events;
    controls_.clear();
    for (const ControlSpec& control : spec.controls) {
        ControlState state;
        state.spec = control;
        state.caption = control.caption;
        state.enabled = control.enabled;
        controls_.emplace(control.id, std::move(state));
    }
    caption_ = spec.caption;
    clientWidth_ = spec.clientWidth;
    clientHeight_ = spec.clientHeight;
    loaded_ = true;
    visible_ = false;
    events.OnLoad();
}

void MemoryForms::Unload() { UserClose(CloseReason::Program); }

int MemoryForms::RunMessageLoop() {
    while (loaded_ && !queue_.empty()) {
        auto message = std::move(queue_.front());
        queue_.pop_front();
        message();
    }
    return 0;
}

void MemoryForms::DoEvents() {
    // Only what was waiting when the pass began; later messages wait for the next pass.
    for (std::size_t waiting = queue_.size(); waiting > 0 && !queue_.empty(); --waiting) {
        auto message = std::move(queue_.front());
        queue_.pop_front();
        message();
    }
}

void MemoryForms::Post(std::function<void()> message) { queue_.push_back(std::move(message)); }

void MemoryForms::Show() {
    if (!loaded_) return;
    visible_ = true;
    visibilityLog.push_back("Show(state=" + std::to_string(static_cast<int>(windowState_)) + ")");
}

void MemoryForms::Hide() {
    visible_ = false;
    visibilityLog.push_back("Hide(state=" + std::to_string(static_cast<int>(windowState_)) + ")");
}

ScreenRect MemoryForms::WindowRect() const {
    // A frame of 4 pixels and a caption of 23, as a classic fixed single border has.
    const int left = static_cast<int>(std::floor(left_ / twipsPerPixel));
    const int top = static_cast<int>(std::floor(top_ / twipsPerPixel));
    const int width = static_cast<int>(clientWidth_ / twipsPerPixel) + 8;
    const int height = static_cast<int>(clientHeight_ / twipsPerPixel) + 31;
    return ScreenRect{left, top, left + width, top + height};
}

void MemoryForms::PopupMenu(int menuId) {
    if (!loaded_) return;
    RaiseClick(menuId);
    if (whilePopupOpen) whilePopupOpen();
    const std::optional<int> choice = std::exchange(popupChoice, std::nullopt);
    if (!choice) return;
    const ControlState* item = Find(*choice);
    if (item && item->enabled && item->spec.type == ControlType::MenuItem) RaiseClick(*choice);
}

MemoryForms::ControlState* MemoryForms::Find(int id) {
    const auto it = controls_.find(id);
    return it == controls_.end() ? nullptr : &it->second;
}

const MemoryForms::ControlState* MemoryForms::Find(int id) const {
    const auto it = controls_.find(id);
    return it == controls_.end() ? nullptr : &it->second;
}

MemoryForms::ControlState* MemoryForms::Usable(int id) {
    ControlState* control = Find(id);
    if (!control || !loaded_ || !visible_ || !control->enabled) return nullptr;
    return control;
}

bool MemoryForms::ValidItem(const ControlState& control, int item) const {
    return item >= 0 && static_cast<std::size_t>(item) < control.items.size();
}

std::string MemoryForms::NameOf(int id) const {
    const ControlState* control = Find(id);
    return control ? ToCallText(control->spec.name) : std::to_string(id);
}

void MemoryForms::RaiseClick(int id) {
    events.push_back("Click(" + NameOf(id) + ")");
    events_->OnClick(id);
}

void MemoryForms::RaiseItemCheck(int id, int item) {
    events.push_back("ItemCheck(" + NameOf(id) + ", " + std::to_string(item) + ")");
    events_->OnItemCheck(id, item);
}

std::wstring MemoryForms::ControlCaption(int id) const {
    const ControlState* control = Find(id);
    return control ? control->caption : std::wstring{};
}

void MemoryForms::SetControlCaption(int id, std::wstring_view caption) {
    if (ControlState* control = Find(id)) control->caption = caption;
}

bool MemoryForms::Checked(int id) const {
    const ControlState* control = Find(id);
    return control && control->checked;
}

void MemoryForms::SetChecked(int id, bool checked) {
    if (ControlState* control = Find(id)) control->checked = checked;
}

bool MemoryForms::Enabled(int id) const {
    const ControlState* control = Find(id);
    return control && control->enabled;
}

void MemoryForms::SetEnabled(int id, bool enabled) {
    ControlState* control = Find(id);
    if (!control) return;
    control->enabled = enabled;
    if (!enabled && focused_ == id) MoveFocusOnFrom(id);
}

namespace {

// Labels have a place in the tab order, for their access keys, but never take the focus.
bool TakesFocus(const ControlSpec& spec) {
    const bool kind = spec.type == ControlType::CommandButton || spec.type == ControlType::DropDownList ||
                      spec.type == ControlType::CheckListBox;
    return kind && spec.tabIndex >= 0;
}

}  // namespace

void MemoryForms::SetFocus(int id) {
    const ControlState* control = Find(id);
    if (control && control->enabled && TakesFocus(control->spec)) focused_ = id;
}

void MemoryForms::MoveFocusOnFrom(int id) {
    std::vector<const ControlState*> order;
    for (const auto& [controlId, control] : controls_) {
        if (TakesFocus(control.spec) || control.spec.id == id) order.push_back(&control);
    }
    std::sort(order.begin(), order.end(),
              [](const ControlState* a, const ControlState* b) { return a->spec.tabIndex < b->spec.tabIndex; });
    const auto from = std::find_if(order.begin(), order.end(), [id](const ControlState* c) { return c->spec.id == id; });
    if (from == order.end()) return;
    const std::size_t start = static_cast<std::size_t>(from - order.begin());
    focused_ = 0;
    for (std::size_t step = 1; step < order.size(); ++step) {
        const ControlState* next = order[(start + step) % order.size()];
        if (next->enabled) {
            focused_ = next->spec.id;
            return;
        }
    }
}

bool MemoryForms::TimerRunning(int timerId) const { return loaded_ && Enabled(timerId); }

void MemoryForms::AddItem(int id, std::wstring_view text) {
    ControlState* control = Find(id);
    if (!control) return;
    control->items.emplace_back(text);
    control->checks.push_back(false);
}

int MemoryForms::ListCount(int id) const {
    const ControlState* control = Find(id);
    return control ? static_cast<int>(control->items.size()) : 0;
}

std::wstring MemoryForms::List(int id, int item) const {
    const ControlState* control = Find(id);
    return control && ValidItem(*control, item) ? control->items[static_cast<std::size_t>(item)] : std::wstring{};
}

int MemoryForms::ListIndex(int id) const {
    const ControlState* control = Find(id);
    return control ? control->listIndex : -1;
}

void MemoryForms::SetListIndex(int id, int item) {
    ControlState* control = Find(id);
    if (!control || (item != -1 && !ValidItem(*control, item)) || control->listIndex == item) return;
    control->listIndex = item;
    RaiseClick(id);
}

bool MemoryForms::Selected(int id, int item) const {
    const ControlState* control = Find(id);
    return control && ValidItem(*control, item) && control->checks[static_cast<std::size_t>(item)];
}

void MemoryForms::SetSelected(int id, int item, bool checked) {
    ControlState* control = Find(id);
    if (!control || !ValidItem(*control, item)) return;
    const bool changed = control->checks[static_cast<std::size_t>(item)] != checked;
    control->checks[static_cast<std::size_t>(item)] = checked;
    const bool moved = checked && control->listIndex != item;
    if (moved) control->listIndex = item;
    if (changed) RaiseItemCheck(id, item);
    if (moved) RaiseClick(id);
}

std::wstring MemoryForms::Text(int id) const { return List(id, ListIndex(id)); }

bool MemoryForms::SetText(int id, std::wstring_view text) {
    ControlState* control = Find(id);
    if (!control) return false;
    for (std::size_t i = 0; i < control->items.size(); ++i) {
        if (control->items[i] == text) {
            SetListIndex(id, static_cast<int>(i));
            return true;
        }
    }
    return false;
}

void MemoryForms::UserClick(int id) {
    const ControlState* control = Usable(id);
    if (!control) return;
    // The mouse gives a button the focus as it presses it.
    if (control->spec.type == ControlType::CommandButton) SetFocus(id);
    RaiseClick(id);
}

void MemoryForms::UserPressEnter() {
    if (!loaded_ || !visible_) return;
    const ControlState* focused = Find(focused_);
    if (focused && focused->spec.type == ControlType::CommandButton) {
        if (focused->enabled) RaiseClick(focused_);
        return;
    }
    for (const auto& [id, control] : controls_) {
        if (control.spec.isDefault && control.enabled) return RaiseClick(id);
    }
}

void MemoryForms::UserChoose(int pickerId, int item) {
    ControlState* picker = Usable(pickerId);
    if (!picker || !ValidItem(*picker, item)) return;
    picker->listIndex = item;
    RaiseClick(pickerId);
}

void MemoryForms::UserClickItem(int listId, int item) {
    ControlState* list = Usable(listId);
    if (!list || !ValidItem(*list, item)) return;
    list->listIndex = item;
    RaiseClick(listId);
}

void MemoryForms::UserClickCheckBox(int listId, int item) {
    ControlState* list = Usable(listId);
    if (!list || !ValidItem(*list, item)) return;
    const std::size_t row = static_cast<std::size_t>(item);
    list->checks[row] = !list->checks[row];
    list->listIndex = item;
    RaiseItemCheck(listId, item);
    RaiseClick(listId);
}

void MemoryForms::UserPressSpace(int listId) {
    ControlState* list = Usable(listId);
    if (!list || !ValidItem(*list, list->listIndex)) return;
    const std::size_t row = static_cast<std::size_t>(list->listIndex);
    list->checks[row] = !list->checks[row];
    RaiseItemCheck(listId, list->listIndex);
}

void MemoryForms::UserPressArrow(int listId, int delta) {
    ControlState* list = Usable(listId);
    if (!list || list->items.empty()) return;
    const int last = static_cast<int>(list->items.size()) - 1;
    const int target = std::clamp(list->listIndex < 0 ? 0 : list->listIndex + delta, 0, last);
    if (target == list->listIndex) return;
    list->listIndex = target;
    RaiseClick(listId);
}

void MemoryForms::UserClose(CloseReason reason) {
    if (!loaded_) return;
    events.push_back("CloseRequested(" + std::to_string(static_cast<int>(reason)) + ")");
    if (events_->OnCloseRequested(reason)) return;
    events.push_back("Unload");
    events_->OnUnload();
    loaded_ = false;
    visible_ = false;
}

void MemoryForms::SystemEndSession() {
    if (!loaded_) return;
    events.push_back("EndSession");
    events_->OnEndSession();
}

void MemoryForms::UserActivateTrayIcon() {
    if (loaded_) events_->OnTrayActivated();
}

void MemoryForms::UserRightClickTrayIcon() {
    if (loaded_) events_->OnTrayMenuRequested();
}

void MemoryForms::ShellTrayCameBack() {
    if (loaded_) events_->OnTrayCameBack();
}

void MemoryForms::UserAnswersNotification(NotificationAnswer answer) {
    if (loaded_) events_->OnNotificationAnswered(answer);
}

void MemoryForms::SystemResumes() {
    if (loaded_) events_->OnSystemResumed();
}

void MemoryForms::AnotherStartWakes() {
    if (loaded_) events_->OnWakeRequested();
}

void MemoryForms::SystemAnswersSessionEnd(const SessionEndResult& result) {
    if (loaded_) events_->OnSessionEndAnswered(result);
}

void MemoryForms::SystemAnswersOutlook(SessionEndRequest request, SessionEndOutlook outlook) {
    if (loaded_) events_->OnSessionEndOutlook(request, outlook);
}

void MemoryForms::SystemTellsObstacles(SessionEndRequest request, const Obstacles& obstacles) {
    if (loaded_) events_->OnObstaclesKnown(request, obstacles);
}

void MemoryForms::TimerTick(int timerId) {
    if (!TimerRunning(timerId)) return;
    events_->OnTimer(timerId);
}

}  // namespace brellix::platform
