// The main window: what each control, menu item and window event does, written once against the
// forms runtime; the schedule's state drawn on the controls.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/forms.h"
#include "platform/os.h"
#include "scheduler/schedule.h"
#include "settings/settings_file.h"
#include "ui/main_window_design.h"
#include "ui/single_choice_list.h"
#include "ui/tray_icon.h"

namespace brellix::ui {

// The pieces of the program's state that the window keeps.
struct MainWindowState {
    std::wstring settingsFile;  // set once at load, before the first read
    std::wstring targetText;    // the target as the pickers last composed it: "3:15:45 AM"
    TrayState tray;
    int warningSeconds = settings::kDefaultWarningSeconds;  // how long before the armed second the user is warned
    int snoozeMinutes = settings::kDefaultSnoozeMinutes;    // how much later a snooze moves the target; 0: none
    bool daily = false;          // armed at every start and again after each firing; started at login
    bool resumedSinceTick = false;  // the machine woke since the last tick
    // When a missed time was told for another cause: the news of a wake-up may come just after.
    std::optional<std::uint64_t> missedToldWithoutSleepAtMs;
    bool hideOnClose = false;     // while set, a close request only hides the window
    bool settingsStored = false;  // the exit's storing steps ran: they never run twice
    // The request the system has not answered yet: no second one goes out meanwhile.
    std::optional<platform::SessionEndRequest> pendingRequest;
    bool armingNoticeShown = false;  // a notification about the armed schedule, withdrawn on disarming
    platform::Notification lastNotice;  // what the user was last told, for the window to tell it again
};

class MainWindow : public platform::FormEvents {
    // First, so that the control views below can be built from it.
    platform::Forms& forms_;
    platform::Os& os_;
    scheduler::Schedule& schedule_;
    MainWindowState& state_;

public:
    MainWindow(platform::Forms& forms, platform::Os& os, scheduler::Schedule& schedule, MainWindowState& state);

    // --- What the forms runtime raises ---
    void OnLoad() override;
    void OnClick(int controlId) override;
    void OnItemCheck(int controlId, int item) override;
    void OnTimer(int controlId) override;
    bool OnCloseRequested(platform::CloseReason reason) override;
    void OnUnload() override;
    void OnTrayActivated() override;
    void OnTrayMenuRequested() override;
    void OnTrayCameBack() override;
    void OnEndSession() override;
    void OnSessionEndAnswered(const platform::SessionEndResult& result) override;
    void OnSessionEndOutlook(platform::SessionEndRequest request, platform::SessionEndOutlook outlook) override;
    void OnObstaclesKnown(platform::SessionEndRequest request, const platform::Obstacles& obstacles) override;
    void OnNotificationAnswered(platform::NotificationAnswer answer) override;
    void OnWakeRequested() override;
    void OnSystemResumed() override;

    // --- What a user can ask for, by whichever control ---
    // Locks the choices and starts the schedule for the target the pickers show.
    void Arm();
    // Unlocks the choices and stops the schedule.
    void Disarm();
    // Ends the program: the window is unloaded, the settings stored.
    void Exit();
    // Moves the armed target later by the snooze's minutes; the pickers show the new time.
    void Snooze();
    // Turns arming at every start (and starting at login) on or off.
    void ToggleDaily();
    // At start, with Daily on: the login entry refreshed (the executable may have moved) and the
    // schedule armed for the saved time.
    void StartDaily();

private:
    // Fills the three numeric pickers (one pass of the message loop before each item), the action
    // list, the AM/PM picker and the force-mode list, in that order.
    void FillPickersAndLists();
    // Reads the saved choices from the settings file and applies them to the lists and pickers.
    void ApplySavedChoices();
    void CheckSavedItem(const platform::CheckList& list, const settings::IniKey& key);
    void ChooseSavedText(const platform::ComboBox& picker, const settings::IniKey& key);
    int ReadWholeNumber(const settings::IniKey& key, int largest, int defaultValue);
    // The target text from the four pickers' texts.
    void ComposeTarget();
    void ShowTargetInPickers(int secondOfDay);
    // While armed: the action, the time and what is left; else the start-up caption.
    void UpdateTrayTip();
    void ShowTrayTip(const std::wstring& tip, int step);
    void TellMissed(bool clocksDisagreed);
    // Enables what the state allows, hands the focus on, and sets the caption.
    void DrawScheduleState(bool armed);
    void Tick();
    // Asks the system for the end of the session; no second request while one is unanswered.
    void Fire(platform::SessionEndRequest request);
    // False when only the window could tell it.
    bool Tell(const platform::Notification& notification, bool aboutTheArmedSchedule);
    void TellRefused(platform::PowerAction action, std::wstring_view reason);
    // Nothing else could show the last notice: the window comes back and says it in its caption.
    void TellInWindow();
    // Shown, restored and in front, wherever it was.
    void BringBackWindow();
    // The window in front; while armed, with the focus on the way to stop what is coming.
    void BringBackOfferingDisarm();
    // Takes an armed schedule's notice back, removes the icon and stores the position and the
    // choices, once. Returns what to tell when the settings could not be stored.
    std::optional<platform::Notification> StoreSettingsAndRemoveIcon();
    // At the end of the window: the notice goes wherever anything can show it.
    void StoreSettingsOnTheWayOut();
    void HideToTray();
    void PrepareTrayMenu();

    // --- The controls, typed ---
    const platform::Timer scheduleTimer_{forms_, control::ScheduleTimer};
    const platform::Button armButton_{forms_, control::ArmButton};
    const platform::Button disarmButton_{forms_, control::DisarmButton};
    const platform::ComboBox hourPicker_{forms_, control::HourPicker};
    const platform::ComboBox minutePicker_{forms_, control::MinutePicker};
    const platform::ComboBox secondPicker_{forms_, control::SecondPicker};
    const platform::ComboBox amPmPicker_{forms_, control::AmPmPicker};
    const platform::CheckList actionList_{forms_, control::ActionList};
    const platform::CheckList forceModeList_{forms_, control::ForceModeList};
    const platform::MenuItem hideItem_{forms_, control::HideItem};
    const platform::MenuItem showItem_{forms_, control::ShowItem};
    const platform::MenuItem armItem_{forms_, control::ArmItem};
    const platform::MenuItem disarmItem_{forms_, control::DisarmItem};
    const platform::MenuItem snoozeItem_{forms_, control::SnoozeItem};
    const platform::MenuItem dailyItem_{forms_, control::DailyItem};

    SingleChoiceList actionChoice_{forms_, actionList_, true};
    SingleChoiceList forceModeChoice_{forms_, forceModeList_, false};
};

}  // namespace brellix::ui
