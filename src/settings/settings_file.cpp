#include "settings/settings_file.h"

#include <algorithm>

#include "settings/value_text.h"

namespace brellix::settings {

std::wstring IniFilePath(platform::Os& os) {
    const std::wstring module = os.GetModuleFileNameW();
    const std::size_t separator = module.find_last_of(L"\\/");
    std::wstring directory = separator == std::wstring::npos ? std::wstring() : module.substr(0, separator);
    // A drive root's directory text keeps its separator ("C:\"), as the application object gives it.
    if (!directory.empty() && directory.back() == L':') directory += module[separator];
    // The module's own separator: "\\" on Windows, "/" on a host whose paths use that.
    const wchar_t separatorChar = separator != std::wstring::npos && module[separator] == L'/' ? L'/' : L'\\';
    return os.SettingsDirectory(directory) + separatorChar + std::wstring(kAppTitle) + L".ini";
}

std::wstring ReadIniString(platform::Os& os, std::wstring_view section, std::wstring_view key,
                           std::wstring_view defaultValue, std::wstring_view file) {
    std::wstring buffer(kReadBufferSize, L'\0');
    os.GetPrivateProfileStringW(section, key, defaultValue, buffer.data(), kReadBufferSize, file);
    buffer.resize(std::find(buffer.begin(), buffer.end(), L'\0') - buffer.begin());
    return buffer;
}

std::wstring ReadIniString(platform::Os& os, const IniKey& key, std::wstring_view file) {
    return ReadIniString(os, key.section, key.key, key.defaultValue, file);
}

void WriteIniString(platform::Os& os, std::wstring_view section, std::wstring_view key, std::wstring_view value,
                    std::wstring_view file) {
    os.WritePrivateProfileStringW(section, key, value, file);
}

void WriteIniString(platform::Os& os, const IniKey& key, std::wstring_view value, std::wstring_view file) {
    WriteIniString(os, key.section, key.key, value, file);
}

void SaveFormPosition(platform::Os& os, const platform::Forms& form, std::wstring_view file) {
    if (form.GetWindowState() != platform::WindowState::Normal) return;
    WriteIniString(os, kPositionLeft, PositionToText(form.Left()), file);
    WriteIniString(os, kPositionTop, PositionToText(form.Top()), file);
}

}  // namespace brellix::settings
