// Dialogs from templates: creation in dialog units of the dialog's font, the dialog window's
// default processing, the modal loop of DialogBoxParamA and the dialog item calls.
#include <cstdio>
#include <cstdlib>

#include "platform/win32/dialog.h"
#include "platform/win32/font_render.h"
#include "platform/win32/win32_display.h"
#include "platform/win32/win32_internal.h"

namespace {

struct DialogState {
  bool ended;
  INT_PTR result;
  HGDIOBJ font;
  int baseX, baseY;  // pixels per 4 horizontal and 8 vertical dialog units
  HWND controls[kMaxDialogControls];  // in template order: the tab order
  int controlCount;
  HWND lastFocus;  // restored when the dialog gets the focus back
};

DialogState* StateOf(HWND dialog) {
  Win32Window* record = Win32FindWindow(dialog);
  if (!record || record->classIndex < 0 || record->proc != Win32DialogWindowProc) return nullptr;
  return static_cast<DialogState*>(record->controlData);
}

void RegisterClass(const char* name, WNDPROC proc) {
  if (Win32FindClass(name)) return;
  WNDCLASSA windowClass = {};
  windowClass.style = CS_DBLCLKS;
  windowClass.lpfnWndProc = proc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.lpszClassName = name;
  RegisterClassA(&windowClass);
}

int MulDiv(int value, int numerator, int denominator) {
  return (value * numerator + denominator / 2) / denominator;
}

// 8 points at 96 dots per inch, as the template's font size is meant.
int EmPixelsOfPoints(int points) { return (points * 96 + 36) / 72; }

HGDIOBJ CreateDialogFont(int points) {
  Win32GdiObject* font = Win32NewGdiObject(Win32GdiKind::Font);
  if (!font) return nullptr;
  font->fontHeight = -EmPixelsOfPoints(points > 0 ? points : 8);
  font->fontWeight = 400;
  return font->handle;
}

bool CanTakeFocus(HWND control) {
  Win32Window* record = Win32FindWindow(control);
  return record && (record->style & WS_VISIBLE) && !(record->style & WS_DISABLED);
}

HWND FirstTabStop(const DialogState& state) {
  for (int i = 0; i < state.controlCount; i++) {
    Win32Window* record = Win32FindWindow(state.controls[i]);
    if (record && (record->style & WS_TABSTOP) && CanTakeFocus(state.controls[i])) return state.controls[i];
  }
  return nullptr;
}

POINT CenteredPosition(const Win32DialogTemplate& dialogTemplate, HWND owner, int width, int height) {
  RECT area = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  Win32Window* ownerRecord = Win32FindWindow(owner);
  if (ownerRecord && !ownerRecord->foreign && !(dialogTemplate.style & DS_CENTER)) area = ownerRecord->rect;
  POINT position = {area.left + (area.right - area.left - width) / 2,
                    area.top + (area.bottom - area.top - height) / 2};
  if (position.x < 0) position.x = 0;
  if (position.y < 0) position.y = 0;
  return position;
}

bool CreateControls(HWND dialog, DialogState* state, const Win32DialogTemplate& dialogTemplate) {
  for (int i = 0; i < dialogTemplate.controlCount && i < kMaxDialogControls; i++) {
    const Win32DialogControl& control = dialogTemplate.controls[i];
    RECT rect = Win32MapDialogRect(dialog, {control.x, control.y, control.x + control.width,
                                            control.y + control.height});
    HWND window = CreateWindowExA(0, control.className, control.text, control.style, rect.left,
                                  rect.top, rect.right - rect.left, rect.bottom - rect.top, dialog,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.id)),
                                  GetModuleHandleA(nullptr), nullptr);
    if (!window) {
      std::fprintf(stderr, "vesperglen: dialog control of class \"%s\" could not be created\n",
                   control.className);
      return false;
    }
    state->controls[state->controlCount++] = window;
    SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(state->font), FALSE);
  }
  return true;
}

bool IsInside(HWND dialog, HWND window) {
  for (Win32Window* record = Win32FindWindow(window); record; record = Win32FindWindow(record->parent))
    if (record->handle == dialog) return true;
  return false;
}

void RememberFocus(HWND dialog, DialogState* state) {
  HWND focus = GetFocus();
  if (focus && focus != dialog && IsInside(dialog, focus)) state->lastFocus = focus;
}

