// The "ComboBox" class: drop-down and drop-down list. The field shows the selected item; the drop
// list is drawn below it into the parent's surface while the combo box holds the mouse capture,
// so clicks anywhere reach it, as the real list's capture does.
#include <cstdio>
#include <cstring>

#include "platform/win32/dialog.h"
#include "platform/win32/win32_internal.h"

namespace {

constexpr int kMaxItems = 64;
constexpr int kItemSize = 128;
constexpr int kArrowWidth = 17;

struct ComboState {
  char items[kMaxItems][kItemSize];
  int count;
  int selection;  // -1: none
  bool dropped;
  int hot;        // item under the cursor or the arrow keys while dropped
  int listHeight; // pixels available below the field: the template height minus the field
};

ComboState* StateOf(HWND window) {
  return static_cast<ComboState*>(Win32ControlState(window, sizeof(ComboState)));
}

int ItemHeight(HWND window) { return Win32TextHeight(window) + 2; }

int FieldHeight(HWND window) { return Win32TextHeight(window) + 8; }

// The drop list in the parent's client coordinates.
RECT ListRect(HWND window, const ComboState& state) {
  Win32Window* record = Win32FindWindow(window);
  RECT list = record->rect;
  list.top = list.bottom;
  int wanted = state.count * ItemHeight(window) + 2;
  list.bottom = list.top + (wanted < state.listHeight ? wanted : state.listHeight);
  return list;
}

void PaintArrow(HDC dc, RECT field) {
  int cx = field.right - kArrowWidth / 2 - 1, cy = (field.top + field.bottom) / 2 - 1;
  for (int row = 0; row < 4; row++)
    Win32PaintRect(dc, {cx - 3 + row, cy + row, cx + 4 - row, cy + row + 1}, 0x404040);
}

void PaintField(HDC dc, HWND window, const ComboState& state) {
  RECT field;
  GetClientRect(window, &field);
  bool editable = (GetWindowLongPtrA(window, GWL_STYLE) & 0x3) == CBS_DROPDOWN;
  bool focused = GetFocus() == window;
  Win32PaintRect(dc, field, editable ? kFieldPixel : kButtonPixel);
  Win32PaintFrame(dc, field, focused || state.dropped ? kHighlightPixel : kBorderPixel);
  if (editable)
    Win32PaintRect(dc, {field.right - kArrowWidth, field.top + 1, field.right - 1, field.bottom - 1}, kButtonPixel);
  PaintArrow(dc, field);
  if (state.selection < 0) return;
  RECT text = {field.left + 3, field.top + 3, field.right - kArrowWidth - 2, field.bottom - 3};
  uint32_t color = kTextPixel;
  if (focused && !state.dropped) {
    Win32PaintRect(dc, text, kHighlightPixel);
    color = kHighlightTextPixel;
  }
  text.left += 2;
  Win32PaintText(dc, window, state.items[state.selection], text, DT_SINGLELINE | DT_VCENTER | DT_LEFT, color);
}

void PaintList(HWND window, const ComboState& state) {
  HWND parent = GetParent(window);
  HDC dc = GetDC(parent);
  if (!dc) return;
  RECT list = ListRect(window, state);
  Win32PaintRect(dc, list, kFieldPixel);
  Win32PaintFrame(dc, list, 0x646464);
  int itemHeight = ItemHeight(window);
  for (int i = 0; i < state.count; i++) {
    RECT item = {list.left + 1, list.top + 1 + i * itemHeight, list.right - 1, list.top + 1 + (i + 1) * itemHeight};
    if (item.bottom > list.bottom - 1) break;
    uint32_t color = kTextPixel;
    if (i == state.hot) {
      Win32PaintRect(dc, item, kHighlightPixel);
      color = kHighlightTextPixel;
    }
    item.left += 4;
    Win32PaintText(dc, window, state.items[i], item, DT_SINGLELINE | DT_VCENTER | DT_LEFT, color);
  }
  ReleaseDC(parent, dc);
}

void Paint(HWND window) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  ComboState* state = StateOf(window);
  if (dc && state) PaintField(dc, window, *state);
  EndPaint(window, &paint);
  if (state && state->dropped) PaintList(window, *state);
}

void Redraw(HWND window) { InvalidateRect(window, nullptr, TRUE); }

void Select(HWND window, ComboState* state, int index, bool notify) {
  if (index < 0 || index >= state->count || index == state->selection) return;
  state->selection = index;
  Redraw(window);
  if (notify) Win32NotifyParent(window, CBN_SELCHANGE);
}

