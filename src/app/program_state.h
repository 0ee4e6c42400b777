// The program's one state object: every value that lives for the whole run. Each layer owns the
// type of its own piece; nothing else in the program is mutable and global.
#pragma once

#include "platform/os.h"
#include "scheduler/schedule_state.h"
#include "ui/frm_main.h"

namespace brellix::app {

struct ProgramState {
    platform::OsVersionInfo osvInfo;  // filled by IsWinNT on each call
    scheduler::ScheduleState schedule;
    ui::FrmMainState frmMain;  // strIniFile, nidTray, blnHideOnClose
};

}  // namespace brellix::app
