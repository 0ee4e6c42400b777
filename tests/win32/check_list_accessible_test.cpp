// What a screen reader finds in the main window's check-box lists: each row a check box with its text and
// check, the list named by its label, and a row's default action doing what a click on its box
// does. Most cases call the object the list hands out directly; one asks oleacc for it through the
// list's window, and tests/e2e/accessibility.sh does so from another process.
#include "platform/win32/check_list_accessible.h"

#include <windows.h>
#include <oleacc.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/memory/memory_os.h"
#include "platform/win32/check_list.h"
#include "platform/win32/win32_forms.h"
#include "scheduler/schedule.h"
#include "ui/main_window.h"
#include "ui/main_window_design.h"

namespace brellix::platform::win32 {
namespace {

using namespace brellix::ui;

// Records what the lists raise, on its way to the program's own handlers.
class Tap : public FormEvents {
public:
    explicit Tap(FormEvents& program) : program_(program) {}
    std::vector<std::string> events;

    void OnLoad() override { program_.OnLoad(); }
    void OnClick(int id) override {
        if (id == control::ActionList || id == control::ForceModeList) events.push_back("Click(" + std::to_string(id) + ")");
        program_.OnClick(id);
    }
    void OnItemCheck(int id, int item) override {
        events.push_back("ItemCheck(" + std::to_string(id) + ", " + std::to_string(item) + ")");
        program_.OnItemCheck(id, item);
    }
    void OnTimer(int id) override { program_.OnTimer(id); }
    bool OnCloseRequested(CloseReason reason) override { return program_.OnCloseRequested(reason); }
    void OnUnload() override { program_.OnUnload(); }
    void OnTrayActivated() override { program_.OnTrayActivated(); }
    void OnTrayMenuRequested() override { program_.OnTrayMenuRequested(); }
    void OnTrayCameBack() override { program_.OnTrayCameBack(); }
    void OnEndSession() override { program_.OnEndSession(); }

private:
    FormEvents& program_;
};

// The main window on the real window, as it starts: the second action and the second force mode checked.
struct Program {
    MemoryOs os;  // nothing of the system is asked for here
    Win32Forms forms;
    scheduler::Schedule schedule;
    MainWindowState frmState;
    MainWindow frm{forms, os, schedule, frmState};
    Tap tap{frm};

    Program() {
        forms.Load(MainWindowSpec(), tap);
        forms.Show();
        forms.DoEvents();
        tap.events.clear();
    }
    ~Program() {
        if (forms.IsLoaded()) forms.Unload();
    }
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    HWND List(int id) const { return forms.ControlWindow(id); }
    UniqueAccessible Object(int id) const { return check_list_accessible::ObjectFor(List(id)); }

    std::string Checks(int id) const {
        std::string marks;
        for (int i = 0; i < forms.ListCount(id); ++i) marks += forms.Selected(id, i) ? '1' : '0';
        return marks;
    }

    // A left click on the row's check box, as the mouse delivers it.
    void ClickBox(int id, int item) {
        RECT row{};
        ::SendMessageW(List(id), LB_GETITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&row));
        const LPARAM point = MAKELPARAM(row.left + 4, (row.top + row.bottom) / 2);
        ::SendMessageW(List(id), WM_LBUTTONDOWN, MK_LBUTTON, point);
        ::SendMessageW(List(id), WM_LBUTTONUP, 0, point);
        forms.DoEvents();
    }
};

VARIANT Child(LONG id) {
    VARIANT child;
    ::VariantInit(&child);
    child.vt = VT_I4;
    child.lVal = id;
    return child;
}

// A text property of a child; "<none>" when the object gives none.
std::wstring TextOf(IAccessible& object, HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, BSTR*), LONG child) {
    BSTR text = nullptr;
    if ((object.*get)(Child(child), &text) != S_OK || !text) return L"<none>";
    std::wstring taken(text, ::SysStringLen(text));
    ::SysFreeString(text);
    return taken;
}
std::wstring Name(IAccessible& object, LONG child) { return TextOf(object, &IAccessible::get_accName, child); }
std::wstring DefaultAction(IAccessible& object, LONG child) {
    return TextOf(object, &IAccessible::get_accDefaultAction, child);
}
std::wstring Shortcut(IAccessible& object) {
    return TextOf(object, &IAccessible::get_accKeyboardShortcut, CHILDID_SELF);
}

LONG Role(IAccessible& object, LONG child) {
    VARIANT role;
    ::VariantInit(&role);
    return SUCCEEDED(object.get_accRole(Child(child), &role)) && role.vt == VT_I4 ? role.lVal : -1;
}

