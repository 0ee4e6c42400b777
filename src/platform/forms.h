// The forms runtime seam: one window with its controls, addressed by the control ids of the
// window's description, with the properties, methods and events the program's handlers use.
// The Win32 backend mirrors it onto real controls; the memory backend keeps plain state and lets
// tests act as a user would. Both raise the same events in the same order for the same action.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/os.h"

namespace brellix::platform {

enum class ControlType {
    Timer,
    CommandButton,
    CheckListBox,  // a list whose rows carry check boxes
    DropDownList,  // a combo box the user can only choose from, never type into
    Label,
    Menu,          // a top-level menu; invisible ones exist only to be shown as popups
    MenuItem,
    MenuSeparator,
};

struct FontSpec {
    std::wstring_view face;
    float points = 8.25f;
    int charset = 0;  // 0 ANSI, 134 GB2312
};

struct ControlSpec {
    int id = 0;
    std::wstring_view name;  // the program's name for it, for tests and diagnostics
    ControlType type = ControlType::Label;
    std::wstring caption;
    int left = 0, top = 0, width = 0, height = 0;  // twips, relative to the client area
    int tabIndex = -1;                             // -1: takes no part in the tab order
    std::optional<FontSpec> font;                  // none: the form's font
    std::optional<std::uint32_t> textColor;        // 0x00BBGGRR, none: the system colour
    bool enabled = true;
    bool visible = true;
    bool isDefault = false;  // Enter clicks it
    bool isCancel = false;   // Esc clicks it
    bool autoSize = false;
    std::wstring_view toolTip;
    int interval = 0;      // timers: milliseconds
    int parentMenu = -1;   // menu items and separators: the id of their menu
};

struct FormSpec {
    std::wstring_view windowClass;
    std::wstring caption;
    int clientWidth = 0, clientHeight = 0;  // twips
    FontSpec font;
    int iconResourceId = 0;
    std::vector<ControlSpec> controls;  // in creation order
};

// Who asked for the window to close.
enum class CloseReason {
    CloseBox = 0,      // the close box, the system menu, Alt+F4
    Program = 1,       // the program unloads its own window
    SessionEnd = 2,    // the end of the session
    OtherProgram = 3,  // another program asked the window to close
};

enum class WindowState { Normal = 0, Minimized = 1, Maximized = 2 };

// What the user did with the program's notification.
enum class NotificationAnswer {
    Opened,  // clicked it: the window is wanted
    Disarm,  // chose its disarm action
    NotShown,            // nothing could show it after all: the window must tell it
    ShownWithoutDisarm,  // shown, but the server shows no actions: its disarm is not offered
    Snooze,              // chose its snooze action
};

// The program's side: the runtime calls these as events happen. All run on the one UI thread.
class FormEvents {
public:
    virtual ~FormEvents() = default;
    // The window and its controls exist, still hidden.
    virtual void OnLoad() = 0;
    // Buttons, labels, pickers, lists and menu items; a Menu id when a popup is about to open.
    virtual void OnClick(int controlId) = 0;
    virtual void OnItemCheck(int controlId, int item) = 0;
    virtual void OnTimer(int controlId) = 0;
    // Returns true to keep the window.
    virtual bool OnCloseRequested(CloseReason reason) = 0;
    virtual void OnUnload() = 0;
    // The tray icon was activated (double-clicked, or its host's primary action).
    virtual void OnTrayActivated() = 0;
    // The user asked for the tray icon's menu (a right click).
    virtual void OnTrayMenuRequested() = 0;
    // A tray appeared (the shell restarted, or a tray started late): icons must be shown again.
    virtual void OnTrayCameBack() = 0;
    // The session is ending for real: the last chance to store what must survive.
    virtual void OnEndSession() = 0;
    // The system's later answer to the operating system's StartSessionEnd.
    // (A window that asks nothing without waiting, nor notifies, hears none of these.)
    virtual void OnSessionEndAnswered(const SessionEndResult&) {}
    // The system's answer to AskSessionEndOutlook.
    virtual void OnSessionEndOutlook(SessionEndRequest, SessionEndOutlook) {}
    // The system's answer to AskWhatStandsInTheWay.
    virtual void OnObstaclesKnown(SessionEndRequest, const Obstacles&) {}
    virtual void OnNotificationAnswered(NotificationAnswer) {}
    // Another start of the program asked for the window.
    virtual void OnWakeRequested() {}
    // The machine woke from sleep.
    virtual void OnSystemResumed() {}
};

class Forms {
public:
    virtual ~Forms() = default;

    // --- The form ---
    // Why no window can be shown in this session (no display to reach), asked before Load;
    // nothing where windows can be shown.
    virtual std::optional<std::wstring> WhyNoWindowCanShow() const { return std::nullopt; }
    // Creates the window and its controls hidden, then raises OnLoad.
    virtual void Load(const FormSpec& spec, FormEvents& events) = 0;
    // Asks OnCloseRequested(Program); unless kept raises OnUnload and destroys the window.
    virtual void Unload() = 0;
    virtual bool IsLoaded() const = 0;
    // Dispatches messages until the window is unloaded; returns the exit code.
    virtual int RunMessageLoop() = 0;
    // Handles the messages already waiting, then returns.
    virtual void DoEvents() = 0;

