// Messages as the framework dispatches them, and the framework's own numbers.
#pragma once
#include <windows.h>

#include <cstdint>

namespace orlo {

struct TMessage {
  UINT Msg = 0;
  WPARAM WParam = 0;
  LPARAM LParam = 0;
  LRESULT Result = 0;
};

// The key messages the loop routes and the mouse button and wheel messages
// that cancel a hint: fixed numbers of ours, not the platform headers'
// WM_KEYLAST and WM_MOUSELAST, which grow with the header version.
enum : UINT {
  KeyMessageFirst = 0x0100,
  KeyMessageLast = 0x0108,
  MouseButtonMessageFirst = 0x0201,
  MouseButtonMessageLast = 0x0209,
};
inline bool IsKeyMessage(UINT msg) { return msg >= KeyMessageFirst && msg <= KeyMessageLast; }
inline bool IsMouseButtonMessage(UINT msg) {
  return msg >= MouseButtonMessageFirst && msg <= MouseButtonMessageLast;
}

// Component notifications, sent between controls of the framework.
enum : UINT {
  CM_BASE = 0xB000,
  CM_ACTIVATE = CM_BASE + 0x00,
  CM_DEACTIVATE = CM_BASE + 0x01,
  CM_DIALOGKEY = CM_BASE + 0x05,        // WParam key; non-zero result: taken
  CM_DIALOGCHAR = CM_BASE + 0x06,       // WParam character; non-zero result: taken
  CM_FOCUSCHANGED = CM_BASE + 0x07,     // LParam the control that got the focus
  CM_PARENTFONTCHANGED = CM_BASE + 0x08,
  CM_PARENTCOLORCHANGED = CM_BASE + 0x09,
  CM_HITTEST = CM_BASE + 0x0A,
  CM_VISIBLECHANGED = CM_BASE + 0x0B,
  CM_ENABLEDCHANGED = CM_BASE + 0x0C,
  CM_COLORCHANGED = CM_BASE + 0x0D,
  CM_FONTCHANGED = CM_BASE + 0x0E,
  CM_CURSORCHANGED = CM_BASE + 0x0F,
  CM_TEXTCHANGED = CM_BASE + 0x12,
  CM_MOUSEENTER = CM_BASE + 0x13,       // LParam the control the pointer entered
  CM_MOUSELEAVE = CM_BASE + 0x14,       // LParam the control the pointer left
  CM_APPKEYDOWN = CM_BASE + 0x16,
  CM_APPSYSCOMMAND = CM_BASE + 0x17,
  CM_BUTTONPRESSED = CM_BASE + 0x18,    // WParam group index, LParam the button
  CM_SHOWINGCHANGED = CM_BASE + 0x19,
  CM_ENTER = CM_BASE + 0x1A,
  CM_EXIT = CM_BASE + 0x1B,
  CM_WANTSPECIALKEY = CM_BASE + 0x1E,
  CM_RELEASE = CM_BASE + 0x21,
  CM_SHOWHINTCHANGED = CM_BASE + 0x22,
  CM_PARENTSHOWHINTCHANGED = CM_BASE + 0x23,
  CM_SYSCOLORCHANGE = CM_BASE + 0x24,
  CM_TABSTOPCHANGED = CM_BASE + 0x28,
  CM_CHILDKEY = CM_BASE + 0x2E,
  CM_HINTSHOW = CM_BASE + 0x30,         // LParam a THintInfo*; non-zero result: no hint
  CM_RECREATEWND = CM_BASE + 0x33,
  CM_INVOKEHELP = CM_BASE + 0x3F,
};

// Control notifications: a platform message reflected to the control that
// caused it, or a key offered to its control before dispatch.
enum : UINT {
  CN_BASE = 0xBC00,
  CN_COMMAND = CN_BASE + WM_COMMAND,
  CN_KEYDOWN = CN_BASE + WM_KEYDOWN,    // 0xBD00
  CN_KEYUP = CN_BASE + WM_KEYUP,
  CN_CHAR = CN_BASE + WM_CHAR,
  CN_SYSKEYDOWN = CN_BASE + WM_SYSKEYDOWN,
  CN_SYSCHAR = CN_BASE + WM_SYSCHAR,
  CN_CTLCOLOREDIT = CN_BASE + WM_CTLCOLOREDIT,
  CN_CTLCOLORLISTBOX = CN_BASE + WM_CTLCOLORLISTBOX,
  CN_CTLCOLORBTN = CN_BASE + WM_CTLCOLORBTN,
  CN_CTLCOLORSTATIC = CN_BASE + WM_CTLCOLORSTATIC,
};

// Modal results.
enum : int {
  mrNone = 0, mrOk = IDOK, mrCancel = IDCANCEL, mrAbort = IDABORT, mrRetry = IDRETRY,
  mrIgnore = IDIGNORE, mrYes = IDYES, mrNo = IDNO, mrAll = 8,
};

}  // namespace orlo
