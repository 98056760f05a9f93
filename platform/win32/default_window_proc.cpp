// DefWindowProcA: what Windows does with a message that a window procedure passes on.
#include <cstdio>
#include <cstring>

#include "platform/win32/win32_internal.h"

namespace {

constexpr LRESULT HTCLIENT = 1;
constexpr LPARAM kAltDownBit = LPARAM(1) << 29;
constexpr WPARAM VK_F4 = VK_F1 + 3;

LRESULT SetText(Win32Window* window, const char* text) {
  std::snprintf(window->text, sizeof window->text, "%s", text != nullptr ? text : "");
  Win32SyncTitle(window);
  return TRUE;
}

// Copies as much as fits, always terminated; returns the characters copied.
LRESULT GetText(Win32Window* window, WPARAM size, char* buffer) {
  if (buffer == nullptr || size == 0) return 0;
  size_t length = std::strlen(window->text);
  if (length > size - 1) length = size - 1;
  std::memcpy(buffer, window->text, length);
  buffer[length] = '\0';
  return LRESULT(length);
}

HWND TopLevelHandle(Win32Window* window) {
  Win32Window* top = Win32TopLevelOf(window);
  return top != nullptr ? top->handle : window->handle;
}

LRESULT EraseBackground(Win32Window* window, HDC dc) {
  if (window->classIndex < 0) return 0;
  HBRUSH brush = win32Classes[window->classIndex].background;
  if (brush == nullptr) return 0;
  RECT client = {0, 0, window->rect.right - window->rect.left, window->rect.bottom - window->rect.top};
  FillRect(dc, &client, brush);
  return 1;
}

}  // namespace

LRESULT DefWindowProcA(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  Win32Window* window = Win32FindWindow(handle);
  if (window == nullptr) return 0;
  switch (message) {
    case WM_NCCREATE: {
      const CREATESTRUCTA* cs = reinterpret_cast<const CREATESTRUCTA*>(lParam);
      if (cs != nullptr) SetText(window, cs->lpszName);
      return TRUE;
    }
    case WM_PAINT: {
      PAINTSTRUCT paint;
      BeginPaint(handle, &paint);
      EndPaint(handle, &paint);
      return 0;
    }
    case WM_ERASEBKGND: return EraseBackground(window, reinterpret_cast<HDC>(wParam));
    case WM_CLOSE: DestroyWindow(handle); return 0;
    case WM_SYSKEYDOWN:
      if (wParam == VK_F4 && (lParam & kAltDownBit) != 0) {
        SendMessageA(TopLevelHandle(window), WM_SYSCOMMAND, SC_CLOSE, 0);
      }
      return 0;
    case WM_SYSCOMMAND:
      // The low four bits are Windows' own; only the command is compared.
      if ((wParam & 0xFFF0) == SC_CLOSE) SendMessageA(handle, WM_CLOSE, 0, 0);
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE && window->parent == nullptr) SetFocus(handle);
      return 0;
    case WM_SETTEXT: return SetText(window, reinterpret_cast<const char*>(lParam));
    case WM_GETTEXT: return GetText(window, wParam, reinterpret_cast<char*>(lParam));
    case WM_GETTEXTLENGTH: return LRESULT(std::strlen(window->text));
    case WM_NCHITTEST: return HTCLIENT;
    case WM_SETCURSOR:
      if (window->classIndex >= 0 && win32Classes[window->classIndex].cursor != nullptr) {
        SetCursor(win32Classes[window->classIndex].cursor);
        return TRUE;
      }
      return FALSE;
    default: return 0;
  }
}

LRESULT CallWindowProcA(WNDPROC proc, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return proc != nullptr ? proc(window, message, wParam, lParam) : 0;
}
