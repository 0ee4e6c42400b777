#include "app/main_entry.h"

#include <gtest/gtest.h>

#include "platform/memory/memory_os.h"

namespace brellix::app {
namespace {

using platform::MemoryOs;
using Calls = std::vector<std::string>;

TEST(Main, ASecondInstanceEndsBeforeLookingAtTheCommandLine) {
    MemoryOs os;
    os.anotherInstance = true;
    os.commandLine = L"Brellix.exe shutdown force";
    ProgramState state;
    EXPECT_EQ(StartFromCommandLine(os, state), MainOutcome::AnotherInstanceRuns);
    EXPECT_EQ(os.calls, Calls{"AnotherInstanceRunning()"});
}

TEST(Main, AnActionKeywordIsPerformedAtOnceAfterTheCommonControls) {
    MemoryOs os;
    os.commandLine = L"\"C:\\Program Files\\Brellix\\Brellix.exe\" x/poweroff:forceifhung";
    ProgramState state;
    EXPECT_EQ(StartFromCommandLine(os, state), MainOutcome::PerformedAction);
    ASSERT_GE(os.calls.size(), 4u);
    EXPECT_EQ(os.calls[0], "AnotherInstanceRunning()");
    EXPECT_EQ(os.calls[1], "InitCommonControls()");
    EXPECT_EQ(os.calls[2], "GetCommandLineW()");
    EXPECT_EQ(os.calls.back(), "ExitWindowsEx(0x18, 0)");
    EXPECT_EQ(os.CallsNamed({"GetPrivateProfileStringW", "WritePrivateProfileStringW"}), Calls{})
        << "a command-line action never touches the settings file";
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
        ProgramState state;
        EXPECT_EQ(StartFromCommandLine(os, state), MainOutcome::StartInteractive) << platform::ToCallText(commandLine);
        EXPECT_EQ(os.CallsNamed({"ExitWindowsEx", "EnableShutdownPrivilege"}), Calls{});
        // The window's controls rely on this one initialisation: the forms runtime makes none.
        EXPECT_EQ(os.CallsNamed({"InitCommonControls"}), Calls{"InitCommonControls()"});
    }
}

}  // namespace
}  // namespace brellix::app
