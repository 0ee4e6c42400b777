// libFuzzer target for what a settings file turns into: any bytes as Brellix.ini, then the
// program's interactive start on the memory backends. Whatever the file holds, the window must
// come up in a state a user could have left it in; an exit and a second start must then show the
// same state again.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "app/program_state.h"
#include "app/startup.h"
#include "platform/memory/memory_forms.h"
#include "platform/memory/memory_os.h"
#include "platform/profile_file.h"
#include "scheduler/target_time.h"
#include "settings/scratch_dir.h"
#include "ui/main_window_design.h"

namespace {

using namespace brellix;

void Check(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "broken: %s\n", what);
    std::abort();
}

// One directory for the whole fuzzing process, removed at its exit.
const std::filesystem::path& ScratchDir() {
    static const test::ScratchDir dir;
    Check(!dir.path().empty(), "a scratch directory");
    return dir.path();
}

// One run of the program, its settings file in the scratch directory.
struct ProgramRun {
    platform::MemoryOs os;
    platform::MemoryForms forms;
    app::ProgramState state;
    std::unique_ptr<ui::MainWindow> frm;

    ProgramRun() {
        os.executablePath = ScratchDir().wstring() + L"\\Brellix.exe";
        frm = std::make_unique<ui::MainWindow>(forms, os, state.schedule, state.mainWindow);
        app::InteractiveStartUp(os, forms, state, *frm);
    }
};

// What a user sees of the choices and where the window is.
struct Shown {
    std::wstring options, extra;  // check marks, "0100"
    std::wstring hour, minute, second, ampm;
    std::wstring target;
    float left = 0, top = 0;

    bool operator==(const Shown&) const = default;
};

std::wstring Checks(const platform::Forms& forms, int list) {
    std::wstring marks;
    for (int i = 0; i < forms.ListCount(list); ++i) marks += forms.Selected(list, i) ? L'1' : L'0';
    return marks;
}

void CheckSingleChoice(const platform::Forms& forms, int list, int itemCount) {
    Check(forms.ListCount(list) == itemCount, "a list holds its items");
    int checked = 0, which = -1;
    for (int i = 0; i < forms.ListCount(list); ++i) {
        if (forms.Selected(list, i)) {
            ++checked;
            which = i;
        }
    }
    Check(checked == 1, "a list has exactly one checked item");
    Check(forms.ListIndex(list) == which, "the checked item is the current one");
}

void CheckPicker(const platform::Forms& forms, int picker) {
    const int index = forms.ListIndex(picker);
    Check(index >= 0 && index < forms.ListCount(picker), "a picker shows one of its items");
    Check(forms.Text(picker) == forms.List(picker, index), "a picker's text is its chosen item");
}

Shown CheckAndRead(ProgramRun& run) {
    const platform::Forms& forms = run.forms;
    Check(forms.IsLoaded() && forms.Visible(), "the window is up");
    CheckSingleChoice(forms, ui::control::ActionList, 4);
    CheckSingleChoice(forms, ui::control::ForceModeList, 2);
    for (int picker : {ui::control::HourPicker, ui::control::MinutePicker, ui::control::SecondPicker, ui::control::AmPmPicker}) {
        CheckPicker(forms, picker);
    }
    const std::wstring& target = run.state.mainWindow.targetText;
    Check(target == forms.Text(ui::control::HourPicker) + L":" + forms.Text(ui::control::MinutePicker) + L":" +
                        forms.Text(ui::control::SecondPicker) + L" " + forms.Text(ui::control::AmPmPicker),
          "the target text is composed from the pickers");
    Check(scheduler::SecondOfDayFromTargetText(target).has_value(), "the target text parses as a time");
    Check(std::isfinite(forms.Left()) && std::isfinite(forms.Top()), "the window's position is finite");
    Check(run.os.RectOnAnyMonitor(forms.WindowRect()), "some monitor shows the window");
    Check(!forms.Enabled(ui::control::ScheduleTimer), "a start is disarmed");
    return Shown{Checks(forms, ui::control::ActionList), Checks(forms, ui::control::ForceModeList),
                 forms.Text(ui::control::HourPicker),       forms.Text(ui::control::MinutePicker),
                 forms.Text(ui::control::SecondPicker),     forms.Text(ui::control::AmPmPicker),
                 target,                               forms.Left(),
                 forms.Top()};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::filesystem::path ini = ScratchDir() / "Brellix.ini";
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    test::PutFile(ini, std::string(bytes));

    Shown first;
    {
        ProgramRun run;
        first = CheckAndRead(run);
        run.forms.UserClick(ui::control::ExitButton);
        Check(!run.forms.IsLoaded(), "Exit unloads the window");
        Check(run.os.trayIcons.empty(), "Exit removes the icon");
    }

    // Dropped blank lines can bring an encoding signature to the front of the rewritten file,
    // which then reads as another file, for Windows as well.
    const std::string stored = test::FileBytes(ini).value_or("");
    using platform::profile::Parse;
    if (Parse(stored).encoding != Parse(bytes).encoding) return 0;

    ProgramRun second;
    Check(CheckAndRead(second) == first, "a second start shows what the first one left");
    return 0;
}
