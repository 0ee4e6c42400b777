// The real window, built from frmMain's description and driven with real input: it must look as
// designed and raise the same events as the memory backend for the same user actions.
#include "platform/win32/win32_forms.h"

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/form_geometry.h"
#include "platform/memory/memory_forms.h"
#include "platform/memory/memory_os.h"
#include "platform/win32/dpi.h"
#include "ui/frm_main_layout.h"

namespace brellix::platform::win32 {
namespace {

using namespace brellix::ui;

std::string NameOf(int id) {
    for (const ControlSpec& control : FrmMainSpec().controls) {
        if (control.id == id) return ToCallText(control.name);
    }
    return std::to_string(id);
}

const ControlSpec& SpecOf(int id) {
    static const FormSpec spec = FrmMainSpec();
    for (const ControlSpec& control : spec.controls) {
        if (control.id == id) return control;
    }
    throw std::out_of_range("no such control");
}

// What reaches the program, in the memory backend's words.
class Recorder : public FormEvents {
public:
    std::vector<std::string> events;
    bool cancelUnload = false;
    std::function<void(int)> onClick;
    std::function<void(std::uint32_t)> onTrayNotify;

    void Form_Load() override { events.push_back("Load"); }
    void OnClick(int id) override {
        events.push_back("Click(" + NameOf(id) + ")");
        if (onClick) onClick(id);
    }
    void OnItemCheck(int id, int item) override {
        events.push_back("ItemCheck(" + NameOf(id) + ", " + std::to_string(item) + ")");
    }
    void OnTimer(int id) override { events.push_back("Timer(" + NameOf(id) + ")"); }
    bool OnQueryUnload(UnloadMode mode) override {
        events.push_back("QueryUnload(" + std::to_string(static_cast<int>(mode)) + ")");
        return cancelUnload;
    }
    void OnUnload() override { events.push_back("Unload"); }
    void OnTrayNotify(std::uint32_t code) override {
        events.push_back("TrayNotify(" + std::to_string(code) + ")");
        if (onTrayNotify) onTrayNotify(code);
    }
    void OnTaskbarCreated() override { events.push_back("TaskbarCreated"); }
    void OnEndSession() override { events.push_back("EndSession"); }
};

// The items the program fills in at load.
void Fill(Forms& forms) {
    for (int hour = 1; hour <= 12; ++hour) forms.AddItem(cboHour, std::to_wstring(hour));
    for (int value = 0; value < 60; ++value) {
        forms.AddItem(cboMinute, std::to_wstring(value));
        forms.AddItem(cboSecond, std::to_wstring(value));
    }
    for (const wchar_t* action : {L"关闭系统", L"关闭电源", L"重启", L"注销"}) forms.AddItem(lstOptions, action);
    for (const wchar_t* ampm : {L"AM", L"PM"}) forms.AddItem(cboAMPM, ampm);
    for (const wchar_t* force : {L"自动断电", L"让用户断电"}) forms.AddItem(lstExtra, force);
}

// A list's checks as "0100".
std::string Checks(const Forms& forms, int list) {
    std::string checks;
    for (int i = 0; i < forms.ListCount(list); ++i) checks += forms.Selected(list, i) ? '1' : '0';
    return checks;
}

// --- Real input ---

void SendKeys(std::initializer_list<std::pair<WORD, bool>> keys) {
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

void Press(WORD vk) { SendKeys({{vk, true}, {vk, false}}); }

void PressWith(WORD modifier, WORD vk) { SendKeys({{modifier, true}, {vk, true}, {vk, false}, {modifier, false}}); }

// The position travels with the button events: a separate SetCursorPos can lose a race with the
// display's own pointer reports.
void ClickAt(HWND window, POINT client) {
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

class Win32FormsTest : public ::testing::Test {
public:
    Win32Forms forms;
    Recorder recorder;

    void SetUp() override {
        forms.Load(FrmMainSpec(), recorder);
        ASSERT_TRUE(forms.IsLoaded());
        Fill(forms);
        forms.SetLeft(120 * forms.TwipsPerPixel());
        forms.SetTop(90 * forms.TwipsPerPixel());
        forms.Show();
        ::SetForegroundWindow(forms.Window());
        Settle();
        recorder.events.clear();
    }

    HWND Control(int id) const { return forms.ControlWindow(id); }

    // Handles every waiting message, input included, until the queue is empty.
    void Settle() {
        const ULONGLONG start = ::GetTickCount64();
        do {
            forms.DoEvents();
            ::Sleep(10);
            forms.DoEvents();
        } while (HIWORD(::GetQueueStatus(QS_ALLINPUT)) != 0 && ::GetTickCount64() - start < 3000);
    }

    // Handles messages until the program has seen `count` events, or gives up after a while.
    void WaitForEvents(std::size_t count) {
        const ULONGLONG start = ::GetTickCount64();
        while (recorder.events.size() < count && ::GetTickCount64() - start < 3000) {
            forms.DoEvents();
            ::Sleep(5);
        }
        Settle();
    }

    int FocusedId() const {
        const HWND focus = ::GetFocus();
        return focus ? ::GetDlgCtrlID(focus) : 0;
    }

    void Focus(int id) {
        ::SetFocus(Control(id));
        Settle();
        recorder.events.clear();
    }

    RECT RowRect(int listId, int item) const {
        RECT row{};
        ::SendMessageW(Control(listId), LB_GETITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&row));
        return row;
    }
    POINT RowTextPoint(int listId, int item) const {
        const RECT row = RowRect(listId, item);
        return POINT{row.left + (row.right - row.left) / 2, (row.top + row.bottom) / 2};
    }
    // How many whole rows a picker's list shows when it drops down.
    int DroppedRows(int pickerId) {
        const HWND picker = Control(pickerId);
        COMBOBOXINFO info{};
        info.cbSize = sizeof info;
        if (!::GetComboBoxInfo(picker, &info)) return -1;
        ::SendMessageW(picker, CB_SHOWDROPDOWN, TRUE, 0);
        RECT list{};
        ::GetClientRect(info.hwndList, &list);
        ::SendMessageW(picker, CB_SHOWDROPDOWN, FALSE, 0);
        Settle();
        recorder.events.clear();
        const auto rowHeight = static_cast<int>(::SendMessageW(picker, CB_GETITEMHEIGHT, 0, 0));
        return rowHeight > 0 ? static_cast<int>(list.bottom) / rowHeight : -1;
    }
    POINT RowBoxPoint(int listId, int item) const {
        const RECT row = RowRect(listId, item);
        return POINT{row.left + (row.bottom - row.top) / 2, (row.top + row.bottom) / 2};
    }
};

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

    const FormGeometry geometry = LayoutForm(FrmMainSpec(), forms.Dpi());
    RECT client{};
    ::GetClientRect(window, &client);
    EXPECT_EQ(client.right, geometry.clientWidth);
    EXPECT_EQ(client.bottom, geometry.clientHeight);
    EXPECT_FLOAT_EQ(forms.TwipsPerPixel(), 1440.0f / static_cast<float>(forms.Dpi()));
}

TEST_F(Win32FormsTest, EveryControlIsTheDesignedKindAtTheDesignedPlace) {
    const FormGeometry geometry = LayoutForm(FrmMainSpec(), forms.Dpi());
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
    for (const auto& [picker, rows] : {std::pair{cboHour, 8}, {cboMinute, 8}, {cboSecond, 8}, {cboAMPM, 2}}) {
        EXPECT_EQ(DroppedRows(picker), rows) << NameOf(picker);
    }
}

TEST_F(Win32FormsTest, ZOrderIsTabOrderSoEachLabelPrecedesItsControl) {
    std::vector<int> order;
    for (HWND child = ::GetWindow(forms.Window(), GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        order.push_back(::GetDlgCtrlID(child));
    }
    const std::vector<int> expected = {lblHour,    cboHour,   lblMinute, cboMinute,  Label3,  cboSecond,
                                       lblTOD,     cboAMPM,   optOptions, lstOptions, lblExtra, lstExtra,
                                       btnTurnON,  btnTurnOFF, btnExit,   Label1,     Label2};
    EXPECT_EQ(order, expected);
}

TEST_F(Win32FormsTest, TheForceModeCaptionLiesHiddenUnderItsList) {
    const HRGN region = ::CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(::GetWindowRgn(Control(lblExtra), region), NULLREGION) << "the list is drawn over all of it";
    EXPECT_EQ(::GetWindowRgn(Control(lblHour), region), ERROR) << "an uncovered label keeps all of itself";
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
        {btnExit, L"宋体", 9.0f, 134},     {btnTurnON, L"宋体", 9.0f, 134},  {btnTurnOFF, L"宋体", 9.0f, 134},
        {lstOptions, L"宋体", 9.0f, 134},  {lstExtra, L"宋体", 9.0f, 134},   {lblExtra, L"宋体", 9.0f, 134},
        {cboHour, L"Tahoma", 9.75f, 0},    {cboAMPM, L"Tahoma", 9.75f, 0},   {Label1, L"Tahoma", 9.0f, 0},
        {Label2, L"Tahoma", 8.25f, 0},     {lblHour, L"Tahoma", 8.25f, 0},   {lblTOD, L"Tahoma", 8.25f, 0},
        {optOptions, L"Tahoma", 8.25f, 0},
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
    EXPECT_EQ(reinterpret_cast<HWND>(tool.uId), Control(lblTOD));
    EXPECT_STREQ(text, L"Time of Day");
}

TEST_F(Win32FormsTest, ThePopupMenuHoldsTheDesignedItems) {
    const HMENU menu = forms.MenuHandle(mnuPopup);
    ASSERT_NE(menu, nullptr);
    struct Item {
        int id;
        const wchar_t* caption;  // nullptr: a separator
        bool enabled;
    };
    const Item items[] = {{mnuPopupHide, L"隐藏(&H)", true},       {mnuPopupShow, L"显示(&S)", true},
                          {mnuPopupSep0, nullptr, true},            {mnuPopupTurnON, L"激活(&N)", true},
                          {mnuPopupTurnOFF, L"取消(&F)", false},    {mnuPopupSep1, nullptr, true},
                          {mnuPopupExit, L"退出(&E)", true}};
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
    EXPECT_EQ(forms.Icon(), small) << "the tray gets the window's own icon";

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
        {"click on a row's text", lstOptions, "1000", 0, [](MemoryForms& m) { m.UserClickItem(lstOptions, 2); },
         [](Win32FormsParityTest& t) { t.ClickText(lstOptions, 2); }},
        {"click on the current row's text", lstOptions, "0010", 2,
         [](MemoryForms& m) { m.UserClickItem(lstOptions, 2); },
         [](Win32FormsParityTest& t) { t.ClickText(lstOptions, 2); }},
        {"click on an unchecked box", lstOptions, "1000", 0,
         [](MemoryForms& m) { m.UserClickCheckBox(lstOptions, 3); },
         [](Win32FormsParityTest& t) { t.ClickBox(lstOptions, 3); }},
        {"click on a checked box", lstExtra, "01", 0, [](MemoryForms& m) { m.UserClickCheckBox(lstExtra, 1); },
         [](Win32FormsParityTest& t) { t.ClickBox(lstExtra, 1); }},
        {"space on the current row", lstOptions, "0000", 1, [](MemoryForms& m) { m.UserPressSpace(lstOptions); },
         [](Win32FormsParityTest& t) { t.FocusAndPress(lstOptions, VK_SPACE); }},
        {"space on a checked current row", lstExtra, "10", 0, [](MemoryForms& m) { m.UserPressSpace(lstExtra); },
         [](Win32FormsParityTest& t) { t.FocusAndPress(lstExtra, VK_SPACE); }},
        {"space without a current row", lstOptions, "0000", -1,
         [](MemoryForms& m) { m.UserPressSpace(lstOptions); },
         [](Win32FormsParityTest& t) { t.FocusAndPress(lstOptions, VK_SPACE); }},
        {"down arrow", lstOptions, "0100", 1, [](MemoryForms& m) { m.UserPressArrow(lstOptions, 1); },
         [](Win32FormsParityTest& t) { t.FocusAndPress(lstOptions, VK_DOWN); }},
        {"down arrow without a current row", lstExtra, "00", -1,
         [](MemoryForms& m) { m.UserPressArrow(lstExtra, 1); },
         [](Win32FormsParityTest& t) { t.FocusAndPress(lstExtra, VK_DOWN); }},
        {"up arrow on the first row", lstOptions, "1000", 0, [](MemoryForms& m) { m.UserPressArrow(lstOptions, -1); },
         [](Win32FormsParityTest& t) { t.FocusAndPress(lstOptions, VK_UP); }},
        {"end key", lstOptions, "0000", 0, [](MemoryForms& m) { m.UserPressArrow(lstOptions, 4); },
         [](Win32FormsParityTest& t) { t.FocusAndPress(lstOptions, VK_END); }},
        {"checking from code", lstOptions, "0000", -1, [](MemoryForms& m) { m.SetSelected(lstOptions, 2, true); },
         [](Win32FormsParityTest& t) { t.forms.SetSelected(lstOptions, 2, true); }},
        {"unchecking from code", lstExtra, "10", 0, [](MemoryForms& m) { m.SetSelected(lstExtra, 0, false); },
         [](Win32FormsParityTest& t) { t.forms.SetSelected(lstExtra, 0, false); }},
        {"moving from code", lstOptions, "0000", 0, [](MemoryForms& m) { m.SetListIndex(lstOptions, 3); },
         [](Win32FormsParityTest& t) { t.forms.SetListIndex(lstOptions, 3); }},
    };
    for (const ListAction& action : actions) {
        SCOPED_TRACE(action.what);
        MemoryForms memory;
        Recorder memoryEvents;
        memory.Load(FrmMainSpec(), memoryEvents);
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
    fresh.Load(FrmMainSpec(), events);
    Fill(fresh);
    fresh.Show();
    fresh.DoEvents();
    EXPECT_EQ(events.events, std::vector<std::string>{"Load"});
    EXPECT_EQ(fresh.ListCount(cboMinute), 60);
    EXPECT_EQ(fresh.List(lstOptions, 1), L"关闭电源");
    EXPECT_EQ(fresh.ListIndex(lstOptions), -1);
    EXPECT_EQ(fresh.Text(cboHour), L"");
}

TEST_F(Win32FormsTest, PickerTextRaisesClickOnlyWhenTheChoiceChanges) {
    EXPECT_TRUE(forms.SetText(cboAMPM, L"PM"));
    EXPECT_TRUE(forms.SetText(cboAMPM, L"PM"));
    EXPECT_FALSE(forms.SetText(cboAMPM, L"pm")) << "exactly that text";
    EXPECT_FALSE(forms.SetText(cboHour, L"13"));
    EXPECT_EQ(recorder.events, std::vector<std::string>{"Click(cboAMPM)"});
    EXPECT_EQ(forms.Text(cboAMPM), L"PM");
    EXPECT_EQ(forms.ListIndex(cboAMPM), 1);
}

TEST_F(Win32FormsTest, ChoosingInAPickerWithTheKeyboardRaisesClick) {
    forms.SetText(cboHour, L"3");
    Focus(cboHour);
    Press(VK_DOWN);
    WaitForEvents(1);
    EXPECT_EQ(recorder.events, std::vector<std::string>{"Click(cboHour)"});
    EXPECT_EQ(forms.Text(cboHour), L"4");
}

TEST_F(Win32FormsTest, ClicksOnButtonsAndTheCreditLabelRaiseClick) {
    ClickAt(Control(btnTurnON), POINT{10, 10});
    WaitForEvents(1);
    ClickAt(Control(btnTurnOFF), POINT{10, 10});  // disabled
    Settle();
    ClickAt(Control(Label2), POINT{3, 3});
    WaitForEvents(2);
    EXPECT_EQ(recorder.events, (std::vector<std::string>{"Click(btnTurnON)", "Click(Label2)"}));
}

// ---------------------------------------------------------------------------------------------
// The keyboard

TEST_F(Win32FormsTest, TabVisitsTheControlsInTabIndexOrder) {
    Focus(cboHour);
    std::vector<int> visited;
    for (int i = 0; i < 8; ++i) {
        Press(VK_TAB);
        Settle();
        visited.push_back(FocusedId());
    }
    // btnTurnOFF is disabled until the schedule is armed.
    const std::vector<int> forward = {cboMinute, cboSecond, cboAMPM, lstOptions, lstExtra, btnTurnON, btnExit, cboHour};
    EXPECT_EQ(visited, forward);

    PressWith(VK_SHIFT, VK_TAB);
    Settle();
    EXPECT_EQ(FocusedId(), btnExit);
    EXPECT_TRUE(recorder.events.empty());
}

TEST_F(Win32FormsTest, AccessKeysMoveTheFocusOrClickAsDesigned) {
    struct Case {
        const char* what;
        int focusBefore;
        WORD key;
        int focusAfter;  // 0: not looked at
        std::vector<std::string> events;
    };
    const Case cases[] = {
        {"Alt+H: the hour picker", btnExit, 'H', cboHour, {}},
        {"Alt+M: the minute picker", cboHour, 'M', cboMinute, {}},
        {"Alt+S: the second picker", cboHour, 'S', cboSecond, {}},
        {"Alt+T: the AM/PM picker", cboHour, 'T', cboAMPM, {}},
        {"Alt+O: the action list", cboHour, 'O', lstOptions, {}},
        // Two controls share E: the dialog manager takes the first after the focus, in tab order.
        {"Alt+E before the force-mode list: its caption", cboHour, 'E', lstExtra, {}},
        {"Alt+E from the force-mode list on: the exit button", lstExtra, 'E', 0, {"Click(btnExit)"}},
        {"Alt+N: the arm button", cboHour, 'N', 0, {"Click(btnTurnON)"}},
        {"Alt+F while the disarm button is disabled", cboHour, 'F', cboHour, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Focus(c.focusBefore);
        PressWith(VK_MENU, c.key);
        WaitForEvents(c.events.size());
        EXPECT_EQ(recorder.events, c.events);
        if (c.focusAfter) {
            EXPECT_EQ(FocusedId(), c.focusAfter);
        }
    }
    forms.SetEnabled(btnTurnOFF, true);
    Focus(cboHour);
    PressWith(VK_MENU, 'F');
    WaitForEvents(1);
    EXPECT_EQ(recorder.events, std::vector<std::string>{"Click(btnTurnOFF)"});
}

TEST_F(Win32FormsTest, EnterClicksTheDefaultButtonOrTheFocusedOneAndEscTheCancelButton) {
    struct Case {
        const char* what;
        int focus;
        WORD key;
        std::vector<std::string> events;
    };
    const Case cases[] = {
        {"Enter in a list", lstOptions, VK_RETURN, {"Click(btnTurnON)"}},
        {"Enter in a picker", cboSecond, VK_RETURN, {"Click(btnTurnON)"}},
        {"Enter on the exit button", btnExit, VK_RETURN, {"Click(btnExit)"}},
        {"Enter back in a list", lstExtra, VK_RETURN, {"Click(btnTurnON)"}},
        {"Esc in a list", lstOptions, VK_ESCAPE, {"Click(btnExit)"}},
        {"Esc on the arm button", btnTurnON, VK_ESCAPE, {"Click(btnExit)"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Focus(c.focus);
        Press(c.key);
        WaitForEvents(c.events.size());
        EXPECT_EQ(recorder.events, c.events);
    }
    forms.SetEnabled(btnTurnON, false);
    Focus(lstOptions);
    Press(VK_RETURN);
    Settle();
    EXPECT_TRUE(recorder.events.empty()) << "a disabled default button is not clicked";
}

TEST_F(Win32FormsTest, DisablingTheFocusedControlHandsTheFocusOn) {
    Focus(btnTurnON);
    forms.SetEnabled(btnTurnON, false);
    EXPECT_EQ(FocusedId(), btnExit);
    EXPECT_TRUE(recorder.events.empty());
}

// ---------------------------------------------------------------------------------------------
// The window's own events

TEST_F(Win32FormsTest, CloseRequestsAskTheProgramWithTheirCause) {
    recorder.cancelUnload = true;
    ::SendMessageW(forms.Window(), WM_SYSCOMMAND, SC_CLOSE, 0);
    ::SendMessageW(forms.Window(), WM_CLOSE, 0, 0);
    forms.Unload();
    EXPECT_EQ(recorder.events,
              (std::vector<std::string>{"QueryUnload(0)", "QueryUnload(3)", "QueryUnload(1)"}));
    EXPECT_TRUE(forms.IsLoaded());
    EXPECT_TRUE(::IsWindow(forms.Window()));

    recorder.cancelUnload = false;
    recorder.events.clear();
    const HWND window = forms.Window();
    forms.Unload();
    EXPECT_EQ(recorder.events, (std::vector<std::string>{"QueryUnload(1)", "Unload"}));
    EXPECT_FALSE(forms.IsLoaded());
    EXPECT_FALSE(::IsWindow(window));
    EXPECT_EQ(forms.RunMessageLoop(), 0) << "nothing left to run";
}

TEST_F(Win32FormsTest, AnUnloadFromAHandlerEndsTheMessageLoop) {
    recorder.onClick = [this](int id) {
        if (id == btnExit) forms.Unload();
    };
    ::PostMessageW(forms.Window(), WM_COMMAND, MAKEWPARAM(btnExit, BN_CLICKED),
                   reinterpret_cast<LPARAM>(Control(btnExit)));
    EXPECT_EQ(forms.RunMessageLoop(), 0);
    EXPECT_EQ(recorder.events, (std::vector<std::string>{"Click(btnExit)", "QueryUnload(1)", "Unload"}));
}

TEST_F(Win32FormsTest, TheSessionMayEndAndTheProgramIsToldWhenItDoes) {
    EXPECT_EQ(::SendMessageW(forms.Window(), WM_QUERYENDSESSION, 0, 0), TRUE);
    ::SendMessageW(forms.Window(), WM_ENDSESSION, FALSE, 0);
    EXPECT_TRUE(recorder.events.empty());
    ::SendMessageW(forms.Window(), WM_ENDSESSION, TRUE, 0);
    EXPECT_EQ(recorder.events, std::vector<std::string>{"EndSession"});
}

TEST_F(Win32FormsTest, TheTrayReportsThroughItsOwnMessageOnly) {
    ::SendMessageW(forms.Window(), WM_MOUSEMOVE, 0, MAKELPARAM(0x204, 0));
    ::SendMessageW(forms.Window(), forms.TrayCallbackMessage(), 1, WM_RBUTTONDOWN);
    ::SendMessageW(forms.Window(), forms.TrayCallbackMessage(), 1, WM_LBUTTONDBLCLK);
    ::SendMessageW(forms.Window(), ::RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    EXPECT_EQ(recorder.events,
              (std::vector<std::string>{"TrayNotify(516)", "TrayNotify(515)", "TaskbarCreated"}));
}

TEST_F(Win32FormsTest, TheTimerTicksOnlyWhileEnabled) {
    EXPECT_FALSE(forms.Enabled(tmrShutdown));
    forms.SetEnabled(tmrShutdown, true);
    WaitForEvents(2);
    forms.SetEnabled(tmrShutdown, false);
    Settle();
    const std::size_t ticks = recorder.events.size();
    EXPECT_GE(ticks, 2u);
    EXPECT_EQ(std::count(recorder.events.begin(), recorder.events.end(), "Timer(tmrShutdown)"),
              static_cast<std::ptrdiff_t>(ticks));
    ::Sleep(400);
    Settle();
    EXPECT_EQ(recorder.events.size(), ticks);
}

// Chooses in the open popup menu from a timer the menu's own loop dispatches.
struct MenuScript {
    static inline std::function<void(HWND)> action;
    static inline bool sawMenu = false;
    static void CALLBACK Tick(HWND, UINT, UINT_PTR timer, DWORD) {
        const HWND menu = ::FindWindowW(L"#32768", nullptr);
        if (!menu || !::IsWindowVisible(menu)) return;
        ::KillTimer(nullptr, timer);
        sawMenu = true;
        action(menu);
    }
};

TEST_F(Win32FormsTest, PopupMenuRaisesItsOwnClickFirstAndTheChosenItemAfterItCloses) {
    struct Case {
        const char* what;
        std::vector<WORD> keys;  // posted to the open menu
        bool openingDisablesHide;
        std::vector<std::string> events;
    };
    const Case cases[] = {
        {"an enabled item", {'H'}, false, {"Click(mnuPopup)", "Click(mnuPopupHide)"}},
        {"the exit item", {'E'}, false, {"Click(mnuPopup)", "Click(mnuPopupExit)"}},
        {"a disabled item", {'F', VK_ESCAPE}, false, {"Click(mnuPopup)"}},
        {"an item the opening handler disabled", {'H', VK_ESCAPE}, true, {"Click(mnuPopup)"}},
        {"nothing", {VK_ESCAPE}, false, {"Click(mnuPopup)"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        recorder.onClick = [&](int id) {
            if (id == mnuPopup) forms.SetEnabled(mnuPopupHide, !c.openingDisablesHide);
        };
        bool hideEnabledWhenShown = false;
        MenuScript::sawMenu = false;
        MenuScript::action = [&](HWND menu) {
            hideEnabledWhenShown = forms.Enabled(mnuPopupHide);
            for (WORD key : c.keys) ::PostMessageW(menu, WM_KEYDOWN, key, 0);
        };
        recorder.events.clear();
        ::SetTimer(nullptr, 0, 50, MenuScript::Tick);
        forms.PopupMenu(mnuPopup);
        EXPECT_TRUE(MenuScript::sawMenu);
        EXPECT_EQ(hideEnabledWhenShown, !c.openingDisablesHide) << "the opening handler ran before it showed";
        EXPECT_EQ(recorder.events, c.events);
        Settle();
    }
}

// The backend catches nothing: a fault in a handler reaches the top of the program, where nothing
// catches it either and so it ends the program (here in a second process), whether its message
// came through the message loop or was sent straight from user32. Nothing swallows it on the way.
TEST_F(Win32FormsTest, AFaultInAHandlerEndsTheProgram) {
    recorder.onTrayNotify = [](std::uint32_t) { throw std::runtime_error("tray handler failed"); };
    recorder.onClick = [](int) { throw std::runtime_error("click handler failed"); };
    // As in the program: no handler above the forms (GoogleTest's own would catch it).
    const auto uncaught = [](auto&& statement) noexcept { statement(); };
    EXPECT_DEATH(uncaught([&] {
                     ::PostMessageW(forms.Window(), forms.TrayCallbackMessage(), 1, WM_RBUTTONDOWN);
                     forms.DoEvents();
                 }),
                 "tray handler failed");
    EXPECT_DEATH(uncaught([&] { ::SendMessageW(Control(btnTurnON), BM_CLICK, 0, 0); }), "click handler failed");
}

// ---------------------------------------------------------------------------------------------
// Placement, state and DPI

TEST_F(Win32FormsTest, PositionIsInScreenTwips) {
    forms.SetLeft(200 * forms.TwipsPerPixel());
    forms.SetTop(150 * forms.TwipsPerPixel());
    RECT rect{};
    ::GetWindowRect(forms.Window(), &rect);
    EXPECT_EQ(rect.left, 200);
    EXPECT_EQ(rect.top, 150);
    EXPECT_FLOAT_EQ(forms.Left(), 200 * forms.TwipsPerPixel());
    EXPECT_FLOAT_EQ(forms.Top(), 150 * forms.TwipsPerPixel());
    const ScreenRect seen = forms.WindowRect();
    EXPECT_EQ(seen.left, rect.left);
    EXPECT_EQ(seen.bottom, rect.bottom);
}

TEST_F(Win32FormsTest, MinimiseHideAndNormalLeavesTheWindowHiddenNormalAndInPlace) {
    const ScreenRect before = forms.WindowRect();
    forms.SetWindowState(WindowState::Minimized);
    Settle();
    EXPECT_EQ(forms.GetWindowState(), WindowState::Minimized);
    forms.Hide();
    forms.SetWindowState(WindowState::Normal);
    Settle();
    EXPECT_FALSE(forms.Visible());
    EXPECT_EQ(forms.GetWindowState(), WindowState::Normal);
    EXPECT_EQ(forms.WindowRect().left, before.left) << "the place it will show at";
    EXPECT_EQ(forms.WindowRect().top, before.top);

    forms.Show();
    Settle();
    EXPECT_TRUE(forms.Visible());
    EXPECT_FALSE(::IsIconic(forms.Window()));
    RECT rect{};
    ::GetWindowRect(forms.Window(), &rect);
    EXPECT_EQ(rect.left, before.left);
    EXPECT_EQ(rect.top, before.top);
    EXPECT_EQ(rect.right - rect.left, before.right - before.left);
}

TEST_F(Win32FormsTest, ADpiChangeLaysTheWindowOutAgainWithNewFonts) {
    for (int dpi : {144, 120, 192, 96}) {
        SCOPED_TRACE(std::to_string(dpi) + " DPI");
        RECT suggested{};
        ::GetWindowRect(forms.Window(), &suggested);
        ::SendMessageW(forms.Window(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
        EXPECT_EQ(forms.Dpi(), dpi);
        EXPECT_FLOAT_EQ(forms.TwipsPerPixel(), 1440.0f / static_cast<float>(dpi));
        const FormGeometry geometry = LayoutForm(FrmMainSpec(), dpi);
        RECT client{};
        ::GetClientRect(forms.Window(), &client);
        EXPECT_EQ(client.right, geometry.clientWidth);
        EXPECT_EQ(client.bottom, geometry.clientHeight);
        for (int id : {btnExit, lstOptions, cboMinute, Label1}) {
            RECT rect{};
            ::GetWindowRect(Control(id), &rect);
            ::MapWindowPoints(nullptr, forms.Window(), reinterpret_cast<POINT*>(&rect), 2);
            const PixelRect& expected = geometry.Find(id)->rect;
            EXPECT_EQ((PixelRect{rect.left, rect.top, rect.right, rect.bottom}), expected) << NameOf(id);
        }
        EXPECT_EQ(::SendMessageW(Control(lstOptions), LB_GETITEMHEIGHT, 0, 0), geometry.Find(lstOptions)->rowHeight);
        EXPECT_EQ(DroppedRows(cboSecond), 8);
        LOGFONTW logFont{};
        ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(Control(btnExit), WM_GETFONT, 0, 0)), sizeof logFont,
                     &logFont);
        EXPECT_EQ(logFont.lfHeight, -FontPixelHeight(9.0f, dpi));
        EXPECT_STREQ(logFont.lfFaceName, L"宋体");
    }
}

}  // namespace
}  // namespace brellix::platform::win32
