// The main window on the memory backends, with a fake clock that tests move and a log of property sets.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/memory/memory_forms.h"
#include "platform/memory/memory_os.h"
#include "scheduler/schedule.h"
#include "ui/main_window.h"
#include "ui/main_window_design.h"

namespace brellix::ui::test {

constexpr int MsOfDay(int hour, int minute, int second, int millisecond = 0) {
    return ((hour * 60 + minute) * 60 + second) * 1000 + millisecond;
}

class MainWindowTest : public ::testing::Test {
protected:
    platform::MemoryOs os;
    platform::MemoryForms forms;
    scheduler::Schedule schedule;
    MainWindowState frmState;
    MainWindow frm{forms, os, schedule, frmState};

    // Loads the window as the start-up does, then shows it so that a user can reach it.
    void LoadAndShow() {
        forms.Load(MainWindowSpec(), frm);
        forms.Show();
    }

    // The second of the day the composed target names.
    int TargetSecond() const {
        return scheduler::SecondOfDayFromTargetText(frmState.targetText).value_or(scheduler::kNoTarget);
    }

    // --- The clock ---
    void SetLocalTime(int msOfDay) {
        os.localTime = {msOfDay / 3'600'000, msOfDay / 60'000 % 60, msOfDay / 1000 % 60, msOfDay % 1000};
    }
    int LocalMsOfDay() const {
        const platform::LocalTimeOfDay& t = os.localTime;
        return MsOfDay(t.hour, t.minute, t.second, t.millisecond);
    }
    // All three clocks run on together, the local one wrapping at midnight.
    void Advance(int ms) {
        os.tickMilliseconds += static_cast<std::uint64_t>(ms);
        os.systemMilliseconds += ms;
        SetLocalTime((LocalMsOfDay() + ms) % (24 * 3'600'000));
    }

    // --- The user ---
    void ChooseTime(const wchar_t* hour, const wchar_t* minute, const wchar_t* second, const wchar_t* ampm) {
        for (const auto& [picker, text] : {std::pair{control::HourPicker, hour}, std::pair{control::MinutePicker, minute},
                                           std::pair{control::SecondPicker, second}, std::pair{control::AmPmPicker, ampm}}) {
            for (int i = 0; i < forms.ListCount(picker); ++i) {
                if (forms.List(picker, i) == text) forms.UserChoose(picker, i);
            }
        }
    }
    void Arm() { forms.UserClick(control::ArmButton); }

    std::vector<std::string> ExitRequests() const { return os.CallsNamed({"StartSessionEnd"}); }

    // When a tick asked for the end of the session: how long after the ticking began, and the
    // local time then.
    struct Firing {
        int afterMs;
        int localMs;
    };

    // Ticks every 333 ms for the given time; returns the first tick that asked for the end of the
    // session.
    std::optional<Firing> TickFor(int durationMs) {
        std::optional<Firing> firing;
        const std::size_t before = ExitRequests().size();
        for (int elapsed = 333; elapsed <= durationMs; elapsed += 333) {
            Advance(333);
            forms.TimerTick(control::ScheduleTimer);
            if (!firing && ExitRequests().size() > before) firing = Firing{elapsed, LocalMsOfDay()};
        }
        return firing;
    }

    // Which items of a list are checked, as a string such as "0100".
    std::string Checks(int list) const {
        std::string marks;
        for (int i = 0; i < forms.ListCount(list); ++i) marks += forms.Selected(list, i) ? '1' : '0';
        return marks;
    }
};

}  // namespace brellix::ui::test
