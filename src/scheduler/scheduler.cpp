#include "scheduler/scheduler.h"

#include <string>

#include "power/power_action.h"
#include "power/privileged_exit.h"

namespace brellix::scheduler {

namespace {

template <std::size_t N>
void AddItems(const platform::CheckList& list, const std::array<power::Choice, N>& choices) {
    for (const power::Choice& choice : choices) list.AddItem(choice.itemText);
}

}  // namespace

Scheduler::Scheduler(platform::Forms& forms, platform::Os& os, platform::OsVersionInfo& osvInfo,
                     ScheduleState& state, const ScheduleView& view)
    : forms_(forms),
      os_(os),
      osvInfo_(osvInfo),
      state_(state),
      v_(view),
      options_(forms, view.lstOptions, true),
      extra_(forms, view.lstExtra, false) {}

void Scheduler::FillPickersAndLists() {
    const auto fillNumbers = [this](const platform::ComboBox& picker, int first, int last) {
        for (int n = first; n <= last; ++n) {
            forms_.DoEvents();
            // Not std::to_wstring: it formats through the C library's wide printf, 36 KB of the exe.
            const std::string digits = std::to_string(n);
            picker.AddItem(std::wstring(digits.begin(), digits.end()));
        }
    };
    fillNumbers(v_.cboHour, 1, 12);
    fillNumbers(v_.cboMinute, 0, 59);
    fillNumbers(v_.cboSecond, 0, 59);
    AddItems(v_.lstOptions, power::kPowerActions);
    v_.cboAMPM.AddItem(L"AM");
    v_.cboAMPM.AddItem(L"PM");
    AddItems(v_.lstExtra, power::kForceModes);
}

void Scheduler::ComposeShutdownTime() {
    state_.strShutdownTime =
        v_.cboHour.Text() + L":" + v_.cboMinute.Text() + L":" + v_.cboSecond.Text() + L" " + v_.cboAMPM.Text();
    state_.targetSecondOfDay = SecondOfDayFromTargetText(state_.strShutdownTime).value_or(kNoTarget);
}

void Scheduler::ShowState(bool armed) {
    // The button that undoes this step is enabled first and takes the focus from the one being
    // disabled: left to itself the focus would pass on in tab order to the exit button, and the
    // next Enter would end the program and the schedule with it.
    const platform::Button& offered = armed ? v_.btnTurnOFF : v_.btnTurnON;
    const platform::Button& withdrawn = armed ? v_.btnTurnON : v_.btnTurnOFF;
    offered.SetEnabled(true);
    if (forms_.FocusedControl() == withdrawn.Id()) forms_.SetFocus(offered.Id());
    withdrawn.SetEnabled(false);
    v_.mnuPopupTurnON.SetEnabled(!armed);
    v_.mnuPopupTurnOFF.SetEnabled(armed);
    for (const platform::ComboBox* picker : {&v_.cboHour, &v_.cboMinute, &v_.cboSecond, &v_.cboAMPM}) {
        picker->SetEnabled(!armed);
    }
    v_.lstOptions.SetEnabled(!armed);
    v_.lstExtra.SetEnabled(!armed);
    forms_.SetCaption(armed ? v_.captionArmed : v_.captionDisarmed);
}

void Scheduler::Arm() {
    ShowState(true);
    ComposeShutdownTime();
    // A stall right after arming is caught up like any other; the arming second itself is not.
    state_.previousReading = ReadClock(os_);
    v_.tmrShutdown.SetEnabled(true);
}

void Scheduler::Disarm() {
    ShowState(false);
    state_.previousReading.reset();
    v_.tmrShutdown.SetEnabled(false);
}

void Scheduler::Tick() {
    const ClockReading now = ReadClock(os_);
    const bool reached = TargetReached(state_.targetSecondOfDay, now, state_.previousReading);
    state_.previousReading = now;
    if (!reached) return;

    const std::uint32_t flags = power::FlagsFromListIndices(v_.lstOptions.ListIndex(), v_.lstExtra.ListIndex());
    power::PerformPowerAction(os_, osvInfo_, flags);
    Disarm();
}

}  // namespace brellix::scheduler
