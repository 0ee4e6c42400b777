#include "platform/qt/linux_paths.h"

#include <gtest/gtest.h>

#include "platform/command_line.h"
#include "power/power_action.h"

namespace brellix::platform::qt {
namespace {

TEST(JoinCommandLine, GivesTheKeywordSearchTheArgumentsAsTyped) {
    struct Case {
        const char* what;
        std::vector<std::wstring> argv;
        std::wstring line;
        std::wstring arguments;
    };
    const Case cases[] = {
        {"no arguments", {L"/usr/bin/brellix"}, L"\"/usr/bin/brellix\"", L""},
        {"one keyword", {L"/usr/bin/brellix", L"poweroff"}, L"\"/usr/bin/brellix\" poweroff", L"poweroff"},
        {"a program path with blanks", {L"/opt/my tools/brellix", L"reboot", L"force"},
         L"\"/opt/my tools/brellix\" reboot force", L"reboot force"},
        {"an argument with blanks stays whole", {L"brellix", L"please shutdown now", L"x"},
         L"\"brellix\" please shutdown now x", L"please shutdown now x"},
        {"quotes in the program name cannot end it early", {L"/tmp/a\"b shutdown", L"logoff"},
         L"\"/tmp/ab shutdown\" logoff", L"logoff"},
        {"an empty first argument", {L"brellix", L"", L"reboot"}, L"\"brellix\"  reboot", L"reboot"},
        {"no program name at all", {}, L"\"brellix\"", L""},
        {"Chinese arguments", {L"brellix", L"关机"}, L"\"brellix\" 关机", L"关机"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::wstring line = JoinCommandLine(c.argv);
        EXPECT_EQ(line, c.line);
        EXPECT_EQ(ArgumentTextOf(line), c.arguments);
    }
}

TEST(JoinCommandLine, AProgramNamedAfterAKeywordPerformsNothing) {
    const std::wstring line = JoinCommandLine({L"/home/u/shutdown-tools/brellix"});
    EXPECT_FALSE(power::RequestFromKeywords(ArgumentTextOf(line)));
    const std::wstring forced = JoinCommandLine({L"/home/u/bin/brellix", L"--reboot", L"forceifhung"});
    const auto request = power::RequestFromKeywords(ArgumentTextOf(forced));
    ASSERT_TRUE(request);
    EXPECT_EQ(*request, (SessionEndRequest{PowerAction::Reboot, ForceMode::ForceIfHung}));
}

TEST(ChooseSettingsDirectory, BesideTheExecutableWhereItCanBeKeptElseTheUsersConfig) {
    struct Case {
        const char* what;
        SettingsPlace place;
        std::string expected;
    };
    const Case cases[] = {
        {"a writable program directory", {"/home/u/apps", true, false, "/home/u/cfg", "/home/u"}, "/home/u/apps"},
        {"a portable copy whose file exists", {"/media/stick", false, true, "/home/u/cfg", "/home/u"}, "/media/stick"},
        {"a packaged install", {"/usr/bin", false, false, "/home/u/cfg", "/home/u"}, "/home/u/cfg/Brellix"},
        {"a packaged install run by root", {"/usr/bin", true, false, "/root/cfg", "/root"}, "/root/cfg/Brellix"},
        {"under /opt, run by root", {"/opt/brellix", true, false, std::nullopt, "/root"}, "/root/.config/Brellix"},
        {"a file a system directory already holds", {"/usr/local/bin", true, true, "/root/cfg", "/root"},
         "/usr/local/bin"},
        {"a directory only named like one", {"/usrdata/apps", true, false, "/home/u/cfg", "/home/u"}, "/usrdata/apps"},
        {"XDG_CONFIG_HOME unset", {"/usr/bin", false, false, std::nullopt, "/home/u"}, "/home/u/.config/Brellix"},
        {"XDG_CONFIG_HOME empty", {"/usr/bin", false, false, "", "/home/u"}, "/home/u/.config/Brellix"},
        {"XDG_CONFIG_HOME relative is ignored", {"/usr/bin", false, false, "cfg", "/home/u"}, "/home/u/.config/Brellix"},
        {"nowhere at all", {"/usr/bin", false, false, std::nullopt, std::nullopt}, ""},
        {"no executable directory known", {"", true, false, "/home/u/cfg", "/home/u"}, "/home/u/cfg/Brellix"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(ChooseSettingsDirectory(c.place), c.expected);
    }
}

TEST(InstanceLockPath, OnePerUserSession) {
    EXPECT_EQ(InstanceLockPath("/run/user/1000", "3"), "/run/user/1000/brellix-session-3.lock");
    EXPECT_EQ(InstanceLockPath("/run/user/1000", std::nullopt), "/run/user/1000/brellix-session-default.lock");
    EXPECT_EQ(InstanceLockPath("/run/user/1000", "../../x"), "/run/user/1000/brellix-session-______x.lock");
    EXPECT_EQ(InstanceLockPath("/home/u/.cache/brellix", "c2", "pc/1"), "/home/u/.cache/brellix/brellix-pc_1-session-c2.lock");
    EXPECT_EQ(WakeSocketPath(InstanceLockPath("/run/user/1000", "3")), "/run/user/1000/brellix-session-3.wake");
}

}  // namespace
}  // namespace brellix::platform::qt
