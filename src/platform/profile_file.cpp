#include "platform/profile_file.h"

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <iterator>
#include <random>
#include <system_error>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace brellix::platform::profile {

namespace fs = std::filesystem;

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Blanks as the profile functions see them: ASCII white space and ^Z, which ends text files from
// old media. Other Unicode spaces (U+3000 say) are text.
bool IsBlank(wchar_t c) {
    return c == L' ' || (c >= L'\t' && c <= L'\r') || c == 0x1A;
}

std::wstring_view TrimLeft(std::wstring_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    return text;
}

std::wstring_view TrimRight(std::wstring_view text) {
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

std::wstring_view Trim(std::wstring_view text) { return TrimRight(TrimLeft(text)); }

wchar_t FoldAscii(wchar_t c) { return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - L'a' + L'A') : c; }

bool SameName(std::wstring_view a, std::wstring_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](wchar_t x, wchar_t y) { return FoldAscii(x) == FoldAscii(y); });
}

// --- Encodings ---

void AppendCodePoint(std::wstring& out, char32_t cp) {
    if constexpr (sizeof(wchar_t) == 2) {
        if (cp > 0xFFFF) {
            cp -= 0x10000;
            out += static_cast<wchar_t>(0xD800 + (cp >> 10));
            out += static_cast<wchar_t>(0xDC00 + (cp & 0x3FF));
            return;
        }
    }
    out += static_cast<wchar_t>(cp);
}

std::wstring DecodeUtf8(std::string_view bytes) {
    std::wstring out;
    out.reserve(bytes.size());
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto b0 = static_cast<unsigned char>(bytes[i]);
        int length = 0;
        char32_t cp = 0;
        char32_t minimum = 0;
        if (b0 < 0x80) {
            length = 1, cp = b0;
        } else if (b0 >= 0xC2 && b0 <= 0xDF) {
            length = 2, cp = b0 & 0x1F, minimum = 0x80;
        } else if (b0 >= 0xE0 && b0 <= 0xEF) {
            length = 3, cp = b0 & 0x0F, minimum = 0x800;
        } else if (b0 >= 0xF0 && b0 <= 0xF4) {
            length = 4, cp = b0 & 0x07, minimum = 0x10000;
        }
        bool valid = length > 0 && i + length <= bytes.size();
        for (int k = 1; valid && k < length; ++k) {
            const auto b = static_cast<unsigned char>(bytes[i + k]);
            valid = (b & 0xC0) == 0x80;
            cp = (cp << 6) | (b & 0x3F);
        }
        valid = valid && cp >= minimum && cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF);
        if (valid) {
            AppendCodePoint(out, cp);
            i += length;
        } else {
            out += static_cast<wchar_t>(kReplacement);
            ++i;
        }
    }
    return out;
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = kReplacement;
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Code points of a wide text; with 16-bit wchar_t, surrogate pairs are joined.
template <class Sink>
void ForEachCodePoint(std::wstring_view text, Sink sink) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t cp = static_cast<char32_t>(text[i]);
        if constexpr (sizeof(wchar_t) == 2) {
            cp &= 0xFFFF;
            if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size()) {
                const char32_t low = static_cast<char32_t>(text[i + 1]) & 0xFFFF;
                if (low >= 0xDC00 && low <= 0xDFFF) {
                    cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                    ++i;
                }
            }
        }
        sink(cp);
    }
}

// UTF-16 code units of a wide text, one per character unless it lies beyond 16 bits.
template <class Sink>
void ForEachUtf16Unit(std::wstring_view text, Sink sink) {
    for (wchar_t c : text) {
        const auto cp = static_cast<char32_t>(c);
        if (cp > 0xFFFF && cp <= 0x10FFFF) {
            sink(static_cast<std::uint16_t>(0xD800 + ((cp - 0x10000) >> 10)));
            sink(static_cast<std::uint16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
        } else {
            sink(static_cast<std::uint16_t>(cp > 0xFFFF ? kReplacement : cp));
        }
    }
}

std::wstring Decode(std::string_view bytes, Encoding encoding) {
    std::wstring out;
    switch (encoding) {
        case Encoding::Ansi:
            out.reserve(bytes.size());
            for (char b : bytes) out += static_cast<wchar_t>(static_cast<unsigned char>(b));
            return out;
        case Encoding::Utf8:
            return DecodeUtf8(bytes);
        case Encoding::Utf16Le:
        case Encoding::Utf16Be: {
            const bool little = encoding == Encoding::Utf16Le;
            out.reserve(bytes.size() / 2);
            // An odd last byte is no character.
            for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
                const auto lo = static_cast<unsigned char>(bytes[little ? i : i + 1]);
                const auto hi = static_cast<unsigned char>(bytes[little ? i + 1 : i]);
                out += static_cast<wchar_t>(lo | (hi << 8));
            }
            return out;
        }
    }
    return out;
}

