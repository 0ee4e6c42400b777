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
    EXPECT_EQ(StartFromCommandLine(os), MainOutcome::AnotherInstanceRuns);
    EXPECT_EQ(os.calls, Calls{"AnotherInstanceRunning()"});
}

TEST(Main, AnActionKeywordIsPerformedAtOnceWithoutTheSettingsFile) {
    MemoryOs os;
    os.commandLine = L"\"C:\\Program Files\\Brellix\\Brellix.exe\" x/poweroff:forceifhung";
    EXPECT_EQ(StartFromCommandLine(os), MainOutcome::PerformedAction);
    EXPECT_EQ(os.calls, (Calls{"AnotherInstanceRunning()", "CommandLine()", "EndSession(PowerOff, ForceIfHung)"}))
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
        EXPECT_EQ(StartFromCommandLine(os), MainOutcome::StartInteractive) << platform::ToCallText(commandLine);
        EXPECT_TRUE(os.sessionEnds.empty());
    }
}

}  // namespace
}  // namespace brellix::app
