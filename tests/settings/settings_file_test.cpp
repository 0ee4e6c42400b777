#include "settings/settings_file.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/memory/memory_forms.h"
#include "platform/memory/memory_os.h"
#include "settings/scratch_dir.h"
#include "settings/value_text.h"

namespace brellix::settings {
namespace {

using platform::MemoryForms;
using platform::MemoryOs;
using platform::WindowState;
using test::FileBytes;
using test::PutFile;
using test::ScratchDir;
using namespace std::string_literals;

std::wstring Wide(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }
std::string Utf8Of(const std::wstring& ascii) { return std::string(ascii.begin(), ascii.end()); }

TEST(SettingsFilePath, IsTheExecutablesDirectoryAndTheTitle) {
    const std::wstring longDirectory = L"C:\\" + std::wstring(150, L'a') + L"\\" + std::wstring(150, L'b');
    struct Case {
        std::wstring module;
        std::wstring expected;
    };
    const Case cases[] = {
        {L"C:\\Program Files\\Brellix\\Brellix.exe", L"C:\\Program Files\\Brellix\\Brellix.ini"},
        {L"C:\\Tools\\renamed-shutdown.EXE", L"C:\\Tools\\Brellix.ini"},
        {L"C:\\Tools\\Brellix", L"C:\\Tools\\Brellix.ini"},
        // A drive root's directory keeps its separator, and one more is added.
        {L"C:\\Brellix.exe", L"C:\\\\Brellix.ini"},
        {L"d:\\x.exe", L"d:\\\\Brellix.ini"},
        {longDirectory + L"\\Brellix.exe", longDirectory + L"\\Brellix.ini"},
        {L"D:\\\x5DE5\x5177\\\x5173\x673A.exe", L"D:\\\x5DE5\x5177\\Brellix.ini"},
        {L"\\\\server\\share\\Brellix.exe", L"\\\\server\\share\\Brellix.ini"},
    };
    for (const Case& c : cases) {
        MemoryOs os;
        os.executablePath = c.module;
        EXPECT_EQ(SettingsFilePath(os), c.expected);
    }
    EXPECT_GT(cases[5].expected.size(), 260u) << "the long case must pass MAX_PATH";
}

TEST(SettingsFilePath, FollowsTheDirectoryThePlatformKeepsSettingsIn) {
    struct Case {
        const char* what;
        std::wstring module;
        std::wstring settingsDirectory;  // empty: beside the executable
        std::wstring expectedAsked;      // the executable's directory handed to the platform
        std::wstring expected;
    };
    const Case cases[] = {
        {"a Linux executable keeps its own separator", L"/opt/brellix/brellix", L"", L"/opt/brellix",
         L"/opt/brellix/Brellix.ini"},
        {"a packaged install keeps its settings elsewhere", L"/usr/bin/brellix", L"/home/u/.config/Brellix",
         L"/usr/bin", L"/home/u/.config/Brellix/Brellix.ini"},
        {"Windows: asked with the drive root's separator", L"C:\\Brellix.exe", L"", L"C:\\",
         L"C:\\\\Brellix.ini"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MemoryOs os;
        os.executablePath = c.module;
        os.settingsDirectory = c.settingsDirectory;
        EXPECT_EQ(SettingsFilePath(os), c.expected);
        EXPECT_EQ(os.CallsNamed({"SettingsDirectory"}),
                  std::vector<std::string>{"SettingsDirectory(" + platform::ToCallText(c.expectedAsked) + ")"});
    }
}

class SettingsFile : public ::testing::Test {
protected:
    ScratchDir dir_;
    std::wstring file_ = Wide((dir_ / "Brellix.ini").string());
    MemoryOs os_;

    std::optional<std::string> Bytes() const { return FileBytes(dir_ / "Brellix.ini"); }
    void Put(const std::string& bytes) const { PutFile(dir_ / "Brellix.ini", bytes); }
};

TEST_F(SettingsFile, AFirstStartReadsEveryDefault) {
    for (const IniKey& key : kIniKeys) {
        EXPECT_EQ(ReadValue(os_, file_, key), key.defaultValue) << platform::ToCallText(key.key);
    }
    EXPECT_FALSE(Bytes()) << "reading creates no file";
}

TEST_F(SettingsFile, AReadGivesWhatIsStoredCutTo254Characters) {
    Put("[Options]\r\nSelected=\r\n[Shutdown]\r\nHour=" + std::string(300, '7') + "\r\nMinute= 05 \r\nSecond=4\0" "5\r\n"s);
    EXPECT_EQ(ReadValue(os_, file_, kOptionsSelected), L"") << "an empty value is not the default";
    EXPECT_EQ(ReadValue(os_, file_, kShutdownHour), std::wstring(254, L'7'));
    EXPECT_EQ(ReadValue(os_, file_, kShutdownMinute), L"05");
    EXPECT_EQ(ReadValue(os_, file_, kShutdownSecond), L"4") << "the text ends at the first NUL";
    EXPECT_EQ(ReadValue(os_, file_, kShutdownAmPm), L"AM");
    EXPECT_EQ(ReadValue(os_, file_, kExtraSelected), L"1");
}

// What the window's unload stores, in its order: the position, then the six choices.
void StoreAtExit(MemoryOs& os, const MemoryForms& form, const std::wstring& file) {
    StoreWindowPosition(os, file, form);
    WriteValue(os, file, kOptionsSelected, IndexToText(1));
    WriteValue(os, file, kExtraSelected, IndexToText(-1));
    WriteValue(os, file, kShutdownHour, L"11");
    WriteValue(os, file, kShutdownMinute, L"30");
    WriteValue(os, file, kShutdownSecond, L"0");
    WriteValue(os, file, kShutdownAmPm, L"PM");
}

TEST_F(SettingsFile, AFirstExitWritesTheSectionsInTheOrderPositionOptionsExtraShutdown) {
    MemoryForms form;
    form.SetLeft(1234.0f);
    form.SetTop(-15.0f);
    StoreAtExit(os_, form, file_);
    EXPECT_EQ(Bytes(),
              "[Position]\r\nLeft=1234\r\nTop=-15\r\n"
              "[Options]\r\nSelected=1\r\n"
              "[Extra]\r\nSelected=-1\r\n"
              "[Shutdown]\r\nHour=11\r\nMinute=30\r\nSecond=0\r\nAMPM=PM\r\n");
    // And the next start reads back what the window had.
    EXPECT_EQ(PositionFromText(ReadValue(os_, file_, kPositionLeft)), 1234.0f);
    EXPECT_EQ(PositionFromText(ReadValue(os_, file_, kPositionTop)), -15.0f);
    EXPECT_EQ(ListIndexFromText(ReadValue(os_, file_, kExtraSelected), 2, kExtraSelected.defaultValue), 1)
        << "a list without a current item falls back to the default item";
}

TEST_F(SettingsFile, AMinimisedOrMaximisedWindowStoresNoPosition) {
    for (const WindowState state : {WindowState::Minimized, WindowState::Maximized}) {
        MemoryOs os;
        MemoryForms form;
        form.SetLeft(-32000.0f);
        form.SetTop(-32000.0f);
        form.SetWindowState(state);
        StoreWindowPosition(os, file_, form);
        EXPECT_TRUE(os.CallsNamed({"WriteSetting"}).empty());
        EXPECT_FALSE(Bytes());
    }
}

TEST_F(SettingsFile, APositionWrittenLaterGoesLastAndOthersKeepTheirPlace) {
    MemoryForms form;
    form.SetWindowState(WindowState::Minimized);
    StoreAtExit(os_, form, file_);
    form.SetWindowState(WindowState::Normal);
    form.SetLeft(12.5f);
    form.SetTop(0.0f);
    StoreAtExit(os_, form, file_);
    EXPECT_EQ(Bytes(),
              "[Options]\r\nSelected=1\r\n[Extra]\r\nSelected=-1\r\n"
              "[Shutdown]\r\nHour=11\r\nMinute=30\r\nSecond=0\r\nAMPM=PM\r\n"
              "[Position]\r\nLeft=12.5\r\nTop=0\r\n");
    const std::vector<std::string> writes = os_.CallsNamed({"WriteSetting"});
    ASSERT_EQ(writes.size(), 14u);
    EXPECT_EQ(writes[6], "WriteSetting(" + platform::ToCallText(file_) + ", Position, Left, 12.5)");
    EXPECT_EQ(writes[7], "WriteSetting(" + platform::ToCallText(file_) + ", Position, Top, 0)");
}

TEST_F(SettingsFile, AWriteKeepsWhatElseTheFileHolds) {
    Put("; notes\r\n[Shutdown]\r\nHour=5\r\nColour=blue\r\n[Mine]\r\nx=1\r\n");
    WriteValue(os_, file_, kShutdownHour, L"6");
    WriteValue(os_, file_, kShutdownAmPm, L"AM");
    EXPECT_EQ(Bytes(), "; notes\r\n[Shutdown]\r\nHour=6\r\nColour=blue\r\nAMPM=AM\r\n[Mine]\r\nx=1\r\n");
}

TEST_F(SettingsFile, TheFileBuiltByThePathRuleLiesBesideTheExecutable) {
    os_.executablePath = Wide((dir_ / "renamed.exe").string());
    const std::wstring settingsFile = SettingsFilePath(os_);
    WriteValue(os_, settingsFile, kShutdownHour, L"8");
    EXPECT_EQ(Bytes(), "[Shutdown]\r\nHour=8\r\n");
    EXPECT_EQ(ReadValue(os_, settingsFile, kShutdownHour), L"8");
}

TEST_F(SettingsFile, AWindowsPathOnAnotherHostHoldsNoSettings) {
    const std::wstring settingsFile = SettingsFilePath(os_);  // C:\Program Files\Brellix\Brellix.ini
    WriteValue(os_, settingsFile, kShutdownHour, L"8");
    EXPECT_EQ(ReadValue(os_, settingsFile, kShutdownHour), L"3");
    EXPECT_FALSE(std::filesystem::exists(Utf8Of(settingsFile))) << "nothing lands in the current directory";
}

TEST_F(SettingsFile, AFailedWriteSaysWhyAndTheNextStartReadsTheOldFile) {
    Put("[Shutdown]\r\nHour=5\r\n");
    std::filesystem::permissions(dir_ / "Brellix.ini", std::filesystem::perms::owner_read);
    const platform::WriteResult result = WriteValue(os_, file_, kShutdownHour, L"6");
    EXPECT_FALSE(result.written);
    EXPECT_EQ(result.reason, L"Permission denied") << "the system's words for a read-only file";
    EXPECT_EQ(ReadValue(os_, file_, kShutdownHour), L"5");
}

}  // namespace
}  // namespace brellix::settings
