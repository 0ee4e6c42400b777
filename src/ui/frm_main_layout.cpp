#include "ui/frm_main_layout.h"

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

ControlSpec Control(int id, std::wstring_view name, ControlType type, std::wstring caption, int left, int top,
                    int width, int height, int tabIndex) {
    ControlSpec spec;
    spec.id = id;
    spec.name = name;
    spec.type = type;
    spec.caption = std::move(caption);
    spec.left = left;
    spec.top = top;
    spec.width = width;
    spec.height = height;
    spec.tabIndex = tabIndex;
    return spec;
}

ControlSpec WithFont(ControlSpec spec, FontSpec font) {
    spec.font = font;
    return spec;
}

ControlSpec AutoSized(ControlSpec spec) {
    spec.autoSize = true;
    return spec;
}

ControlSpec MenuEntry(int id, std::wstring_view name, ControlType type, std::wstring caption, bool enabled = true) {
    ControlSpec spec = Control(id, name, type, std::move(caption), 0, 0, 0, 0, -1);
    spec.parentMenu = mnuPopup;
    spec.enabled = enabled;
    return spec;
}

}  // namespace

std::wstring MakerWebAddress() { return BRELLIX_MAKER_URL; }

std::wstring DesignCaption() { return kCaptionPrefix + MakerWebAddress(); }

platform::FormSpec FrmMainSpec() {
    platform::FormSpec form;
    form.windowClass = kWindowClass;
    form.caption = DesignCaption();
    form.clientWidth = 4530;
    form.clientHeight = 3735;
    form.font = kWindowFont;
    form.iconResourceId = kIconResourceId;

    ControlSpec timer = Control(tmrShutdown, L"tmrShutdown", ControlType::Timer, L"", 0, 0, 0, 0, -1);
    timer.interval = 333;
    timer.enabled = false;

    ControlSpec exit = WithFont(Control(btnExit, L"btnExit", ControlType::CommandButton, L"退出(&E)", 3240, 2400,
                                        1095, 495, 14),
                                kSongTi9);
    exit.isCancel = true;

    ControlSpec turnOff = WithFont(Control(btnTurnOFF, L"btnTurnOFF", ControlType::CommandButton, L"取消(&F)", 3240,
                                           1725, 1095, 495, 13),
                                   kSongTi9);
    turnOff.enabled = false;

    ControlSpec turnOn = WithFont(Control(btnTurnON, L"btnTurnON", ControlType::CommandButton, L"运行(&N)", 3240,
                                          1080, 1095, 495, 12),
                                  kSongTi9);
    turnOn.isDefault = true;

    ControlSpec credit = Control(Label2, L"Label2", ControlType::Label, std::wstring(L"By ") + BRELLIX_CREDIT_NAME,
                                 3120, 3240, 1215, 375, 16);
    credit.textColor = 0x00404040;

    ControlSpec title = WithFont(
        Control(Label1, L"Label1", ControlType::Label, L"电脑Vospel程序", 240, 3240, 2175, 255, 15), kTahoma9);
    title.textColor = 0x00800080;

    ControlSpec timeOfDay =
        AutoSized(Control(lblTOD, L"lblTOD", ControlType::Label, L"时制(&T):", 3600, 120, 630, 195, 6));
    timeOfDay.toolTip = L"Time of Day";

    form.controls = {
        timer,
        exit,
        WithFont(Control(lstExtra, L"lstExtra", ControlType::CheckListBox, L"", 240, 2280, 2655, 690, 11), kSongTi9),
        WithFont(Control(lstOptions, L"lstOptions", ControlType::CheckListBox, L"", 240, 1080, 2655, 900, 9),
                 kSongTi9),
        WithFont(Control(cboAMPM, L"cboAMPM", ControlType::DropDownList, L"", 3480, 360, 855, 360, 7), kTahoma975),
        WithFont(Control(cboSecond, L"cboSecond", ControlType::DropDownList, L"", 2400, 360, 855, 360, 5),
                 kTahoma975),
        WithFont(Control(cboMinute, L"cboMinute", ControlType::DropDownList, L"", 1320, 360, 855, 360, 3),
                 kTahoma975),
        WithFont(Control(cboHour, L"cboHour", ControlType::DropDownList, L"", 240, 360, 855, 360, 1), kTahoma975),
        turnOff,
        turnOn,
        credit,
        title,
        WithFont(AutoSized(Control(lblExtra, L"lblExtra", ControlType::Label, L"执行(&E):", 360, 2280, 720, 180, 10)),
                 kSongTi9),
        AutoSized(Control(optOptions, L"optOptions", ControlType::Label, L"选项(&O):", 240, 840, 660, 195, 8)),
        timeOfDay,
        AutoSized(Control(Label3, L"Label3", ControlType::Label, L"秒钟(&S):", 2520, 120, 630, 195, 4)),
        AutoSized(Control(lblMinute, L"lblMinute", ControlType::Label, L"分钟(&M):", 1320, 120, 660, 195, 2)),
        AutoSized(Control(lblHour, L"lblHour", ControlType::Label, L"时钟(&H):", 360, 120, 645, 195, 0)),
    };

    ControlSpec popup = Control(mnuPopup, L"mnuPopup", ControlType::Menu, L"&Popup", 0, 0, 0, 0, -1);
    popup.visible = false;
    form.controls.push_back(popup);
    form.controls.push_back(MenuEntry(mnuPopupHide, L"mnuPopupHide", ControlType::MenuItem, L"隐藏(&H)"));
    form.controls.push_back(MenuEntry(mnuPopupShow, L"mnuPopupShow", ControlType::MenuItem, L"显示(&S)"));
    form.controls.push_back(MenuEntry(mnuPopupSep0, L"mnuPopupSep0", ControlType::MenuSeparator, L"-"));
    form.controls.push_back(MenuEntry(mnuPopupTurnON, L"mnuPopupTurnON", ControlType::MenuItem, L"激活(&N)"));
    form.controls.push_back(
        MenuEntry(mnuPopupTurnOFF, L"mnuPopupTurnOFF", ControlType::MenuItem, L"取消(&F)", false));
    form.controls.push_back(MenuEntry(mnuPopupSep1, L"mnuPopupSep1", ControlType::MenuSeparator, L"-"));
    form.controls.push_back(MenuEntry(mnuPopupExit, L"mnuPopupExit", ControlType::MenuItem, L"退出(&E)"));
    return form;
}

}  // namespace brellix::ui
