// The "Static" class: left, centred or right-aligned text, wrapped at word boundaries.
#include "platform/win32/dialog.h"
#include "platform/win32/win32_internal.h"

namespace {

UINT FormatOf(DWORD style) {
  switch (style & 0x3) {
    case SS_CENTER: return DT_CENTER | DT_WORDBREAK;
    case SS_RIGHT: return DT_RIGHT | DT_WORDBREAK;
    default: return DT_LEFT | DT_WORDBREAK;
  }
}

void Paint(HWND window) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  if (dc) {
    RECT client;
    GetClientRect(window, &client);
    Win32PaintRect(dc, client, kFacePixel);
    char text[kMaxWindowText];
    GetWindowTextA(window, text, sizeof(text));
    DWORD style = static_cast<DWORD>(GetWindowLongPtrA(window, GWL_STYLE));
    Win32PaintText(dc, window, text, client, FormatOf(style),
                   IsWindowEnabled(window) ? kTextPixel : kGrayTextPixel);
  }
  EndPaint(window, &paint);
}

}  // namespace

LRESULT CALLBACK Win32StaticWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NCHITTEST:
      return (GetWindowLongPtrA(window, GWL_STYLE) & SS_NOTIFY) ? HTCLIENT : HTTRANSPARENT;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      Paint(window);
      return 0;
    case WM_GETDLGCODE:
      return DLGC_STATIC;
    case WM_SETFONT:
      if (Win32Window* record = Win32FindWindow(window)) record->font = reinterpret_cast<HFONT>(wParam);
      if (LOWORD(lParam)) InvalidateRect(window, nullptr, TRUE);
      return 0;
    case WM_GETFONT:
      if (Win32Window* record = Win32FindWindow(window)) return reinterpret_cast<LRESULT>(record->font);
      return 0;
    case WM_SETTEXT: {
      LRESULT result = DefWindowProcA(window, message, wParam, lParam);
      InvalidateRect(window, nullptr, TRUE);
      return result;
    }
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}
