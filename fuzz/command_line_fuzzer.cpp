// libFuzzer target for the command-line path: any command line must give an argument text that is
// a suffix of it, and the request that a plain reference search finds too, from the keywords of that
// text alone. The whole opening of Main runs as well, so that what it asks of the system agrees.
//
// Input: the first byte picks how the rest becomes UTF-16 text: even, one unit per byte (so that
// keywords and blanks are easy to reach); odd, one unit per little-endian byte pair.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "app/main_entry.h"
#include "platform/command_line.h"
#include "platform/memory/memory_os.h"
#include "power/power_action.h"

namespace {

using brellix::platform::ForceMode;
using brellix::platform::PowerAction;
using brellix::platform::SessionEndRequest;
using Request = std::optional<SessionEndRequest>;

void Check(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "broken: %s\n", what);
    std::abort();
}

std::wstring CommandLineOf(const std::uint8_t* data, std::size_t size) {
    std::wstring text;
    if (size == 0) return text;
    const bool pairs = (data[0] & 1) != 0;
    ++data;
    --size;
    if (!pairs) {
        for (std::size_t i = 0; i < size; ++i) text += static_cast<wchar_t>(data[i]);
    } else {
        for (std::size_t i = 0; i + 1 < size; i += 2) text += static_cast<wchar_t>(data[i] | (data[i + 1] << 8));
    }
    return text;
}

// --- The reference: the rules written out again, the simplest way ---

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

// Where the arguments start: after the program's name (a quoted one ends at the next quote, an
// unquoted one at the first blank) and the blanks after it.
std::size_t ReferenceArgumentStart(const std::wstring& line) {
    std::size_t i = 0;
    if (i < line.size() && line[i] == L'"') {
        ++i;
        while (i < line.size() && line[i] != L'"') ++i;
        if (i < line.size()) ++i;  // the closing quote
    } else {
        while (i < line.size() && !IsBlank(line[i])) ++i;
    }
    while (i < line.size() && IsBlank(line[i])) ++i;
    return i;
}

// Exact, case-sensitive, anywhere: position by position.
bool ReferenceContains(std::wstring_view text, std::wstring_view word) {
    if (word.size() > text.size()) return false;
    for (std::size_t at = 0; at + word.size() <= text.size(); ++at) {
        std::size_t same = 0;
        while (same < word.size() && text[at + same] == word[same]) ++same;
        if (same == word.size()) return true;
    }
    return false;
}

Request ReferenceRequest(std::wstring_view arguments) {
    Request request;
    if (ReferenceContains(arguments, L"shutdown")) {
        request = SessionEndRequest{PowerAction::Shutdown};
    } else if (ReferenceContains(arguments, L"poweroff")) {
        request = SessionEndRequest{PowerAction::PowerOff};
    } else if (ReferenceContains(arguments, L"reboot")) {
        request = SessionEndRequest{PowerAction::Reboot};
    } else if (ReferenceContains(arguments, L"logoff")) {
        request = SessionEndRequest{PowerAction::LogOff};
    }
    if (!request) return request;
    if (ReferenceContains(arguments, L"forceifhung")) {
        request->force = ForceMode::ForceIfHung;
    } else if (ReferenceContains(arguments, L"force")) {
        request->force = ForceMode::Force;
    }
    return request;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::wstring commandLine = CommandLineOf(data, size);

    const std::wstring_view arguments = brellix::platform::ArgumentTextOf(commandLine);
    Check(arguments.size() <= commandLine.size(), "the argument text is no longer than the command line");
    Check(arguments.data() + arguments.size() == commandLine.data() + commandLine.size(),
          "the argument text is a suffix of the command line");
    Check(arguments.empty() || !IsBlank(arguments.front()), "the argument text starts after the blanks");
    Check(commandLine.size() - arguments.size() == ReferenceArgumentStart(commandLine),
          "the argument text starts where the reference says");

    const Request request = brellix::power::RequestFromKeywords(arguments);
    Check(request == ReferenceRequest(arguments), "the request is the reference's");

    // Main's opening on the memory backend: an action is requested once, as found, and nothing
    // else is started; without one the window is to be loaded.
    brellix::platform::MemoryOs os;
    os.commandLine = commandLine;
    const brellix::app::MainOutcome outcome = brellix::app::StartFromCommandLine(os).outcome;
    if (request) {
        Check(outcome == brellix::app::MainOutcome::PerformedAction, "an action ends the start");
        Check(os.sessionEnds.size() == 1 && os.sessionEnds[0] == *request, "the system is asked once, as found");
    } else {
        Check(outcome == brellix::app::MainOutcome::StartInteractive, "no action: the window opens");
        Check(os.sessionEnds.empty(), "no action: nothing is asked of the system");
    }
    Check(os.CallsNamed({"ReadSetting", "WriteSetting"}).empty(),
          "the command-line path never touches the settings file");
    return 0;
}