// What lay under the list shows again: the parent and the siblings the list covered.
void UncoverList(HWND window, const ComboState& state) {
  HWND parent = GetParent(window);
  RECT list = ListRect(window, state);
  InvalidateRect(parent, &list, TRUE);
  for (Win32Window& sibling : win32Windows) {
    if (!sibling.handle || sibling.parent != parent || sibling.handle == window) continue;
    const RECT& r = sibling.rect;
    if (r.left < list.right && list.left < r.right && r.top < list.bottom && list.top < r.bottom)
      InvalidateRect(sibling.handle, nullptr, TRUE);
  }
}

void Drop(HWND window, ComboState* state) {
  if (state->dropped) return;
  Win32NotifyParent(window, CBN_DROPDOWN);
  state->dropped = true;
  state->hot = state->selection;
  SetFocus(window);
  SetCapture(window);
  Redraw(window);
  PaintList(window, *state);
}

void CloseUp(HWND window, ComboState* state) {
  if (!state->dropped) return;
  state->dropped = false;
  if (Win32CaptureWindow() == window) ReleaseCapture();
  UncoverList(window, *state);
  Redraw(window);
  Win32NotifyParent(window, CBN_CLOSEUP);
}

// The item under a point in the combo box's client coordinates, or -1.
int ItemAt(HWND window, const ComboState& state, LPARAM lParam) {
  RECT list = ListRect(window, state);
  RECT own = Win32FindWindow(window)->rect;
  int x = GET_X_LPARAM(lParam) + own.left, y = GET_Y_LPARAM(lParam) + own.top;
  if (x < list.left || x >= list.right || y <= list.top || y >= list.bottom - 1) return -1;
  int index = (y - list.top - 1) / ItemHeight(window);
  return index < state.count ? index : -1;
}

void OnButtonDown(HWND window, ComboState* state, LPARAM lParam) {
  if (!state->dropped) {
    Drop(window, state);
    return;
  }
  int item = ItemAt(window, *state, lParam);
  if (item >= 0) Select(window, state, item, true);
  CloseUp(window, state);
}

void OnMouseMove(HWND window, ComboState* state, LPARAM lParam) {
  if (!state->dropped) return;
  int item = ItemAt(window, *state, lParam);
  if (item >= 0 && item != state->hot) {
    state->hot = item;
    PaintList(window, *state);
  }
}

int StepFrom(const ComboState& state, int from, WPARAM key) {
  switch (key) {
    case VK_UP: case VK_LEFT: return from > 0 ? from - 1 : 0;
    case VK_DOWN: case VK_RIGHT: return from < state.count - 1 ? from + 1 : state.count - 1;
    case VK_HOME: case VK_PRIOR: return 0;
    case VK_END: case VK_NEXT: return state.count - 1;
    default: return -2;
  }
}

void OnKeyDown(HWND window, ComboState* state, WPARAM key) {
  bool toggle = key == VK_F1 + 3;  // F4, as on Windows
  if (toggle) {
    if (state->dropped) CloseUp(window, state); else Drop(window, state);
    return;
  }
  if (state->dropped && (key == VK_RETURN || key == VK_ESCAPE)) {
    if (key == VK_RETURN && state->hot >= 0) Select(window, state, state->hot, true);
    CloseUp(window, state);
    return;
  }
  int next = StepFrom(*state, state->dropped ? state->hot : state->selection, key);
  if (next < 0 || state->count == 0) return;
  if (state->dropped) {
    state->hot = next;
    PaintList(window, *state);
  }
  Select(window, state, next, true);
}

void OnChar(HWND window, ComboState* state, char c) {
  if (c < ' ') return;
  for (int i = 1; i <= state->count; i++) {
    int index = (state->selection + i + state->count) % state->count;
    char first = state->items[index][0];
    if (first && (first | 0x20) == (c | 0x20)) {
      Select(window, state, index, true);
      if (state->dropped) {
        state->hot = index;
        PaintList(window, *state);
      }
      return;
    }
  }
}

LRESULT AddString(ComboState* state, int at, const char* text) {
  if (state->count >= kMaxItems || !text) return CB_ERR;
  if (at < 0 || at > state->count) at = state->count;
  std::memmove(state->items[at + 1], state->items[at], (state->count - at) * kItemSize);
  std::snprintf(state->items[at], kItemSize, "%s", text);
  state->count++;
  if (state->selection >= at) state->selection++;
  return at;
}

