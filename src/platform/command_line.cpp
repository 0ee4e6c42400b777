#include "platform/command_line.h"

namespace brellix::platform {

namespace {
bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }
}  // namespace

std::wstring_view ArgumentTextOf(std::wstring_view commandLine) {
    std::size_t i = 0;
    if (!commandLine.empty() && commandLine[0] == L'"') {
        // The name ends at the next quote; no escapes inside the program name.
        const std::size_t close = commandLine.find(L'"', 1);
        i = close == std::wstring_view::npos ? commandLine.size() : close + 1;
    } else {
        while (i < commandLine.size() && !IsBlank(commandLine[i])) ++i;
    }
    while (i < commandLine.size() && IsBlank(commandLine[i])) ++i;
    return commandLine.substr(i);
}

bool NamesArgument(std::wstring_view argumentText, std::wstring_view argument) {
    std::size_t i = 0;
    while (i < argumentText.size()) {
        while (i < argumentText.size() && IsBlank(argumentText[i])) ++i;
        const std::size_t start = i;
        while (i < argumentText.size() && !IsBlank(argumentText[i])) ++i;
        std::wstring_view word = argumentText.substr(start, i - start);
        if (word.size() >= 2 && word.front() == L'"' && word.back() == L'"') word = word.substr(1, word.size() - 2);
        if (!word.empty() && word == argument) return true;
    }
    return false;
}

}  // namespace brellix::platform
