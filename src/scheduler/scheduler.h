// The schedule on frmMain: the time pickers and the target time, the tick, arming and disarming,
// and the two single-choice lists of power action and force mode.
#pragma once

#include <string_view>

#include "platform/forms.h"
#include "platform/os.h"
#include "scheduler/schedule_state.h"
#include "scheduler/single_choice_list.h"

namespace brellix::scheduler {

// What the schedule shows its state on: the window hands over its controls and captions.
struct ScheduleView {
    platform::Button btnTurnON;
    platform::Button btnTurnOFF;
    platform::MenuItem mnuPopupTurnON;
    platform::MenuItem mnuPopupTurnOFF;
    platform::ComboBox cboHour;
    platform::ComboBox cboMinute;
    platform::ComboBox cboSecond;
    platform::ComboBox cboAMPM;
    platform::CheckList lstOptions;  // power action
    platform::CheckList lstExtra;    // force mode
    platform::Timer tmrShutdown;
    std::wstring_view captionArmed;
    std::wstring_view captionDisarmed;
};

class Scheduler {
public:
    Scheduler(platform::Forms& forms, platform::Os& os, platform::OsVersionInfo& osvInfo, ScheduleState& state,
              const ScheduleView& view);

    // Fills the three numeric pickers (one pass of the message loop before each item), the power
    // action list, the AM/PM picker and the force mode list, in that order.
    void FillPickersAndLists();

    // Sets strShutdownTime from the four pickers' texts, and the target it names.
    void ComposeShutdownTime();

    // Locks the choices, composes the target and starts the timer, which is switched last.
    void Arm();
    // Unlocks the choices and stops the timer, last.
    void Disarm();
    bool Armed() const { return v_.tmrShutdown.Enabled(); }

    // One timer tick: on reaching the target, ends the session with the lists' current items
    // as action and force mode, then disarms.
    void Tick();

    SingleChoiceList& Options() { return options_; }
    SingleChoiceList& Extra() { return extra_; }

private:
    void ShowState(bool armed);

    platform::Forms& forms_;
    platform::Os& os_;
    platform::OsVersionInfo& osvInfo_;
    ScheduleState& state_;
    ScheduleView v_;
    SingleChoiceList options_;
    SingleChoiceList extra_;
};

}  // namespace brellix::scheduler
