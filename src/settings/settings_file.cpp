#include "settings/settings_file.h"

#include "settings/value_text.h"

namespace brellix::settings {

std::wstring SettingsFilePath(platform::Os& os) {
    const std::wstring executable = os.ExecutablePath();
    const std::size_t separator = executable.find_last_of(L"\\/");
    std::wstring directory = separator == std::wstring::npos ? std::wstring() : executable.substr(0, separator);
    // A drive root's directory text keeps its separator ("C:\"), as the application object gives it.
    if (!directory.empty() && directory.back() == L':') directory += executable[separator];
    // The path's own separator: "\\" on Windows, "/" on a host whose paths use that.
    const wchar_t separatorChar =
        separator != std::wstring::npos && executable[separator] == L'/' ? L'/' : L'\\';
    return os.SettingsDirectory(directory) + separatorChar + std::wstring(kAppTitle) + L".ini";
}

std::wstring ReadValue(platform::Os& os, std::wstring_view file, const IniKey& key) {
    return os.ReadSetting(file, key.section, key.key, key.defaultValue, kMaxValueLength);
}

platform::WriteResult WriteValue(platform::Os& os, std::wstring_view file, const IniKey& key,
                                 std::wstring_view value) {
    return os.WriteSetting(file, key.section, key.key, value);
}

platform::WriteResult StoreWindowPosition(platform::Os& os, std::wstring_view file, const platform::Forms& window) {
    if (window.GetWindowState() != platform::WindowState::Normal) return platform::WriteResult{true, {}};
    const platform::WriteResult left = WriteValue(os, file, kPositionLeft, PositionToText(window.Left()));
    const platform::WriteResult top = WriteValue(os, file, kPositionTop, PositionToText(window.Top()));
    return left.written ? top : left;
}

}  // namespace brellix::settings