std::string Encode(std::wstring_view text, Encoding encoding) {
    std::string out;
    switch (encoding) {
        case Encoding::Ansi:
            // What the code page cannot hold becomes "?", as the ANSI conversion does.
            ForEachCodePoint(text, [&](char32_t cp) { out += static_cast<char>(cp <= 0xFF ? cp : U'?'); });
            break;
        case Encoding::Utf8:
            out = "\xEF\xBB\xBF";
            ForEachCodePoint(text, [&](char32_t cp) { AppendUtf8(out, cp); });
            break;
        case Encoding::Utf16Le:
        case Encoding::Utf16Be: {
            const bool little = encoding == Encoding::Utf16Le;
            const auto put = [&](std::uint16_t unit) {
                const char lo = static_cast<char>(unit & 0xFF);
                const char hi = static_cast<char>(unit >> 8);
                out += little ? lo : hi;
                out += little ? hi : lo;
            };
            put(0xFEFF);
            ForEachUtf16Unit(text, put);
            break;
        }
    }
    return out;
}

Encoding DetectEncoding(std::string_view& bytes) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        bytes.remove_prefix(3);
        return Encoding::Utf8;
    }
    if (bytes.substr(0, 2) == "\xFF\xFE") {
        bytes.remove_prefix(2);
        return Encoding::Utf16Le;
    }
    if (bytes.substr(0, 2) == "\xFE\xFF") {
        bytes.remove_prefix(2);
        return Encoding::Utf16Be;
    }
    return Encoding::Ansi;
}

// --- Finding things ---

// Of duplicates, the first counts. Templates serve the const and the mutable document alike.
template <class Doc>
auto* FindSection(Doc& document, std::wstring_view name) {
    decltype(&document.sections.front()) found = nullptr;
    for (auto& section : document.sections) {
        if (section.name && SameName(*section.name, name)) return &section;
    }
    return found;
}

template <class Sec>
auto* FindEntry(Sec& section, std::wstring_view name) {
    decltype(&section.entries.front()) found = nullptr;
    for (auto& entry : section.entries) {
        if (SameName(entry.name, name)) return &entry;
    }
    return found;
}

// --- Files ---

std::optional<std::string> LoadBytes(const fs::path& file) {
    std::error_code ec;
    if (!fs::is_regular_file(file, ec)) return std::nullopt;
    const std::uintmax_t size = fs::file_size(file, ec);
    if (ec || size > kMaxFileBytes) return std::nullopt;
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return std::nullopt;
    return bytes;
}

#ifdef _WIN32
int OpenNative(const fs::path& file, int flags) { return ::_wopen(file.c_str(), flags | _O_BINARY, _S_IREAD | _S_IWRITE); }
long long WriteSomeNative(int fd, std::string_view bytes) {
    return ::_write(fd, bytes.data(), static_cast<unsigned>(std::min<std::size_t>(bytes.size(), 1u << 30)));
}
bool FlushNative(int fd) { return ::_commit(fd) == 0; }
int CloseNative(int fd) { return ::_close(fd); }
constexpr int kWriteOnly = _O_WRONLY;
constexpr int kCreateNew = _O_WRONLY | _O_CREAT | _O_EXCL;
#else
int OpenNative(const fs::path& file, int flags) { return ::open(file.c_str(), flags | O_CLOEXEC, 0666); }
long long WriteSomeNative(int fd, std::string_view bytes) { return ::write(fd, bytes.data(), bytes.size()); }
bool FlushNative(int fd) { return ::fsync(fd) == 0; }
int CloseNative(int fd) { return ::close(fd); }
constexpr int kWriteOnly = O_WRONLY;
constexpr int kCreateNew = O_WRONLY | O_CREAT | O_EXCL;
#endif

