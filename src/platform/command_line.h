// Reading the argument text out of the command line that Windows hands over.
#pragma once

#include <string_view>

namespace brellix::platform {

// Everything after the program's own name, as Windows' own parser skips it: a quoted name runs
// to the next quote, an unquoted one to the first blank or tab; the blanks that follow it are
// skipped. The rest is returned untouched.
std::wstring_view ArgumentTextOf(std::wstring_view commandLine);

// Whether one of the arguments (separated by blanks, a pair of quotes around one taken away) is
// exactly `argument`.
bool NamesArgument(std::wstring_view argumentText, std::wstring_view argument);

}  // namespace brellix::platform
