// The yardstick for Brellix's start-up and memory: the least a Win32 program can do to show a
// window, built with the same compiler and flags. Started with "logoff" it ends the session as
// Brellix's command line does, with the same flags, and shows nothing.
//
// Built with BRELLIX_BENCH_SAME_DLLS it also imports the DLLs Brellix.exe imports and carries its
// manifest, and does nothing more with them: what loading them costs under Wine, apart from
// what Brellix does. With BRELLIX_BENCH_SAME_CONTROLS as well, its window also gets as many
// controls of each kind as Brellix's window has, in the system's font, empty: the least any
// program showing that window pays, whatever it does besides.
#include <windows.h>

#include <cwchar>

#ifdef BRELLIX_BENCH_SAME_DLLS
#include <commctrl.h>
#include <oleacc.h>
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
        LresultFromObject(GUID{}, 0, nullptr);
        SysFreeString(nullptr);
        CoDisconnectObject(nullptr, 0);
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

#ifdef BRELLIX_BENCH_SAME_CONTROLS
void CreateBrellixControls(HWND window, HINSTANCE instance) {
    InitCommonControls();
    struct Kind {
        const wchar_t* windowClass;
        DWORD style;
        int count;
    };
    constexpr DWORD kOwnerDrawnList = LBS_OWNERDRAWFIXED | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL;
    constexpr Kind kKinds[] = {
        {WC_STATICW, SS_LEFT, 8},
        {WC_COMBOBOXW, CBS_DROPDOWNLIST | WS_VSCROLL, 4},
        {WC_LISTBOXW, kOwnerDrawnList, 2},
        {WC_BUTTONW, BS_PUSHBUTTON, 3},
    };
    int top = 0;
    for (const Kind& kind : kKinds) {
        for (int i = 0; i < kind.count; ++i, top += 12) {
            CreateWindowExW(0, kind.windowClass, L"", WS_CHILD | WS_VISIBLE | kind.style, 8, top, 80, 120, window,
                            nullptr, instance, nullptr);
        }
    }
}
#endif

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
#ifdef BRELLIX_BENCH_SAME_CONTROLS
    CreateBrellixControls(window, instance);
#endif
    ShowWindow(window, showCommand);
    UpdateWindow(window);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}
