// A private directory under the system's temporary directory for a Win32 test, removed with
// everything in it when the test ends.
#pragma once

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

namespace brellix::test {

class Win32ScratchDir {
public:
    Win32ScratchDir() {
        wchar_t temp[MAX_PATH + 1] = {};
        ::GetTempPathW(MAX_PATH + 1, temp);
        for (unsigned attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
            const std::filesystem::path candidate = std::filesystem::path(temp) /
                (L"brellix-test-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                 std::to_wstring(::GetTickCount64() + attempt));
            if (::CreateDirectoryW(candidate.c_str(), nullptr)) path_ = candidate;
        }
    }
    ~Win32ScratchDir() {
        std::error_code ec;
        for (auto it = std::filesystem::recursive_directory_iterator(path_, ec);
             !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
            ::SetFileAttributesW(it->path().c_str(), FILE_ATTRIBUTE_NORMAL);
        }
        std::filesystem::remove_all(path_, ec);
    }
    Win32ScratchDir(const Win32ScratchDir&) = delete;
    Win32ScratchDir& operator=(const Win32ScratchDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // Where the program would live: its settings file is beside it.
    std::wstring ExePath() const { return (path_ / L"Brellix.exe").wstring(); }
    std::filesystem::path IniPath() const { return path_ / L"Brellix.ini"; }

private:
    std::filesystem::path path_;
};

inline void PutFileBytes(const std::filesystem::path& file, const std::string& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::optional<std::string> FileBytesOf(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

}  // namespace brellix::test
