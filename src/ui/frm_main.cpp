#include "ui/frm_main.h"

#include <vector>

#include "power/privileged_exit.h"
#include "settings/value_text.h"

namespace brellix::ui {

FrmMain::FrmMain(platform::Forms& forms, platform::Os& os, platform::OsVersionInfo& osvInfo,
                 scheduler::ScheduleState& schedule, FrmMainState& state)
    : forms_(forms),
      os_(os),
      osvInfo_(osvInfo),
      state_(state),
      scheduler_(forms, os, osvInfo, schedule,
                 scheduler::ScheduleView{btnTurnON, btnTurnOFF, mnuPopupTurnON, mnuPopupTurnOFF, cboHour, cboMinute,
                                         cboSecond, cboAMPM, lstOptions, lstExtra, tmrShutdown, kCaptionArmed,
                                         kCaptionDisarmed}) {}

void FrmMain::Form_Load() {
    scheduler_.FillPickersAndLists();
    ApplySavedChoices();
    // The target is built from what the pickers show now, whatever their clicks composed meanwhile.
    scheduler_.ComposeShutdownTime();
    if (!power::IsWinNT(os_, osvInfo_)) lstExtra.SetEnabled(false);
}

void FrmMain::ApplySavedChoices() {
    state_.settings.strIniFile = settings::IniFilePath(os_);
    CheckSavedItem(lstOptions, settings::kOptionsSelected);
    CheckSavedItem(lstExtra, settings::kExtraSelected);
    ChooseSavedText(cboHour, settings::kShutdownHour);
    ChooseSavedText(cboMinute, settings::kShutdownMinute);
    ChooseSavedText(cboSecond, settings::kShutdownSecond);
    ChooseSavedText(cboAMPM, settings::kShutdownAmPm);
}

// A stored index that names no item falls back to the key's default.
void FrmMain::CheckSavedItem(const platform::CheckList& list, const settings::IniKey& key) {
    const std::wstring text = settings::ReadIniString(os_, key, state_.settings.strIniFile);
    const int index = settings::ListIndexFromText(text, list.ListCount(), key.defaultValue);
    if (index >= 0) list.SetSelected(index, true);
}

// A stored text that is none of the picker's items falls back to the key's default.
void FrmMain::ChooseSavedText(const platform::ComboBox& picker, const settings::IniKey& key) {
    const std::wstring text = settings::ReadIniString(os_, key, state_.settings.strIniFile);
    std::vector<std::wstring> items;
    items.reserve(static_cast<std::size_t>(picker.ListCount()));
    for (int i = 0; i < picker.ListCount(); ++i) items.push_back(picker.List(i));
    picker.SetText(settings::PickerTextFromText(text, items, key.defaultValue));
}

void FrmMain::OnClick(int controlId) {
    switch (controlId) {
        case ControlId::btnTurnON: return btnTurnON_Click();
        case ControlId::btnTurnOFF: return btnTurnOFF_Click();
        case ControlId::mnuPopupTurnON: return mnuPopupTurnON_Click();
        case ControlId::mnuPopupTurnOFF: return mnuPopupTurnOFF_Click();
        case ControlId::cboHour: return cboHour_Click();
        case ControlId::cboMinute: return cboMinute_Click();
        case ControlId::cboSecond: return cboSecond_Click();
        case ControlId::cboAMPM: return cboAMPM_Click();
        case ControlId::lstOptions: return lstOptions_Click();
        case ControlId::lstExtra: return lstExtra_Click();
        case ControlId::btnExit: return btnExit_Click();
        case ControlId::Label2: return Label2_Click();
        case ControlId::mnuPopup: return mnuPopup_Click();
        case ControlId::mnuPopupHide: return mnuPopupHide_Click();
        case ControlId::mnuPopupShow: return mnuPopupShow_Click();
        case ControlId::mnuPopupExit: return mnuPopupExit_Click();
        default: return;
    }
}

void FrmMain::OnItemCheck(int controlId, int item) {
    switch (controlId) {
        case ControlId::lstOptions: return lstOptions_ItemCheck(item);
        case ControlId::lstExtra: return lstExtra_ItemCheck(item);
        default: return;
    }
}

void FrmMain::OnTimer(int controlId) {
    if (controlId == ControlId::tmrShutdown) tmrShutdown_Timer();
}

void FrmMain::btnTurnON_Click() { scheduler_.Arm(); }
void FrmMain::btnTurnOFF_Click() { scheduler_.Disarm(); }
void FrmMain::mnuPopupTurnON_Click() { btnTurnON_Click(); }
void FrmMain::mnuPopupTurnOFF_Click() { btnTurnOFF_Click(); }

// The four pickers alike: each recomposes the target from all four.
void FrmMain::cboHour_Click() { scheduler_.ComposeShutdownTime(); }
void FrmMain::cboMinute_Click() { scheduler_.ComposeShutdownTime(); }
void FrmMain::cboSecond_Click() { scheduler_.ComposeShutdownTime(); }
void FrmMain::cboAMPM_Click() { scheduler_.ComposeShutdownTime(); }

void FrmMain::lstOptions_Click() { scheduler_.Options().Click(); }
void FrmMain::lstExtra_Click() { scheduler_.Extra().Click(); }
void FrmMain::lstOptions_ItemCheck(int item) { scheduler_.Options().ItemCheck(item); }
void FrmMain::lstExtra_ItemCheck(int item) { scheduler_.Extra().ItemCheck(item); }

void FrmMain::tmrShutdown_Timer() { scheduler_.Tick(); }

// --- The window's lifecycle ---

bool FrmMain::OnQueryUnload(platform::UnloadMode) { return Form_QueryUnload(); }
void FrmMain::OnUnload() { Form_Unload(); }
void FrmMain::OnTrayNotify(std::uint32_t code) { Form_MouseMove(code); }
void FrmMain::OnTaskbarCreated() { RestoreTrayIcon(os_, state_.tray, /*taskbarRecreated=*/true); }

// The session ends for real: what an orderly exit would store is stored now, since no unload
// follows. Agreeing to the end of the session is the runtime's answer, not ours.
void FrmMain::OnEndSession() { StoreAndRemoveIcon(); }

// Why the close was asked for makes no difference: while the program lives in the tray, closing
// only hides the window.
bool FrmMain::Form_QueryUnload() {
    const bool cancel = state_.blnHideOnClose;
    if (cancel) HideToTray();
    return cancel;
}

void FrmMain::HideToTray() {
    // Without an icon nothing could bring a hidden window back: try to add it, and if the shell
    // still refuses, leave the window minimised on the taskbar instead.
    RestoreTrayIcon(os_, state_.tray, /*taskbarRecreated=*/false);
    forms_.SetWindowState(platform::WindowState::Minimized);
    if (!state_.tray.iconPresent) return;
    forms_.Hide();
    forms_.SetWindowState(platform::WindowState::Normal);
}

void FrmMain::Form_Unload() { StoreAndRemoveIcon(); }

void FrmMain::StoreAndRemoveIcon() {
    if (state_.settingsStored) return;
    state_.settingsStored = true;
    RemoveTrayIcon(os_, state_.tray);
    const std::wstring& file = state_.settings.strIniFile;
    settings::SaveFormPosition(os_, forms_, file);
    settings::WriteIniString(os_, settings::kOptionsSelected, settings::IndexToText(lstOptions.ListIndex()), file);
    settings::WriteIniString(os_, settings::kExtraSelected, settings::IndexToText(lstExtra.ListIndex()), file);
    settings::WriteIniString(os_, settings::kShutdownHour, cboHour.Text(), file);
    settings::WriteIniString(os_, settings::kShutdownMinute, cboMinute.Text(), file);
    settings::WriteIniString(os_, settings::kShutdownSecond, cboSecond.Text(), file);
    settings::WriteIniString(os_, settings::kShutdownAmPm, cboAMPM.Text(), file);
}

void FrmMain::btnExit_Click() {
    state_.blnHideOnClose = false;
    forms_.Unload();
}

void FrmMain::Label2_Click() { os_.OpenWebAddress(MakerWebAddress()); }

void FrmMain::Form_MouseMove(std::uint32_t trayCode) {
    switch (DecodeTrayNotification(trayCode)) {
        case TrayAction::ShowPopupMenu:
            os_.SetForegroundWindow(forms_.hWnd());
            forms_.PopupMenu(ControlId::mnuPopup);
            return;
        case TrayAction::ShowWindow:
            os_.SetForegroundWindow(forms_.hWnd());
            forms_.Show();
            return;
        case TrayAction::None:
            return;
    }
}

void FrmMain::mnuPopup_Click() {
    const bool visible = forms_.Visible();
    mnuPopupHide.SetEnabled(visible);
    mnuPopupShow.SetEnabled(!visible);
}

void FrmMain::mnuPopupHide_Click() { forms_.Hide(); }
void FrmMain::mnuPopupShow_Click() { forms_.Show(); }
void FrmMain::mnuPopupExit_Click() { btnExit_Click(); }

}  // namespace brellix::ui
