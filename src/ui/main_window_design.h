// The main window as designed: its controls, captions, fonts, positions (twips), tab order and menus.
#pragma once

#include "platform/forms.h"

namespace brellix::ui {

namespace control {

// Control ids, in the window's creation order.
enum Id : int {
    ScheduleTimer = 1,
    ExitButton,
    ForceModeList,
    ActionList,
    AmPmPicker,
    SecondPicker,
    MinutePicker,
    HourPicker,
    DisarmButton,
    ArmButton,
    CreditLink,
    ProgramTitle,
    ForceModeLabel,
    ActionLabel,
    AmPmLabel,
    SecondLabel,
    MinuteLabel,
    HourLabel,
    TrayMenu,
    HideItem,
    ShowItem,
    MenuSeparator1,
    ArmItem,
    DisarmItem,
    MenuSeparator2,
    ExitItem,
    SnoozeItem,
    DailyItem,
    MenuSeparator3,
};

}  // namespace control

inline constexpr wchar_t kWindowClass[] = L"Brellix.frmMain";
inline constexpr wchar_t kCaptionPrefix[] = L"Vospel - ";
inline constexpr wchar_t kCaptionArmed[] = L"Vospel - 激活";
inline constexpr wchar_t kCaptionDisarmed[] = L"Vospel - 取消";
inline constexpr int kIconResourceId = 1;

// The caption the window is designed with: the prefix and the maker's web address.
std::wstring DesignCaption();
std::wstring MakerWebAddress();

platform::FormSpec MainWindowSpec();

}  // namespace brellix::ui