bool WriteAllNative(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const long long n = WriteSomeNative(fd, bytes);
        if (n <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// Whether this user may write the file itself (access rights, not just permission bits).
bool MayWrite(const fs::path& file) {
    const int fd = OpenNative(file, kWriteOnly);
    if (fd < 0) return false;
    CloseNative(fd);
    return true;
}

// Writes the content beside the file, then renames it over the file: a reader sees the old file or
// the new one, never a part of either.
bool ReplaceFile(const fs::path& file, std::string_view content, std::optional<fs::perms> permissions) {
    const fs::path directory = file.has_parent_path() ? file.parent_path() : fs::path(".");
    std::random_device entropy;
    for (int attempt = 0; attempt < 16; ++attempt) {
        fs::path temporary = directory / ".";
        temporary += file.filename().native();
        temporary += ".tmp" + std::to_string(entropy() & 0xFFFFFF);
        const int fd = OpenNative(temporary, kCreateNew);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            return false;
        }
        const bool written = WriteAllNative(fd, content) && FlushNative(fd);
        const bool closed = CloseNative(fd) == 0;
        std::error_code ec;
        if (written && closed && permissions) fs::permissions(temporary, *permissions, ec);
        if (written && closed && !ec) fs::rename(temporary, file, ec);
        if (!written || !closed || ec) {
            const int why = ec ? ec.value() : errno;
            fs::remove(temporary, ec);
            errno = why ? why : EIO;
            return false;
        }
        return true;
    }
    return false;
}

// A file kept elsewhere through a symbolic link (a dotfiles set-up) stays linked: what is replaced
// is the link's final target. A loop ends after as many links as the system itself follows.
fs::path FinalTarget(fs::path file) {
    std::error_code ec;
    for (int hop = 0; hop < 40 && fs::is_symlink(fs::symlink_status(file, ec)); ++hop) {
        const fs::path target = fs::read_symlink(file, ec);
        if (ec) break;
        file = target.is_absolute() ? target : file.parent_path() / target;
    }
    return file;
}

constexpr fs::perms kAnyWrite = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;

}  // namespace

Document Parse(std::string_view bytes) {
    Document document;
    document.encoding = DetectEncoding(bytes);
    const std::wstring text = Decode(bytes, document.encoding);

    document.sections.push_back(Section{});
    std::wstring_view rest = text;
    while (!rest.empty()) {
        // CR, LF and any run of them end a line; the empty lines between are dropped below.
        const std::size_t end = rest.find_first_of(L"\r\n");
        const std::wstring_view raw = rest.substr(0, end);
        rest.remove_prefix(end == std::wstring_view::npos ? rest.size() : end + 1);

        const std::wstring_view line = Trim(raw);
        if (line.empty()) continue;

        const std::size_t close = line.rfind(L']');
        if (line.front() == L'[' && close != std::wstring_view::npos) {
            document.sections.push_back(Section{std::wstring(Trim(line.substr(1, close - 1))), {}});
            continue;
        }

        Entry entry;
        const std::size_t equals = line.find(L'=');
        if (equals == std::wstring_view::npos) {
            entry.name = line;
        } else {
            entry.name = TrimRight(line.substr(0, equals));
            entry.value = std::wstring(TrimLeft(line.substr(equals + 1)));
        }
        std::vector<Entry>& entries = document.sections.back().entries;
        // A run of nameless lines keeps only its first.
        if (entry.name.empty() && !entries.empty() && entries.back().name.empty()) continue;
        entries.push_back(std::move(entry));
    }
    return document;
}

std::string Serialize(const Document& document) {
    std::wstring text;
    for (const Section& section : document.sections) {
        if (section.name) text += L"[" + *section.name + L"]\r\n";
        for (const Entry& entry : section.entries) {
            text += entry.name;
            if (entry.value) text += L"=" + *entry.value;
            text += L"\r\n";
        }
    }
    return Encode(text, document.encoding);
}

