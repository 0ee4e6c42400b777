// The end-to-end driver: runs in the same Wine prefix as Brellix.exe and looks at or drives its
// window from outside, as a user or the shell would. One command per run; one fact per line.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

void Out(const std::wstring& line) {
    char utf8[8192];
    const int n = WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, utf8, sizeof utf8, nullptr, nullptr);
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), utf8, n > 0 ? n - 1 : 0, &written, nullptr);
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), "\n", 1, &written, nullptr);
}

HWND FindMainWindow(DWORD waitMilliseconds) {
    const ULONGLONG start = GetTickCount64();
    for (;;) {
        if (HWND window = FindWindowW(L"Brellix.frmMain", nullptr)) return window;
        if (GetTickCount64() - start >= waitMilliseconds) return nullptr;
        Sleep(20);
    }
}

std::wstring TextOf(HWND window) {
    wchar_t text[512] = {};
    SendMessageTimeoutW(window, WM_GETTEXT, std::size(text), reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                        2000, nullptr);
    return text;
}

int Usage() {
    Out(L"usage: driver wait-window MS | title");
    return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return Usage();
    const std::wstring command = argv[1];
    if (command == L"wait-window") {
        const DWORD ms = argc > 2 ? static_cast<DWORD>(_wtoi(argv[2])) : 10000;
        return FindMainWindow(ms) ? 0 : 1;
    }
    HWND window = FindMainWindow(10000);
    if (!window) {
        Out(L"error: no window");
        return 1;
    }
    if (command == L"title") {
        Out(TextOf(window));
        return 0;
    }
    return Usage();
}
