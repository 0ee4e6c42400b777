// frmMain as designed: its controls, captions, fonts, positions (twips), tab order and menus.
#pragma once

#include "platform/forms.h"

namespace brellix::ui {

// Control ids, in the window's creation order.
enum ControlId : int {
    tmrShutdown = 1,
    btnExit,
    lstExtra,
    lstOptions,
    cboAMPM,
    cboSecond,
    cboMinute,
    cboHour,
    btnTurnOFF,
    btnTurnON,
    Label2,
    Label1,
    lblExtra,
    optOptions,
    lblTOD,
    Label3,
    lblMinute,
    lblHour,
    mnuPopup,
    mnuPopupHide,
    mnuPopupShow,
    mnuPopupSep0,
    mnuPopupTurnON,
    mnuPopupTurnOFF,
    mnuPopupSep1,
    mnuPopupExit,
};

inline constexpr wchar_t kWindowClass[] = L"Brellix.frmMain";
inline constexpr wchar_t kCaptionPrefix[] = L"Vospel - ";
inline constexpr wchar_t kCaptionArmed[] = L"Vospel - 激活";
inline constexpr wchar_t kCaptionDisarmed[] = L"Vospel - 取消";
inline constexpr int kIconResourceId = 1;

// The caption the window is designed with: the prefix and the maker's web address.
std::wstring DesignCaption();
std::wstring MakerWebAddress();

platform::FormSpec FrmMainSpec();

}  // namespace brellix::ui
