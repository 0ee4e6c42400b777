// Telling the user on Windows: what the shell is asked for the icon's balloon (a scripted shell
// answers), and what reaches the program from the shell and from a second start of it.
#include "platform/win32/win32_os.h"

#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "win32_forms_fixture.h"

namespace brellix::platform::win32::test {
namespace {

std::string Utf8(std::wstring_view text) {
    std::string out(text.size() * 4, '\0');
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(),
                                        static_cast<int>(out.size()), nullptr, nullptr);
    out.resize(n > 0 ? n : 0);
    return out;
}

// The shell: answers each call in turn from the script, and writes down what it was asked.
struct Shell {
    HWND window = nullptr;
    std::vector<BOOL> answers;
    std::vector<std::string> calls;
};
Shell shell;

BOOL WINAPI ScriptedNotifyIcon(DWORD message, PNOTIFYICONDATAW data) {
    const char* const verbs[] = {"ADD", "MODIFY", "DELETE"};
    std::string call = message < 3 ? verbs[message] : "?";
    if (data->cbSize != sizeof *data || data->hWnd != shell.window || data->uID != 1) call += " <another icon>";
    for (const auto& [flag, name] : {std::pair{NIF_MESSAGE, " MESSAGE"}, {NIF_ICON, " ICON"}, {NIF_TIP, " TIP"},
                                     {NIF_INFO, " INFO"}}) {
        if (data->uFlags & flag) call += name;
    }
    if ((data->uFlags & NIF_MESSAGE) && data->uCallbackMessage != kTrayCallbackMessage) call += " <other message>";
    if ((data->uFlags & NIF_ICON) && !data->hIcon) call += " <no icon>";
    if (data->uFlags & NIF_TIP) call += " tip=" + Utf8(data->szTip);
    if (data->uFlags & NIF_INFO) {
        call += " title=" + Utf8(data->szInfoTitle) + " text=" + Utf8(data->szInfo);
        if (data->szInfo[0]) call += data->dwInfoFlags == NIIF_USER && data->hBalloonIcon ? " [own icon]" : " [?]";
    }
    shell.calls.push_back(call);
    const std::size_t turn = shell.calls.size() - 1;
    return turn < shell.answers.size() ? shell.answers[turn] : FALSE;
}

class Telling : public Win32FormsTest {
public:
    Win32Os os{ui::kWindowClass, ScriptedNotifyIcon};

    void SetUp() override {
        Win32FormsTest::SetUp();
        shell = Shell{forms.Window()};
    }
};

TEST_F(Telling, ABalloonOnTheIconElseTheIconBroughtBackToCarryItElseNotShown) {
    const std::string balloon = "INFO title=即将注销 text=Brellix 将于 3:15:45 AM 注销。 [own icon]";
    const std::string tip = "MESSAGE ICON TIP INFO tip=" + Utf8(DesignCaption());
    struct Case {
        const char* name;
        std::vector<BOOL> answers;
        std::vector<std::string> calls;
        bool shown;  // else the window must tell it
    };
    const Case cases[] = {
        {"the icon is there", {TRUE}, {"MODIFY " + balloon}, true},
        {"the shell forgot the icon", {FALSE, TRUE}, {"MODIFY " + balloon, "ADD " + tip + balloon.substr(4)}, true},
        {"no tray", {FALSE, FALSE}, {"MODIFY " + balloon, "ADD " + tip + balloon.substr(4)}, false},
    };
    for (const Case& c : cases) {
        shell.answers = c.answers;
        shell.calls.clear();
        recorder.events.clear();
        EXPECT_EQ(os.Notify(forms.Window(), Notification{L"即将注销", L"Brellix 将于 3:15:45 AM 注销。", true}), c.shown)
            << c.name;
        Settle();
        EXPECT_EQ(shell.calls, c.calls) << c.name;
        EXPECT_TRUE(recorder.events.empty()) << c.name << ": no click is made up";
    }
}

// The fields hold 63 and 255 characters: what is longer ends in an ellipsis, never in half a pair.
TEST_F(Telling, TextsAreCutToTheBalloonsFields) {
    const std::wstring pair = L"\U0001F600";
    struct Case {
        std::wstring title, body;
        std::string expected;
    };
    const Case cases[] = {
        {std::wstring(63, L't'), std::wstring(255, L'b'),
         "MODIFY INFO title=" + std::string(63, 't') + " text=" + std::string(255, 'b') + " [own icon]"},
        {std::wstring(64, L't'), std::wstring(256, L'b'),
         "MODIFY INFO title=" + std::string(62, 't') + "…" + " text=" + std::string(254, 'b') + "… [own icon]"},
        {std::wstring(61, L't') + pair + L"t", L"", "MODIFY INFO title=" + std::string(61, 't') + "… text=  [own icon]"},
    };
    for (const Case& c : cases) {
        shell.answers = {TRUE};
        shell.calls.clear();
        os.Notify(forms.Window(), Notification{c.title, c.body, false});
        EXPECT_EQ(shell.calls, std::vector<std::string>{c.expected});
    }
}

TEST_F(Telling, WithdrawingEmptiesTheBalloonAndTheIconIsThereWhileTheShellKnowsIt) {
    shell.answers = {TRUE, TRUE, FALSE};
    os.WithdrawNotification(forms.Window());
    EXPECT_TRUE(os.TrayIconPresent(forms.Window()));
    EXPECT_FALSE(os.TrayIconPresent(forms.Window()));
    EXPECT_EQ(shell.calls, (std::vector<std::string>{"MODIFY INFO title= text=", "MODIFY", "MODIFY"}));
}

// Only a click on the balloon and the exact wake request reach the program; anything else sent
// under the same names is ignored.
TEST_F(Telling, TheShellsClickAndTheExactWakeRequestReachTheProgram) {
    const UINT wake = ::RegisterWindowMessageW(kWakeMessageName);
    const struct {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        std::vector<std::string> events;
    } cases[] = {
        {kTrayCallbackMessage, 1, NIN_BALLOONUSERCLICK, {"NotificationOpened"}},
        {kTrayCallbackMessage, 1, NIN_BALLOONSHOW, {}},
        {kTrayCallbackMessage, 1, NIN_BALLOONTIMEOUT, {}},
        {wake, kWakeRequest, 0, {"WakeRequested"}},
        {wake, 0, 0, {}},
        {wake, kWakeRequest, 1, {}},
        {::RegisterWindowMessageW(L"Brellix.Something.Else"), kWakeRequest, 0, {}},
    };
    for (const auto& c : cases) {
        recorder.events.clear();
        ::PostMessageW(forms.Window(), c.message, c.wParam, c.lParam);
        Settle();
        EXPECT_EQ(recorder.events, c.events) << c.message << " " << c.wParam << " " << c.lParam;
    }
}

}  // namespace
}  // namespace brellix::platform::win32::test
