#include "ui/frm_main.h"

#include "power/privileged_exit.h"

namespace brellix::ui {

FrmMain::FrmMain(platform::Forms& forms, platform::Os& os, platform::OsVersionInfo& osvInfo,
                 scheduler::ScheduleState& schedule)
    : forms_(forms),
      os_(os),
      osvInfo_(osvInfo),
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

// --- Settings seam: start-up steps 3 to 6 ---
// The settings layer fills this in: strIniFile by its path rule (step 3), ReadIniString from that
// file, and its text-to-index conversion. Until then every key reads as its default, and the
// defaults take the same road as saved values: checks through SetSelected, texts through SetText.
void FrmMain::ApplySavedChoices() {
    // Step 3: strIniFile is set here.
    const std::wstring options = ReadIniString(L"Options", L"Selected", L"1");
    const std::wstring extra = ReadIniString(L"Extra", L"Selected", L"1");
    lstOptions.SetSelected(ListIndexFromSetting(options), true);
    lstExtra.SetSelected(ListIndexFromSetting(extra), true);

    const std::wstring hour = ReadIniString(L"Shutdown", L"Hour", L"3");
    const std::wstring minute = ReadIniString(L"Shutdown", L"Minute", L"15");
    const std::wstring second = ReadIniString(L"Shutdown", L"Second", L"45");
    const std::wstring ampm = ReadIniString(L"Shutdown", L"AMPM", L"AM");
    cboHour.SetText(hour);
    cboMinute.SetText(minute);
    cboSecond.SetText(second);
    cboAMPM.SetText(ampm);
}

std::wstring FrmMain::ReadIniString(std::wstring_view, std::wstring_view, std::wstring_view defaultValue) {
    return std::wstring(defaultValue);
}

// Plain decimal digits; anything else names no item, which SetSelected ignores.
int FrmMain::ListIndexFromSetting(std::wstring_view text) {
    if (text.empty() || text.size() > 4) return -1;
    int index = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') return -1;
        index = index * 10 + (c - L'0');
    }
    return index;
}
// --- End of the settings seam ---

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

// Handled by the window lifecycle.
void FrmMain::btnExit_Click() {}
void FrmMain::Label2_Click() {}
void FrmMain::mnuPopup_Click() {}
void FrmMain::mnuPopupHide_Click() {}
void FrmMain::mnuPopupShow_Click() {}
void FrmMain::mnuPopupExit_Click() {}
bool FrmMain::OnQueryUnload(platform::UnloadMode) { return false; }
void FrmMain::OnUnload() {}
void FrmMain::OnTrayNotify(std::uint32_t) {}
void FrmMain::OnTaskbarCreated() {}
void FrmMain::OnEndSession() {}

}  // namespace brellix::ui
