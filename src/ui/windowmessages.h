#pragma once

// Window message numbers and their constants as the window code speaks them.
// The values are the Windows ones, so that handlers, tables and stored habits
// read the same on every platform.

#include "ui/uitypes.h"

namespace varlok::ui {

inline constexpr MessageId WM_DESTROY = 0x0002;
inline constexpr MessageId WM_ACTIVATE = 0x0006;
inline constexpr MessageId WM_CLOSE = 0x0010;
inline constexpr MessageId WM_SYSCOMMAND = 0x0112;
inline constexpr MessageId WM_TIMER = 0x0113;
inline constexpr MessageId WM_MOUSEMOVE = 0x0200;
inline constexpr MessageId WM_LBUTTONDOWN = 0x0201;
inline constexpr MessageId WM_LBUTTONUP = 0x0202;
inline constexpr MessageId WM_LBUTTONDBLCLK = 0x0203;
inline constexpr MessageId WM_RBUTTONDOWN = 0x0204;
inline constexpr MessageId WM_RBUTTONUP = 0x0205;
inline constexpr MessageId WM_MBUTTONUP = 0x0208;
inline constexpr MessageId WM_DPICHANGED = 0x02E0;
inline constexpr MessageId WM_USER = 0x0400;

// wParam of WM_SYSCOMMAND.
inline constexpr WParam SC_MINIMIZE = 0xF020;
inline constexpr WParam SC_MAXIMIZE = 0xF030;
inline constexpr WParam SC_CLOSE = 0xF060;
inline constexpr WParam SC_RESTORE = 0xF120;

// wParam of WM_ACTIVATE (low word).
inline constexpr WParam WA_INACTIVE = 0;
inline constexpr WParam WA_ACTIVE = 1;
inline constexpr WParam WA_CLICKACTIVE = 2;

// The tray icon's callback message: wParam = the icon id, lParam = the mouse
// message (WM_LBUTTONUP, WM_RBUTTONUP, ...).
inline constexpr MessageId kTrayIconMessage = WM_USER + 0x0001;
// A popup menu's choice: wParam = a ticket redeemed once with TakeMenuChoice.
inline constexpr MessageId kMenuCommandMessage = WM_USER + 0x0079;

// Ids handed out by RegisterWindowMessage lie in this range.
inline constexpr MessageId kFirstRegisteredMessage = 0xC000;
inline constexpr MessageId kLastRegisteredMessage = 0xFFFF;

static_assert(kTrayIconMessage == 0x0401);
static_assert(kMenuCommandMessage == 0x0479);

}  // namespace varlok::ui
