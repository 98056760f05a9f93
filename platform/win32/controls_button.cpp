// The "Button" class: push and default push buttons, auto check boxes (text left or right of the
// box) and group boxes.
#include "platform/win32/dialog.h"
#include "platform/win32/win32_internal.h"

namespace {

constexpr int kCheckBoxSize = 13;

struct ButtonState {
  UINT check;
  bool pushed;    // drawn pressed: mouse held inside, or Space held
  bool tracking;  // the mouse button went down on this control
};

ButtonState* StateOf(HWND window) {
  return static_cast<ButtonState*>(Win32ControlState(window, sizeof(ButtonState)));
}

DWORD TypeOf(HWND window) { return static_cast<DWORD>(GetWindowLongPtrA(window, GWL_STYLE)) & BS_TYPEMASK; }

bool IsPushButton(HWND window) {
  DWORD type = TypeOf(window);
  return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON;
}

bool IsButtonClass(HWND window) {
  Win32Window* record = Win32FindWindow(window);
  return record && record->classIndex >= 0 &&
         &win32Classes[record->classIndex] == Win32FindClass("Button");
}

bool IsCheckBox(HWND window) {
  DWORD type = TypeOf(window);
  return type == BS_CHECKBOX || type == BS_AUTOCHECKBOX;
}

// A push button looks like the default one while it has the focus; the template's default button
// does when the focus is on no push button at all.
bool LooksDefault(HWND window) {
  HWND focus = GetFocus();
  if (focus == window) return true;
  bool focusOnPushButton = focus && GetParent(focus) == GetParent(window) &&
                           IsButtonClass(focus) && IsPushButton(focus);
  return TypeOf(window) == BS_DEFPUSHBUTTON && !focusOnPushButton;
}

void InvalidateSiblingPushButtons(HWND window) {
  HWND parent = GetParent(window);
  for (Win32Window& record : win32Windows) {
    if (record.handle && record.parent == parent && IsButtonClass(record.handle) &&
        IsPushButton(record.handle))
      InvalidateRect(record.handle, nullptr, TRUE);
  }
}

void GetText(HWND window, char* text, int size) { GetWindowTextA(window, text, size); }

void PaintPushButton(HDC dc, HWND window, const ButtonState& state, RECT client) {
  bool isDefault = LooksDefault(window);
  Win32PaintRect(dc, client, state.pushed ? 0xCCE4F7 : kButtonPixel);
  Win32PaintFrame(dc, client, isDefault || state.pushed ? kHighlightPixel : kLightBorderPixel);
  if (isDefault) Win32PaintFrame(dc, {client.left + 1, client.top + 1, client.right - 1, client.bottom - 1}, kHighlightPixel);
  char text[kMaxWindowText];
  GetText(window, text, sizeof(text));
  RECT textRect = client;
  if (state.pushed) {
    textRect.left += 2;
    textRect.top += 2;
  }
  Win32PaintText(dc, window, text, textRect, DT_SINGLELINE | DT_CENTER | DT_VCENTER,
                 IsWindowEnabled(window) ? kTextPixel : kGrayTextPixel);
  if (GetFocus() == window)
    Win32PaintFocusRect(dc, {client.left + 3, client.top + 3, client.right - 3, client.bottom - 3});
}

void PaintCheckMark(HDC dc, RECT box) {
  // Two strokes, three pixels thick, from the left middle down to the bottom third and up to
  // the top right corner.
  int left = box.left + 3, bottom = box.bottom - 4;
  for (int i = 0; i < 3; i++)
    Win32PaintRect(dc, {left + i, bottom - 3 + i, left + i + 1, bottom + i}, kTextPixel);
  for (int i = 0; i < 5; i++)
    Win32PaintRect(dc, {left + 3 + i, bottom - 1 - i, left + 4 + i, bottom + 2 - i}, kTextPixel);
}

void PaintCheckBox(HDC dc, HWND window, const ButtonState& state, RECT client) {
  Win32PaintRect(dc, client, kFacePixel);
  bool leftText = (GetWindowLongPtrA(window, GWL_STYLE) & BS_LEFTTEXT) != 0;
  int boxTop = client.top + (client.bottom - client.top - kCheckBoxSize) / 2;
  int boxLeft = leftText ? client.right - kCheckBoxSize : client.left;
  RECT box = {boxLeft, boxTop, boxLeft + kCheckBoxSize, boxTop + kCheckBoxSize};
  Win32PaintRect(dc, box, state.pushed ? 0xCCE4F7 : kFieldPixel);
  Win32PaintFrame(dc, box, 0x333333);
  if (state.check == BST_CHECKED) PaintCheckMark(dc, box);
  char text[kMaxWindowText];
  GetText(window, text, sizeof(text));
  RECT textRect = client;
  if (leftText) textRect.right = box.left - 4; else textRect.left = box.right + 4;
  Win32PaintText(dc, window, text, textRect, DT_SINGLELINE | DT_LEFT | DT_VCENTER,
                 IsWindowEnabled(window) ? kTextPixel : kGrayTextPixel);
  if (GetFocus() == window) {
    int width = Win32TextWidth(window, text), height = Win32TextHeight(window);
    int top = client.top + (client.bottom - client.top - height) / 2;
    Win32PaintFocusRect(dc, {textRect.left - 1, top, textRect.left + width + 2, top + height});
  }
}

// Only the frame and the caption: a group box lies under the controls it groups and must not
// paint over them.
void PaintGroupBox(HDC dc, HWND window, RECT client) {
  char text[kMaxWindowText];
  GetText(window, text, sizeof(text));
  int textHeight = Win32TextHeight(window);
  RECT frame = {client.left, client.top + textHeight / 2, client.right, client.bottom};
  Win32PaintFrame(dc, frame, kEtchPixel);
  if (!text[0]) return;
  RECT caption = {client.left + 6, client.top, client.left + 10 + Win32TextWidth(window, text),
                  client.top + textHeight};
  Win32PaintRect(dc, caption, kFacePixel);
  caption.left += 2;
  Win32PaintText(dc, window, text, caption, DT_SINGLELINE | DT_LEFT | DT_TOP, 0x1E3287);
}

void Paint(HWND window) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  ButtonState* state = StateOf(window);
  RECT client;
  GetClientRect(window, &client);
  if (state && dc) {
    if (TypeOf(window) == BS_GROUPBOX) PaintGroupBox(dc, window, client);
    else if (IsCheckBox(window)) PaintCheckBox(dc, window, *state, client);
    else PaintPushButton(dc, window, *state, client);
  }
  EndPaint(window, &paint);
}

