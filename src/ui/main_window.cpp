#include "ui/main_window.h"

#include <utility>
#include <vector>

#include "ui/messages.h"

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
    state_.warningSeconds = ReadWholeNumber(settings::kWarningSeconds, settings::kLongestWarningSeconds,
                                            settings::kDefaultWarningSeconds);
    state_.snoozeMinutes = ReadWholeNumber(settings::kWarningSnoozeMinutes, settings::kLongestSnoozeMinutes,
                                           settings::kDefaultSnoozeMinutes);
    state_.daily = ReadWholeNumber(settings::kShutdownDaily, 1, 0) == 1;
    if (state_.snoozeMinutes > 0) snoozeItem_.SetCaption(SnoozeItemCaption(state_.snoozeMinutes));
    dailyItem_.SetChecked(state_.daily);
}

int MainWindow::ReadWholeNumber(const settings::IniKey& key, int largest, int defaultValue) {
    return settings::WholeNumberFromText(settings::ReadValue(os_, state_.settingsFile, key), largest, defaultValue);
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
    picker.SetText(settings::PickerTextFromText(text, picker.Items(), key.defaultValue));
}

void MainWindow::ComposeTarget() {
    state_.targetText = hourPicker_.Text() + L":" + minutePicker_.Text() + L":" + secondPicker_.Text() + L" " +
                        amPmPicker_.Text();
}

void MainWindow::ShowTargetInPickers(int secondOfDay) {
    const int hour = secondOfDay / 3600;
    hourPicker_.SetText(settings::IndexToText(hour % 12 == 0 ? 12 : hour % 12));
    minutePicker_.SetText(settings::IndexToText(secondOfDay / 60 % 60));
    secondPicker_.SetText(settings::IndexToText(secondOfDay % 60));
    amPmPicker_.SetText(hour < 12 ? L"AM" : L"PM");
    ComposeTarget();
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
        case control::SnoozeItem: return Snooze();
        case control::DailyItem: return ToggleDaily();
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
    snoozeItem_.SetEnabled(armed && state_.snoozeMinutes > 0);
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
    schedule_.Arm(target, request, scheduler::ReadClock(os_), state_.warningSeconds);
    // Last, so that no tick meets a half-drawn state.
    scheduleTimer_.SetEnabled(true);
    state_.tray.shownStep = -1;  // a new target: the tip is built anew
    UpdateTrayTip();
    // Whether the system will refuse is known long before the time comes.
    os_.AskSessionEndOutlook(request);
}

void MainWindow::Disarm() {
    DrawScheduleState(false);
    schedule_.Disarm();
    scheduleTimer_.SetEnabled(false);
    if (state_.armingNoticeShown) os_.WithdrawNotification(forms_.Handle());
    state_.armingNoticeShown = false;
    UpdateTrayTip();
}

// What is shown is what will happen, and what is stored: the pickers follow the target.
void MainWindow::Snooze() {
    if (!schedule_.Armed() || state_.snoozeMinutes <= 0) return;
    const int target = scheduler::SnoozedTarget(schedule_.TargetSecondOfDay(), state_.snoozeMinutes);
    ShowTargetInPickers(target);
    schedule_.Arm(target, schedule_.Request(), scheduler::ReadClock(os_), state_.warningSeconds);
    if (state_.armingNoticeShown) os_.WithdrawNotification(forms_.Handle());
    state_.armingNoticeShown = false;
    state_.tray.shownStep = -1;
    UpdateTrayTip();
}

// Only the login entry and the check mark change; an armed schedule stays as it is.
void MainWindow::ToggleDaily() {
    state_.daily = !state_.daily;
    dailyItem_.SetChecked(state_.daily);
    const platform::WriteResult entry = os_.SetAutostart(state_.daily);
    if (!entry.written) Tell(AutostartNotSetNotice(entry.reason), false);
}

void MainWindow::StartDaily() {
    if (!state_.daily) return;
    const platform::WriteResult entry = os_.SetAutostart(true);
    if (!entry.written) Tell(AutostartNotSetNotice(entry.reason), false);
    Arm();
}

void MainWindow::Tick() {
    const scheduler::TickResult result = schedule_.Tick(scheduler::ReadClock(os_));
    if (result.warn) {
        // Named in the warning when the system can tell at once, else in its place once it told.
        const platform::SessionEndRequest request = schedule_.Request();
        const auto known = os_.AskWhatStandsInTheWay(request);
        Tell(WarningNotice(request.action, state_.targetText, state_.snoozeMinutes, known.value_or(platform::Obstacles{})),
             true);
    }
    if (result.missed) TellMissed(result.clocksDisagreed);
    state_.resumedSinceTick = false;
    if (result.fire) return Fire(*result.fire);
    UpdateTrayTip();
}