LRESULT DefaultDialogProcessing(HWND dialog, DialogState* state, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND: {
      RECT client;
      GetClientRect(dialog, &client);
      Win32PaintRect(reinterpret_cast<HDC>(wParam), client, kFacePixel);
      return 1;
    }
    case WM_CLOSE:
      SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                   reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDCANCEL)));
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE) RememberFocus(dialog, state);
      break;
    case WM_SETFOCUS: {
      HWND target = state->lastFocus && IsWindow(state->lastFocus) ? state->lastFocus : FirstTabStop(*state);
      if (target) SetFocus(target);
      return 0;
    }
    case WM_NCDESTROY:
      DeleteObject(state->font);
      std::free(state);
      Win32FindWindow(dialog)->controlData = nullptr;
      break;
    default:
      break;
  }
  return DefWindowProcA(dialog, message, wParam, lParam);
}

}  // namespace

void Win32RegisterControlClasses() {
  RegisterClass(WIN32_DIALOG_CLASS, Win32DialogWindowProc);
  RegisterClass("Button", Win32ButtonWindowProc);
  RegisterClass("Static", Win32StaticWindowProc);
  RegisterClass("ComboBox", Win32ComboBoxWindowProc);
  RegisterClass("msctls_trackbar32", Win32TrackbarWindowProc);
}

LRESULT CALLBACK Win32DialogWindowProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  Win32Window* record = Win32FindWindow(dialog);
  DialogState* state = StateOf(dialog);
  if (!record || !state) return DefWindowProcA(dialog, message, wParam, lParam);
  if (record->dialogProc && message != WM_NCDESTROY) {
    INT_PTR handled = record->dialogProc(dialog, message, wParam, lParam);
    if (handled) return message == WM_INITDIALOG ? handled : record->msgResult;
  }
  return DefaultDialogProcessing(dialog, state, message, wParam, lParam);
}

RECT Win32MapDialogRect(HWND dialog, RECT units) {
  DialogState* state = StateOf(dialog);
  int baseX = state ? state->baseX : 6, baseY = state ? state->baseY : 13;
  return {MulDiv(units.left, baseX, 4), MulDiv(units.top, baseY, 8), MulDiv(units.right, baseX, 4),
          MulDiv(units.bottom, baseY, 8)};
}

