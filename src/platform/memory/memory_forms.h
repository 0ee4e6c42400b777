// The in-memory forms runtime: plain state for the window and its controls, the same events as
// the Win32 backend, and the actions a user could take, for tests.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/forms.h"

namespace brellix::platform {

class MemoryForms : public Forms {
public:
    // --- Forms ---
    void Load(const FormSpec& spec, FormEvents& events) override;
    void Unload() override;
    bool IsLoaded() const override { return loaded_; }
    int RunMessageLoop() override;
    void DoEvents() override;

    std::wstring Caption() const override { return caption_; }
    void SetCaption(std::wstring_view caption) override { caption_ = caption; }
    bool Visible() const override { return visible_; }
    void Show() override;
    void Hide() override;
    WindowState GetWindowState() const override { return windowState_; }
    void SetWindowState(WindowState state) override { windowState_ = state; }
    float Left() const override { return left_; }
    float Top() const override { return top_; }
    void SetLeft(float twips) override { left_ = twips; }
    void SetTop(float twips) override { top_ = twips; }
    ScreenRect WindowRect() const override;
    float TwipsPerPixel() const override { return twipsPerPixel; }
    WindowHandle Handle() const override { return kWindow; }
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
    int FocusedControl() const override { return focused_; }
    void SetFocus(int id) override;

    // --- What a user, the shell or the system could do; each is ignored where a real window
    // would ignore it (a disabled control, a hidden or unloaded window). ---
    void UserClick(int id);                      // a button, label or menu-less click; a button takes the focus
    void UserPressEnter();                       // clicks the focused button, else the default one
    void UserChoose(int pickerId, int item);     // picks an item of a drop-down list
    void UserClickItem(int listId, int item);    // clicks a row's text
    void UserClickCheckBox(int listId, int item);  // clicks a row's check box
    void UserPressSpace(int listId);             // toggles the current row's check
    void UserPressArrow(int listId, int delta);  // moves the current row
    void UserClose(CloseReason reason = CloseReason::CloseBox);
    void SystemEndSession();
    void UserActivateTrayIcon();    // a double click on the icon
    void UserRightClickTrayIcon();  // asks for the icon's menu
    void ShellTrayCameBack();
    void UserAnswersNotification(NotificationAnswer answer);
    void SystemResumes();
    void AnotherStartWakes();
    void SystemAnswersSessionEnd(const SessionEndResult& result);
    void SystemAnswersOutlook(SessionEndRequest request, SessionEndOutlook outlook);
    void SystemTellsObstacles(SessionEndRequest request, const Obstacles& obstacles);
    // One tick of a timer, if it is running.
    void TimerTick(int timerId);
    // A message that arrives later: handled by the next DoEvents or message loop.
    void Post(std::function<void()> message);

    // The item a user will choose in the next popup menu, and what happens while it is open.
    std::optional<int> popupChoice;
    std::function<void()> whilePopupOpen;
    float twipsPerPixel = 15.0f;

    // Every event raised, in order, controls by their design names: "Click(name)", "ItemCheck(name, 2)"...
    std::vector<std::string> events;
    // Every Show and Hide, with the window's state at that moment.
    std::vector<std::string> visibilityLog;

    bool Exists(int id) const { return controls_.count(id) != 0; }
    const ControlSpec& SpecOf(int id) const { return controls_.at(id).spec; }
    bool TimerRunning(int timerId) const;

    static inline WindowHandle const kWindow = reinterpret_cast<WindowHandle>(0x10010);

private:
    struct ControlState {
        ControlSpec spec;
        std::wstring caption;
        bool enabled = true;
        bool checked = false;
        std::vector<std::wstring> items;
        std::vector<bool> checks;
        int listIndex = -1;
    };

    ControlState* Find(int id);
    const ControlState* Find(int id) const;
    ControlState* Usable(int id);  // nullptr when a user could not reach it now
    bool ValidItem(const ControlState& control, int item) const;
    void RaiseClick(int id);
    void RaiseItemCheck(int id, int item);
    std::string NameOf(int id) const;
    // As the real window does: a focused control that is disabled hands the focus to the next
    // enabled control in tab order.
    void MoveFocusOnFrom(int id);

    FormEvents* events_ = nullptr;
    std::map<int, ControlState> controls_;
    std::deque<std::function<void()>> queue_;
    std::wstring caption_;
    bool loaded_ = false;
    bool visible_ = false;
    WindowState windowState_ = WindowState::Normal;
    float left_ = 0, top_ = 0;
    int clientWidth_ = 0, clientHeight_ = 0;
    int focused_ = 0;
};

}  // namespace brellix::platform