void MainWindow::TellMissed(bool clocksDisagreed) {
    const MissedBecause why = state_.resumedSinceTick ? MissedBecause::Slept
                              : clocksDisagreed       ? MissedBecause::ClockChanged
                                                      : MissedBecause::Stalled;
    Tell(MissedNotice(schedule_.Request().action, state_.targetText, why), true);
    state_.missedToldWithoutSleepAtMs.reset();
    if (why != MissedBecause::Slept) state_.missedToldWithoutSleepAtMs = os_.MonotonicMilliseconds();
}

// The system's news of the wake-up may come just after the first tick that found the time missed:
// the notice then says the true cause.
void MainWindow::OnSystemResumed() {
    state_.resumedSinceTick = true;
    constexpr std::uint64_t kLateNewsMs = 5000;
    const auto toldAt = std::exchange(state_.missedToldWithoutSleepAtMs, std::nullopt);
    if (!toldAt || os_.MonotonicMilliseconds() - *toldAt > kLateNewsMs || !schedule_.Armed()) return;
    Tell(MissedNotice(schedule_.Request().action, state_.targetText, MissedBecause::Slept), true);
}

// Built only when what it says changes (once a minute, then once a second): a tick allocates nothing.
void MainWindow::UpdateTrayTip() {
    if (!state_.tray.iconPresent) return;
    if (!schedule_.Armed()) return ShowTrayTip(state_.tray.tip, -1);
    const int left = schedule_.MillisecondsLeft(scheduler::ReadClock(os_));
    const int step = ArmedTrayTipStep(left);
    if (step != state_.tray.shownStep) ShowTrayTip(ArmedTrayTip(schedule_.Request().action, state_.targetText, left), step);
}

void MainWindow::ShowTrayTip(const std::wstring& tip, int step) {
    if (tip != state_.tray.shownTip && !os_.SetTrayIconTip(forms_.Handle(), tip)) return;
    state_.tray.shownTip = tip;
    state_.tray.shownStep = step;
}

void MainWindow::Fire(platform::SessionEndRequest request) {
    if (state_.pendingRequest) {
        Disarm();
        return TellRefused(request.action, kStillWaiting);
    }
    state_.pendingRequest = request;
    const std::optional<platform::SessionEndResult> answer = os_.StartSessionEnd(request);
    Disarm();
    // Still running after a firing (a refusal, an end that is slow to come): the same time tomorrow.
    if (state_.daily) Arm();
    if (answer) OnSessionEndAnswered(*answer);
}

void MainWindow::OnSessionEndAnswered(const platform::SessionEndResult& result) {
    if (!state_.pendingRequest) return;
    const platform::SessionEndRequest request = *state_.pendingRequest;
    state_.pendingRequest.reset();
    if (!result.accepted) TellRefused(request.action, result.reason);
}

void MainWindow::OnSessionEndOutlook(platform::SessionEndRequest request, platform::SessionEndOutlook outlook) {
    if (!schedule_.Armed() || !(schedule_.Request() == request)) return;
    if (outlook == platform::SessionEndOutlook::Allowed) return;
    Tell(OutlookNotice(request.action, outlook), true);
}

// The warning again, in place of the first, naming what stands in the way.
void MainWindow::OnObstaclesKnown(platform::SessionEndRequest request, const platform::Obstacles& obstacles) {
    if (!schedule_.Armed() || !(schedule_.Request() == request) || !state_.armingNoticeShown || obstacles.Empty()) return;
    Tell(WarningNotice(request.action, state_.targetText, state_.snoozeMinutes, obstacles), true);
}

// --- Telling the user ---

bool MainWindow::Tell(const platform::Notification& notification, bool aboutTheArmedSchedule) {
    state_.lastNotice = notification;
    state_.armingNoticeShown = aboutTheArmedSchedule;
    if (os_.Notify(forms_.Handle(), notification)) return true;
    TellInWindow();
    return false;
}

// Never a modal box: the caption carries it until arming or disarming draws the state again.
void MainWindow::TellInWindow() {
    BringBackOfferingDisarm();
    forms_.SetCaption(CaptionTelling(schedule_.Armed() ? kCaptionArmed : kCaptionDisarmed, state_.lastNotice));
}

