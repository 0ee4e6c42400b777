// The program's one state object: every value that lives for the whole run. Each layer owns the
// type of its own piece; nothing else in the program is mutable and global.
#pragma once

#include "scheduler/schedule.h"
#include "ui/main_window.h"

namespace brellix::app {

struct ProgramState {
    scheduler::Schedule schedule;
    ui::MainWindowState mainWindow;
};

}  // namespace brellix::app
