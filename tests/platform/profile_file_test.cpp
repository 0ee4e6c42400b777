#include "platform/profile_file.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "settings/scratch_dir.h"

namespace brellix::platform::profile {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using test::FileBytes;
using test::PutFile;
using test::ScratchDir;

struct ReadResult {
    std::uint32_t count;
    std::wstring text;  // the buffer up to the count
    bool terminated;    // a NUL right after it
};

ReadResult Read(const fs::path& file, std::wstring_view section, std::wstring_view key,
                std::wstring_view defaultValue = L"dflt", std::uint32_t size = 255) {
    std::wstring buffer(size + 4, L'#');
    const std::uint32_t count = ReadProfileValue(section, key, defaultValue, buffer.data(), size, file);
    return {count, buffer.substr(0, count), count < buffer.size() && buffer[count] == L'\0'};
}

std::string Utf16Le(std::wstring_view text) {
    std::string out = "\xFF\xFE";
    for (wchar_t c : text) {
        out += static_cast<char>(c & 0xFF);
        out += static_cast<char>((c >> 8) & 0xFF);
    }
    return out;
}

std::string Utf16Be(std::wstring_view text) {
    std::string out = "\xFE\xFF";
    for (wchar_t c : text) {
        out += static_cast<char>((c >> 8) & 0xFF);
        out += static_cast<char>(c & 0xFF);
    }
    return out;
}

// --- Reading ---

struct ReadCase {
    const char* what;
    std::string content;
    std::wstring section, key;
    std::wstring defaultValue;
    std::uint32_t size;
    std::wstring expected;
};

TEST(ReadProfileValue, GivesTheStoredValueOrTheDefault) {
    const std::string garbage = "\x01\x02\x7f\xff\xfe\x80\0\0\0"s + "[[[==]]]\x1b";
    const ReadCase cases[] = {
        {"missing key", "[S]\r\nK=v\r\n", L"S", L"Other", L"dflt", 255, L"dflt"},
        {"missing section", "[S]\r\nK=v\r\n", L"T", L"K", L"dflt", 255, L"dflt"},
        {"empty value is not the default", "[S]\r\nK=\r\n", L"S", L"K", L"dflt", 255, L""},
        {"blanks around", "[S]\r\n\t K \t=  v w \t\r\n", L"S", L"K", L"dflt", 255, L"v w"},
        {"double quotes", "[S]\r\nK=\"  q  \"\r\n", L"S", L"K", L"dflt", 255, L"  q  "},
        {"single quotes", "[S]\r\nK='s'\r\n", L"S", L"K", L"dflt", 255, L"s"},
        {"unbalanced quote", "[S]\r\nK=\"abc\r\n", L"S", L"K", L"dflt", 255, L"\"abc"},
        {"a lone quote", "[S]\r\nK=\"\r\n", L"S", L"K", L"dflt", 255, L"\""},
        {"empty quotes", "[S]\r\nK=\"\"\r\n", L"S", L"K", L"dflt", 255, L""},
        {"value with =", "[S]\r\nK=a=b\r\n", L"S", L"K", L"dflt", 255, L"a=b"},
        {"names ignore case", "[Shutdown]\r\nHour=7\r\n", L"sHUTDOWN", L"hOUR", L"dflt", 255, L"7"},
        {"names are trimmed", "[ Shutdown ]\r\nHour=7\r\n", L"  Shutdown\t", L" Hour ", L"dflt", 255, L"7"},
        {"first duplicate key", "[S]\r\nK=first\r\nK=second\r\n", L"S", L"K", L"dflt", 255, L"first"},
        {"first duplicate section", "[S]\r\nA=1\r\n[s]\r\nK=later\r\n", L"S", L"K", L"dflt", 255, L"dflt"},
        {"line without =", "[S]\r\nK\r\n", L"S", L"K", L"dflt", 255, L"dflt"},
        {"comment is no key", "[S]\r\n;K=1\r\n", L"S", L"K", L"dflt", 255, L"dflt"},
        {"LF only", "[S]\nA=1\nK=lf\n", L"S", L"K", L"dflt", 255, L"lf"},
        {"CR only", "[S]\rA=1\rK=cr\r", L"S", L"K", L"dflt", 255, L"cr"},
        {"no final newline", "[S]\r\nK=last", L"S", L"K", L"dflt", 255, L"last"},
        {"UTF-8 signature", "\xEF\xBB\xBF[S]\r\nK=\xE6\xB3\xA8\r\n", L"S", L"K", L"dflt", 255, L"\x6CE8"},
        {"UTF-16 LE signature", Utf16Le(L"[S]\r\nK=\x6CE8\r\n"), L"S", L"K", L"dflt", 255, L"\x6CE8"},
        {"UTF-16 BE signature", Utf16Be(L"[S]\r\nK=v\r\n"), L"S", L"K", L"dflt", 255, L"v"},
        {"ANSI high bytes are kept as they are", "[S]\r\nK=\xB9\xD8\r\n", L"S", L"K", L"dflt", 255, L"\xB9\xD8"},
        {"binary garbage before", garbage + "\r\n[S]\r\nK=v\r\n" + garbage, L"S", L"K", L"dflt", 255, L"v"},
        {"NUL inside a value", "[S]\r\nK=a\0b\r\n"s, L"S", L"K", L"dflt", 255,
         std::wstring(L"a\0b", 3)},
        {"NUL inside a name", "[S]\r\nK\0x=1\r\n"s, L"S", L"K", L"dflt", 255, L"dflt"},
        {"default loses trailing blanks", "", L"S", L"K", L"  d f  ", 255, L"  d f"},
        {"cut to size - 1", "[S]\r\nK=abcdef\r\n", L"S", L"K", L"dflt", 4, L"abc"},
        {"default cut too", "", L"S", L"K", L"abcdef", 3, L"ab"},
        {"size 1 holds only the NUL", "[S]\r\nK=abc\r\n", L"S", L"K", L"dflt", 1, L""},
        {"a quoted value that just fits", "[S]\r\nK=\"abcdef\"\r\n", L"S", L"K", L"dflt", 7, L"abcdef"},
        {"a quoted value cut", "[S]\r\nK=\"abcdef\"\r\n", L"S", L"K", L"dflt", 4, L"abc"},
        {"empty file", "", L"S", L"K", L"dflt", 255, L"dflt"},
        {"signature only", "\xFF\xFE", L"S", L"K", L"dflt", 255, L"dflt"},
    };
    ScratchDir dir;
    for (const ReadCase& c : cases) {
        SCOPED_TRACE(c.what);
        PutFile(dir / "Brellix.ini", c.content);
        const ReadResult r = Read(dir / "Brellix.ini", c.section, c.key, c.defaultValue, c.size);
        EXPECT_EQ(r.text, c.expected);
        EXPECT_EQ(r.count, c.expected.size());
        EXPECT_TRUE(r.terminated);
    }
}

TEST(ReadProfileValue, CutsALongValueToTheBuffer) {
    ScratchDir dir;
    PutFile(dir / "Brellix.ini", "[S]\r\nK=" + std::string(1 << 20, 'v') + "\r\nAfter=yes\r\n");
    EXPECT_EQ(Read(dir / "Brellix.ini", L"S", L"K").text, std::wstring(254, L'v'));
    EXPECT_EQ(Read(dir / "Brellix.ini", L"S", L"After").text, L"yes");
}

TEST(ReadProfileValue, ASizeOfZeroLeavesTheBufferAlone) {
    ScratchDir dir;
    PutFile(dir / "Brellix.ini", "[S]\r\nK=v\r\n");
    wchar_t buffer[2] = {L'#', L'#'};
    EXPECT_EQ(ReadProfileValue(L"S", L"K", L"d", buffer, 0, dir / "Brellix.ini"), 0u);
    EXPECT_EQ(buffer[0], L'#');
}

TEST(ReadProfileValue, WhatCannotBeReadGivesTheDefault) {
    ScratchDir dir;
    EXPECT_EQ(Read(dir / "missing.ini", L"S", L"K").text, L"dflt");
    EXPECT_EQ(Read(dir / "no-such-dir" / "Brellix.ini", L"S", L"K").text, L"dflt");
    fs::create_directory(dir / "a-directory.ini");
    EXPECT_EQ(Read(dir / "a-directory.ini", L"S", L"K").text, L"dflt");

    // A file too large to be a settings file (sparse, so it costs nothing).
    PutFile(dir / "huge.ini", "[S]\r\nK=v\r\n");
    fs::resize_file(dir / "huge.ini", kMaxFileBytes + 1);
    EXPECT_EQ(Read(dir / "huge.ini", L"S", L"K").text, L"dflt");
}

TEST(ReadProfileValue, AFileTheUserMayNotReadGivesTheDefault) {
    ScratchDir dir;
    fs::permissions(dir.path(), fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
    PutFile(dir / "Brellix.ini", "[S]\r\nK=v\r\n");
    PutFile(dir / "readable.ini", "[S]\r\nK=v\r\n");
    fs::permissions(dir / "Brellix.ini", fs::perms::none);
    fs::permissions(dir / "readable.ini", fs::perms::all);
    // The readable file shows that the user reaches the directory at all.
    const std::optional<bool> gotDefault = test::RunUnprivileged([&] {
        return Read(dir / "readable.ini", L"S", L"K").text == L"v" && Read(dir / "Brellix.ini", L"S", L"K").text == L"dflt";
    });
    ASSERT_TRUE(gotDefault.has_value()) << "could not drop root's privileges for the check";
    EXPECT_TRUE(*gotDefault);
}

// --- Writing ---

struct WriteCase {
    const char* what;
    std::optional<std::string> before;  // none: no file
    std::wstring section, key, value;
    std::string after;
};

TEST(WriteProfileValue, PutsTheValueWhereWindowsPutsIt) {
    const std::string program = "; kept\r\n[Position]\r\nLeft=1\r\n[Unknown]\r\nOther=x\r\n";
    const WriteCase cases[] = {
        {"a new file", std::nullopt, L"Options", L"Selected", L"1", "[Options]\r\nSelected=1\r\n"},
        {"an empty file", "", L"Options", L"Selected", L"1", "[Options]\r\nSelected=1\r\n"},
        {"a new section goes last", program, L"Options", L"Selected", L"2", program + "[Options]\r\nSelected=2\r\n"},
        {"a new key goes last in its section", program, L"position", L"Top", L"5",
         "; kept\r\n[Position]\r\nLeft=1\r\nTop=5\r\n[Unknown]\r\nOther=x\r\n"},
        {"an existing key is replaced where it stands, its name kept", program, L"POSITION", L"left", L"-15",
         "; kept\r\n[Position]\r\nLeft=-15\r\n[Unknown]\r\nOther=x\r\n"},
        {"the first of duplicates is replaced", "[S]\r\nK=1\r\nK=2\r\n[S]\r\nK=3\r\n", L"S", L"K", L"9",
         "[S]\r\nK=9\r\nK=2\r\n[S]\r\nK=3\r\n"},
        {"a line without = gets the value", "[S]\r\nK\r\n", L"S", L"K", L"v", "[S]\r\nK=v\r\n"},
        {"the rewrite is in normal form", "\r\n\r\n  [ S ]  \n\tA = 1 \r\r\n;c\rB=2", L"S", L"C", L"3",
         "[S]\r\nA=1\r\n;c\r\nB=2\r\nC=3\r\n"},
        {"leading blanks of the value go, trailing stay", std::nullopt, L"S", L"K", L"  v  ", "[S]\r\nK=v  \r\n"},
        {"an empty value", std::nullopt, L"S", L"K", L"", "[S]\r\nK=\r\n"},
        {"a value the ANSI file cannot hold", std::nullopt, L"S", L"K", L"\x6CE8x", "[S]\r\nK=?x\r\n"},
        {"UTF-16 stays UTF-16", Utf16Le(L"[S]\r\nK=\x6CE8\r\n"), L"S", L"N", L"\x9500",
         Utf16Le(L"[S]\r\nK=\x6CE8\r\nN=\x9500\r\n")},
        {"UTF-16 BE stays BE", Utf16Be(L"[S]\r\n"), L"S", L"K", L"v", Utf16Be(L"[S]\r\nK=v\r\n")},
        {"UTF-8 stays UTF-8", "\xEF\xBB\xBF[S]\r\nK=\xE6\xB3\xA8\r\n", L"S", L"N", L"\x9500",
         "\xEF\xBB\xBF[S]\r\nK=\xE6\xB3\xA8\r\nN=\xE9\x94\x80\r\n"},
        {"ANSI high bytes and NULs are kept", "x\0y\xB9\r\n[S]\r\nK=\xD8\0\r\n"s, L"S", L"N", L"1",
         "x\0y\xB9\r\n[S]\r\nK=\xD8\0\r\nN=1\r\n"s},
        {"an empty section name is a section", "[]\r\nK=1\r\n", L"S", L"K", L"2", "[]\r\nK=1\r\n[S]\r\nK=2\r\n"},
        {"the same value leaves every byte alone", "\r\n[S] \r\n K = v \n", L"s", L"k", L"v", "\r\n[S] \r\n K = v \n"},
    };
    ScratchDir dir;
    const fs::path file = dir / "Brellix.ini";
    for (const WriteCase& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove(file);
        if (c.before) PutFile(file, *c.before);
        EXPECT_TRUE(WriteProfileValue(c.section, c.key, c.value, file));
        EXPECT_EQ(FileBytes(file), c.after);
    }
}

TEST(WriteProfileValue, ProgramSectionsOnAFreshFileComeInTheOrderWritten) {
    ScratchDir dir;
    const fs::path file = dir / "Brellix.ini";
    for (const wchar_t* section : {L"Position", L"Options", L"Extra", L"Shutdown", L"Position"}) {
        ASSERT_TRUE(WriteProfileValue(section, L"K", section, file));
    }
    EXPECT_EQ(FileBytes(file),
              "[Position]\r\nK=Position\r\n[Options]\r\nK=Options\r\n[Extra]\r\nK=Extra\r\n[Shutdown]\r\nK=Shutdown\r\n");
}

TEST(WriteProfileValue, ReplacesTheFileWholeAndLeavesNothingElseBehind) {
    ScratchDir dir;
    const fs::path file = dir / "Brellix.ini";
    PutFile(file, "[S]\r\nK=1\r\n");
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    struct stat before {};
    ::stat(file.c_str(), &before);

    ASSERT_TRUE(WriteProfileValue(L"S", L"K", L"2", file));
    struct stat after {};
    ::stat(file.c_str(), &after);
    EXPECT_NE(after.st_ino, before.st_ino) << "the new content comes in by rename, not by rewriting in place";
    EXPECT_EQ(fs::status(file).permissions(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(dir.path())) ++entries;
    EXPECT_EQ(entries, 1) << "no temporary file left";

    // Nothing to change: not even rewritten.
    ASSERT_TRUE(WriteProfileValue(L"S", L"K", L"2", file));
    struct stat unchanged {};
    ::stat(file.c_str(), &unchanged);
    EXPECT_EQ(unchanged.st_ino, after.st_ino);
}

TEST(WriteProfileValue, AReadOnlyFileIsLeftAsItWasEvenForRoot) {
    ScratchDir dir;
    const fs::path file = dir / "Brellix.ini";
    PutFile(file, "[S]\r\nK=1\r\n");
    fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    EXPECT_FALSE(WriteProfileValue(L"S", L"K", L"2", file));
    EXPECT_FALSE(WriteProfileValue(L"New", L"K", L"2", file));
    EXPECT_EQ(FileBytes(file), "[S]\r\nK=1\r\n");
    EXPECT_EQ(Read(file, L"S", L"K").text, L"1");
}

TEST(WriteProfileValue, AFileOfAnotherUserIsLeftAsItWas) {
    if (!test::RunningAsRoot()) GTEST_SKIP() << "making a file of another user needs root; the read-only case runs";
    ScratchDir dir;
    fs::permissions(dir.path(), fs::perms::all);  // anyone may create files here: only the file's rights count
    const fs::path file = dir / "Brellix.ini";
    PutFile(file, "[S]\r\nK=1\r\n");
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                              fs::perms::others_read);
    const std::optional<bool> refused = test::RunUnprivileged(
        [&] { return Read(file, L"S", L"K").text == L"1" && !WriteProfileValue(L"S", L"K", L"2", file); });
    ASSERT_TRUE(refused.has_value()) << "could not drop root's privileges for the check";
    EXPECT_TRUE(*refused);
    EXPECT_EQ(FileBytes(file), "[S]\r\nK=1\r\n");
}

TEST(WriteProfileValue, ADirectoryWithoutWritePermissionKeepsTheFileAsItWas) {
    ScratchDir dir;
    fs::permissions(dir.path(), fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
    const fs::path locked = dir / "locked";
    fs::create_directory(locked);
    const fs::path file = locked / "Brellix.ini";
    PutFile(file, "[S]\r\nK=1\r\n");
    fs::permissions(file, fs::perms::all);
    fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read |
                                fs::perms::others_exec);
    // As root the check runs as "nobody", for whom the bits count; a replace needs a new file here.
    const std::optional<bool> refused = test::RunUnprivileged([&] {
        return Read(file, L"S", L"K").text == L"1" && !WriteProfileValue(L"S", L"K", L"2", file) &&
               !WriteProfileValue(L"S", L"K", L"2", locked / "new.ini");
    });
    ASSERT_TRUE(refused.has_value()) << "could not drop root's privileges for the check";
    EXPECT_TRUE(*refused);
    EXPECT_EQ(FileBytes(file), "[S]\r\nK=1\r\n");
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(locked)) ++entries;
    EXPECT_EQ(entries, 1);
}

// A dotfiles set-up: the links stay links (a relative one behind an absolute one, and one whose
// target is still to be made), and the values land in the files they lead to.
TEST(WriteProfileValue, AFileReachedThroughLinksStaysLinked) {
    ScratchDir dir;
    fs::create_directory(dir / "dotfiles");
    PutFile(dir / "dotfiles" / "brellix.ini", "[S]\r\nK=1\r\n");
    fs::create_symlink("dotfiles/brellix.ini", dir / "middle.ini");
    fs::create_symlink(dir / "middle.ini", dir / "Brellix.ini");
    fs::create_symlink("dotfiles/new.ini", dir / "New.ini");

    ASSERT_TRUE(WriteProfileValue(L"S", L"K", L"2", dir / "Brellix.ini"));
    ASSERT_TRUE(WriteProfileValue(L"S", L"K", L"3", dir / "New.ini"));
    for (const char* link : {"Brellix.ini", "middle.ini", "New.ini"}) EXPECT_TRUE(fs::is_symlink(dir / link)) << link;
    EXPECT_EQ(FileBytes(dir / "dotfiles" / "brellix.ini"), "[S]\r\nK=2\r\n");
    EXPECT_EQ(FileBytes(dir / "dotfiles" / "new.ini"), "[S]\r\nK=3\r\n");
}

TEST(WriteProfileValue, FailsWithoutHarmWhereNoFileCanBe) {
    ScratchDir dir;
    fs::create_directory(dir / "a-directory.ini");
    PutFile(dir / "a-directory.ini" / "inside", "x");
    EXPECT_FALSE(WriteProfileValue(L"S", L"K", L"v", dir / "a-directory.ini"));
    EXPECT_EQ(FileBytes(dir / "a-directory.ini" / "inside"), "x");

    EXPECT_FALSE(WriteProfileValue(L"S", L"K", L"v", dir / "no-such-dir" / "Brellix.ini"));
    EXPECT_FALSE(fs::exists(dir / "no-such-dir"));

    PutFile(dir / "huge.ini", "[S]\r\nK=1\r\n");
    fs::resize_file(dir / "huge.ini", kMaxFileBytes + 1);
    EXPECT_FALSE(WriteProfileValue(L"S", L"K", L"v", dir / "huge.ini"));
    EXPECT_EQ(fs::file_size(dir / "huge.ini"), kMaxFileBytes + 1);
    EXPECT_EQ(FileBytes(dir / "huge.ini")->substr(0, 10), "[S]\r\nK=1\r\n");
}

TEST(WriteProfileValue, KeepsEveryOtherValueOfAHostileFile) {
    // Control bytes, high bytes, NULs, a 1 MB line, every kind of line end, duplicates, no final newline.
    std::string hostile = "\x00\x01garbage\xff\xfe\r"s + "[A]\r\nK1=one\n" + std::string(1 << 20, 'z') +
                          "\r[B]\rK2 = two \r\n[a]\r\nK3=three\r\n[C]\nK4=\"four\"\n\x1a";
    ScratchDir dir;
    const fs::path file = dir / "Brellix.ini";
    PutFile(file, hostile);
    ASSERT_TRUE(WriteProfileValue(L"B", L"New", L"v", file));
    ASSERT_TRUE(WriteProfileValue(L"Options", L"Selected", L"2", file));
    EXPECT_EQ(Read(file, L"A", L"K1").text, L"one");
    EXPECT_EQ(Read(file, L"B", L"K2").text, L"two");
    EXPECT_EQ(Read(file, L"C", L"K4").text, L"four");
    EXPECT_EQ(Read(file, L"B", L"New").text, L"v");
    EXPECT_EQ(Read(file, L"Options", L"Selected").text, L"2");
    EXPECT_NE(FileBytes(file)->find(std::string(1 << 20, 'z')), std::string::npos);
    EXPECT_EQ(FileBytes(file)->substr(0, 13), "\x00\x01garbage\xff\xfe\r\n"s);
}

TEST(HostPath, MapsTheProgramsPathTextToAHostPath) {
    EXPECT_EQ(HostPath(L"/tmp/\x8BBE\x7F6E/Brellix.ini").native(), "/tmp/\xE8\xAE\xBE\xE7\xBD\xAE/Brellix.ini");
    EXPECT_EQ(HostPath(L"/tmp/dir\\Brellix.ini").native(), "/tmp/dir/Brellix.ini");
    EXPECT_EQ(HostPath(L"/tmp/dir\\\\Brellix.ini").native(), "/tmp/dir//Brellix.ini");
    // Names no file of this host: never one in the current directory.
    EXPECT_TRUE(HostPath(L"C:\\Program Files\\Brellix\\Brellix.ini").empty());
    EXPECT_TRUE(HostPath(L"Brellix.ini").empty());
    EXPECT_TRUE(HostPath(L"").empty());
}

TEST(HostPath, AnEmptyPathHoldsNoSettings) {
    EXPECT_EQ(Read(fs::path(), L"S", L"K").text, L"dflt");
    EXPECT_FALSE(WriteProfileValue(L"S", L"K", L"v", fs::path()));
}

}  // namespace
}  // namespace brellix::platform::profile
