#include "ui/main_window_design.h"

#include "build_config.h"

namespace brellix::ui {

namespace {

using platform::ControlSpec;
using platform::ControlType;
using platform::FontSpec;

constexpr FontSpec kWindowFont{L"Tahoma", 8.25f, 0};
constexpr FontSpec kSongTi9{L"宋体", 9.0f, 134};
constexpr FontSpec kTahoma975{L"Tahoma", 9.75f, 0};
constexpr FontSpec kTahoma9{L"Tahoma", 9.0f, 0};

// Row flags of the design table.
enum : unsigned {
    kDisabled = 1,
    kDefault = 2,
    kCancel = 4,
    kAutoSize = 8,
    kHidden = 16,
    kInPopup = 32,  // an item of the tray menu
};

constexpr std::uint32_t kNoColor = 0xFFFFFFFF;

// One row of the window's design, as plain constants: the table is data, not code to run.
struct DesignRow {
    int id;
    std::wstring_view name;
    ControlType type;
    std::wstring_view caption;
    int left, top, width, height, tabIndex;
    const FontSpec* font;  // null: the window's font
    unsigned flags;
    std::uint32_t textColor;
};

// In creation order.
constexpr DesignRow kDesign[] = {
    {control::ScheduleTimer, L"tmrShutdown", ControlType::Timer, L"", 0, 0, 0, 0, -1, nullptr, kDisabled, kNoColor},
    {control::ExitButton, L"btnExit", ControlType::CommandButton, L"退出(&E)", 3240, 2400, 1095, 495, 14, &kSongTi9, kCancel,
     kNoColor},
    {control::ForceModeList, L"lstExtra", ControlType::CheckListBox, L"", 240, 2280, 2655, 690, 11, &kSongTi9, 0, kNoColor},
    {control::ActionList, L"lstOptions", ControlType::CheckListBox, L"", 240, 1080, 2655, 900, 9, &kSongTi9, 0, kNoColor},
    {control::AmPmPicker, L"cboAMPM", ControlType::DropDownList, L"", 3480, 360, 855, 360, 7, &kTahoma975, 0, kNoColor},
    {control::SecondPicker, L"cboSecond", ControlType::DropDownList, L"", 2400, 360, 855, 360, 5, &kTahoma975, 0, kNoColor},
    {control::MinutePicker, L"cboMinute", ControlType::DropDownList, L"", 1320, 360, 855, 360, 3, &kTahoma975, 0, kNoColor},
    {control::HourPicker, L"cboHour", ControlType::DropDownList, L"", 240, 360, 855, 360, 1, &kTahoma975, 0, kNoColor},
    {control::DisarmButton, L"btnTurnOFF", ControlType::CommandButton, L"取消(&F)", 3240, 1725, 1095, 495, 13, &kSongTi9,
     kDisabled, kNoColor},
    {control::ArmButton, L"btnTurnON", ControlType::CommandButton, L"运行(&N)", 3240, 1080, 1095, 495, 12, &kSongTi9, kDefault,
     kNoColor},
    {control::CreditLink, L"Label2", ControlType::Label, L"By " BRELLIX_CREDIT_NAME, 3120, 3240, 1215, 375, 16, nullptr, 0,
     0x00404040},
    {control::ProgramTitle, L"Label1", ControlType::Label, L"电脑Vospel程序", 240, 3240, 2175, 255, 15, &kTahoma9, 0, 0x00800080},
    {control::ForceModeLabel, L"lblExtra", ControlType::Label, L"执行(&E):", 360, 2280, 720, 180, 10, &kSongTi9, kAutoSize,
     kNoColor},
    {control::ActionLabel, L"optOptions", ControlType::Label, L"选项(&O):", 240, 840, 660, 195, 8, nullptr, kAutoSize, kNoColor},
    {control::AmPmLabel, L"lblTOD", ControlType::Label, L"时制(&T):", 3600, 120, 630, 195, 6, nullptr, kAutoSize, kNoColor},
    {control::SecondLabel, L"Label3", ControlType::Label, L"秒钟(&S):", 2520, 120, 630, 195, 4, nullptr, kAutoSize, kNoColor},
    {control::MinuteLabel, L"lblMinute", ControlType::Label, L"分钟(&M):", 1320, 120, 660, 195, 2, nullptr, kAutoSize, kNoColor},
    {control::HourLabel, L"lblHour", ControlType::Label, L"时钟(&H):", 360, 120, 645, 195, 0, nullptr, kAutoSize, kNoColor},
    {control::TrayMenu, L"mnuPopup", ControlType::Menu, L"&Popup", 0, 0, 0, 0, -1, nullptr, kHidden, kNoColor},
    {control::HideItem, L"mnuPopupHide", ControlType::MenuItem, L"隐藏(&H)", 0, 0, 0, 0, -1, nullptr, kInPopup, kNoColor},
    {control::ShowItem, L"mnuPopupShow", ControlType::MenuItem, L"显示(&S)", 0, 0, 0, 0, -1, nullptr, kInPopup, kNoColor},
    {control::MenuSeparator1, L"mnuPopupSep0", ControlType::MenuSeparator, L"-", 0, 0, 0, 0, -1, nullptr, kInPopup, kNoColor},
    {control::ArmItem, L"mnuPopupTurnON", ControlType::MenuItem, L"激活(&N)", 0, 0, 0, 0, -1, nullptr, kInPopup,
     kNoColor},
    {control::DisarmItem, L"mnuPopupTurnOFF", ControlType::MenuItem, L"取消(&F)", 0, 0, 0, 0, -1, nullptr,
     kInPopup | kDisabled, kNoColor},
    {control::SnoozeItem, L"mnuPopupSnooze", ControlType::MenuItem, L"推迟(&P)", 0, 0, 0, 0, -1, nullptr,
     kInPopup | kDisabled, kNoColor},
    {control::MenuSeparator2, L"mnuPopupSep1", ControlType::MenuSeparator, L"-", 0, 0, 0, 0, -1, nullptr, kInPopup, kNoColor},
    {control::DailyItem, L"mnuPopupDaily", ControlType::MenuItem, L"每天(&D)", 0, 0, 0, 0, -1, nullptr, kInPopup, kNoColor},
    {control::MenuSeparator3, L"mnuPopupSep2", ControlType::MenuSeparator, L"-", 0, 0, 0, 0, -1, nullptr, kInPopup, kNoColor},
    {control::ExitItem, L"mnuPopupExit", ControlType::MenuItem, L"退出(&E)", 0, 0, 0, 0, -1, nullptr, kInPopup, kNoColor},
};

ControlSpec SpecOf(const DesignRow& row) {
    ControlSpec spec;
    spec.id = row.id;
    spec.name = row.name;
    spec.type = row.type;
    spec.caption = row.caption;
    spec.left = row.left;
    spec.top = row.top;
    spec.width = row.width;
    spec.height = row.height;
    spec.tabIndex = row.tabIndex;
    if (row.font) spec.font = *row.font;
    if (row.textColor != kNoColor) spec.textColor = row.textColor;
    spec.enabled = (row.flags & kDisabled) == 0;
    spec.visible = (row.flags & kHidden) == 0;
    spec.isDefault = (row.flags & kDefault) != 0;
    spec.isCancel = (row.flags & kCancel) != 0;
    spec.autoSize = (row.flags & kAutoSize) != 0;
    if (row.id == control::AmPmLabel) spec.toolTip = L"Time of Day";
    if (row.id == control::ScheduleTimer) spec.interval = 333;
    if (row.flags & kInPopup) spec.parentMenu = control::TrayMenu;
    return spec;
}

}  // namespace

std::wstring MakerWebAddress() { return BRELLIX_MAKER_URL; }

std::wstring DesignCaption() { return kCaptionPrefix + MakerWebAddress(); }

platform::FormSpec MainWindowSpec() {
    platform::FormSpec form;
    form.windowClass = kWindowClass;
    form.caption = DesignCaption();
    form.clientWidth = 4530;
    form.clientHeight = 3735;
    form.font = kWindowFont;
    form.iconResourceId = kIconResourceId;
    form.controls.reserve(std::size(kDesign));
    for (const DesignRow& row : kDesign) form.controls.push_back(SpecOf(row));
    return form;
}

}  // namespace brellix::ui
