// The settings file: where it lives, its keys with their defaults, and the one read and one write
// through which every value passes between the file and the window.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "platform/forms.h"
#include "platform/os.h"

namespace brellix::settings {

// The program's title, which names the settings file whatever the executable is called.
inline constexpr std::wstring_view kAppTitle = L"Brellix";

// Every value a read copies is cut to 254 characters by this buffer.
inline constexpr std::uint32_t kReadBufferSize = 255;

struct SettingsState {
    std::wstring strIniFile;  // set once at load, before the first read
};

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

// In the order a start reads them.
inline constexpr std::array<IniKey, 8> kIniKeys{kOptionsSelected, kExtraSelected, kShutdownHour, kShutdownMinute,
                                                kShutdownSecond,  kShutdownAmPm,  kPositionLeft, kPositionTop};

// strIniFile: the settings directory (the running executable's directory unless the platform
// keeps settings elsewhere), the module path's separator, the title, ".ini". The separator is added
// even after a drive root ("C:\" gives "C:\\Brellix.ini"), which Windows reads as one.
std::wstring IniFilePath(platform::Os& os);

// The value of the key, or the default when the file, section or key is missing: the text up to
// the first NUL of a 255-character buffer. The count the system returns is not used.
std::wstring ReadIniString(platform::Os& os, std::wstring_view section, std::wstring_view key,
                           std::wstring_view defaultValue, std::wstring_view file);
std::wstring ReadIniString(platform::Os& os, const IniKey& key, std::wstring_view file);

// One write; a failure is not reported: the file keeps what it held.
void WriteIniString(platform::Os& os, std::wstring_view section, std::wstring_view key, std::wstring_view value,
                    std::wstring_view file);
void WriteIniString(platform::Os& os, const IniKey& key, std::wstring_view value, std::wstring_view file);

// Position/Left then Position/Top, only when the window is in the normal state: a minimised or
// maximised window's coordinates are not where the user left it.
void SaveFormPosition(platform::Os& os, const platform::Forms& form, std::wstring_view file);

}  // namespace brellix::settings
