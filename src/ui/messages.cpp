#include "ui/messages.h"

#include <algorithm>

#include "power/power_action.h"
#include "settings/value_text.h"

namespace brellix::ui {

namespace {

std::wstring Cut(std::wstring_view text) {
    if (text.size() <= kLongestReason) return std::wstring(text);
    return std::wstring(text.substr(0, kLongestReason - 1)) + L"…";
}

std::wstring Caption(platform::PowerAction action) { return std::wstring(power::CaptionOf(action)); }

}  // namespace

std::wstring Joined(const std::vector<std::wstring>& items) {
    std::wstring joined;
    for (const std::wstring& item : items) joined += (joined.empty() ? L"" : L"；") + Cut(item);
    return joined;
}

platform::Notification WarningNotice(platform::PowerAction action, std::wstring_view targetText, int snoozeMinutes,
                                     const platform::Obstacles& obstacles) {
    std::wstring body = L"Brellix 将于 " + ReadableTime(targetText) + L" " + Caption(action) + L"。";
    if (!obstacles.blockers.empty()) body += L"\n阻止此操作的程序：" + Joined(obstacles.blockers);
    if (!obstacles.otherUsers.empty()) body += L"\n其他已登录的用户：" + Joined(obstacles.otherUsers);
    return platform::Notification{L"即将" + Caption(action), body, true, snoozeMinutes};
}

platform::Notification MissedNotice(platform::PowerAction action, std::wstring_view targetText, MissedBecause why) {
    const wchar_t* reason = why == MissedBecause::Slept          ? L"计算机在睡眠"
                            : why == MissedBecause::ClockChanged ? L"系统时间已更改"
                                                                 : L"系统太忙，错过了这一秒";
    return platform::Notification{L"错过了" + Caption(action) + L"的时间",
                                  ReadableTime(targetText) + L" 已过，没有" + Caption(action) + L"：" + reason +
                                      L"。明天同一时间仍会" + Caption(action) + L"。",
                                  true};
}

platform::Notification AutostartNotSetNotice(std::wstring_view reason) {
    return platform::Notification{L"未能设置登录时启动", Cut(reason), false};
}

int ArmedTrayTipStep(int millisecondsLeft) {
    const int secondsLeft = (std::max(millisecondsLeft, 0) + 999) / 1000;
    return secondsLeft < 60 ? secondsLeft : 60 + (secondsLeft + 59) / 60;
}

std::wstring ArmedTrayTip(platform::PowerAction action, std::wstring_view targetText, int millisecondsLeft) {
    const int secondsLeft = (std::max(millisecondsLeft, 0) + 999) / 1000;
    const int minutesLeft = (secondsLeft + 59) / 60;
    std::wstring left;
    if (secondsLeft < 60) {
        left = settings::IndexToText(secondsLeft) + L" 秒";
    } else if (minutesLeft < 60) {
        left = settings::IndexToText(minutesLeft) + L" 分钟";
    } else {
        left = settings::IndexToText(minutesLeft / 60) + L" 小时";
        if (minutesLeft % 60 != 0) left += L" " + settings::IndexToText(minutesLeft % 60) + L" 分钟";
    }
    return Caption(action) + L" " + ReadableTime(targetText) + L" · 还剩 " + left;
}

std::wstring SnoozeItemCaption(int minutes) { return L"推迟 " + settings::IndexToText(minutes) + L" 分钟(&P)"; }

platform::Notification OutlookNotice(platform::PowerAction action, platform::SessionEndOutlook outlook) {
    const std::wstring why = outlook == platform::SessionEndOutlook::NeedsPassword ? L"系统要求输入密码才允许此操作。"
                                                                                    : L"系统不允许此操作。";
    return platform::Notification{Caption(action) + L"可能会被拒绝", why, false};
}

platform::Notification RefusalNotice(platform::PowerAction action, std::wstring_view reason) {
    return platform::Notification{Caption(action) + L"失败", Cut(reason.empty() ? L"系统拒绝了请求。" : reason), false};
}

platform::Notification SettingsNotStoredNotice(std::wstring_view file, std::wstring_view reason) {
    return platform::Notification{L"未能保存设置", std::wstring(file) + L"：" + Cut(reason), false};
}

std::wstring CaptionTelling(std::wstring_view stateCaption, const platform::Notification& notice) {
    return std::wstring(stateCaption) + L" - " + notice.title + L"：" + notice.body;
}

std::wstring ReadableTime(std::wstring_view targetText) {
    std::wstring readable;
    std::size_t digits = 0;  // of the number being copied
    bool afterColon = false;
    const auto padded = [&] {
        if (afterColon && digits == 1) readable.insert(readable.size() - 1, 1, L'0');
    };
    for (const wchar_t c : targetText) {
        if (c >= L'0' && c <= L'9') {
            ++digits;
        } else {
            padded();
            digits = 0;
            afterColon = c == L':';
        }
        readable += c;
    }
    padded();
    return readable;
}

}  // namespace brellix::ui
