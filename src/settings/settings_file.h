// The settings file: where it lives, its keys with their defaults, and the one read and one write
// through which every value passes between the file and the window.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "platform/forms.h"
#include "platform/os.h"

namespace brellix::settings {

// The program's title, which names the settings file whatever the executable is called.
inline constexpr std::wstring_view kAppTitle = L"Brellix";

// A read keeps at most this many characters of a value: longer ones were never the program's.
inline constexpr std::size_t kMaxValueLength = 254;

struct IniKey {
    std::wstring_view section;
    std::wstring_view key;
    std::wstring_view defaultValue;
};

inline constexpr IniKey kOptionsSelected{L"Options", L"Selected", L"1"};
inline constexpr IniKey kExtraSelected{L"Extra", L"Selected", L"1"};
inline constexpr IniKey kShutdownHour{L"Shutdown", L"Hour", L"3"};
inline constexpr IniKey kShutdownMinute{L"Shutdown", L"Minute", L"15"};
inline constexpr IniKey kShutdownSecond{L"Shutdown", L"Second", L"45"};
inline constexpr IniKey kShutdownAmPm{L"Shutdown", L"AMPM", L"AM"};
inline constexpr IniKey kPositionLeft{L"Position", L"Left", L"0"};
inline constexpr IniKey kPositionTop{L"Position", L"Top", L"0"};
// How long before the armed second the user is warned; 0: never.
inline constexpr IniKey kWarningSeconds{L"Warning", L"Seconds", L"60"};
inline constexpr int kDefaultWarningSeconds = 60;
inline constexpr int kLongestWarningSeconds = 3600;
// How much later a snooze moves the target; 0: no snooze is offered.
inline constexpr IniKey kWarningSnoozeMinutes{L"Warning", L"SnoozeMinutes", L"10"};
inline constexpr int kDefaultSnoozeMinutes = 10;
inline constexpr int kLongestSnoozeMinutes = 120;
// 1: armed at every start, and started at login.
inline constexpr IniKey kShutdownDaily{L"Shutdown", L"Daily", L"0"};

// In the order a start reads them.
inline constexpr std::array<IniKey, 11> kIniKeys{kOptionsSelected, kExtraSelected,  kShutdownHour,
                                                 kShutdownMinute,  kShutdownSecond, kShutdownAmPm,
                                                 kShutdownDaily,   kWarningSeconds, kWarningSnoozeMinutes,
                                                 kPositionLeft,    kPositionTop};

// The settings file's path: the settings directory (the running executable's directory unless the
// platform keeps settings elsewhere), the executable path's separator, the title, ".ini". The
// separator is added even after a drive root ("C:\" gives "C:\\Brellix.ini"), which Windows reads
// as one.
std::wstring SettingsFilePath(platform::Os& os);

// The value of the key, or its default when the file, section or key is missing.
std::wstring ReadValue(platform::Os& os, std::wstring_view file, const IniKey& key);

// One write; when it fails the file keeps what it held.
platform::WriteResult WriteValue(platform::Os& os, std::wstring_view file, const IniKey& key,
                                 std::wstring_view value);

// Position/Left then Position/Top, only when the window is in the normal state: a minimised or
// maximised window's coordinates are not where the user left it.
platform::WriteResult StoreWindowPosition(platform::Os& os, std::wstring_view file, const platform::Forms& window);

}  // namespace brellix::settings
