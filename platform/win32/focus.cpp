// Activation, keyboard focus and mouse capture of the process's windows.
#include <SDL.h>

#include "platform/win32/win32_display.h"
#include "platform/win32/win32_internal.h"

namespace {

HWND activeWindow = nullptr;
HWND focusWindow = nullptr;
HWND captureWindow = nullptr;
bool appActive = false;

// Every top-level window of the process hears about the process gaining or losing activation.
void SendActivateApp(bool active) {
  HWND handles[kMaxWindows];
  int count = 0;
  for (const Win32Window& window : win32Windows) {
    if (window.handle != nullptr && window.parent == nullptr && !window.foreign) {
      handles[count++] = window.handle;
    }
  }
  for (int i = 0; i < count; i++) SendMessageA(handles[i], WM_ACTIVATEAPP, active, 0);
}

}  // namespace

void Win32Activate(HWND topLevel) {
  if (topLevel == activeWindow) return;
  HWND previous = activeWindow;
  if (previous != nullptr) SendMessageA(previous, WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(topLevel));
  if (!appActive) {
    appActive = true;
    SendActivateApp(true);
  }
  activeWindow = topLevel;
  SendMessageA(topLevel, WM_ACTIVATE, WA_ACTIVE, reinterpret_cast<LPARAM>(previous));
}

void Win32DeactivateApp() {
  if (!appActive) return;
  HWND previous = activeWindow;
  appActive = false;
  activeWindow = nullptr;
  if (previous != nullptr) SendMessageA(previous, WM_ACTIVATE, WA_INACTIVE, 0);
  SendActivateApp(false);
  if (focusWindow != nullptr) {
    HWND lost = focusWindow;
    focusWindow = nullptr;
    SendMessageA(lost, WM_KILLFOCUS, 0, 0);
  }
}

void Win32ForgetWindowInput(HWND window) {
  if (captureWindow == window) captureWindow = nullptr;
  if (focusWindow == window) focusWindow = nullptr;
  if (activeWindow == window) activeWindow = nullptr;
}

HWND Win32KeyboardTarget() { return focusWindow != nullptr ? focusWindow : activeWindow; }

HWND SetFocus(HWND window) {
  HWND previous = focusWindow;
  if (window == previous) return previous;
  Win32Window* record = Win32FindWindow(window);
  if (window != nullptr && (record == nullptr || (record->style & WS_DISABLED) != 0)) return nullptr;
  if (record != nullptr) {
    Win32Window* top = Win32TopLevelOf(record);
    if (top != nullptr && top->handle != activeWindow && !top->foreign) Win32Activate(top->handle);
    // Activation may already have moved the focus (DefWindowProcA on WM_ACTIVATE).
    previous = focusWindow;
    if (previous == window) return previous;
  }
  focusWindow = window;
  if (previous != nullptr) SendMessageA(previous, WM_KILLFOCUS, reinterpret_cast<WPARAM>(window), 0);
  if (window != nullptr && focusWindow == window) {
    SendMessageA(window, WM_SETFOCUS, reinterpret_cast<WPARAM>(previous), 0);
  }
  return previous;
}

HWND GetFocus(void) { return focusWindow; }
HWND GetActiveWindow(void) { return activeWindow; }

HWND SetActiveWindow(HWND window) {
  HWND previous = activeWindow;
  Win32Window* record = Win32FindWindow(window);
  if (record == nullptr || record->parent != nullptr) return nullptr;
  Win32Activate(window);
  return previous;
}

BOOL SetForegroundWindow(HWND window) {
  Win32Window* record = Win32FindWindow(window);
  if (record == nullptr) return FALSE;
  Win32Window* top = Win32TopLevelOf(record);
  if (top->sdlWindow != nullptr) SDL_RaiseWindow(top->sdlWindow);
  if (!top->foreign) Win32Activate(top->handle);
  return TRUE;
}

HWND SetCapture(HWND window) {
  HWND previous = captureWindow;
  captureWindow = Win32FindWindow(window) != nullptr ? window : nullptr;
  if (Win32HasDisplay()) SDL_CaptureMouse(captureWindow != nullptr ? SDL_TRUE : SDL_FALSE);
  return previous;
}

BOOL ReleaseCapture(void) {
  captureWindow = nullptr;
  if (Win32HasDisplay()) SDL_CaptureMouse(SDL_FALSE);
  return TRUE;
}

HWND Win32CaptureWindow() { return captureWindow; }

// Only the standard cursors exist: a cursor handle is the resource id LoadCursorA was given.
HCURSOR SetCursor(HCURSOR cursor) {
  static HCURSOR current = nullptr;
  static SDL_Cursor* sdlCursors[4] = {};
  HCURSOR previous = current;
  current = cursor;
  if (!Win32HasDisplay() || cursor == nullptr) return previous;
  uintptr_t id = reinterpret_cast<uintptr_t>(cursor);
  int slot = 0;
  SDL_SystemCursor kind = SDL_SYSTEM_CURSOR_ARROW;
  if (id == reinterpret_cast<uintptr_t>(IDC_HAND)) {
    slot = 1;
    kind = SDL_SYSTEM_CURSOR_HAND;
  } else if (id == reinterpret_cast<uintptr_t>(IDC_IBEAM)) {
    slot = 2;
    kind = SDL_SYSTEM_CURSOR_IBEAM;
  } else if (id == reinterpret_cast<uintptr_t>(IDC_WAIT)) {
    slot = 3;
    kind = SDL_SYSTEM_CURSOR_WAIT;
  }
  if (sdlCursors[slot] == nullptr) sdlCursors[slot] = SDL_CreateSystemCursor(kind);
  if (sdlCursors[slot] != nullptr) SDL_SetCursor(sdlCursors[slot]);
  return previous;
}
