// The yardstick for Brellix's start-up and memory: the least a Win32 program can do to show a
// window, built with the same compiler and flags. Started with "logoff" it ends the session as
// Brellix's command line does, with the same flags, and shows nothing.
//
// Built with BRELLIX_BENCH_SAME_DLLS it also imports the DLLs Brellix.exe imports and carries its
// manifest, and does nothing more with them: what loading them costs under Wine, apart from
// what Brellix does.
#include <windows.h>

#include <cwchar>

#ifdef BRELLIX_BENCH_SAME_DLLS
#include <commctrl.h>
#include <shellapi.h>
#include <uxtheme.h>
#endif

namespace {

void ImportBrellixDlls(PCWSTR commandLine) {
#ifdef BRELLIX_BENCH_SAME_DLLS
    if (commandLine[0] == L'\1') {  // never true: the calls are there for their imports
        Shell_NotifyIconW(NIM_ADD, nullptr);
        InitCommonControlsEx(nullptr);
        OpenThemeData(nullptr, nullptr);
        OpenProcessToken(nullptr, 0, nullptr);
        CreateFontIndirectW(nullptr);
    }
#else
    (void)commandLine;
#endif
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int showCommand) {
    ImportBrellixDlls(commandLine);
    if (std::wcsstr(commandLine, L"logoff")) return ExitWindowsEx(EWX_LOGOFF, 0) ? 0 : 1;

    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = L"Brellix.MinimalWindow";
    if (!RegisterClassExW(&windowClass)) return 1;
    HWND window = CreateWindowExW(0, windowClass.lpszClassName, L"Minimal", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                  CW_USEDEFAULT, 320, 260, nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
    ShowWindow(window, showCommand);
    UpdateWindow(window);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}
