// libFuzzer target for the portable profile reader and writer: any bytes must parse without fault,
// a rewrite must read back as it was written, and setting one value must leave every other value
// as it was.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/profile_file.h"

namespace {

using namespace brellix::platform::profile;

void Check(bool condition) {
    if (!condition) std::abort();
}

// Names as the profile functions compare them (the document's names are trimmed already).
bool SameAscii(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto fold = [](wchar_t c) { return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - 32) : c; };
        if (fold(a[i]) != fold(b[i])) return false;
    }
    return true;
}

// The names a read can reach: the program's keys and the first entries of the document itself.
std::vector<std::pair<std::wstring, std::wstring>> NamesToLookUp(const Document& document) {
    std::vector<std::pair<std::wstring, std::wstring>> names = {
        {L"Options", L"Selected"}, {L"Extra", L"Selected"}, {L"Shutdown", L"Hour"}, {L"Position", L"Left"}};
    for (const Section& section : document.sections) {
        if (!section.name) continue;
        for (const Entry& entry : section.entries) {
            if (names.size() >= 64) return names;
            names.emplace_back(*section.name, entry.name);
        }
    }
    return names;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const Document document = Parse(bytes);
    const std::string written = Serialize(document);
    const Document reread = Parse(written);

    // A line that only comes to stand first in the rewrite (blank lines before it dropped) can
    // carry an encoding signature; the file is then another file, as it would be for Windows.
    if (reread.encoding != document.encoding) return 0;
    Check(Serialize(reread) == written);

    const auto names = NamesToLookUp(document);
    Document changed = document;
    Check(Assign(changed, L"Options", L"Selected", L"2") || Lookup(document, L"Options", L"Selected") == L"2");
    const Document changedReread = Parse(Serialize(changed));
    if (changedReread.encoding != document.encoding) return 0;
    Check(Lookup(changedReread, L"Options", L"Selected") == L"2");
    for (const auto& [section, key] : names) {
        Check(Lookup(reread, section, key) == Lookup(document, section, key));
        if (SameAscii(section, L"Options") && SameAscii(key, L"Selected")) continue;  // the one that was set
        Check(Lookup(changedReread, section, key) == Lookup(document, section, key));
    }
    return 0;
}