LONG State(IAccessible& object, LONG child) {
    VARIANT state;
    ::VariantInit(&state);
    return SUCCEEDED(object.get_accState(Child(child), &state)) && state.vt == VT_I4 ? state.lVal : -1;
}

// --- What a reader reads ---

TEST(CheckListAccessible, RowsReadAsCheckBoxesWithTheirTextAndCheck) {
    Program program;
    program.forms.SetListIndex(control::ActionList, 1);
    ::SetFocus(program.List(control::ActionList));
    program.forms.DoEvents();

    struct Row {
        int list;
        LONG child;
        const wchar_t* name;
        LONG state;
        const wchar_t* action;
    };
    constexpr LONG kRow = STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_SELECTABLE;
    const Row rows[] = {
        {control::ActionList, 1, L"关闭系统", kRow, L"Check"},
        {control::ActionList, 2, L"关闭电源", kRow | STATE_SYSTEM_CHECKED | STATE_SYSTEM_SELECTED | STATE_SYSTEM_FOCUSED,
         L"Uncheck"},
        {control::ActionList, 3, L"重启", kRow, L"Check"},
        {control::ActionList, 4, L"注销", kRow, L"Check"},
        {control::ForceModeList, 1, L"自动断电", kRow, L"Check"},
        {control::ForceModeList, 2, L"让用户断电", kRow | STATE_SYSTEM_CHECKED | STATE_SYSTEM_SELECTED, L"Uncheck"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "list " << row.list << ", child " << row.child);
        const UniqueAccessible object = program.Object(row.list);
        ASSERT_TRUE(object);
        EXPECT_EQ(Name(*object.get(), row.child), row.name);
        EXPECT_EQ(Role(*object.get(), row.child), ROLE_SYSTEM_CHECKBUTTON);
        EXPECT_EQ(State(*object.get(), row.child), row.state);
        EXPECT_EQ(DefaultAction(*object.get(), row.child), row.action);
    }
}

TEST(CheckListAccessible, EachListIsAListNamedByItsLabel) {
    Program program;
    ::SetFocus(program.List(control::ForceModeList));
    program.forms.DoEvents();

    struct List {
        int id;
        const wchar_t* name;
        const wchar_t* shortcut;
        LONG rows;
        LONG state;
    };
    const List lists[] = {
        {control::ActionList, L"选项", L"Alt+O", 4, STATE_SYSTEM_FOCUSABLE},
        {control::ForceModeList, L"执行", L"Alt+E", 2, STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_FOCUSED},
    };
    for (const List& list : lists) {
        SCOPED_TRACE(testing::Message() << "list " << list.id);
        const UniqueAccessible object = program.Object(list.id);
        ASSERT_TRUE(object);
        EXPECT_EQ(Name(*object.get(), CHILDID_SELF), list.name);
        EXPECT_EQ(Shortcut(*object.get()), list.shortcut);
        EXPECT_EQ(Role(*object.get(), CHILDID_SELF), ROLE_SYSTEM_LIST);
        EXPECT_EQ(State(*object.get(), CHILDID_SELF), list.state);
        LONG count = -1;
        EXPECT_EQ(object.get()->get_accChildCount(&count), S_OK);
        EXPECT_EQ(count, list.rows);
        EXPECT_EQ(Name(*object.get(), list.rows + 1), L"<none>") << "no row past the last";
        EXPECT_EQ(DefaultAction(*object.get(), CHILDID_SELF), L"<none>") << "the list itself has no action";
    }
}

TEST(CheckListAccessible, RowsAreWhereTheListDrawsThem) {
    Program program;
    const HWND list = program.List(control::ActionList);
    const UniqueAccessible object = program.Object(control::ActionList);
    ASSERT_TRUE(object);
    for (LONG child = 1; child <= 4; ++child) {
        SCOPED_TRACE(child);
        RECT row{};
        ::SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(child - 1), reinterpret_cast<LPARAM>(&row));
        ::MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(&row), 2);
        LONG left = 0, top = 0, width = 0, height = 0;
        ASSERT_EQ(object.get()->accLocation(&left, &top, &width, &height, Child(child)), S_OK);
        EXPECT_EQ(left, row.left);
        EXPECT_EQ(top, row.top);
        EXPECT_EQ(width, row.right - row.left);
        EXPECT_EQ(height, row.bottom - row.top);

        VARIANT hit;
        ASSERT_EQ(object.get()->accHitTest(left + width / 2, top + height / 2, &hit), S_OK);
        EXPECT_EQ(hit.vt, VT_I4);
        EXPECT_EQ(hit.lVal, child);

        VARIANT next;
        const HRESULT moved = object.get()->accNavigate(NAVDIR_NEXT, Child(child), &next);
        if (child < 4) {
            EXPECT_EQ(moved, S_OK);
            EXPECT_EQ(next.lVal, child + 1);
        } else {
            EXPECT_EQ(moved, S_FALSE) << "nothing after the last row";
        }
    }
}

