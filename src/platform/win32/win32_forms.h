// The real forms runtime: one top-level window with child controls, made from the form's
// description, that turns window messages into the program's events. The window is of a dialog
// class, so that the system's dialog manager does the keyboard's work: Tab order, access keys,
// the default and cancel buttons, the focus kept across deactivation.
//
// The class is defined across modules: the window and its messages (win32_forms.cpp), the
// window's place and state (form_window.cpp), controls by id (form_controls.cpp), layout and DPI
// (form_layout.cpp), the check-box lists' input (check_list_events.cpp); each kind of control has
// its own module of calls (button.h, label.*, picker.*, check_list.*, menu.*).
#pragma once

#include <windows.h>
#include <uxtheme.h>

#include <map>
#include <string>
#include <vector>

#include "platform/form_geometry.h"
#include "platform/forms.h"
#include "platform/win32/handles.h"
#include "platform/win32/picker.h"

namespace brellix::platform::win32 {

// The notification-area icon reports here: never WM_MOUSEMOVE, so that the window's own pointer
// movement cannot pass for a tray notification.
inline constexpr UINT kTrayCallbackMessage = WM_APP + 1;

// A second start of the program asks the running window to come back with this registered message
// and exactly these parameters; anything else under that name is ignored.
inline constexpr wchar_t kWakeMessageName[] = L"Brellix.WakeRequest.7f3c2a61";
inline constexpr WPARAM kWakeRequest = 0x7f3c2a61;

inline constexpr DWORD kFormStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
inline constexpr DWORD kFormExStyle = WS_EX_APPWINDOW;

class Win32Forms final : public Forms {
public:
    explicit Win32Forms(HINSTANCE instance = ::GetModuleHandleW(nullptr));
    ~Win32Forms() override;
    Win32Forms(const Win32Forms&) = delete;
    Win32Forms& operator=(const Win32Forms&) = delete;

    // --- Forms ---
    void Load(const FormSpec& spec, FormEvents& events) override;
    void Unload() override;
    bool IsLoaded() const override { return loaded_; }
    int RunMessageLoop() override;
    void DoEvents() override;

    std::wstring Caption() const override;
    void SetCaption(std::wstring_view caption) override;
    bool Visible() const override;
    void Show() override;
    void Hide() override;
    WindowState GetWindowState() const override;
    void SetWindowState(WindowState state) override;
    float Left() const override;
    float Top() const override;
    void SetLeft(float twips) override;
    void SetTop(float twips) override;
    ScreenRect WindowRect() const override;
    float TwipsPerPixel() const override;
    WindowHandle Handle() const override { return Window(); }
    void PopupMenu(int menuId) override;

    std::wstring ControlCaption(int id) const override;
    void SetControlCaption(int id, std::wstring_view caption) override;
    bool Enabled(int id) const override;
    void SetEnabled(int id, bool enabled) override;
    bool Checked(int id) const override;
    void SetChecked(int id, bool checked) override;
    void AddItem(int id, std::wstring_view text) override;
    int ListCount(int id) const override;
    std::wstring List(int id, int item) const override;
    int ListIndex(int id) const override;
    void SetListIndex(int id, int item) override;
    bool Selected(int id, int item) const override;
    void SetSelected(int id, int item, bool checked) override;
    std::wstring Text(int id) const override;
    bool SetText(int id, std::wstring_view text) override;
    int FocusedControl() const override;
    void SetFocus(int id) override;

    // --- The real windows behind the description, for tests and tools ---
    HWND Window() const { return window_ ? window_.get() : nullptr; }
    HWND ControlWindow(int id) const;
    HWND ToolTipWindow() const { return toolTip_; }
    HMENU MenuHandle(int menuId) const;
    int Dpi() const { return dpi_; }

private:
    struct Control {
        ControlSpec spec;
        HWND window = nullptr;  // a child of the form, destroyed with it
        std::wstring caption;   // what has no window text: timers, lists, pickers
        bool timerEnabled = false;
        UniqueMenu menu;  // Menu: the popup that holds its items
    };
    struct Font {
        FontSpec spec;
        UniqueGdiObject handle;
    };

    // --- The window and its messages (win32_forms.cpp) ---
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Dispatch(MSG& message);
    void FollowFocus();
    // Takes back the quit message the window's end posted when no loop of this form will see it.
    void WithdrawQuit();
    void RegisterWindowClass() const;
    void CreateMenus();
    void CreateControls(const FormGeometry& geometry);
    void CreateToolTips();
    void SetListsRedraw(bool redraw);
    void OnCommand(int id, int code, HWND control);
    void OnTimer(UINT_PTR id);
    LRESULT OnSysCommand(HWND window, WPARAM command, LPARAM lParam);
    void OnClose();
    void OnEndSession(LPARAM reason);
    void OnDestroy();
    void RequestUnload(CloseReason reason);
    void OnTrayCallback(UINT mouseMessage);
    void FinishUnload();
    void ClickButton(int id);
    void RaiseClick(int id);
    void RaiseItemCheck(int id, int item);
    void StartOrStopTimer(Control& timer);

    // --- The check-box lists' input and drawing (check_list_events.cpp) ---
    static LRESULT CALLBACK CheckListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                          DWORD_PTR self);
    void OnCheckListInput(int id, HWND list, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnMeasureItem(MEASUREITEMSTRUCT& item);
    LRESULT OnDrawItem(const DRAWITEMSTRUCT& item);

    // --- Layout, fonts, icons and DPI (form_layout.cpp) ---
    void Layout(const FormGeometry& geometry);
    void PlaceLabel(Control& control, const RECT& design);
    void ClipLabelsUnderControls();
    void SizeToClient(int width, int height);
    HFONT FontFor(const FontSpec& spec);
    const FontSpec& FontSpecOf(const Control& control) const;
    void ApplyFonts();
    void LoadIcons();
    void OnDpiChanged(int dpi, const RECT& suggested);
    LRESULT OnGetDpiScaledSize(int dpi, SIZE& size) const;

    // --- The window's place and state (form_window.cpp) ---
    RECT PlacedRect() const;
    void MoveTo(int x, int y);

    // --- Controls by id (form_controls.cpp) ---
    Control* Find(int id);
    const Control* Find(int id) const;
    Control* FindByWindow(HWND window);
    int CurrentItem(const Control& control) const;
    void SetCurrentItem(const Control& control, int item);

    HINSTANCE instance_;
    FormSpec spec_;
    FormEvents* events_ = nullptr;
    UniqueWindow window_;
    std::map<int, Control> controls_;
    std::vector<Font> fonts_;
    // Every icon the window had, kept for its life: the tray may still hold an earlier one.
    std::vector<UniqueIcon> icons_;
    UniqueTheme buttonTheme_;
    picker::FieldMemo pickerField_;
    HWND toolTip_ = nullptr;  // owned by the form, destroyed with it
    int dpi_ = USER_DEFAULT_SCREEN_DPI;
    UINT taskbarCreatedMessage_ = 0;
    UINT wakeMessage_ = 0;
    int defaultButton_ = 0;
    int cancelButton_ = 0;
    bool loaded_ = false;
    bool unloading_ = false;
    bool closeFromControlMenu_ = false;
    WindowState hiddenState_ = WindowState::Normal;
    HWND seenFocus_ = nullptr;  // the focus as the dialog manager last heard of it
    bool quitPosted_ = false;   // the window's end asked the message loop to end
};

}  // namespace brellix::platform::win32