void SetPushed(HWND window, ButtonState* state, bool pushed) {
  if (state->pushed == pushed) return;
  state->pushed = pushed;
  InvalidateRect(window, nullptr, TRUE);
}

void Click(HWND window, ButtonState* state) {
  if (TypeOf(window) == BS_AUTOCHECKBOX) {
    state->check = state->check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED;
    InvalidateRect(window, nullptr, TRUE);
  }
  Win32NotifyParent(window, BN_CLICKED);
}

LRESULT DialogCode(HWND window) {
  if (TypeOf(window) == BS_GROUPBOX) return DLGC_STATIC;
  if (!IsPushButton(window)) return DLGC_BUTTON;
  return DLGC_BUTTON | (TypeOf(window) == BS_DEFPUSHBUTTON ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
}

LRESULT OnMouse(HWND window, ButtonState* state, UINT message, LPARAM lParam) {
  if (message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK) {
    SetFocus(window);
    SetCapture(window);
    state->tracking = true;
    SetPushed(window, state, true);
  } else if (message == WM_MOUSEMOVE && state->tracking) {
    SetPushed(window, state, Win32PointInClient(window, lParam));
  } else if (message == WM_LBUTTONUP && state->tracking) {
    state->tracking = false;
    ReleaseCapture();
    bool clicked = state->pushed && Win32PointInClient(window, lParam);
    SetPushed(window, state, false);
    if (clicked) Click(window, state);
  }
  return 0;
}

}  // namespace

LRESULT CALLBACK Win32ButtonWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  ButtonState* state = StateOf(window);
  if (!state) return DefWindowProcA(window, message, wParam, lParam);
  bool groupBox = TypeOf(window) == BS_GROUPBOX;
  switch (message) {
    case WM_NCHITTEST:
      return groupBox ? HTTRANSPARENT : HTCLIENT;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      Paint(window);
      return 0;
    case WM_GETDLGCODE:
      return DialogCode(window);
    case WM_SETFONT:
      Win32FindWindow(window)->font = reinterpret_cast<HFONT>(wParam);
      if (LOWORD(lParam)) InvalidateRect(window, nullptr, TRUE);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(Win32FindWindow(window)->font);
    case WM_SETTEXT: {
      LRESULT result = DefWindowProcA(window, message, wParam, lParam);
      InvalidateRect(window, nullptr, TRUE);
      return result;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      if (message == WM_KILLFOCUS) SetPushed(window, state, false);
      InvalidateRect(window, nullptr, TRUE);
      InvalidateSiblingPushButtons(window);
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
      return groupBox ? 0 : OnMouse(window, state, message, lParam);
    case WM_CAPTURECHANGED:
      state->tracking = false;
      SetPushed(window, state, false);
      return 0;
    case WM_KEYDOWN:
      if (wParam == VK_SPACE && !groupBox) SetPushed(window, state, true);
      return 0;
    case WM_KEYUP:
      if (wParam == VK_SPACE && state->pushed) {
        SetPushed(window, state, false);
        Click(window, state);
      }
      return 0;
    case BM_CLICK:
      Click(window, state);
      return 0;
    case BM_GETCHECK:
      return state->check;
    case BM_SETCHECK:
      if (state->check != wParam) {
        state->check = static_cast<UINT>(wParam);
        InvalidateRect(window, nullptr, TRUE);
      }
      return 0;
    case WM_NCDESTROY:
      Win32FreeControlState(window);
      break;
    default:
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