LRESULT DeleteString(ComboState* state, int at) {
  if (at < 0 || at >= state->count) return CB_ERR;
  std::memmove(state->items[at], state->items[at + 1], (state->count - at - 1) * kItemSize);
  state->count--;
  if (state->selection == at) state->selection = -1;
  else if (state->selection > at) state->selection--;
  return state->count;
}

LRESULT GetItemText(const ComboState& state, int at, char* buffer) {
  if (at < 0 || at >= state.count || !buffer) return CB_ERR;
  std::strcpy(buffer, state.items[at]);
  return static_cast<LRESULT>(std::strlen(buffer));
}

// The template gives the height with the list dropped; the window itself is only the field.
void FitField(HWND window, ComboState* state) {
  Win32Window* record = Win32FindWindow(window);
  int total = record->rect.bottom - record->rect.top;
  int field = FieldHeight(window);
  if (state->listHeight == 0) state->listHeight = total > field ? total - field : 0;
  record->rect.bottom = record->rect.top + field;
}

LRESULT OnComboMessage(HWND window, ComboState* state, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case CB_ADDSTRING: { LRESULT r = AddString(state, -1, reinterpret_cast<const char*>(lParam)); Redraw(window); return r; }
    case CB_INSERTSTRING: { LRESULT r = AddString(state, static_cast<int>(wParam), reinterpret_cast<const char*>(lParam)); Redraw(window); return r; }
    case CB_DELETESTRING: { LRESULT r = DeleteString(state, static_cast<int>(wParam)); Redraw(window); return r; }
    case CB_GETCOUNT: return state->count;
    case CB_GETCURSEL: return state->selection;
    case CB_SETCURSEL: {
      int index = static_cast<int>(static_cast<LONG_PTR>(wParam));
      bool valid = index >= 0 && index < state->count;
      state->selection = valid ? index : -1;
      Redraw(window);
      return valid ? index : CB_ERR;
    }
    case CB_GETLBTEXT: return GetItemText(*state, static_cast<int>(wParam), reinterpret_cast<char*>(lParam));
    case CB_GETLBTEXTLEN:
      return static_cast<int>(wParam) >= 0 && static_cast<int>(wParam) < state->count
                 ? static_cast<LRESULT>(std::strlen(state->items[wParam])) : CB_ERR;
    case CB_RESETCONTENT: state->count = 0; state->selection = -1; Redraw(window); return 0;
    case CB_SHOWDROPDOWN: if (wParam) Drop(window, state); else CloseUp(window, state); return TRUE;
    case CB_GETDROPPEDSTATE: return state->dropped;
    default: return 0;
  }
}

}  // namespace

LRESULT CALLBACK Win32ComboBoxWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  ComboState* state = StateOf(window);
  if (!state) return DefWindowProcA(window, message, wParam, lParam);
  if (message >= CB_ADDSTRING && message <= CB_GETDROPPEDSTATE)
    return OnComboMessage(window, state, message, wParam, lParam);
  switch (message) {
    case WM_CREATE:
      state->selection = -1;
      state->hot = -1;
      FitField(window, state);
      return 0;
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: Paint(window); return 0;
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS | DLGC_WANTCHARS | (state->dropped ? DLGC_WANTALLKEYS : 0);
    case WM_SETFONT:
      Win32FindWindow(window)->font = reinterpret_cast<HFONT>(wParam);
      FitField(window, state);
      if (LOWORD(lParam)) Redraw(window);
      return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(Win32FindWindow(window)->font);
    case WM_SETFOCUS: Redraw(window); return 0;
    case WM_KILLFOCUS: CloseUp(window, state); Redraw(window); return 0;
    case WM_LBUTTONDOWN: case WM_LBUTTONDBLCLK: SetFocus(window); OnButtonDown(window, state, lParam); return 0;
    case WM_MOUSEMOVE: OnMouseMove(window, state, lParam); return 0;
    case WM_KEYDOWN: OnKeyDown(window, state, wParam); return 0;
    case WM_SYSKEYDOWN:
      if (wParam == VK_DOWN || wParam == VK_UP) {
        if (state->dropped) CloseUp(window, state); else Drop(window, state);
        return 0;
      }
      break;
    case WM_CHAR: OnChar(window, state, static_cast<char>(wParam)); return 0;
    case WM_DESTROY: CloseUp(window, state); break;
    case WM_NCDESTROY: Win32FreeControlState(window); break;
    default: break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}
