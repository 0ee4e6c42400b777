#include "app/linux_usage.h"

#include <array>
#include <string>
#include <string_view>

#include "build_config.h"
#include "platform/profile_file.h"
#include "power/power_action.h"

namespace brellix::app {
namespace {

// What each keyword does, in the vocabulary's order (which is also the order that wins).
constexpr std::array<std::string_view, power::kPowerActions.size()> kActionMeanings{
    "shut the system down",
    "shut down and switch the power off",
    "restart",
    "log off",
};
constexpr std::array<std::string_view, power::kForceModes.size()> kForceMeanings{
    "close applications without asking them",
    "close only applications that do not respond",
};

// The vocabulary's wide text (keywords, Chinese captions) as UTF-8 for the terminal.
std::string Utf8(std::wstring_view text) { return platform::profile::Utf8Of(text); }

template <class Choice, std::size_t N>
void WriteKeywords(std::ostream& out, const std::array<Choice, N>& choices,
                   const std::array<std::string_view, N>& meanings) {
    for (std::size_t i = 0; i < N; ++i) {
        const std::string keyword = Utf8(choices[i].keyword);
        out << "  " << keyword << std::string(13 - keyword.size(), ' ') << meanings[i] << " ("
            << Utf8(choices[i].itemText) << ")\n";
    }
}

void WriteUsage(std::ostream& out) {
    out << "Usage: brellix [ACTION] [FORCE]\n"
           "       brellix --help | -h\n"
           "       brellix --version | -V\n"
           "       brellix --autostart\n"
           "\n"
           "Ends the session at a chosen time of day. Without an action keyword the window\n"
           "opens: pick the time and the action, then press 运行(N).\n"
           "\n"
           "Action keywords, performed at once without a window (the first listed wins):\n";
    WriteKeywords(out, power::kPowerActions, kActionMeanings);
    out << "Force modes, added to an action:\n";
    WriteKeywords(out, power::kForceModes, kForceMeanings);
    out << "Keywords are matched case-sensitively anywhere in the arguments (/reboot and\n"
           "-poweroff:now work too); a force mode without an action does nothing. The\n"
           "power actions go to logind; log off asks the desktop's session manager first,\n"
           "except with force.\n"
           "\n"
           "Settings: Brellix.ini beside the program when that directory is writable or\n"
           "already holds the file, otherwise $XDG_CONFIG_HOME/Brellix/Brellix.ini\n"
           "(~/.config/Brellix/Brellix.ini); the installed /usr/bin/brellix always uses\n"
           "the latter. Read when the window opens, written when the program exits; an\n"
           "action keyword, --help and --version read and write no settings.\n"
           "\n"
           "--autostart (the login entry that the tray menu's 每天 adds): only the tray\n"
           "icon, no window unless no tray is there; with 每天 on, every start is armed\n"
           "at once for the saved time.\n"
           "\n"
           "One Brellix runs per session: a second start shows the running one's window\n"
           "and ends at once; given an action keyword it performs nothing.\n"
           "\n"
           "Exit status: 0 when the action was accepted (or the window was opened);\n"
           "1 when logind refused it, reported in one line on standard error starting\n"
           "\"brellix: \"; 2 when another Brellix was running, so the action was not\n"
           "performed (or, without one, the running Brellix had no window to show: it\n"
           "was performing an action); 3 when no display could be reached for the window.\n";
}

}  // namespace

std::optional<int> AnswerInformationRequest(int argc, const char* const* argv, std::ostream& out) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--help" || argument == "-h") {
            WriteUsage(out);
        } else if (argument == "--version" || argument == "-V") {
            out << "brellix " BRELLIX_VERSION_TEXT "\n";
        } else {
            continue;
        }
        out.flush();
        return out ? 0 : 1;
    }
    return std::nullopt;
}

}  // namespace brellix::app
