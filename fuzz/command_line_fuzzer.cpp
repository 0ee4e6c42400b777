// libFuzzer target for the command-line path: any command line must give an argument text that is
// a suffix of it, and flags that a plain reference search finds too, from the keywords of that
// text alone. The whole opening of Main runs as well, so that what it asks of the system agrees.
//
// Input: the first byte picks how the rest becomes UTF-16 text: even, one unit per byte (so that
// keywords and blanks are easy to reach); odd, one unit per little-endian byte pair.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "app/main_entry.h"
#include "platform/command_line.h"
#include "platform/memory/memory_os.h"
#include "power/power_action.h"

namespace {

using brellix::power::KeywordRequest;

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

KeywordRequest ReferenceFlags(std::wstring_view arguments) {
    KeywordRequest request;
    if (ReferenceContains(arguments, L"shutdown")) {
        request = {true, 0x01};
    } else if (ReferenceContains(arguments, L"poweroff")) {
        request = {true, 0x08};
    } else if (ReferenceContains(arguments, L"reboot")) {
        request = {true, 0x02};
    } else if (ReferenceContains(arguments, L"logoff")) {
        request = {true, 0x00};
    }
    if (ReferenceContains(arguments, L"forceifhung")) {
        request.flags |= 0x10;
    } else if (ReferenceContains(arguments, L"force")) {
        request.flags |= 0x04;
    }
    return request;
}

bool OneOfTheTwelve(std::uint32_t flags) {
    for (std::uint32_t action : {0x00u, 0x01u, 0x02u, 0x08u}) {
        for (std::uint32_t force : {0x00u, 0x04u, 0x10u}) {
            if (flags == (action | force)) return true;
        }
    }
    return false;
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

    const KeywordRequest request = brellix::power::FlagsFromKeywords(arguments);
    const KeywordRequest expected = ReferenceFlags(arguments);
    Check(request.actionFound == expected.actionFound, "an action is found iff a keyword is in the text");
    Check(request.flags == expected.flags, "the flags are the reference's");
    Check((request.flags & 0x14) != 0x14, "never both force bits");
    if (request.actionFound) {
        Check(OneOfTheTwelve(request.flags), "an action's flags are one of the twelve values");
    } else {
        Check(request.flags == 0 || request.flags == 0x04 || request.flags == 0x10,
              "without an action, at most a lone force bit");
    }

    // Main's opening on the memory backend: an action is requested once, with these flags, and
    // nothing else is started; without one the window is to be loaded.
    brellix::platform::MemoryOs os;
    os.commandLine = commandLine;
    brellix::app::ProgramState state;
    const brellix::app::MainOutcome outcome = brellix::app::StartFromCommandLine(os, state);
    const auto exits = os.CallsNamed({"ExitWindowsEx"});
    if (request.actionFound) {
        Check(outcome == brellix::app::MainOutcome::PerformedAction, "an action ends the start");
        char call[64];
        std::snprintf(call, sizeof call, "ExitWindowsEx(0x%x, 0)", static_cast<unsigned>(request.flags));
        Check(exits.size() == 1 && exits[0] == call, "the system is asked once, with the flags");
        Check(os.CallsNamed({"EnableShutdownPrivilege"}).size() == 1, "the privilege is asked for once");
    } else {
        Check(outcome == brellix::app::MainOutcome::StartInteractive, "no action: the window opens");
        Check(exits.empty(), "no action: nothing is asked of the system");
    }
    Check(os.CallsNamed({"GetPrivateProfileStringW", "WritePrivateProfileStringW"}).empty(),
          "the command-line path never touches the settings file");
    return 0;
}