// --- The default action ---

TEST(CheckListAccessible, TheDefaultActionOnARowIsAClickOnItsBox) {
    struct Case {
        const char* what;
        int list;
        int item;
        std::string options;  // both lists' checks afterwards
        std::string extra;
    };
    // The main window starts with "0100" and "01"; each list keeps exactly one check.
    const Case cases[] = {
        {"an unchecked action", control::ActionList, 2, "0010", "01"},
        {"the first action", control::ActionList, 0, "1000", "01"},
        {"the checked action", control::ActionList, 1, "0100", "01"},
        {"an unchecked force mode", control::ForceModeList, 0, "0100", "10"},
        {"the checked force mode", control::ForceModeList, 1, "0100", "01"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::string> clickEvents;
        {
            Program clicked;
            clicked.ClickBox(c.list, c.item);
            clickEvents = clicked.tap.events;
            EXPECT_EQ(clicked.Checks(control::ActionList), c.options) << "the mouse";
            EXPECT_EQ(clicked.Checks(control::ForceModeList), c.extra) << "the mouse";
        }
        Program program;
        const UniqueAccessible object = program.Object(c.list);
        ASSERT_TRUE(object);
        EXPECT_EQ(object.get()->accDoDefaultAction(Child(c.item + 1)), S_OK);
        EXPECT_TRUE(program.tap.events.empty()) << "the reader's call returns before the program acts";
        program.forms.DoEvents();

        EXPECT_FALSE(clickEvents.empty());
        EXPECT_EQ(program.tap.events, clickEvents);
        EXPECT_EQ(program.Checks(control::ActionList), c.options);
        EXPECT_EQ(program.Checks(control::ForceModeList), c.extra);
        EXPECT_EQ(program.forms.ListIndex(c.list), c.item);
    }
}

TEST(CheckListAccessible, ADisabledListRefusesTheDefaultAction) {
    Program program;
    ::SendMessageW(program.forms.ControlWindow(control::ArmButton), BM_CLICK, 0, 0);  // armed: the lists are locked
    program.forms.DoEvents();
    ASSERT_FALSE(::IsWindowEnabled(program.List(control::ActionList)));
    program.tap.events.clear();

    const UniqueAccessible object = program.Object(control::ActionList);
    ASSERT_TRUE(object);
    EXPECT_EQ(State(*object.get(), 3), STATE_SYSTEM_UNAVAILABLE);
    EXPECT_EQ(State(*object.get(), 2), STATE_SYSTEM_UNAVAILABLE | STATE_SYSTEM_CHECKED);
    EXPECT_EQ(State(*object.get(), CHILDID_SELF), STATE_SYSTEM_UNAVAILABLE);
    EXPECT_TRUE(FAILED(object.get()->accDoDefaultAction(Child(3))));
    // A click asked for just before the list was locked arrives after it: it is refused as well.
    ::PostMessageW(program.List(control::ActionList), check_list::kClickBoxMessage, 2, 0);
    program.forms.DoEvents();

    EXPECT_TRUE(program.tap.events.empty());
    EXPECT_EQ(program.Checks(control::ActionList), "0100");
}

// --- Announcing a change ---

// Where the hook procedure, which has no context of its own, records the state changes it sees.
std::vector<LONG>* seenStateChanges = nullptr;
HWND watchedList = nullptr;

void CALLBACK OnStateChange(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child, DWORD, DWORD) {
    if (seenStateChanges && event == EVENT_OBJECT_STATECHANGE && window == watchedList && object == OBJID_CLIENT) {
        seenStateChanges->push_back(child);
    }
}

TEST(CheckListAccessible, ARowWhoseCheckChangesIsAnnounced) {
    Program program;
    std::vector<LONG> changes;
    seenStateChanges = &changes;
    watchedList = program.List(control::ActionList);
    const HWINEVENTHOOK hook = ::SetWinEventHook(EVENT_OBJECT_STATECHANGE, EVENT_OBJECT_STATECHANGE, nullptr,
                                                 OnStateChange, ::GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
    ASSERT_NE(hook, nullptr);

    const UniqueAccessible object = program.Object(control::ActionList);
    ASSERT_TRUE(object);
    ASSERT_EQ(object.get()->accDoDefaultAction(Child(4)), S_OK);
    program.forms.DoEvents();
    for (int pass = 0; pass < 20 && changes.size() < 2; ++pass) {
        ::Sleep(10);
        program.forms.DoEvents();
    }
    ::UnhookWinEvent(hook);
    seenStateChanges = nullptr;

    EXPECT_EQ(program.Checks(control::ActionList), "0001");
    // The fourth row checked, then the second unchecked by the single-choice rule.
    EXPECT_EQ(changes, (std::vector<LONG>{4, 2}));
}

// --- Handing the object out ---

TEST(CheckListAccessible, OleaccFindsTheListsOwnObjectThroughItsWindow) {
    Program program;
    const HWND list = program.List(control::ForceModeList);
    IAccessible* found = nullptr;
    ASSERT_EQ(::AccessibleObjectFromWindow(list, static_cast<DWORD>(OBJID_CLIENT),
                                           check_list_accessible::AccessibleIid(), reinterpret_cast<void**>(&found)),
              S_OK);
    const UniqueAccessible object(found);
    EXPECT_EQ(Role(*object.get(), 2), ROLE_SYSTEM_CHECKBUTTON);
    EXPECT_EQ(State(*object.get(), 2) & STATE_SYSTEM_CHECKED, STATE_SYSTEM_CHECKED);
    EXPECT_EQ(Name(*object.get(), CHILDID_SELF), L"执行");

    IDispatch* parent = nullptr;
    ASSERT_EQ(object.get()->get_accParent(&parent), S_OK);
    ASSERT_NE(parent, nullptr);
    IAccessible* window = nullptr;
    EXPECT_EQ(parent->QueryInterface(check_list_accessible::AccessibleIid(), reinterpret_cast<void**>(&window)), S_OK);
    parent->Release();
    const UniqueAccessible windowObject(window);
    EXPECT_TRUE(windowObject) << "the list's window object, from the system";
}

// --- Lifetime ---

TEST(CheckListAccessible, AnObjectHeldAfterTheListIsGoneAnswersNotConnected) {
    UniqueAccessible held;
    {
        Program program;
        held = program.Object(control::ActionList);
        ASSERT_TRUE(held);
        EXPECT_EQ(program.Object(control::ActionList).get(), held.get()) << "one object per list";
        EXPECT_EQ(Name(*held.get(), 1), L"关闭系统");
        program.forms.Unload();
        ASSERT_FALSE(program.forms.IsLoaded());
    }
    BSTR name = nullptr;
    EXPECT_EQ(held.get()->get_accName(Child(1), &name), CO_E_OBJNOTCONNECTED);
    EXPECT_EQ(name, nullptr);
    VARIANT state;
    EXPECT_EQ(held.get()->get_accState(Child(CHILDID_SELF), &state), CO_E_OBJNOTCONNECTED);
    EXPECT_EQ(held.get()->accDoDefaultAction(Child(1)), CO_E_OBJNOTCONNECTED);
    LONG count = -1;
    EXPECT_EQ(held.get()->get_accChildCount(&count), CO_E_OBJNOTCONNECTED);
    // The last reference is the one held here: releasing it frees the object.
    held.get()->AddRef();
    EXPECT_EQ(held.get()->Release(), 1u);
}

// --- Names from labels ---

TEST(CheckListAccessible, ALabelsCaptionBecomesANameAndAShortcut) {
    struct Caption {
        const wchar_t* caption;
        const wchar_t* name;
        const wchar_t* shortcut;
    };
    const Caption captions[] = {
        {L"选项(&O):", L"选项", L"Alt+O"},
        {L"执行(&e)：", L"执行", L"Alt+E"},
        {L"&Force mode:", L"Force mode", L"Alt+F"},
        {L"Save && &quit", L"Save & quit", L"Alt+Q"},
        {L"Plain", L"Plain", L""},
        {L"", L"", L""},
    };
    for (const Caption& c : captions) {
        EXPECT_EQ(check_list_accessible::NameFromCaption(c.caption), c.name) << c.caption;
        EXPECT_EQ(check_list_accessible::ShortcutFromCaption(c.caption), c.shortcut) << c.caption;
    }
}

}  // namespace
}  // namespace brellix::platform::win32
