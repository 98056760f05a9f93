// The "msctls_trackbar32" class, horizontal: a channel, a thumb and tick marks, driven by the
// mouse (drag the thumb, click the channel to page) and the keyboard (arrows, Page Up/Down,
// Home/End). Changes are reported to the parent as WM_HSCROLL.
#include <commctrl.h>

#include "platform/win32/dialog.h"
#include "platform/win32/win32_internal.h"

namespace {

constexpr int kThumbWidth = 11;
constexpr int kThumbHeight = 21;
constexpr int kChannelHeight = 4;
constexpr int kMargin = 8;
constexpr int kMinTickSpacing = 4;  // pixels; denser ticks would merge into a grey band

struct TrackbarState {
  int minimum, maximum, position;
  int pageSize, lineSize, tickFrequency;
  bool dragging;
  int dragOffset;
};

TrackbarState* StateOf(HWND window) {
  TrackbarState* state = static_cast<TrackbarState*>(Win32ControlState(window, sizeof(TrackbarState)));
  if (state && state->maximum == 0 && state->pageSize == 0) {
    state->maximum = 100;
    state->pageSize = 20;
    state->lineSize = 1;
    state->tickFrequency = 1;
  }
  return state;
}

bool TicksOnTop(HWND window) { return (GetWindowLongPtrA(window, GWL_STYLE) & TBS_TOP) != 0; }
bool HasTicks(HWND window) { return !(GetWindowLongPtrA(window, GWL_STYLE) & TBS_NOTICKS); }

// Thumb centre range along the channel, in client pixels.
void ChannelSpan(HWND window, int* left, int* right) {
  RECT client;
  GetClientRect(window, &client);
  *left = client.left + kMargin + kThumbWidth / 2;
  *right = client.right - kMargin - kThumbWidth / 2;
  if (*right <= *left) *right = *left + 1;
}

int XOfPosition(HWND window, const TrackbarState& state, int position) {
  int left, right;
  ChannelSpan(window, &left, &right);
  int range = state.maximum - state.minimum;
  if (range <= 0) return left;
  return left + (position - state.minimum) * (right - left) / range;
}

int PositionOfX(HWND window, const TrackbarState& state, int x) {
  int left, right;
  ChannelSpan(window, &left, &right);
  int range = state.maximum - state.minimum;
  int position = state.minimum + ((x - left) * range + (right - left) / 2) / (right - left);
  return position;
}

int ThumbTop(HWND window) {
  RECT client;
  GetClientRect(window, &client);
  int top = (client.bottom - kThumbHeight) / 2;
  return TicksOnTop(window) ? top + 3 : top - 3;
}

RECT ThumbRect(HWND window, const TrackbarState& state) {
  int x = XOfPosition(window, state, state.position);
  int top = ThumbTop(window);
  return {x - kThumbWidth / 2, top, x + kThumbWidth / 2 + 1, top + kThumbHeight};
}

int Clamp(const TrackbarState& state, int position) {
  if (position < state.minimum) return state.minimum;
  if (position > state.maximum) return state.maximum;
  return position;
}

void PaintTicks(HDC dc, HWND window, const TrackbarState& state) {
  if (!HasTicks(window) || state.tickFrequency <= 0) return;
  int y = TicksOnTop(window) ? ThumbTop(window) - 5 : ThumbTop(window) + kThumbHeight + 1;
  int lastX = -1000;
  for (int position = state.minimum; position <= state.maximum; position += state.tickFrequency) {
    int x = XOfPosition(window, state, position);
    bool end = position == state.minimum || position == state.maximum;
    if (!end && x - lastX < kMinTickSpacing) continue;
    if (!end && XOfPosition(window, state, state.maximum) - x < kMinTickSpacing) continue;
    Win32PaintRect(dc, {x, y, x + 1, y + 4}, 0x8C8C8C);
    lastX = x;
  }
}

// A pentagon pointing at the ticks, filled row by row.
void PaintThumb(HDC dc, HWND window, const TrackbarState& state) {
  RECT thumb = ThumbRect(window, state);
  uint32_t fill = state.dragging ? 0x005A9E : kHighlightPixel;
  int half = kThumbWidth / 2;
  bool up = TicksOnTop(window);
  for (int row = 0; row < kThumbHeight; row++) {
    int fromTip = up ? row : kThumbHeight - 1 - row;
    int inset = fromTip < half ? half - fromTip : 0;
    Win32PaintRect(dc, {thumb.left + inset, thumb.top + row, thumb.right - inset, thumb.top + row + 1}, fill);
  }
}

void Paint(HWND window) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  TrackbarState* state = StateOf(window);
  if (dc && state) {
    RECT client;
    GetClientRect(window, &client);
    Win32PaintRect(dc, client, kFacePixel);
    int left, right;
    ChannelSpan(window, &left, &right);
    int channelTop = ThumbTop(window) + kThumbHeight / 2 - kChannelHeight / 2 + (TicksOnTop(window) ? 2 : -2);
    RECT channel = {left - kThumbWidth / 2, channelTop, right + kThumbWidth / 2 + 1, channelTop + kChannelHeight};
    Win32PaintRect(dc, channel, 0xE7EAEA);
    Win32PaintFrame(dc, channel, 0xD6D6D6);
    PaintTicks(dc, window, *state);
    PaintThumb(dc, window, *state);
    if (GetFocus() == window) Win32PaintFocusRect(dc, client);
  }
  EndPaint(window, &paint);
}

