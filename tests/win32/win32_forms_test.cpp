// The real window, built from the main window's description: it looks as designed and raises the same
// events as the memory backend for the same user actions.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "win32_forms_fixture.h"

namespace brellix::platform::win32::test {
namespace {

// ---------------------------------------------------------------------------------------------
// The window as designed

TEST_F(Win32FormsTest, TheWindowHasAFixedFrameWithAMinimizeBoxAndTheDesignedClientArea) {
    const HWND window = forms.Window();
    wchar_t className[64] = {};
    ::GetClassNameW(window, className, 64);
    EXPECT_STREQ(className, L"Brellix.frmMain");
    EXPECT_EQ(forms.Caption(), DesignCaption());

    const LONG style = ::GetWindowLongW(window, GWL_STYLE);
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(style & WS_THICKFRAME) << "the user cannot resize it";
    EXPECT_TRUE(::GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_APPWINDOW) << "a taskbar button while shown";
    EXPECT_EQ(::GetMenu(window), nullptr) << "the popup menu is no menu bar";
    EXPECT_EQ(::GetParent(window), nullptr);

    const FormGeometry geometry = LayoutForm(MainWindowSpec(), forms.Dpi());
    RECT client{};
    ::GetClientRect(window, &client);
    EXPECT_EQ(client.right, geometry.clientWidth);
    EXPECT_EQ(client.bottom, geometry.clientHeight);
    EXPECT_FLOAT_EQ(forms.TwipsPerPixel(), 1440.0f / static_cast<float>(forms.Dpi()));
}

TEST_F(Win32FormsTest, EveryControlIsTheDesignedKindAtTheDesignedPlace) {
    const FormGeometry geometry = LayoutForm(MainWindowSpec(), forms.Dpi());
    for (const ControlPlacement& placement : geometry.controls) {
        const ControlSpec& spec = SpecOf(placement.id);
        SCOPED_TRACE(NameOf(placement.id));
        const HWND control = Control(placement.id);
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(::GetDlgCtrlID(control), placement.id);
        wchar_t className[64] = {};
        ::GetClassNameW(control, className, 64);
        const LONG style = ::GetWindowLongW(control, GWL_STYLE);
        switch (spec.type) {
            case ControlType::CommandButton:
                EXPECT_EQ(_wcsicmp(className, L"Button"), 0);
                EXPECT_EQ(style & BS_TYPEMASK, spec.isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
                EXPECT_TRUE(style & WS_TABSTOP);
                break;
            case ControlType::Label:
                EXPECT_EQ(_wcsicmp(className, L"Static"), 0);
                EXPECT_TRUE(style & SS_NOTIFY);
                EXPECT_FALSE(style & WS_TABSTOP) << "labels never take the focus";
                break;
            case ControlType::DropDownList:
                EXPECT_EQ(_wcsicmp(className, L"ComboBox"), 0);
                EXPECT_EQ(style & 3, CBS_DROPDOWNLIST) << "no typing";
                EXPECT_TRUE(style & WS_TABSTOP);
                break;
            case ControlType::CheckListBox:
                EXPECT_EQ(_wcsicmp(className, L"ListBox"), 0);
                EXPECT_TRUE(style & LBS_OWNERDRAWFIXED);
                EXPECT_TRUE(style & LBS_HASSTRINGS);
                EXPECT_FALSE(style & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL));
                EXPECT_TRUE(style & WS_TABSTOP);
                EXPECT_EQ(::SendMessageW(control, LB_GETITEMHEIGHT, 0, 0), placement.rowHeight);
                break;
            default:
                ADD_FAILURE() << "unexpected control";
        }
        if (spec.type == ControlType::CommandButton || spec.type == ControlType::Label) {
            EXPECT_EQ(forms.ControlCaption(placement.id), spec.caption);
        }
        EXPECT_EQ(::IsWindowEnabled(control) != FALSE, spec.enabled);
        EXPECT_TRUE(::IsWindowVisible(control));

        RECT rect{};
        ::GetWindowRect(control, &rect);
        ::MapWindowPoints(nullptr, forms.Window(), reinterpret_cast<POINT*>(&rect), 2);
        EXPECT_EQ(rect.left, placement.rect.left);
        EXPECT_EQ(rect.top, placement.rect.top);
        if (!spec.autoSize) {
            EXPECT_EQ(rect.right, placement.rect.right);
            EXPECT_EQ(rect.bottom, placement.rect.bottom);
        } else {
            EXPECT_GT(rect.right - rect.left, 0) << "sized to its caption";
            EXPECT_GT(rect.bottom - rect.top, 0) << "sized to its caption";
        }
    }
}

TEST_F(Win32FormsTest, APickerDropsEightRowsOrAllItsItemsIfFewer) {
    for (const auto& [picker, rows] : {std::pair{control::HourPicker, 8}, {control::MinutePicker, 8}, {control::SecondPicker, 8}, {control::AmPmPicker, 2}}) {
        EXPECT_EQ(DroppedRows(picker), rows) << NameOf(picker);
    }
}

TEST_F(Win32FormsTest, ZOrderIsTabOrderSoEachLabelPrecedesItsControl) {
    std::vector<int> order;
    for (HWND child = ::GetWindow(forms.Window(), GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        order.push_back(::GetDlgCtrlID(child));
    }
    const std::vector<int> expected = {control::HourLabel,    control::HourPicker,   control::MinuteLabel, control::MinutePicker,  control::SecondLabel,  control::SecondPicker,
                                       control::AmPmLabel,     control::AmPmPicker,   control::ActionLabel, control::ActionList, control::ForceModeLabel, control::ForceModeList,
                                       control::ArmButton,  control::DisarmButton, control::ExitButton,   control::ProgramTitle,     control::CreditLink};
    EXPECT_EQ(order, expected);
}

TEST_F(Win32FormsTest, TheForceModeCaptionLiesHiddenUnderItsList) {
    const HRGN region = ::CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(::GetWindowRgn(Control(control::ForceModeLabel), region), NULLREGION) << "the list is drawn over all of it";
    EXPECT_EQ(::GetWindowRgn(Control(control::HourLabel), region), ERROR) << "an uncovered label keeps all of itself";
    ::DeleteObject(region);
}

TEST_F(Win32FormsTest, FontsHaveTheDesignedFaceSizeAndCharacterSet) {
    struct Case {
        int id;
        const wchar_t* face;
        float points;
        int charset;
    };
    const Case cases[] = {
        {control::ExitButton, L"宋体", 9.0f, 134},     {control::ArmButton, L"宋体", 9.0f, 134},  {control::DisarmButton, L"宋体", 9.0f, 134},
        {control::ActionList, L"宋体", 9.0f, 134},  {control::ForceModeList, L"宋体", 9.0f, 134},   {control::ForceModeLabel, L"宋体", 9.0f, 134},
        {control::HourPicker, L"Tahoma", 9.75f, 0},    {control::AmPmPicker, L"Tahoma", 9.75f, 0},   {control::ProgramTitle, L"Tahoma", 9.0f, 0},
        {control::CreditLink, L"Tahoma", 8.25f, 0},     {control::HourLabel, L"Tahoma", 8.25f, 0},   {control::AmPmLabel, L"Tahoma", 8.25f, 0},
        {control::ActionLabel, L"Tahoma", 8.25f, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(NameOf(c.id));
        const auto font = reinterpret_cast<HFONT>(::SendMessageW(Control(c.id), WM_GETFONT, 0, 0));
        ASSERT_NE(font, nullptr);
        LOGFONTW logFont{};
        ASSERT_TRUE(::GetObjectW(font, sizeof logFont, &logFont));
        EXPECT_STREQ(logFont.lfFaceName, c.face);
        EXPECT_EQ(logFont.lfHeight, -FontPixelHeight(c.points, forms.Dpi()));
        EXPECT_EQ(logFont.lfCharSet, c.charset);
        EXPECT_EQ(logFont.lfWeight, FW_NORMAL);
    }
}

TEST_F(Win32FormsTest, TheTimeOfDayCaptionHasItsToolTip) {
    const HWND toolTip = forms.ToolTipWindow();
    ASSERT_NE(toolTip, nullptr);
    EXPECT_EQ(::GetWindow(toolTip, GW_OWNER), forms.Window());
    ASSERT_EQ(::SendMessageW(toolTip, TTM_GETTOOLCOUNT, 0, 0), 1);
    wchar_t text[80] = {};
    TOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.lpszText = text;
    ASSERT_TRUE(::SendMessageW(toolTip, TTM_ENUMTOOLSW, 0, reinterpret_cast<LPARAM>(&tool)));
    EXPECT_EQ(reinterpret_cast<HWND>(tool.uId), Control(control::AmPmLabel));
    EXPECT_STREQ(text, L"Time of Day");
}

TEST_F(Win32FormsTest, ThePopupMenuHoldsTheDesignedItems) {
    const HMENU menu = forms.MenuHandle(control::TrayMenu);
    ASSERT_NE(menu, nullptr);
    struct Item {
        int id;
        const wchar_t* caption;  // nullptr: a separator
        bool enabled;
    };
    const Item items[] = {{control::HideItem, L"隐藏(&H)", true},       {control::ShowItem, L"显示(&S)", true},
                          {control::MenuSeparator1, nullptr, true},            {control::ArmItem, L"激活(&N)", true},
                          {control::DisarmItem, L"取消(&F)", false},    {control::SnoozeItem, L"推迟(&P)", false},
                          {control::MenuSeparator2, nullptr, true},     {control::DailyItem, L"每天(&D)", true},
                          {control::MenuSeparator3, nullptr, true},     {control::ExitItem, L"退出(&E)", true}};
    ASSERT_EQ(::GetMenuItemCount(menu), static_cast<int>(std::size(items)));
    for (int position = 0; position < static_cast<int>(std::size(items)); ++position) {
        const Item& item = items[position];
        SCOPED_TRACE(NameOf(item.id));
        wchar_t text[64] = {};
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STATE | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = 64;
        ASSERT_TRUE(::GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info));
        EXPECT_EQ(static_cast<int>(info.wID), item.id);
        EXPECT_EQ((info.fType & MFT_SEPARATOR) != 0, item.caption == nullptr);
        if (item.caption) {
            EXPECT_STREQ(text, item.caption);
            EXPECT_EQ(forms.Enabled(item.id), item.enabled);
            EXPECT_EQ(forms.ControlCaption(item.id), item.caption);
        }
    }
}

TEST_F(Win32FormsTest, TheIconIsTheHouseInFourImages) {
    // The group lists its images under the ids the resource gives them.
    const HRSRC found = ::FindResourceW(nullptr, MAKEINTRESOURCEW(kIconResourceId), RT_GROUP_ICON);
    ASSERT_NE(found, nullptr);
    const auto* group = static_cast<const BYTE*>(::LockResource(::LoadResource(nullptr, found)));
    ASSERT_NE(group, nullptr);
    struct Image {
        int size, bits, id;
    };
    const Image expected[] = {{16, 8, 30001}, {32, 8, 30002}, {16, 32, 30003}, {32, 32, 30004}};
    ASSERT_EQ(*reinterpret_cast<const WORD*>(group + 4), 4);
    for (int i = 0; i < 4; ++i) {
        const BYTE* entry = group + 6 + 14 * i;
        EXPECT_EQ(entry[0], expected[i].size);
        EXPECT_EQ(*reinterpret_cast<const WORD*>(entry + 6), expected[i].bits);
        EXPECT_EQ(*reinterpret_cast<const WORD*>(entry + 12), expected[i].id);
        EXPECT_NE(::FindResourceW(nullptr, MAKEINTRESOURCEW(expected[i].id), RT_ICON), nullptr);
    }

    const auto small = reinterpret_cast<HICON>(::SendMessageW(forms.Window(), WM_GETICON, ICON_SMALL, 0));
    EXPECT_NE(small, nullptr);
    EXPECT_NE(::SendMessageW(forms.Window(), WM_GETICON, ICON_BIG, 0), 0);

    // Drawn on white: a white background and walls, the roof yellow-orange, the door orange.
    const HDC screen = ::GetDC(nullptr);
    const HDC dc = ::CreateCompatibleDC(screen);
    const HBITMAP bitmap = ::CreateCompatibleBitmap(screen, 16, 16);
    const HGDIOBJ old = ::SelectObject(dc, bitmap);
    const RECT all{0, 0, 16, 16};
    ::FillRect(dc, &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    ::DrawIconEx(dc, 0, 0, small, 16, 16, 0, nullptr, DI_NORMAL);
    const COLORREF corner = ::GetPixel(dc, 0, 15), roof = ::GetPixel(dc, 8, 5), door = ::GetPixel(dc, 7, 12),
                   wall = ::GetPixel(dc, 4, 11);
    ::SelectObject(dc, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(dc);
    ::ReleaseDC(nullptr, screen);
    EXPECT_EQ(corner, RGB(255, 255, 255)) << "transparent";
    EXPECT_EQ(wall, RGB(255, 255, 255));
    EXPECT_GT(GetRValue(roof), 230);
    EXPECT_GT(GetGValue(roof), 150);
    EXPECT_LT(GetBValue(roof), 80);
    EXPECT_GT(GetRValue(door), 220);
    EXPECT_LT(GetGValue(door), 150);
    EXPECT_LT(GetBValue(door), 60);
}

// ---------------------------------------------------------------------------------------------
// The same events as the memory backend

class Win32FormsParityTest : public Win32FormsTest {
public:
    void Arrange(Forms& target, int list, const std::string& checks, int current) {
        for (int i = 0; i < static_cast<int>(checks.size()); ++i) target.SetSelected(list, i, checks[i] == '1');
        target.SetListIndex(list, current);
    }
    void ClickText(int list, int item) { ClickAt(Control(list), RowTextPoint(list, item)); }
    void ClickBox(int list, int item) { ClickAt(Control(list), RowBoxPoint(list, item)); }
    void FocusAndPress(int list, WORD vk) {
        ::SetFocus(Control(list));
        Press(vk);
    }
};

struct ListAction {
    const char* what;
    int list;
    std::string checksBefore;
    int currentBefore;
    std::function<void(MemoryForms&)> memory;
    std::function<void(Win32FormsParityTest&)> user;
};

TEST_F(Win32FormsParityTest, CheckListsRaiseWhatTheMemoryBackendRaises) {
    const std::vector<ListAction> actions = {
        {"click on a row's text", control::ActionList, "1000", 0, [](MemoryForms& m) { m.UserClickItem(control::ActionList, 2); },
         [](Win32FormsParityTest& t) { t.ClickText(control::ActionList, 2); }},
        {"click on the current row's text", control::ActionList, "0010", 2,
         [](MemoryForms& m) { m.UserClickItem(control::ActionList, 2); },
         [](Win32FormsParityTest& t) { t.ClickText(control::ActionList, 2); }},
        {"click on an unchecked box", control::ActionList, "1000", 0,
         [](MemoryForms& m) { m.UserClickCheckBox(control::ActionList, 3); },
         [](Win32FormsParityTest& t) { t.ClickBox(control::ActionList, 3); }},
        {"click on a checked box", control::ForceModeList, "01", 0, [](MemoryForms& m) { m.UserClickCheckBox(control::ForceModeList, 1); },
         [](Win32FormsParityTest& t) { t.ClickBox(control::ForceModeList, 1); }},
        {"space on the current row", control::ActionList, "0000", 1, [](MemoryForms& m) { m.UserPressSpace(control::ActionList); },
         [](Win32FormsParityTest& t) { t.FocusAndPress(control::ActionList, VK_SPACE); }},
        {"space on a checked current row", control::ForceModeList, "10", 0, [](MemoryForms& m) { m.UserPressSpace(control::ForceModeList); },
         [](Win32FormsParityTest& t) { t.FocusAndPress(control::ForceModeList, VK_SPACE); }},
        {"space without a current row", control::ActionList, "0000", -1,
         [](MemoryForms& m) { m.UserPressSpace(control::ActionList); },
         [](Win32FormsParityTest& t) { t.FocusAndPress(control::ActionList, VK_SPACE); }},
        {"down arrow", control::ActionList, "0100", 1, [](MemoryForms& m) { m.UserPressArrow(control::ActionList, 1); },
         [](Win32FormsParityTest& t) { t.FocusAndPress(control::ActionList, VK_DOWN); }},
        {"down arrow without a current row", control::ForceModeList, "00", -1,
         [](MemoryForms& m) { m.UserPressArrow(control::ForceModeList, 1); },
         [](Win32FormsParityTest& t) { t.FocusAndPress(control::ForceModeList, VK_DOWN); }},
        {"up arrow on the first row", control::ActionList, "1000", 0, [](MemoryForms& m) { m.UserPressArrow(control::ActionList, -1); },
         [](Win32FormsParityTest& t) { t.FocusAndPress(control::ActionList, VK_UP); }},
        {"end key", control::ActionList, "0000", 0, [](MemoryForms& m) { m.UserPressArrow(control::ActionList, 4); },
         [](Win32FormsParityTest& t) { t.FocusAndPress(control::ActionList, VK_END); }},
        {"checking from code", control::ActionList, "0000", -1, [](MemoryForms& m) { m.SetSelected(control::ActionList, 2, true); },
         [](Win32FormsParityTest& t) { t.forms.SetSelected(control::ActionList, 2, true); }},
        {"unchecking from code", control::ForceModeList, "10", 0, [](MemoryForms& m) { m.SetSelected(control::ForceModeList, 0, false); },
         [](Win32FormsParityTest& t) { t.forms.SetSelected(control::ForceModeList, 0, false); }},
        {"moving from code", control::ActionList, "0000", 0, [](MemoryForms& m) { m.SetListIndex(control::ActionList, 3); },
         [](Win32FormsParityTest& t) { t.forms.SetListIndex(control::ActionList, 3); }},
    };
    for (const ListAction& action : actions) {
        SCOPED_TRACE(action.what);
        MemoryForms memory;
        Recorder memoryEvents;
        memory.Load(MainWindowSpec(), memoryEvents);
        Fill(memory);
        memory.Show();
        Arrange(memory, action.list, action.checksBefore, action.currentBefore);
        memory.events.clear();
        action.memory(memory);

        Arrange(forms, action.list, action.checksBefore, action.currentBefore);
        Settle();
        recorder.events.clear();
        action.user(*this);
        WaitForEvents(memory.events.size());

        EXPECT_EQ(recorder.events, memory.events);
        EXPECT_EQ(Checks(forms, action.list), Checks(memory, action.list));
        EXPECT_EQ(forms.ListIndex(action.list), memory.ListIndex(action.list));
    }
}

TEST_F(Win32FormsTest, FillingRaisesNothing) {
    Win32Forms fresh;
    Recorder events;
    fresh.Load(MainWindowSpec(), events);
    Fill(fresh);
    fresh.Show();
    fresh.DoEvents();
    EXPECT_EQ(events.events, std::vector<std::string>{"Load"});
    EXPECT_EQ(fresh.ListCount(control::MinutePicker), 60);
    EXPECT_EQ(fresh.List(control::ActionList, 1), L"关闭电源");
    EXPECT_EQ(fresh.ListIndex(control::ActionList), -1);
    EXPECT_EQ(fresh.Text(control::HourPicker), L"");
}

TEST_F(Win32FormsTest, PickerTextRaisesClickOnlyWhenTheChoiceChanges) {
    EXPECT_TRUE(forms.SetText(control::AmPmPicker, L"PM"));
    EXPECT_TRUE(forms.SetText(control::AmPmPicker, L"PM"));
    EXPECT_FALSE(forms.SetText(control::AmPmPicker, L"pm")) << "exactly that text";
    EXPECT_FALSE(forms.SetText(control::HourPicker, L"13"));
    EXPECT_EQ(recorder.events, std::vector<std::string>{"Click(cboAMPM)"});
    EXPECT_EQ(forms.Text(control::AmPmPicker), L"PM");
    EXPECT_EQ(forms.ListIndex(control::AmPmPicker), 1);
}

TEST_F(Win32FormsTest, ChoosingInAPickerWithTheKeyboardRaisesClick) {
    forms.SetText(control::HourPicker, L"3");
    Focus(control::HourPicker);
    Press(VK_DOWN);
    WaitForEvents(1);
    EXPECT_EQ(recorder.events, std::vector<std::string>{"Click(cboHour)"});
    EXPECT_EQ(forms.Text(control::HourPicker), L"4");
}

TEST_F(Win32FormsTest, ClicksOnButtonsAndTheCreditLabelRaiseClick) {
    ClickAt(Control(control::ArmButton), POINT{10, 10});
    WaitForEvents(1);
    ClickAt(Control(control::DisarmButton), POINT{10, 10});  // disabled
    Settle();
    ClickAt(Control(control::CreditLink), POINT{3, 3});
    WaitForEvents(2);
    EXPECT_EQ(recorder.events, (std::vector<std::string>{"Click(btnTurnON)", "Click(Label2)"}));
}

}  // namespace
}  // namespace brellix::platform::win32::test
