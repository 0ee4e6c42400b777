// The start-up benchmark's eye inside the Wine prefix: tells when a window of a given class
// becomes visible, in the host's wall-clock time, so that the script can subtract the moment it
// started the program; then ends the program.
//
//   window_probe visible CLASS READY_FILE TIMEOUT_MS
//       creates READY_FILE once it is watching, prints the Unix time in microseconds at which a
//       top-level window of CLASS was first seen visible (polled every 2 ms); exit 1 on timeout
//   window_probe end CLASS      ends the process that owns the window of CLASS
#include <windows.h>

#include <cstdio>
#include <cwchar>

namespace {

long long UnixMicroseconds() {
    FILETIME now;
    GetSystemTimePreciseAsFileTime(&now);
    const long long ticks = (static_cast<long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    return (ticks - 116'444'736'000'000'000LL) / 10;  // 100 ns since 1601 -> us since 1970
}

int WaitVisible(const wchar_t* windowClass, const wchar_t* readyFile, DWORD timeout) {
    const HANDLE ready = CreateFileW(readyFile, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (ready == INVALID_HANDLE_VALUE) return 2;
    CloseHandle(ready);
    const ULONGLONG start = GetTickCount64();
    for (;;) {
        const HWND window = FindWindowW(windowClass, nullptr);
        if (window && IsWindowVisible(window)) {
            std::printf("%lld\n", UnixMicroseconds());
            return 0;
        }
        if (GetTickCount64() - start > timeout) return 1;
        Sleep(2);
    }
}

int End(const wchar_t* windowClass) {
    const HWND window = FindWindowW(windowClass, nullptr);
    DWORD processId = 0;
    if (!window || !GetWindowThreadProcessId(window, &processId)) return 1;
    const HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, processId);
    if (!process) return 1;
    const bool ended = TerminateProcess(process, 0) && WaitForSingleObject(process, 5000) == WAIT_OBJECT_0;
    CloseHandle(process);
    return ended ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 5 && std::wcscmp(argv[1], L"visible") == 0) {
        return WaitVisible(argv[2], argv[3], static_cast<DWORD>(std::wcstoul(argv[4], nullptr, 10)));
    }
    if (argc == 3 && std::wcscmp(argv[1], L"end") == 0) return End(argv[2]);
    std::fprintf(stderr, "usage: window_probe visible CLASS READY_FILE TIMEOUT_MS | end CLASS\n");
    return 2;
}
