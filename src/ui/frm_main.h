// frmMain: the window's event procedures, written once against the forms runtime.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/forms.h"
#include "platform/os.h"
#include "scheduler/schedule_state.h"
#include "scheduler/scheduler.h"
#include "settings/settings_file.h"
#include "ui/frm_main_layout.h"
#include "ui/tray_icon.h"

namespace brellix::ui {

// The pieces of the program's state that the window's own procedures keep.
struct FrmMainState {
    settings::SettingsState settings;  // strIniFile
    TrayState tray;                    // nidTray
    bool blnHideOnClose = false;       // while set, a close request only hides the window
    bool settingsStored = false;       // the unload steps ran: they never run twice
};

class FrmMain : public platform::FormEvents {
    // First, so that the control views below can be built from it.
    platform::Forms& forms_;
    platform::Os& os_;
    platform::OsVersionInfo& osvInfo_;
    FrmMainState& state_;

public:
    FrmMain(platform::Forms& forms, platform::Os& os, platform::OsVersionInfo& osvInfo,
            scheduler::ScheduleState& schedule, FrmMainState& state);

    // --- What the forms runtime raises ---
    void Form_Load() override;
    void OnClick(int controlId) override;
    void OnItemCheck(int controlId, int item) override;
    void OnTimer(int controlId) override;
    bool OnQueryUnload(platform::UnloadMode mode) override;
    void OnUnload() override;
    void OnTrayNotify(std::uint32_t code) override;
    void OnTaskbarCreated() override;
    void OnEndSession() override;

    // --- Event procedures ---
    void btnTurnON_Click();
    void btnTurnOFF_Click();
    void mnuPopupTurnON_Click();
    void mnuPopupTurnOFF_Click();
    void cboHour_Click();
    void cboMinute_Click();
    void cboSecond_Click();
    void cboAMPM_Click();
    void lstOptions_Click();
    void lstExtra_Click();
    void lstOptions_ItemCheck(int item);
    void lstExtra_ItemCheck(int item);
    void tmrShutdown_Timer();
    void btnExit_Click();
    void Label2_Click();
    void mnuPopup_Click();
    void mnuPopupHide_Click();
    void mnuPopupShow_Click();
    void mnuPopupExit_Click();
    bool Form_QueryUnload();
    void Form_Unload();
    void Form_MouseMove(std::uint32_t trayCode);

private:
    // Reads the saved choices from the settings file and applies them to the lists and pickers.
    void ApplySavedChoices();
    void CheckSavedItem(const platform::CheckList& list, const settings::IniKey& key);
    void ChooseSavedText(const platform::ComboBox& picker, const settings::IniKey& key);
    // Removes the icon and stores the position and the choices, once.
    void StoreAndRemoveIcon();
    void HideToTray();

public:
    // --- The controls, typed ---
    const platform::Timer tmrShutdown{forms_, ControlId::tmrShutdown};
    const platform::Button btnExit{forms_, ControlId::btnExit};
    const platform::CheckList lstExtra{forms_, ControlId::lstExtra};
    const platform::CheckList lstOptions{forms_, ControlId::lstOptions};
    const platform::ComboBox cboAMPM{forms_, ControlId::cboAMPM};
    const platform::ComboBox cboSecond{forms_, ControlId::cboSecond};
    const platform::ComboBox cboMinute{forms_, ControlId::cboMinute};
    const platform::ComboBox cboHour{forms_, ControlId::cboHour};
    const platform::Button btnTurnOFF{forms_, ControlId::btnTurnOFF};
    const platform::Button btnTurnON{forms_, ControlId::btnTurnON};
    const platform::Label Label2{forms_, ControlId::Label2};
    const platform::Label Label1{forms_, ControlId::Label1};
    const platform::Label lblExtra{forms_, ControlId::lblExtra};
    const platform::Label optOptions{forms_, ControlId::optOptions};
    const platform::Label lblTOD{forms_, ControlId::lblTOD};
    const platform::Label Label3{forms_, ControlId::Label3};
    const platform::Label lblMinute{forms_, ControlId::lblMinute};
    const platform::Label lblHour{forms_, ControlId::lblHour};
    const platform::MenuItem mnuPopupHide{forms_, ControlId::mnuPopupHide};
    const platform::MenuItem mnuPopupShow{forms_, ControlId::mnuPopupShow};
    const platform::MenuItem mnuPopupTurnON{forms_, ControlId::mnuPopupTurnON};
    const platform::MenuItem mnuPopupTurnOFF{forms_, ControlId::mnuPopupTurnOFF};
    const platform::MenuItem mnuPopupExit{forms_, ControlId::mnuPopupExit};

private:
    scheduler::Scheduler scheduler_;
};

}  // namespace brellix::ui