// A refusal must not pass for success: told at once, and the window comes back to show it.
void MainWindow::TellRefused(platform::PowerAction action, std::wstring_view reason) {
    Tell(RefusalNotice(action, reason), false);
    BringBackWindow();
}

void MainWindow::OnNotificationAnswered(platform::NotificationAnswer answer) {
    switch (answer) {
        case platform::NotificationAnswer::Disarm:
            if (schedule_.Armed()) Disarm();
            return;
        case platform::NotificationAnswer::Opened: return BringBackOfferingDisarm();
        case platform::NotificationAnswer::Snooze: return Snooze();
        case platform::NotificationAnswer::NotShown: return TellInWindow();
        // A warning that cannot be answered where it shows: the window offers what it cannot.
        case platform::NotificationAnswer::ShownWithoutDisarm:
            if (schedule_.Armed()) BringBackOfferingDisarm();
            return;
    }
}

void MainWindow::BringBackOfferingDisarm() {
    BringBackWindow();
    if (schedule_.Armed()) forms_.SetFocus(control::DisarmButton);
}

void MainWindow::OnWakeRequested() { BringBackWindow(); }

void MainWindow::BringBackWindow() {
    if (forms_.GetWindowState() == platform::WindowState::Minimized) forms_.SetWindowState(platform::WindowState::Normal);
    forms_.Show();
    os_.BringToFront(forms_.Handle());
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
    // still refuses (or went away), leave the window minimised on the taskbar instead.
    ForgetVanishedTrayIcon(os_, state_.tray);
    RestoreTrayIcon(os_, state_.tray, /*trayCameBack=*/false);
    forms_.SetWindowState(platform::WindowState::Minimized);
    if (!state_.tray.iconPresent) return;
    forms_.Hide();
    forms_.SetWindowState(platform::WindowState::Normal);
}

void MainWindow::OnUnload() { StoreSettingsOnTheWayOut(); }

// The session ends for real: what an orderly exit would store is stored now, since no unload
// follows. Agreeing to the end of the session is the runtime's answer, not ours.
void MainWindow::OnEndSession() { StoreSettingsOnTheWayOut(); }

void MainWindow::StoreSettingsOnTheWayOut() {
    if (const auto notice = StoreSettingsAndRemoveIcon()) os_.Notify(forms_.Handle(), *notice);
}

std::optional<platform::Notification> MainWindow::StoreSettingsAndRemoveIcon() {
    if (state_.settingsStored) return std::nullopt;
    state_.settingsStored = true;
    // A warning must not outlive the program, telling of an end that no longer comes.
    if (state_.armingNoticeShown) os_.WithdrawNotification(forms_.Handle());
    state_.armingNoticeShown = false;
    RemoveTrayIcon(os_, state_.tray);
    const std::wstring& file = state_.settingsFile;
    // The program ends all the same; the user learns that this run's choices were not kept.
    platform::WriteResult stored = settings::StoreWindowPosition(os_, file, forms_);
    const auto write = [&](const settings::IniKey& key, const std::wstring& value) {
        const platform::WriteResult result = settings::WriteValue(os_, file, key, value);
        if (stored.written) stored = result;
    };
    write(settings::kOptionsSelected, settings::IndexToText(actionList_.ListIndex()));
    write(settings::kExtraSelected, settings::IndexToText(forceModeList_.ListIndex()));
    write(settings::kShutdownHour, hourPicker_.Text());
    write(settings::kShutdownMinute, minutePicker_.Text());
    write(settings::kShutdownSecond, secondPicker_.Text());
    write(settings::kShutdownAmPm, amPmPicker_.Text());
    write(settings::kShutdownDaily, state_.daily ? L"1" : L"0");
    write(settings::kWarningSeconds, settings::IndexToText(state_.warningSeconds));
    write(settings::kWarningSnoozeMinutes, settings::IndexToText(state_.snoozeMinutes));
    if (stored.written) return std::nullopt;
    return SettingsNotStoredNotice(file, stored.reason);
}

// Settings that could not be stored, with nowhere else to say so: the window stays to say it, and
// the next exit ends the program.
void MainWindow::Exit() {
    state_.hideOnClose = false;
    const auto notice = StoreSettingsAndRemoveIcon();
    if (notice && !Tell(*notice, false)) return;
    forms_.Unload();
}

// --- The tray ---

// Restored as well: a window the window manager minimised and 隐藏 then hid comes back usable.
void MainWindow::OnTrayActivated() { BringBackWindow(); }

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
