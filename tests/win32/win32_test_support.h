// Helpers shared by the Win32 tests.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace brellix::test {

inline std::wstring ThisExePath() {
    wchar_t path[MAX_PATH * 4] = {};
    ::GetModuleFileNameW(nullptr, path, static_cast<DWORD>(std::size(path)));
    return path;
}

// Runs this test exe again with the given arguments and returns its exit code, or -1.
inline int RunSelf(const std::wstring& arguments) {
    std::wstring commandLine = L"\"" + ThisExePath() + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &process)) {
        return -1;
    }
    ::WaitForSingleObject(process.hProcess, 30000);
    DWORD code = static_cast<DWORD>(-1);
    ::GetExitCodeProcess(process.hProcess, &code);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return static_cast<int>(code);
}

// --- Real input ---

inline void SendKeys(std::initializer_list<std::pair<WORD, bool>> keys) {
    std::vector<INPUT> inputs;
    for (auto [vk, down] : keys) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = vk;
        input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
        inputs.push_back(input);
    }
    ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

inline void Press(WORD vk) { SendKeys({{vk, true}, {vk, false}}); }

inline void PressWith(WORD modifier, WORD vk) {
    SendKeys({{modifier, true}, {vk, true}, {vk, false}, {modifier, false}});
}

// The position travels with the button events: a separate SetCursorPos can lose a race with the
// display's own pointer reports.
inline void ClickAt(HWND window, POINT client) {
    ::ClientToScreen(window, &client);
    const int left = ::GetSystemMetrics(SM_XVIRTUALSCREEN), top = ::GetSystemMetrics(SM_YVIRTUALSCREEN);
    const int width = ::GetSystemMetrics(SM_CXVIRTUALSCREEN), height = ::GetSystemMetrics(SM_CYVIRTUALSCREEN);
    // The middle of the pixel, in the 0..65535 units absolute input takes.
    const LONG x = static_cast<LONG>((2LL * (client.x - left) + 1) * 32768 / width);
    const LONG y = static_cast<LONG>((2LL * (client.y - top) + 1) * 32768 / height);
    INPUT inputs[3] = {};
    const DWORD flags[3] = {MOUSEEVENTF_MOVE, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP};
    for (int i = 0; i < 3; ++i) {
        inputs[i].type = INPUT_MOUSE;
        inputs[i].mi.dx = x;
        inputs[i].mi.dy = y;
        inputs[i].mi.dwFlags = flags[i] | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK;
    }
    ::SendInput(3, inputs, sizeof(INPUT));
}

}  // namespace brellix::test
