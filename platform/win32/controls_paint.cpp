// Drawing helpers shared by the standard controls.
#include <cstdlib>

#include "platform/win32/dialog.h"
#include "platform/win32/font_render.h"
#include "platform/win32/win32_internal.h"

void Win32PaintRect(HDC dc, RECT rect, uint32_t pixel) { Win32FillDcRect(dc, rect, pixel); }

void Win32PaintFrame(HDC dc, RECT rect, uint32_t pixel) {
  Win32FillDcRect(dc, {rect.left, rect.top, rect.right, rect.top + 1}, pixel);
  Win32FillDcRect(dc, {rect.left, rect.bottom - 1, rect.right, rect.bottom}, pixel);
  Win32FillDcRect(dc, {rect.left, rect.top, rect.left + 1, rect.bottom}, pixel);
  Win32FillDcRect(dc, {rect.right - 1, rect.top, rect.right, rect.bottom}, pixel);
}

// Dotted, one pixel on and one off, as the system draws keyboard focus.
void Win32PaintFocusRect(HDC dc, RECT rect) {
  for (int x = rect.left; x < rect.right; x += 2) {
    Win32FillDcRect(dc, {x, rect.top, x + 1, rect.top + 1}, kTextPixel);
    Win32FillDcRect(dc, {x, rect.bottom - 1, x + 1, rect.bottom}, kTextPixel);
  }
  for (int y = rect.top; y < rect.bottom; y += 2) {
    Win32FillDcRect(dc, {rect.left, y, rect.left + 1, y + 1}, kTextPixel);
    Win32FillDcRect(dc, {rect.right - 1, y, rect.right, y + 1}, kTextPixel);
  }
}

HGDIOBJ Win32ControlFont(HWND window) {
  Win32Window* record = Win32FindWindow(window);
  if (record && record->font) return record->font;
  return GetStockObject(DEFAULT_GUI_FONT);
}

void Win32PaintText(HDC dc, HWND window, const char* text, RECT rect, UINT format, uint32_t pixel) {
  HGDIOBJ previousFont = SelectObject(dc, Win32ControlFont(window));
  SetTextColor(dc, Win32ColorFromPixel(pixel));
  SetBkMode(dc, TRANSPARENT);
  DrawTextA(dc, text, -1, &rect, format | DT_NOPREFIX);
  SelectObject(dc, previousFont);
}

int Win32TextWidth(HWND window, const char* text) {
  return FontMeasureText(text, -1, Win32FontEmPixels(Win32ControlFont(window)));
}

int Win32TextHeight(HWND window) {
  return FontGetMetrics(Win32FontEmPixels(Win32ControlFont(window))).height;
}

void Win32NotifyParent(HWND control, WORD code) {
  HWND parent = GetParent(control);
  if (parent)
    SendMessageA(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), code),
                 reinterpret_cast<LPARAM>(control));
}

bool Win32PointInClient(HWND window, LPARAM lParam) {
  RECT client;
  GetClientRect(window, &client);
  int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
  return x >= client.left && x < client.right && y >= client.top && y < client.bottom;
}

void* Win32ControlState(HWND window, size_t size) {
  Win32Window* record = Win32FindWindow(window);
  if (!record) return nullptr;
  if (!record->controlData) record->controlData = std::calloc(1, size);
  return record->controlData;
}

void Win32FreeControlState(HWND window) {
  Win32Window* record = Win32FindWindow(window);
  if (!record) return;
  std::free(record->controlData);
  record->controlData = nullptr;
}
