#include "platform/command_line.h"

#include <gtest/gtest.h>

namespace brellix::platform {
namespace {

TEST(ArgumentTextOf, SkipsTheProgramNameAsWindowsParsesIt) {
    struct Case {
        const wchar_t* commandLine;
        const wchar_t* arguments;
    };
    const Case cases[] = {
        {L"", L""},
        {L"Brellix.exe", L""},
        {L"Brellix.exe shutdown", L"shutdown"},
        {L"Brellix.exe   \t shutdown  force ", L"shutdown  force "},
        {L"\"C:\\Program Files\\Brellix.exe\" reboot", L"reboot"},
        {L"\"C:\\Program Files\\Brellix.exe\"reboot", L"reboot"},
        {L"\"C:\\unterminated quote shutdown", L""},
        {L"C:\\dir\\Brellix.exe \"quoted \\\" text\"", L"\"quoted \\\" text\""},
        {L"Brellix.exe\tlogoff", L"logoff"},
        {L"\"\" poweroff", L"poweroff"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ArgumentTextOf(c.commandLine), std::wstring_view(c.arguments));
    }
}

TEST(ArgumentTextOf, HandlesAVeryLongCommandLine) {
    std::wstring commandLine = L"Brellix.exe " + std::wstring(32000, L'x') + L"shutdown";
    EXPECT_EQ(ArgumentTextOf(commandLine).size(), 32008u);
}

}  // namespace
}  // namespace brellix::platform