HWND Win32CreateDialog(const Win32DialogTemplate* dialogTemplate, HWND owner, DLGPROC proc, LPARAM initParam) {
  if (!dialogTemplate) return nullptr;
  Win32RegisterControlClasses();
  DialogState* state = static_cast<DialogState*>(std::calloc(1, sizeof(DialogState)));
  if (!state) return nullptr;
  state->font = CreateDialogFont(dialogTemplate->fontPoints);
  FontMetrics metrics = FontGetMetrics(Win32FontEmPixels(state->font));
  state->baseX = metrics.averageCharWidth > 0 ? metrics.averageCharWidth : 6;
  state->baseY = metrics.height > 0 ? metrics.height : 13;
  int width = MulDiv(dialogTemplate->width, state->baseX, 4);
  int height = MulDiv(dialogTemplate->height, state->baseY, 8);
  POINT position = CenteredPosition(*dialogTemplate, owner, width, height);
  Win32Window* ownerRecord = Win32FindWindow(owner);
  HWND dialog = CreateWindowExA(WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, WIN32_DIALOG_CLASS,
                                dialogTemplate->caption, dialogTemplate->style & ~WS_VISIBLE,
                                position.x, position.y, width, height,
                                ownerRecord && !ownerRecord->foreign ? owner : nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
  Win32Window* record = Win32FindWindow(dialog);
  if (!record) {
    DeleteObject(state->font);
    std::free(state);
    return nullptr;
  }
  record->controlData = state;
  record->font = static_cast<HFONT>(state->font);
  if (!CreateControls(dialog, state, *dialogTemplate)) {
    DestroyWindow(dialog);
    return nullptr;
  }
  record->dialogProc = proc;
  HWND first = FirstTabStop(*state);
  if (proc && proc(dialog, WM_INITDIALOG, reinterpret_cast<WPARAM>(first), initParam) && first)
    SetFocus(first);
  if (dialogTemplate->style & WS_VISIBLE) ShowWindow(dialog, SW_SHOW);
  return dialog;
}

bool Win32DialogEnded(HWND dialog, INT_PTR* result) {
  DialogState* state = StateOf(dialog);
  if (!state || !state->ended) return false;
  if (result) *result = state->result;
  return true;
}

void Win32DialogTabFocus(HWND dialog, bool backwards) {
  DialogState* state = StateOf(dialog);
  if (!state || state->controlCount == 0) return;
  HWND focus = GetFocus();
  int current = -1;
  for (int i = 0; i < state->controlCount; i++)
    if (state->controls[i] == focus) current = i;
  int count = state->controlCount;
  for (int step = 1; step <= count; step++) {
    int index = current < 0 ? (backwards ? count - step : step - 1)
                            : ((current + (backwards ? -step : step)) % count + count) % count;
    HWND candidate = state->controls[index];
    Win32Window* record = Win32FindWindow(candidate);
    if (record && (record->style & WS_TABSTOP) && CanTakeFocus(candidate)) {
      SetFocus(candidate);
      return;
    }
  }
}

// The arrow keys: the next or previous control of the focus control's group (a group runs from a
// WS_GROUP control up to the next one), skipping what cannot take the focus.
void Win32DialogGroupFocus(HWND dialog, bool backwards) {
  DialogState* state = StateOf(dialog);
  HWND focus = GetFocus();
  int current = -1;
  for (int i = 0; state && i < state->controlCount; i++)
    if (state->controls[i] == focus) current = i;
  if (current < 0) return;
  auto startsGroup = [&](int i) {
    Win32Window* record = Win32FindWindow(state->controls[i]);
    return record && (record->style & WS_GROUP);
  };
  int first = current;
  while (first > 0 && !startsGroup(first)) first--;
  int last = current;
  while (last + 1 < state->controlCount && !startsGroup(last + 1)) last++;
  int size = last - first + 1;
  for (int step = 1; step < size; step++) {
    int offset = ((current - first + (backwards ? -step : step)) % size + size) % size;
    HWND candidate = state->controls[first + offset];
    if (CanTakeFocus(candidate) && SendMessageA(candidate, WM_GETDLGCODE, 0, 0) != DLGC_STATIC) {
      SetFocus(candidate);
      return;
    }
  }
}

INT_PTR DialogBoxParamA(HINSTANCE, LPCSTR templateName, HWND owner, DLGPROC dialogProc, LPARAM initParam) {
  const Win32DialogTemplate* dialogTemplate = Win32FindDialogTemplate(templateName);
  if (!dialogTemplate) return -1;
  if (!Win32HasDisplay()) {
    std::fprintf(stderr, "vesperglen: this dialog needs a display, and none is available "
                         "(DISPLAY unset or SDL_VIDEODRIVER=dummy); nothing was changed\n");
    return -1;
  }
  HWND dialog = Win32CreateDialog(dialogTemplate, owner, dialogProc, initParam);
  if (!dialog) return -1;
  bool disableOwner = Win32FindWindow(owner) && IsWindowEnabled(owner);
  if (disableOwner) EnableWindow(owner, FALSE);
  ShowWindow(dialog, SW_SHOW);
  INT_PTR result = 0;
  while (IsWindow(dialog) && !Win32DialogEnded(dialog, &result)) {
    MSG msg;
    if (!GetMessageA(&msg, nullptr, 0, 0)) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (!IsDialogMessageA(dialog, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
  if (disableOwner) EnableWindow(owner, TRUE);
  if (IsWindow(dialog)) DestroyWindow(dialog);
  return result;
}

BOOL EndDialog(HWND dialog, INT_PTR result) {
  DialogState* state = StateOf(dialog);
  if (!state) return FALSE;
  state->ended = true;
  state->result = result;
  return TRUE;
}

HWND GetDlgItem(HWND dialog, int id) {
  for (const Win32Window& record : win32Windows)
    if (record.handle && record.parent == dialog && record.parent && record.id == id) return record.handle;
  return nullptr;
}

int GetDlgCtrlID(HWND window) {
  Win32Window* record = Win32FindWindow(window);
  return record && record->parent ? static_cast<int>(record->id) : 0;
}

LRESULT SendDlgItemMessageA(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam) {
  HWND item = GetDlgItem(dialog, id);
  return item ? SendMessageA(item, message, wParam, lParam) : 0;
}

BOOL SetDlgItemTextA(HWND dialog, int id, LPCSTR text) {
  HWND item = GetDlgItem(dialog, id);
  return item ? SetWindowTextA(item, text) : FALSE;
}

UINT GetDlgItemTextA(HWND dialog, int id, LPSTR text, int maxCount) {
  HWND item = GetDlgItem(dialog, id);
  if (!item) {
    if (text && maxCount > 0) text[0] = 0;
    return 0;
  }
  return static_cast<UINT>(GetWindowTextA(item, text, maxCount));
}

BOOL CheckDlgButton(HWND dialog, int id, UINT check) {
  HWND item = GetDlgItem(dialog, id);
  if (!item) return FALSE;
  SendMessageA(item, BM_SETCHECK, check, 0);
  return TRUE;
}

UINT IsDlgButtonChecked(HWND dialog, int id) {
  return static_cast<UINT>(SendDlgItemMessageA(dialog, id, BM_GETCHECK, 0, 0));
}
