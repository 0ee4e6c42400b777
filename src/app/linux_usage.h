// The Linux program's answers on the terminal: --help and --version, before anything of the
// program starts.
#pragma once

#include <optional>
#include <ostream>

namespace brellix::app {

// When an argument is exactly --help, -h, --version or -V (the first such one decides), writes
// the usage or the version to out and gives the exit status; otherwise nothing, and the program
// starts as it would have. Only whole arguments count, since the action keywords are found
// anywhere in the text and "-help" or "--versions" must keep opening the window.
std::optional<int> AnswerInformationRequest(int argc, const char* const* argv, std::ostream& out);

}  // namespace brellix::app
