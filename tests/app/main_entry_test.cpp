#include "app/main_entry.h"

#include <gtest/gtest.h>

#include "platform/memory/memory_os.h"

namespace brellix::app {
namespace {

using platform::MemoryOs;

// What a start with another instance running, or with an action keyword, asks of the system and
// tells the script that started it. None of them touches the settings file.
TEST(Main, TheCommandLineAnswersWithItsExitStatus) {
    struct Case {
        const char* name;
        bool anotherInstance;
        const wchar_t* commandLine;
        bool accepted;
        MainOutcome outcome;
        int exitStatus;
        const char* requested;  // the end of the session asked for, if any
        int wakes;              // of the running instance
        std::vector<std::wstring> terminal;
    };
    const Case cases[] = {
        {"accepted", false, L"\"C:\\Program Files\\Brellix\\Brellix.exe\" x/poweroff:forceifhung", true,
         MainOutcome::PerformedAction, 0, "PowerOff, ForceIfHung", 0, {}},
        {"refused", false, L"Brellix.exe reboot", false, MainOutcome::PerformedAction, 1, "Reboot", 0, {}},
        {"another instance, an action: not performed", true, L"Brellix.exe shutdown force", true,
         MainOutcome::AnotherInstanceRuns, 2, "", 0, {L"already running; the action was not performed"}},
        {"another instance, no action: its window wanted", true, L"Brellix.exe", true,
         MainOutcome::AnotherInstanceRuns, 0, "", 1, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryOs os;
        os.anotherInstance = c.anotherInstance;
        os.commandLine = c.commandLine;
        os.sessionEndAnswer = {c.accepted, c.accepted ? L"" : L"refused"};
        const Start start = StartFromCommandLine(os);
        EXPECT_EQ(start.outcome, c.outcome);
        EXPECT_EQ(start.exitStatus, c.exitStatus);
        EXPECT_EQ(os.sessionEnds.empty() ? "" : platform::ToCallText(os.sessionEnds.back()), c.requested);
        EXPECT_LE(os.sessionEnds.size(), 1u);
        EXPECT_EQ(os.wakes, c.wakes);
        EXPECT_EQ(os.terminalLines, c.terminal);
    }
}

TEST(Main, WithoutAnActionKeywordTheWindowStartsAndNothingIsRequested) {
    const wchar_t* commandLines[] = {
        L"Brellix.exe",
        L"Brellix.exe ",
        L"\"C:\\Brellix\\Brellix.exe\"",
        L"Brellix.exe force",
        L"Brellix.exe forceifhung",
        L"Brellix.exe Shutdown Reboot",
        // The program's own name is not searched.
        L"C:\\shutdown\\Brellix.exe",
        L"\"C:\\reboot now\\Brellix.exe\" --help",
    };
    for (const wchar_t* commandLine : commandLines) {
        MemoryOs os;
        os.commandLine = commandLine;
        EXPECT_EQ(StartFromCommandLine(os).outcome, MainOutcome::StartInteractive) << platform::ToCallText(commandLine);
        EXPECT_TRUE(os.sessionEnds.empty());
    }
}

}  // namespace
}  // namespace brellix::app