std::optional<std::wstring> Lookup(const Document& document, std::wstring_view section, std::wstring_view key) {
    const Section* found = FindSection(document, Trim(section));
    const Entry* entry = found ? FindEntry(*found, Trim(key)) : nullptr;
    if (!entry || !entry->value) return std::nullopt;
    std::wstring_view value = *entry->value;
    if (value.size() >= 2 && (value.front() == L'"' || value.front() == L'\'') && value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return std::wstring(value);
}

bool Assign(Document& document, std::wstring_view section, std::wstring_view key, std::wstring_view value) {
    const std::wstring_view sectionName = Trim(section);
    const std::wstring_view keyName = Trim(key);
    // Leading blanks go; trailing ones are written, and trimmed again when the line is read.
    const std::wstring newValue(TrimLeft(value));

    Section* found = FindSection(document, sectionName);
    if (!found) {
        document.sections.push_back(Section{std::wstring(sectionName), {}});
        found = &document.sections.back();
    }
    if (Entry* entry = FindEntry(*found, keyName)) {
        if (entry->value == newValue) return false;
        entry->value = newValue;
        return true;
    }
    found->entries.push_back(Entry{std::wstring(keyName), newValue});
    return true;
}

std::uint32_t ReadProfileValue(std::wstring_view section, std::wstring_view key, std::wstring_view defaultValue,
                               wchar_t* buffer, std::uint32_t size, const fs::path& file) {
    if (size == 0 || buffer == nullptr) return 0;
    std::optional<std::wstring> value;
    if (const std::optional<std::string> bytes = LoadBytes(file)) value = Lookup(Parse(*bytes), section, key);
    const std::wstring_view text = value ? std::wstring_view(*value) : TrimRight(defaultValue);
    const std::size_t count = std::min<std::size_t>(text.size(), size - 1);
    std::copy_n(text.data(), count, buffer);
    buffer[count] = L'\0';
    return static_cast<std::uint32_t>(count);
}

std::wstring ReadProfileText(std::wstring_view section, std::wstring_view key, std::wstring_view defaultValue,
                             std::size_t maxLength, const std::filesystem::path& file) {
    std::wstring buffer(maxLength + 1, L'\0');
    ReadProfileValue(section, key, defaultValue, buffer.data(), static_cast<std::uint32_t>(buffer.size()), file);
    buffer.resize(buffer.find(L'\0'));
    return buffer;
}

bool WriteProfileValue(std::wstring_view section, std::wstring_view key, std::wstring_view value,
                       const fs::path& path) {
    const auto refuse = [](int why) {
        errno = why;
        return false;
    };
    if (path.empty()) return refuse(ENOENT);
    const fs::path file = FinalTarget(path);
    std::error_code ec;
    const fs::file_status status = fs::status(file, ec);
    std::string bytes;
    std::optional<fs::perms> permissions;
    if (status.type() == fs::file_type::regular) {
        if ((status.permissions() & kAnyWrite) == fs::perms::none || !MayWrite(file)) return refuse(EACCES);
        std::optional<std::string> loaded = LoadBytes(file);
        if (!loaded) return refuse(errno ? errno : EIO);
        bytes = std::move(*loaded);
        permissions = status.permissions();
    } else if (status.type() == fs::file_type::directory) {
        return refuse(EISDIR);
    } else if (status.type() != fs::file_type::not_found) {
        return refuse(ec ? ec.value() : EINVAL);  // a device, or a path that cannot be looked at
    }
    Document document = Parse(bytes);
    if (!Assign(document, section, key, value)) return true;
    return ReplaceFile(file, Serialize(document), permissions);
}

std::string Utf8Of(std::wstring_view text) {
    std::string utf8;
    ForEachCodePoint(text, [&](char32_t cp) { AppendUtf8(utf8, cp); });
    return utf8;
}

fs::path HostPath(std::wstring_view path) {
#ifdef _WIN32
    fs::path host{std::wstring(path)};
#else
    std::string utf8;
    ForEachCodePoint(path, [&](char32_t cp) { AppendUtf8(utf8, cp == U'\\' ? U'/' : cp); });
    fs::path host{utf8};
#endif
    return host.is_absolute() ? host : fs::path();
}

}  // namespace brellix::platform::profile
