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

TEST(IniFilePath, IsTheExecutablesDirectoryAndTheTitle) {
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
        os.moduleFileName = c.module;
        EXPECT_EQ(IniFilePath(os), c.expected);
        EXPECT_EQ(os.CallsNamed({"GetModuleFileNameW"}).size(), 1u);
    }
    EXPECT_GT(cases[5].expected.size(), 260u) << "the long case must pass MAX_PATH";
}

TEST(IniFilePath, FollowsTheDirectoryThePlatformKeepsSettingsIn) {
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
        os.moduleFileName = c.module;
        os.settingsDirectory = c.settingsDirectory;
        EXPECT_EQ(IniFilePath(os), c.expected);
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
        EXPECT_EQ(ReadIniString(os_, key, file_), key.defaultValue) << platform::ToCallText(key.key);
    }
    const std::vector<std::string> reads = os_.CallsNamed({"GetPrivateProfileStringW"});
    ASSERT_EQ(reads.size(), 8u);
    EXPECT_EQ(reads[0], "GetPrivateProfileStringW(Options, Selected, 1, size=255, " + platform::ToCallText(file_) + ")");
    EXPECT_EQ(reads[5].substr(0, 46), "GetPrivateProfileStringW(Shutdown, AMPM, AM, s");
    EXPECT_FALSE(Bytes()) << "reading creates no file";
}

TEST_F(SettingsFile, AReadGivesWhatIsStoredCutTo254Characters) {
    Put("[Options]\r\nSelected=\r\n[Shutdown]\r\nHour=" + std::string(300, '7') + "\r\nMinute= 05 \r\nSecond=4\0" "5\r\n"s);
    EXPECT_EQ(ReadIniString(os_, kOptionsSelected, file_), L"") << "an empty value is not the default";
    EXPECT_EQ(ReadIniString(os_, kShutdownHour, file_), std::wstring(254, L'7'));
    EXPECT_EQ(ReadIniString(os_, kShutdownMinute, file_), L"05");
    EXPECT_EQ(ReadIniString(os_, kShutdownSecond, file_), L"4") << "the text ends at the first NUL";
    EXPECT_EQ(ReadIniString(os_, kShutdownAmPm, file_), L"AM");
    EXPECT_EQ(ReadIniString(os_, kExtraSelected, file_), L"1");
}

// What the window's unload stores, in its order: the position, then the six choices.
void StoreAtExit(MemoryOs& os, const MemoryForms& form, const std::wstring& file) {
    SaveFormPosition(os, form, file);
    WriteIniString(os, kOptionsSelected, IndexToText(1), file);
    WriteIniString(os, kExtraSelected, IndexToText(-1), file);
    WriteIniString(os, kShutdownHour, L"11", file);
    WriteIniString(os, kShutdownMinute, L"30", file);
    WriteIniString(os, kShutdownSecond, L"0", file);
    WriteIniString(os, kShutdownAmPm, L"PM", file);
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
    EXPECT_EQ(PositionFromText(ReadIniString(os_, kPositionLeft, file_)), 1234.0f);
    EXPECT_EQ(PositionFromText(ReadIniString(os_, kPositionTop, file_)), -15.0f);
    EXPECT_EQ(ListIndexFromText(ReadIniString(os_, kExtraSelected, file_), 2, kExtraSelected.defaultValue), 1)
        << "a list without a current item falls back to the default item";
}

TEST_F(SettingsFile, AMinimisedOrMaximisedWindowStoresNoPosition) {
    for (const WindowState state : {WindowState::Minimized, WindowState::Maximized}) {
        MemoryOs os;
        MemoryForms form;
        form.SetLeft(-32000.0f);
        form.SetTop(-32000.0f);
        form.SetWindowState(state);
        SaveFormPosition(os, form, file_);
        EXPECT_TRUE(os.CallsNamed({"WritePrivateProfileStringW"}).empty());
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
    const std::vector<std::string> writes = os_.CallsNamed({"WritePrivateProfileStringW"});
    ASSERT_EQ(writes.size(), 14u);
    EXPECT_EQ(writes[6], "WritePrivateProfileStringW(Position, Left, 12.5, " + platform::ToCallText(file_) + ")");
    EXPECT_EQ(writes[7], "WritePrivateProfileStringW(Position, Top, 0, " + platform::ToCallText(file_) + ")");
}

TEST_F(SettingsFile, AWriteKeepsWhatElseTheFileHolds) {
    Put("; notes\r\n[Shutdown]\r\nHour=5\r\nColour=blue\r\n[Mine]\r\nx=1\r\n");
    WriteIniString(os_, kShutdownHour, L"6", file_);
    WriteIniString(os_, kShutdownAmPm, L"AM", file_);
    EXPECT_EQ(Bytes(), "; notes\r\n[Shutdown]\r\nHour=6\r\nColour=blue\r\nAMPM=AM\r\n[Mine]\r\nx=1\r\n");
}

TEST_F(SettingsFile, TheFileBuiltByThePathRuleLiesBesideTheExecutable) {
    os_.moduleFileName = Wide((dir_ / "renamed.exe").string());
    const std::wstring strIniFile = IniFilePath(os_);
    WriteIniString(os_, kShutdownHour, L"8", strIniFile);
    EXPECT_EQ(Bytes(), "[Shutdown]\r\nHour=8\r\n");
    EXPECT_EQ(ReadIniString(os_, kShutdownHour, strIniFile), L"8");
}

TEST_F(SettingsFile, AWindowsPathOnAnotherHostHoldsNoSettings) {
    const std::wstring strIniFile = IniFilePath(os_);  // C:\Program Files\Brellix\Brellix.ini
    WriteIniString(os_, kShutdownHour, L"8", strIniFile);
    EXPECT_EQ(ReadIniString(os_, kShutdownHour, strIniFile), L"3");
    EXPECT_FALSE(std::filesystem::exists(Utf8Of(strIniFile))) << "nothing lands in the current directory";
}

TEST_F(SettingsFile, AFailedWriteIsSilentAndTheNextStartReadsTheOldFile) {
    Put("[Shutdown]\r\nHour=5\r\n");
    std::filesystem::permissions(dir_ / "Brellix.ini", std::filesystem::perms::owner_read);
    WriteIniString(os_, kShutdownHour, L"6", file_);
    EXPECT_EQ(ReadIniString(os_, kShutdownHour, file_), L"5");
}

}  // namespace
}  // namespace brellix::settings
