// The settings file held open without sharing by another process, read and written through the
// system's own profile functions: the program starts with the defaults, runs on, and its exit
// neither fails nor changes a byte of the file; once the file is free again, the next start reads
// what it held.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/win32/win32_os.h"
#include "scratch_dir_win32.h"
#include "ui/program_run.h"
#include "win32_test_support.h"

namespace brellix::ui::test {
namespace {

constexpr wchar_t kHoldFileVariable[] = L"BRELLIX_TEST_HOLD_FILE";
constexpr wchar_t kHoldEventsVariable[] = L"BRELLIX_TEST_HOLD_EVENTS";

std::wstring Environment(const wchar_t* name) {
    wchar_t value[1024] = {};
    const DWORD length = ::GetEnvironmentVariableW(name, value, static_cast<DWORD>(std::size(value)));
    return length > 0 && length < std::size(value) ? value : L"";
}

// Started again with the variables set, this exe becomes the other process: before any test
// runs, it opens the file without sharing, says so, and holds it until it is told to let go.
[[maybe_unused]] const bool kHolderRan = [] {
    const std::wstring file = Environment(kHoldFileVariable);
    if (file.empty()) return false;
    const std::wstring events = Environment(kHoldEventsVariable);
    const HANDLE held = ::OpenEventW(EVENT_MODIFY_STATE, FALSE, (events + L".held").c_str());
    const HANDLE release = ::OpenEventW(SYNCHRONIZE, FALSE, (events + L".release").c_str());
    const HANDLE lock =
        ::CreateFileW(file.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (!held || !release || lock == INVALID_HANDLE_VALUE) ::ExitProcess(2);
    ::SetEvent(held);
    ::WaitForSingleObject(release, 60'000);
    ::ExitProcess(0);
}();

// Another process that holds the file open without sharing for as long as this object lives.
class FileHeldElsewhere {
public:
    explicit FileHeldElsewhere(const std::wstring& file) {
        const std::wstring events =
            L"Local\\brellix-test-hold-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
            std::to_wstring(::GetTickCount64());
        held_ = ::CreateEventW(nullptr, TRUE, FALSE, (events + L".held").c_str());
        release_ = ::CreateEventW(nullptr, TRUE, FALSE, (events + L".release").c_str());
        ::SetEnvironmentVariableW(kHoldFileVariable, file.c_str());
        ::SetEnvironmentVariableW(kHoldEventsVariable, events.c_str());
        std::wstring commandLine = L"\"" + brellix::test::ThisExePath() + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        if (::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                             &process)) {
            ::CloseHandle(process.hThread);
            process_ = process.hProcess;
        }
        ::SetEnvironmentVariableW(kHoldFileVariable, nullptr);
        ::SetEnvironmentVariableW(kHoldEventsVariable, nullptr);
        if (process_ && held_) {
            const HANDLE either[] = {held_, process_};
            isHeld_ = ::WaitForMultipleObjects(2, either, FALSE, 30'000) == WAIT_OBJECT_0;
        }
    }
    ~FileHeldElsewhere() { LetGo(); }
    FileHeldElsewhere(const FileHeldElsewhere&) = delete;
    FileHeldElsewhere& operator=(const FileHeldElsewhere&) = delete;

    bool Held() const { return isHeld_; }

    // Tells the other process to close the file and waits until it has ended.
    void LetGo() {
        if (release_) ::SetEvent(release_);
        if (process_) ::WaitForSingleObject(process_, 30'000);
        for (HANDLE* handle : {&process_, &held_, &release_}) {
            if (*handle) ::CloseHandle(*handle);
            *handle = nullptr;
        }
    }

private:
    HANDLE process_ = nullptr, held_ = nullptr, release_ = nullptr;
    bool isHeld_ = false;
};

// The memory system, but the settings file goes through the system's profile functions.
class SystemProfileOs : public platform::MemoryOs {
public:
    std::wstring ReadSetting(std::wstring_view file, std::wstring_view section, std::wstring_view key,
                             std::wstring_view defaultValue, std::size_t maxLength) override {
        return system_.ReadSetting(file, section, key, defaultValue, maxLength);
    }
    platform::WriteResult WriteSetting(std::wstring_view file, std::wstring_view section, std::wstring_view key,
                                       std::wstring_view value) override {
        const platform::WriteResult result = system_.WriteSetting(file, section, key, value);
        writesRefused += result.written ? 0 : 1;
        return result;
    }
    int writesRefused = 0;

private:
    platform::win32::Win32Os system_;
};

TEST(LockedSettings, TheProgramStartsWithTheDefaultsRunsOnAndLeavesTheFileAsItWas) {
    const brellix::test::Win32ScratchDir dir;
    ASSERT_FALSE(dir.path().empty());
    brellix::test::PutFileBytes(dir.IniPath(), kSavedSettings);
    {
        FileHeldElsewhere holder(dir.IniPath().wstring());
        ASSERT_TRUE(holder.Held());
        const HANDLE probe = ::CreateFileW(dir.IniPath().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                           nullptr, OPEN_EXISTING, 0, nullptr);
        EXPECT_EQ(probe, INVALID_HANDLE_VALUE) << "the other process holds the file";
        if (probe != INVALID_HANDLE_VALUE) ::CloseHandle(probe);

        ProgramRun<SystemProfileOs> run(dir.path());
        EXPECT_EQ(run.Shown(), kDefaultsShown) << "nothing could be read";
        EXPECT_TRUE(run.ChangeEverythingAndExit());
        EXPECT_EQ(run.os.writesRefused, 11) << "every write of the exit was refused, none half done";
        ASSERT_FALSE(run.os.notifications.empty());
        EXPECT_EQ(run.os.notifications.back().title, L"未能保存设置") << "the user is told, with the system's words";
        EXPECT_FALSE(run.os.notifications.back().body.empty());
    }
    EXPECT_EQ(brellix::test::FileBytesOf(dir.IniPath()), std::string(kSavedSettings));
    EXPECT_EQ(ProgramRun<SystemProfileOs>(dir.path()).Shown(), kSavedSettingsShown);
}

}  // namespace
}  // namespace brellix::ui::test
