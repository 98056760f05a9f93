// IsDialogMessageA: the keyboard interface of dialogs. Tab and Shift+Tab move between tab stops,
// arrows move within a group unless the focus control wants them, Enter presses the focused push
// button or else the default one, Escape sends IDCANCEL. Everything else is dispatched as usual.
#include <SDL.h>

#include "platform/win32/dialog.h"
#include "platform/win32/win32_internal.h"

namespace {

bool IsInside(HWND dialog, HWND window) {
  for (Win32Window* record = Win32FindWindow(window); record; record = Win32FindWindow(record->parent))
    if (record->handle == dialog) return true;
  return false;
}

HWND DefaultButton(HWND dialog) {
  for (const Win32Window& record : win32Windows) {
    if (!record.handle || record.parent != dialog) continue;
    if (SendMessageA(record.handle, WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON) return record.handle;
  }
  return GetDlgItem(dialog, IDOK);
}

void PressButton(HWND dialog, HWND button, int id) {
  if (button && !IsWindowEnabled(button)) return;
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

void PressEnter(HWND dialog, HWND focus, LRESULT code) {
  if (code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) {
    PressButton(dialog, focus, GetDlgCtrlID(focus));
    return;
  }
  HWND button = DefaultButton(dialog);
  PressButton(dialog, button, button ? GetDlgCtrlID(button) : IDOK);
}

bool ShiftHeld() { return (SDL_GetModState() & KMOD_SHIFT) != 0; }

bool HandleKey(HWND dialog, const MSG& msg) {
  HWND focus = GetFocus();
  LRESULT code = focus && focus != dialog
                     ? SendMessageA(focus, WM_GETDLGCODE, msg.wParam, reinterpret_cast<LPARAM>(&msg))
                     : 0;
  if (code & DLGC_WANTALLKEYS) return false;
  switch (msg.wParam) {
    case VK_TAB:
      if (code & DLGC_WANTTAB) return false;
      Win32DialogTabFocus(dialog, ShiftHeld());
      return true;
    case VK_RETURN:
      PressEnter(dialog, focus, code);
      return true;
    case VK_ESCAPE:
      PressButton(dialog, GetDlgItem(dialog, IDCANCEL), IDCANCEL);
      return true;
    case VK_LEFT: case VK_UP: case VK_RIGHT: case VK_DOWN:
      if (code & DLGC_WANTARROWS) return false;
      Win32DialogGroupFocus(dialog, msg.wParam == VK_LEFT || msg.wParam == VK_UP);
      return true;
    default:
      return false;
  }
}

}  // namespace

BOOL IsDialogMessageA(HWND dialog, LPMSG msg) {
  if (!msg || !dialog || !IsInside(dialog, msg->hwnd)) return FALSE;
  if (msg->message == WM_KEYDOWN && HandleKey(dialog, *msg)) return TRUE;
  TranslateMessage(msg);
  DispatchMessageA(msg);
  return TRUE;
}
