// A census of the process's GDI objects, USER objects and kernel handles. Wine answers
// GetGuiResources and GetProcessHandleCount with 0, so where the system gives no figure the census
// counts for itself: the live entries of the GDI handle table, this thread's windows, the menus and
// icons of the process, and the kernel handle values that are open.
#pragma once

#include <windows.h>
#include <winternl.h>

#include <cstdint>
#include <ostream>

namespace brellix::test {

// An entry of the GDI handle table that the process environment block points to.
struct GdiTableEntry {
    std::uint64_t kernelObject;
    std::uint16_t processId;  // 0 for shared stock objects (and everything, under Wine)
    std::uint16_t count;
    std::uint16_t unique;
    std::uint8_t type;  // 0: a free entry
    std::uint8_t flags;
    std::uint64_t userData;
};
static_assert(sizeof(GdiTableEntry) == 24);
inline constexpr std::size_t kGdiTableEntries = 0x10000;
inline constexpr std::size_t kPebGdiSharedHandleTable = 0xF8;  // x64

inline const char* ProcessEnvironmentBlock() {
    using Query = NTSTATUS(WINAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
    const auto query = reinterpret_cast<Query>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
    PROCESS_BASIC_INFORMATION info{};
    if (!query || query(::GetCurrentProcess(), ProcessBasicInformation, &info, sizeof info, nullptr) != 0) {
        return nullptr;
    }
    return reinterpret_cast<const char*>(info.PebBaseAddress);
}

inline int GdiObjectsInTable() {
    const char* peb = ProcessEnvironmentBlock();
    if (!peb) return -1;
    const auto* table = *reinterpret_cast<const GdiTableEntry* const*>(peb + kPebGdiSharedHandleTable);
    if (!table) return -1;
    const auto self = static_cast<std::uint16_t>(::GetCurrentProcessId());
    int count = 0;
    for (std::size_t i = 0; i < kGdiTableEntries; ++i) {
        if (table[i].type != 0 && (table[i].processId == 0 || table[i].processId == self)) ++count;
    }
    return count;
}

inline BOOL CALLBACK CountWindow(HWND window, LPARAM count) {
    ++*reinterpret_cast<int*>(count);
    ::EnumChildWindows(window, CountWindow, count);
    return TRUE;
}

// This thread's windows with their children, and the menus and icons of the process, whose USER
// handles are found by their low word as the system accepts them.
inline int UserObjectsOfThisProcess() {
    int count = 0;
    ::EnumThreadWindows(::GetCurrentThreadId(), CountWindow, reinterpret_cast<LPARAM>(&count));
    for (std::uintptr_t handle = 0x20; handle < 0x10000; handle += 2) {
        if (::IsMenu(reinterpret_cast<HMENU>(handle))) {
            ++count;
            continue;
        }
        ICONINFO info{};
        if (::GetIconInfo(reinterpret_cast<HICON>(handle), &info)) {
            ++count;
            if (info.hbmMask) ::DeleteObject(info.hbmMask);
            if (info.hbmColor) ::DeleteObject(info.hbmColor);
        }
    }
    return count;
}

// Open kernel handles, by value: they are handed out low first, so a long run of closed ones
// past the last open one ends the search.
inline int OpenKernelHandles() {
    int count = 0, closedInARow = 0;
    for (std::uintptr_t value = 4; closedInARow < 1024; value += 4) {
        DWORD flags = 0;
        if (::GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) {
            ++count;
            closedInARow = 0;
        } else {
            ++closedInARow;
        }
    }
    return count;
}

struct Counts {
    int gdi = 0;
    int user = 0;
    int handles = 0;
    bool operator==(const Counts&) const = default;
};

inline void PrintTo(const Counts& c, std::ostream* out) {
    *out << "gdi=" << c.gdi << " user=" << c.user << " handles=" << c.handles;
}

// The system's figures where it has them, the census where it answers 0.
inline Counts CountResources() {
    Counts counts;
    const HANDLE process = ::GetCurrentProcess();
    counts.gdi = static_cast<int>(::GetGuiResources(process, GR_GDIOBJECTS));
    if (counts.gdi == 0) counts.gdi = GdiObjectsInTable();
    counts.user = static_cast<int>(::GetGuiResources(process, GR_USEROBJECTS));
    if (counts.user == 0) counts.user = UserObjectsOfThisProcess();
    DWORD handles = 0;
    counts.handles = ::GetProcessHandleCount(process, &handles) ? static_cast<int>(handles) : 0;
    if (counts.handles == 0) counts.handles = OpenKernelHandles();
    return counts;
}

}  // namespace brellix::test
