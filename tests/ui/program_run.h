// One interactive run of the whole program on the memory forms, with its executable (and so its
// settings file) in a given directory: what it shows of the saved choices, and a user who changes
// all of them and exits. The operating system is the memory one unless a test brings another.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "app/program_state.h"
#include "app/startup.h"
#include "platform/memory/memory_forms.h"
#include "platform/memory/memory_os.h"
#include "ui/main_window.h"
#include "ui/main_window_design.h"

namespace brellix::ui::test {

template <class OsType = platform::MemoryOs>
struct ProgramRun {
    OsType os;
    platform::MemoryForms forms;
    app::ProgramState state;
    std::unique_ptr<MainWindow> frm;

    explicit ProgramRun(const std::filesystem::path& exeDir) {
        os.executablePath = exeDir.wstring() + L"\\Brellix.exe";
        frm = std::make_unique<MainWindow>(forms, os, state.schedule, state.mainWindow);
        app::InteractiveStartUp(os, forms, state, *frm);
    }

    std::string Checks(int list) const {
        std::string marks;
        for (int i = 0; i < forms.ListCount(list); ++i) marks += forms.Selected(list, i) ? '1' : '0';
        return marks;
    }
    // The check marks of both lists, the target and the window's corner: "0100 01 3:15:45 AM 0,0".
    std::string Shown() const {
        return Checks(control::ActionList) + " " + Checks(control::ForceModeList) + " " + platform::ToCallText(state.mainWindow.targetText) +
               " " + std::to_string(static_cast<int>(forms.Left())) + "," +
               std::to_string(static_cast<int>(forms.Top()));
    }
    // A user changes every choice and moves the window, arms and disarms, then chooses Exit.
    // False when the window was not up to be used or did not go away.
    bool ChangeEverythingAndExit() {
        if (!forms.IsLoaded() || !forms.Visible()) return false;
        forms.UserClickItem(control::ActionList, 0);
        forms.UserClickItem(control::ForceModeList, 0);
        forms.UserChoose(control::HourPicker, 0);
        forms.UserChoose(control::MinutePicker, 1);
        forms.UserChoose(control::SecondPicker, 2);
        forms.UserChoose(control::AmPmPicker, 1);
        forms.SetLeft(300);
        forms.SetTop(450);
        forms.UserClick(control::ArmButton);
        forms.UserClick(control::DisarmButton);
        forms.UserClick(control::ExitButton);
        return !forms.IsLoaded() && os.trayIcons.empty();
    }
};

// A settings file as an earlier exit wrote it, and what a start shows of it and of no file.
inline constexpr char kSavedSettings[] =
    "[Position]\r\nLeft=1500\r\nTop=1200\r\n[Options]\r\nSelected=3\r\n[Extra]\r\nSelected=1\r\n"
    "[Shutdown]\r\nHour=11\r\nMinute=30\r\nSecond=0\r\nAMPM=PM\r\n";
inline constexpr char kSavedSettingsShown[] = "0001 01 11:30:0 PM 1500,1200";
inline constexpr char kDefaultsShown[] = "0100 01 3:15:45 AM 0,0";

}  // namespace brellix::ui::test
