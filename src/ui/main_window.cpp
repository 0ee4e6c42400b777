#include "ui/main_window.h"

#include <vector>

#include "power/power_action.h"
#include "settings/value_text.h"
#include "ui/window_placement.h"

namespace brellix::ui {

namespace {

template <class Choices>
void AddItems(const platform::CheckList& list, const Choices& choices) {
    for (const auto& choice : choices) list.AddItem(choice.itemText);
}

}  // namespace

MainWindow::MainWindow(platform::Forms& forms, platform::Os& os, scheduler::Schedule& schedule,
                       MainWindowState& state)
    : forms_(forms), os_(os), schedule_(schedule), state_(state) {}

void MainWindow::OnLoad() {
    FillPickersAndLists();
    ApplySavedChoices();
    // The target is built from what the pickers show now, whatever their clicks composed meanwhile.
    ComposeTarget();
}

void MainWindow::FillPickersAndLists() {
    const auto fillNumbers = [this](const platform::ComboBox& picker, int first, int last) {
        for (int n = first; n <= last; ++n) {
            forms_.DoEvents();
            picker.AddItem(settings::IndexToText(n));
        }
    };
    fillNumbers(hourPicker_, 1, 12);
    fillNumbers(minutePicker_, 0, 59);
    fillNumbers(secondPicker_, 0, 59);
    AddItems(actionList_, power::kPowerActions);
    amPmPicker_.AddItem(L"AM");
    amPmPicker_.AddItem(L"PM");
    AddItems(forceModeList_, power::kForceModes);
}

void MainWindow::ApplySavedChoices() {
    state_.settingsFile = settings::SettingsFilePath(os_);
    CheckSavedItem(actionList_, settings::kOptionsSelected);
    CheckSavedItem(forceModeList_, settings::kExtraSelected);
    ChooseSavedText(hourPicker_, settings::kShutdownHour);
    ChooseSavedText(minutePicker_, settings::kShutdownMinute);
    ChooseSavedText(secondPicker_, settings::kShutdownSecond);
    ChooseSavedText(amPmPicker_, settings::kShutdownAmPm);
}

// A stored index that names no item falls back to the key's default.
void MainWindow::CheckSavedItem(const platform::CheckList& list, const settings::IniKey& key) {
    const std::wstring text = settings::ReadValue(os_, state_.settingsFile, key);
    const int index = settings::ListIndexFromText(text, list.ListCount(), key.defaultValue);
    if (index >= 0) list.SetSelected(index, true);
}

// A stored text that is none of the picker's items falls back to the key's default.
void MainWindow::ChooseSavedText(const platform::ComboBox& picker, const settings::IniKey& key) {
    const std::wstring text = settings::ReadValue(os_, state_.settingsFile, key);
    std::vector<std::wstring> items;
    items.reserve(static_cast<std::size_t>(picker.ListCount()));
    for (int i = 0; i < picker.ListCount(); ++i) items.push_back(picker.List(i));
    picker.SetText(settings::PickerTextFromText(text, items, key.defaultValue));
}

void MainWindow::ComposeTarget() {
    state_.targetText = hourPicker_.Text() + L":" + minutePicker_.Text() + L":" + secondPicker_.Text() + L" " +
                        amPmPicker_.Text();
}

void MainWindow::OnClick(int controlId) {
    switch (controlId) {
        case control::ArmButton:
        case control::ArmItem: return Arm();
        case control::DisarmButton:
        case control::DisarmItem: return Disarm();
        // Each picker recomposes the target from all four.
        case control::HourPicker:
        case control::MinutePicker:
        case control::SecondPicker:
        case control::AmPmPicker: return ComposeTarget();
        case control::ActionList: return actionChoice_.Click();
        case control::ForceModeList: return forceModeChoice_.Click();
        case control::ExitButton:
        case control::ExitItem: return Exit();
        case control::CreditLink: os_.OpenWebAddress(MakerWebAddress()); return;
        case control::TrayMenu: return PrepareTrayMenu();
        case control::HideItem: return forms_.Hide();
        case control::ShowItem: return forms_.Show();
        default: return;
    }
}

void MainWindow::OnItemCheck(int controlId, int item) {
    switch (controlId) {
        case control::ActionList: return actionChoice_.ItemCheck(item);
        case control::ForceModeList: return forceModeChoice_.ItemCheck(item);
        default: return;
    }
}

void MainWindow::OnTimer(int controlId) {
    if (controlId == control::ScheduleTimer) Tick();
}

// --- The schedule ---

void MainWindow::DrawScheduleState(bool armed) {
    // The button that undoes this step is enabled first and takes the focus from the one being
    // disabled: left to itself the focus would pass on in tab order to the exit button, and the
    // next Enter would end the program and the schedule with it.
    const platform::Button& offered = armed ? disarmButton_ : armButton_;
    const platform::Button& withdrawn = armed ? armButton_ : disarmButton_;
    offered.SetEnabled(true);
    if (forms_.FocusedControl() == withdrawn.Id()) forms_.SetFocus(offered.Id());
    withdrawn.SetEnabled(false);
    armItem_.SetEnabled(!armed);
    disarmItem_.SetEnabled(armed);
    for (const platform::ComboBox* picker : {&hourPicker_, &minutePicker_, &secondPicker_, &amPmPicker_}) {
        picker->SetEnabled(!armed);
    }
    actionList_.SetEnabled(!armed);
    forceModeList_.SetEnabled(!armed);
    forms_.SetCaption(armed ? kCaptionArmed : kCaptionDisarmed);
}

void MainWindow::Arm() {
    DrawScheduleState(true);
    ComposeTarget();
    const int target = scheduler::SecondOfDayFromTargetText(state_.targetText).value_or(scheduler::kNoTarget);
    const auto request = power::RequestFromListIndices(actionList_.ListIndex(), forceModeList_.ListIndex());
    schedule_.Arm(target, request, scheduler::ReadClock(os_));
    // Last, so that no tick meets a half-drawn state.
    scheduleTimer_.SetEnabled(true);
}

void MainWindow::Disarm() {
    DrawScheduleState(false);
    schedule_.Disarm();
    scheduleTimer_.SetEnabled(false);
}

void MainWindow::Tick() {
    const auto request = schedule_.Tick(scheduler::ReadClock(os_));
    if (!request) return;
    os_.EndSession(*request);
    Disarm();
}

// --- The window's lifecycle ---

// Who asked makes no difference: while the program lives in the tray, closing only hides the
// window.
bool MainWindow::OnCloseRequested(platform::CloseReason) {
    const bool keep = state_.hideOnClose;
    if (keep) HideToTray();
    return keep;
}

void MainWindow::HideToTray() {
    // Without an icon nothing could bring a hidden window back: try to show it, and if the tray
    // still refuses, leave the window minimised on the taskbar instead.
    RestoreTrayIcon(os_, state_.tray, /*trayCameBack=*/false);
    forms_.SetWindowState(platform::WindowState::Minimized);
    if (!state_.tray.iconPresent) return;
    forms_.Hide();
    forms_.SetWindowState(platform::WindowState::Normal);
}

void MainWindow::OnUnload() { StoreSettingsAndRemoveIcon(); }

// The session ends for real: what an orderly exit would store is stored now, since no unload
// follows. Agreeing to the end of the session is the runtime's answer, not ours.
void MainWindow::OnEndSession() { StoreSettingsAndRemoveIcon(); }

void MainWindow::StoreSettingsAndRemoveIcon() {
    if (state_.settingsStored) return;
    state_.settingsStored = true;
    RemoveTrayIcon(os_, state_.tray);
    const std::wstring& file = state_.settingsFile;
    settings::StoreWindowPosition(os_, file, forms_);
    settings::WriteValue(os_, file, settings::kOptionsSelected, settings::IndexToText(actionList_.ListIndex()));
    settings::WriteValue(os_, file, settings::kExtraSelected, settings::IndexToText(forceModeList_.ListIndex()));
    settings::WriteValue(os_, file, settings::kShutdownHour, hourPicker_.Text());
    settings::WriteValue(os_, file, settings::kShutdownMinute, minutePicker_.Text());
    settings::WriteValue(os_, file, settings::kShutdownSecond, secondPicker_.Text());
    settings::WriteValue(os_, file, settings::kShutdownAmPm, amPmPicker_.Text());
}

void MainWindow::Exit() {
    state_.hideOnClose = false;
    forms_.Unload();
}

// --- The tray ---

void MainWindow::OnTrayActivated() {
    os_.BringToFront(forms_.Handle());
    forms_.Show();
}

void MainWindow::OnTrayMenuRequested() {
    os_.BringToFront(forms_.Handle());
    forms_.PopupMenu(control::TrayMenu);
}

void MainWindow::OnTrayCameBack() { RestoreTrayIcon(os_, state_.tray, /*trayCameBack=*/true); }

void MainWindow::PrepareTrayMenu() {
    const bool visible = forms_.Visible();
    hideItem_.SetEnabled(visible);
    showItem_.SetEnabled(!visible);
}

}  // namespace brellix::ui