void Notify(HWND window, int code, int position) {
  HWND parent = GetParent(window);
  if (parent)
    SendMessageA(parent, WM_HSCROLL, MAKEWPARAM(code, position), reinterpret_cast<LPARAM>(window));
}

void MoveTo(HWND window, TrackbarState* state, int position, int code) {
  position = Clamp(*state, position);
  if (position != state->position) {
    state->position = position;
    InvalidateRect(window, nullptr, TRUE);
  }
  Notify(window, code, code == TB_THUMBTRACK || code == TB_THUMBPOSITION ? position : 0);
}

bool OnKey(HWND window, TrackbarState* state, WPARAM key) {
  switch (key) {
    case VK_LEFT: case VK_UP: MoveTo(window, state, state->position - state->lineSize, TB_LINEUP); return true;
    case VK_RIGHT: case VK_DOWN: MoveTo(window, state, state->position + state->lineSize, TB_LINEDOWN); return true;
    case VK_PRIOR: MoveTo(window, state, state->position - state->pageSize, TB_PAGEUP); return true;
    case VK_NEXT: MoveTo(window, state, state->position + state->pageSize, TB_PAGEDOWN); return true;
    case VK_HOME: MoveTo(window, state, state->minimum, TB_TOP); return true;
    case VK_END: MoveTo(window, state, state->maximum, TB_BOTTOM); return true;
    default: return false;
  }
}

void OnButtonDown(HWND window, TrackbarState* state, LPARAM lParam) {
  SetFocus(window);
  int x = GET_X_LPARAM(lParam);
  RECT thumb = ThumbRect(window, *state);
  if (x >= thumb.left && x < thumb.right) {
    state->dragging = true;
    state->dragOffset = x - XOfPosition(window, *state, state->position);
    SetCapture(window);
    InvalidateRect(window, nullptr, TRUE);
    return;
  }
  bool before = x < thumb.left;
  MoveTo(window, state, state->position + (before ? -state->pageSize : state->pageSize),
         before ? TB_PAGEUP : TB_PAGEDOWN);
  Notify(window, TB_ENDTRACK, 0);
}

void OnButtonUp(HWND window, TrackbarState* state) {
  if (!state->dragging) return;
  state->dragging = false;
  ReleaseCapture();
  InvalidateRect(window, nullptr, TRUE);
  Notify(window, TB_THUMBPOSITION, state->position);
  Notify(window, TB_ENDTRACK, 0);
}

void SetRange(HWND window, TrackbarState* state, int minimum, int maximum, bool redraw) {
  state->minimum = minimum;
  state->maximum = maximum < minimum ? minimum : maximum;
  state->position = Clamp(*state, state->position);
  if (redraw) InvalidateRect(window, nullptr, TRUE);
}

}  // namespace

LRESULT CALLBACK Win32TrackbarWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  TrackbarState* state = StateOf(window);
  if (!state) return DefWindowProcA(window, message, wParam, lParam);
  switch (message) {
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: Paint(window); return 0;
    case WM_GETDLGCODE: return DLGC_WANTARROWS;
    case WM_SETFOCUS:
    case WM_KILLFOCUS: InvalidateRect(window, nullptr, TRUE); return 0;
    case WM_SETFONT: return 0;
    case WM_KEYDOWN: OnKey(window, state, wParam); return 0;
    case WM_KEYUP:
      if (wParam != VK_TAB && wParam != VK_SHIFT) Notify(window, TB_ENDTRACK, 0);
      return 0;
    case WM_LBUTTONDOWN: OnButtonDown(window, state, lParam); return 0;
    case WM_MOUSEMOVE:
      if (state->dragging)
        MoveTo(window, state, PositionOfX(window, *state, GET_X_LPARAM(lParam) - state->dragOffset),
               TB_THUMBTRACK);
      return 0;
    case WM_LBUTTONUP: OnButtonUp(window, state); return 0;
    case TBM_GETPOS: return state->position;
    case TBM_GETRANGEMIN: return state->minimum;
    case TBM_GETRANGEMAX: return state->maximum;
    case TBM_SETPOS:
      state->position = Clamp(*state, static_cast<int>(lParam));
      if (wParam) InvalidateRect(window, nullptr, TRUE);
      return 0;
    case TBM_SETRANGE:
      SetRange(window, state, static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)), wParam);
      return 0;
    case TBM_SETRANGEMIN: SetRange(window, state, static_cast<int>(lParam), state->maximum, wParam); return 0;
    case TBM_SETRANGEMAX: SetRange(window, state, state->minimum, static_cast<int>(lParam), wParam); return 0;
    case TBM_SETTICFREQ: state->tickFrequency = static_cast<int>(wParam); InvalidateRect(window, nullptr, TRUE); return 0;
    case TBM_SETPAGESIZE: {
      int previous = state->pageSize;
      state->pageSize = static_cast<int>(lParam);
      return previous;
    }
    case WM_NCDESTROY: Win32FreeControlState(window); break;
    default: break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}
