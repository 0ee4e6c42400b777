// A portable reader and writer of profile (INI) files that behaves as Windows' profile functions
// do for named keys: the memory backend reads and writes real files through it, and a
// differential test under Wine holds it to the real functions.
//
// How the file is understood:
// - Encoding by signature: UTF-8 (EF BB BF), UTF-16 LE (FF FE) or BE (FE FF) when the file starts
//   with one, else ANSI. An ANSI byte is one character of the same number (Latin-1), so bytes
//   round-trip unchanged; Windows decodes them with the system code page, which is the same for
//   ASCII, the only text this program stores.
// - Lines end at CR or LF. Tab, vertical tab, form feed, blank and ^Z are blanks, trimmed at both
//   ends of every line, of a section's name and around the first "=". NUL is an ordinary
//   character, kept as Windows keeps it (Wine cuts the line there).
// - "[name]" (up to the last "]") opens a section; any other line is an entry: name, and after the
//   first "=" its value. A line without "=" is kept but has no value. Lines before the first
//   section belong to no section.
// - Names match without regard to ASCII case; of duplicates, the first section and within it the
//   first entry count.
// A write rewrites the whole file in that normal form (one line per header and entry, CRLF, blank
// lines dropped) in the encoding it had, unless the value is already the stored one: then the
// file is left untouched.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brellix::platform::profile {

enum class Encoding { Ansi, Utf8, Utf16Le, Utf16Be };

struct Entry {
    std::wstring name;
    std::optional<std::wstring> value;  // none: a line without "="
};

struct Section {
    std::optional<std::wstring> name;  // none: the lines before the first section header
    std::vector<Entry> entries;
};

struct Document {
    Encoding encoding = Encoding::Ansi;
    std::vector<Section> sections;
};

Document Parse(std::string_view bytes);
std::string Serialize(const Document& document);

// The stored value as a read sees it (blanks and one pair of enclosing quotes removed); none when
// the section, the entry or its "=" is missing.
std::optional<std::wstring> Lookup(const Document& document, std::wstring_view section, std::wstring_view key);

// Sets the entry, creating the section at the end of the document and the entry at the end of its
// section as needed. Returns false when the stored value already equals the new one.
bool Assign(Document& document, std::wstring_view section, std::wstring_view key, std::wstring_view value);

// Files larger than this are treated as unreadable: reads give the default, writes fail.
inline constexpr std::uintmax_t kMaxFileBytes = 64u << 20;

// As Windows' profile read does: copies the value, or the default without its trailing blanks when
// the file (or its path: empty), section or key is missing or unreadable, into buffer cut to size - 1 characters and
// NUL-terminated; returns the number of characters copied.
std::uint32_t ReadProfileValue(std::wstring_view section, std::wstring_view key, std::wstring_view defaultValue,
                               wchar_t* buffer, std::uint32_t size, const std::filesystem::path& file);

// The text ReadProfileValue copies into a buffer of maxLength + 1 characters, up to its first NUL.
std::wstring ReadProfileText(std::wstring_view section, std::wstring_view key, std::wstring_view defaultValue,
                             std::size_t maxLength, const std::filesystem::path& file);

// As Windows' profile write does: false when the file could not be replaced, in which case it is
// left as it was and errno says why. The new content goes to a temporary file beside it, then replaces it by rename.
// A symbolic link stays one: its final target is the file replaced.
// A file without any write permission bit counts as read-only, as Windows' read-only attribute
// does, even for a privileged user.
bool WriteProfileValue(std::wstring_view section, std::wstring_view key, std::wstring_view value,
                       const std::filesystem::path& file);

// The text as UTF-8; an unpaired surrogate becomes U+FFFD.
std::string Utf8Of(std::wstring_view text);

// The program's path text as a path of the host: UTF-16 on Windows; elsewhere UTF-8, with "\" as
// a directory separator, so that a settings path built the Windows way beside a test's executable
// lands in that directory. Empty when the text is no absolute path of the host: Windows looks for a
// relative name in its own directory, which the host does not have, so such a name holds no
// settings (reads give the default, writes fail) rather than files in the current directory.
std::filesystem::path HostPath(std::wstring_view path);

}  // namespace brellix::platform::profile