    virtual std::wstring Caption() const = 0;
    virtual void SetCaption(std::wstring_view caption) = 0;
    virtual bool Visible() const = 0;
    virtual void Show() = 0;  // shows and activates, modeless
    virtual void Hide() = 0;
    virtual WindowState GetWindowState() const = 0;
    virtual void SetWindowState(WindowState state) = 0;
    // The window's outer top-left corner on the screen, in twips.
    virtual float Left() const = 0;
    virtual float Top() const = 0;
    virtual void SetLeft(float twips) = 0;
    virtual void SetTop(float twips) = 0;
    // The window's outer rectangle in screen pixels.
    virtual ScreenRect WindowRect() const = 0;
    virtual float TwipsPerPixel() const = 0;
    virtual WindowHandle Handle() const = 0;
    // Raises OnClick(menuId), shows the menu at the pointer and returns when it has closed, after
    // the chosen item's OnClick has run.
    virtual void PopupMenu(int menuId) = 0;

    // --- Controls, by id ---
    virtual std::wstring ControlCaption(int id) const = 0;
    virtual void SetControlCaption(int id, std::wstring_view caption) = 0;
    virtual bool Enabled(int id) const = 0;
    virtual void SetEnabled(int id, bool enabled) = 0;  // a timer runs while enabled
    // Menu items: the check mark beside the text.
    virtual bool Checked(int id) const = 0;
    virtual void SetChecked(int id, bool checked) = 0;

    // Lists and pickers. Filling raises no event.
    virtual void AddItem(int id, std::wstring_view text) = 0;
    virtual int ListCount(int id) const = 0;
    virtual std::wstring List(int id, int item) const = 0;
    // The current item, -1 when there is none.
    virtual int ListIndex(int id) const = 0;
    // Moving the current item raises Click.
    virtual void SetListIndex(int id, int item) = 0;

    // Check-box lists: a changed check raises ItemCheck(item); checking an item also makes it the
    // current item, and a current item that moves raises Click after the ItemCheck.
    virtual bool Selected(int id, int item) const = 0;
    virtual void SetSelected(int id, int item, bool checked) = 0;

    // Pickers: the chosen item's text, empty when none. Assigning selects the item with exactly
    // that text (Click when the choice changes) and returns false, changing nothing, when no item
    // has it.
    virtual std::wstring Text(int id) const = 0;
    virtual bool SetText(int id, std::wstring_view text) = 0;

    // --- Keyboard focus ---
    // The control with the keyboard focus; 0 when no control of the window has it.
    virtual int FocusedControl() const = 0;
    // Gives the control the keyboard focus as a Tab to it would (a button becomes the default).
    virtual void SetFocus(int id) = 0;
};

// Thin typed views, so that handlers read like the window they drive.
class ControlRef {
public:
    ControlRef(Forms& forms, int id) : forms_(&forms), id_(id) {}
    int Id() const { return id_; }
    bool Enabled() const { return forms_->Enabled(id_); }
    void SetEnabled(bool enabled) const { forms_->SetEnabled(id_, enabled); }

protected:
    Forms& forms() const { return *forms_; }

private:
    Forms* forms_;
    int id_;
};

class Button : public ControlRef {
public:
    using ControlRef::ControlRef;
    std::wstring Caption() const { return forms().ControlCaption(Id()); }
};

using Label = Button;

class MenuItem : public ControlRef {
public:
    using ControlRef::ControlRef;
    std::wstring Caption() const { return forms().ControlCaption(Id()); }
    void SetCaption(std::wstring_view caption) const { forms().SetControlCaption(Id(), caption); }
    bool Checked() const { return forms().Checked(Id()); }
    void SetChecked(bool checked) const { forms().SetChecked(Id(), checked); }
};
using Timer = ControlRef;

// What pickers and check-box lists have in common: items and a current item.
class ListControl : public ControlRef {
public:
    using ControlRef::ControlRef;
    void AddItem(std::wstring_view text) const { forms().AddItem(Id(), text); }
    int ListCount() const { return forms().ListCount(Id()); }
    int ListIndex() const { return forms().ListIndex(Id()); }
    std::wstring List(int item) const { return forms().List(Id(), item); }
    std::vector<std::wstring> Items() const {
        std::vector<std::wstring> items;
        for (int i = 0; i < ListCount(); ++i) items.push_back(List(i));
        return items;
    }
};

class ComboBox : public ListControl {
public:
    using ListControl::ListControl;
    std::wstring Text() const { return forms().Text(Id()); }
    bool SetText(std::wstring_view text) const { return forms().SetText(Id(), text); }
};

class CheckList : public ListControl {
public:
    using ListControl::ListControl;
    bool Selected(int item) const { return forms().Selected(Id(), item); }
    void SetSelected(int item, bool checked) const { forms().SetSelected(Id(), item, checked); }
};

}  // namespace brellix::platform
