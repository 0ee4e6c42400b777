// What the program tells the user outside its window, in its own words: each message names the
// action by its caption in the action list.
#pragma once

#include <string>
#include <string_view>

#include "platform/os.h"

namespace brellix::ui {

// A reason from the system is cut to this many characters: a message, not a log.
inline constexpr std::size_t kLongestReason = 200;

inline constexpr std::wstring_view kStillWaiting = L"上一个请求尚未得到系统的答复。";

// Before the armed second, with a way to disarm (and, unless snoozeMinutes is 0, to snooze) from
// the notification itself.
platform::Notification WarningNotice(platform::PowerAction action, std::wstring_view targetText, int snoozeMinutes,
                                     const platform::Obstacles& obstacles = {});

// Why an armed second passed without the action.
enum class MissedBecause { Slept, ClockChanged, Stalled };

// The armed second passed unreached; the schedule stays armed for tomorrow, with a way to disarm.
platform::Notification MissedNotice(platform::PowerAction action, std::wstring_view targetText, MissedBecause why);

platform::Notification AutostartNotSetNotice(std::wstring_view reason);

// The tray icon's tip while armed: the action, the time and what is left ("关闭电源 11:30:00 PM ·
// 还剩 42 分钟"), to the minute, and to the second in the last minute.
std::wstring ArmedTrayTip(platform::PowerAction action, std::wstring_view targetText, int millisecondsLeft);

// What the armed tip's "left" shows, as a number that changes exactly when the text does.
int ArmedTrayTipStep(int millisecondsLeft);

// The tray menu's snooze item: "推迟 10 分钟(&P)".
std::wstring SnoozeItemCaption(int minutes);

// At arming, when the system says it will ask for a password or refuse.
platform::Notification OutlookNotice(platform::PowerAction action, platform::SessionEndOutlook outlook);

// The system refused: the action, that it failed, and the system's own words.
platform::Notification RefusalNotice(platform::PowerAction action, std::wstring_view reason);

platform::Notification SettingsNotStoredNotice(std::wstring_view file, std::wstring_view reason);

// The window's caption telling a notice that nothing else could show.
std::wstring CaptionTelling(std::wstring_view stateCaption, const platform::Notification& notice);

// A time of day as people read it: minutes and seconds with two digits ("6:05:04 AM").
std::wstring ReadableTime(std::wstring_view targetText);

}  // namespace brellix::ui
