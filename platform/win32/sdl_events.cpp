// SDL events become the messages Windows would send for the same input and system events.
#include <SDL.h>

#include "platform/win32/win32_display.h"
#include "platform/win32/win32_internal.h"

namespace {

constexpr LPARAM kExtendedBit = LPARAM(1) << 24;
constexpr LPARAM kAltDownBit = LPARAM(1) << 29;
constexpr LPARAM kPreviousDownBit = LPARAM(1) << 30;
constexpr LPARAM kReleasedBit = LPARAM(1) << 31;
constexpr WPARAM kUnmappedKey = 0xFF;
constexpr LRESULT HTCLIENT = 1;

struct KeyMapping {
  SDL_Scancode scancode;
  BYTE virtualKey;
  bool extended;
};

const KeyMapping kKeys[] = {
    {SDL_SCANCODE_RETURN, VK_RETURN, false}, {SDL_SCANCODE_ESCAPE, VK_ESCAPE, false},
    {SDL_SCANCODE_BACKSPACE, VK_BACK, false}, {SDL_SCANCODE_TAB, VK_TAB, false},
    {SDL_SCANCODE_SPACE, VK_SPACE, false}, {SDL_SCANCODE_CAPSLOCK, VK_CAPITAL, false},
    {SDL_SCANCODE_PRINTSCREEN, VK_SNAPSHOT, true}, {SDL_SCANCODE_SCROLLLOCK, VK_SCROLL, false},
    {SDL_SCANCODE_PAUSE, VK_PAUSE, false}, {SDL_SCANCODE_INSERT, VK_INSERT, true},
    {SDL_SCANCODE_HOME, VK_HOME, true}, {SDL_SCANCODE_PAGEUP, VK_PRIOR, true},
    {SDL_SCANCODE_DELETE, VK_DELETE, true}, {SDL_SCANCODE_END, VK_END, true},
    {SDL_SCANCODE_PAGEDOWN, VK_NEXT, true}, {SDL_SCANCODE_RIGHT, VK_RIGHT, true},
    {SDL_SCANCODE_LEFT, VK_LEFT, true}, {SDL_SCANCODE_DOWN, VK_DOWN, true},
    {SDL_SCANCODE_UP, VK_UP, true}, {SDL_SCANCODE_NUMLOCKCLEAR, VK_NUMLOCK, true},
    {SDL_SCANCODE_KP_DIVIDE, VK_DIVIDE, true}, {SDL_SCANCODE_KP_MULTIPLY, VK_MULTIPLY, false},
    {SDL_SCANCODE_KP_MINUS, VK_SUBTRACT, false}, {SDL_SCANCODE_KP_PLUS, VK_ADD, false},
    {SDL_SCANCODE_KP_ENTER, VK_RETURN, true}, {SDL_SCANCODE_KP_PERIOD, VK_DECIMAL, false},
    {SDL_SCANCODE_APPLICATION, VK_APPS, true}, {SDL_SCANCODE_LCTRL, VK_CONTROL, false},
    {SDL_SCANCODE_LSHIFT, VK_SHIFT, false}, {SDL_SCANCODE_LALT, VK_MENU, false},
    {SDL_SCANCODE_LGUI, VK_LWIN, true}, {SDL_SCANCODE_RCTRL, VK_CONTROL, true},
    {SDL_SCANCODE_RSHIFT, VK_SHIFT, false}, {SDL_SCANCODE_RALT, VK_MENU, true},
    {SDL_SCANCODE_RGUI, VK_RWIN, true}, {SDL_SCANCODE_MINUS, VK_OEM_MINUS, false},
    {SDL_SCANCODE_EQUALS, VK_OEM_PLUS, false}, {SDL_SCANCODE_LEFTBRACKET, VK_OEM_4, false},
    {SDL_SCANCODE_RIGHTBRACKET, VK_OEM_6, false}, {SDL_SCANCODE_BACKSLASH, VK_OEM_5, false},
    {SDL_SCANCODE_SEMICOLON, VK_OEM_1, false}, {SDL_SCANCODE_APOSTROPHE, VK_OEM_7, false},
    {SDL_SCANCODE_GRAVE, VK_OEM_3, false}, {SDL_SCANCODE_COMMA, VK_OEM_COMMA, false},
    {SDL_SCANCODE_PERIOD, VK_OEM_PERIOD, false}, {SDL_SCANCODE_SLASH, VK_OEM_2, false},
};

// Letters and digits follow the keyboard layout (as Windows' virtual keys do); the rest are
// physical keys.
WPARAM VirtualKey(const SDL_Keysym& key, bool* extended) {
  *extended = false;
  if (key.sym >= SDLK_a && key.sym <= SDLK_z) return WPARAM('A' + (key.sym - SDLK_a));
  if (key.sym >= SDLK_0 && key.sym <= SDLK_9) return WPARAM(key.sym);
  if (key.scancode >= SDL_SCANCODE_F1 && key.scancode <= SDL_SCANCODE_F12) {
    return WPARAM(VK_F1 + (key.scancode - SDL_SCANCODE_F1));
  }
  if (key.scancode >= SDL_SCANCODE_KP_1 && key.scancode <= SDL_SCANCODE_KP_9) {
    return WPARAM(VK_NUMPAD0 + 1 + (key.scancode - SDL_SCANCODE_KP_1));
  }
  if (key.scancode == SDL_SCANCODE_KP_0) return VK_NUMPAD0;
  for (const KeyMapping& mapping : kKeys) {
    if (mapping.scancode == key.scancode) {
      *extended = mapping.extended;
      return mapping.virtualKey;
    }
  }
  return kUnmappedKey;
}

// Alt held without Ctrl (AltGr is Ctrl+Alt to Windows), Alt itself and F10 are system keys.
bool IsSystemKey(WPARAM virtualKey, Uint16 mods) {
  bool alt = (mods & KMOD_ALT) != 0 && (mods & KMOD_CTRL) == 0;
  return alt || virtualKey == VK_MENU || virtualKey == VK_F10;
}

void PostKey(const SDL_KeyboardEvent& event) {
  HWND target = Win32KeyboardTarget();
  if (target == nullptr) return;
  bool extended;
  WPARAM key = VirtualKey(event.keysym, &extended);
  bool down = event.type == SDL_KEYDOWN;
  LPARAM lParam = 1 | (LPARAM(event.keysym.scancode & 0xFF) << 16);
  if (extended) lParam |= kExtendedBit;
  if ((event.keysym.mod & KMOD_ALT) != 0) lParam |= kAltDownBit;
  if (!down || event.repeat != 0) lParam |= kPreviousDownBit;
  if (!down) lParam |= kReleasedBit;
  bool system = IsSystemKey(key, event.keysym.mod);
  UINT message = down ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN) : (system ? WM_SYSKEYUP : WM_KEYUP);
  PostMessageA(target, message, key, lParam);
}

WPARAM MouseKeyFlags() {
  Uint32 buttons = SDL_GetMouseState(nullptr, nullptr);
  SDL_Keymod mods = SDL_GetModState();
  WPARAM flags = 0;
  if ((buttons & SDL_BUTTON_LMASK) != 0) flags |= MK_LBUTTON;
  if ((buttons & SDL_BUTTON_RMASK) != 0) flags |= MK_RBUTTON;
  if ((buttons & SDL_BUTTON_MMASK) != 0) flags |= MK_MBUTTON;
  if ((mods & KMOD_SHIFT) != 0) flags |= MK_SHIFT;
  if ((mods & KMOD_CTRL) != 0) flags |= MK_CONTROL;
  return flags;
}

Win32Window* TopLevelForEvent(Uint32 windowId) {
  Win32Window* top = Win32WindowFromSdlId(windowId);
  if (top == nullptr) top = Win32FindWindow(GetActiveWindow());
  return top;
}

// The window a mouse event belongs to and the point in its client coordinates.
HWND MouseTarget(Uint32 windowId, int x, int y, POINT* clientPoint) {
  Win32Window* top = TopLevelForEvent(windowId);
  if (top == nullptr) return nullptr;
  POINT surfacePoint = Win32SurfacePointFromSdl(top, x, y);
  HWND capture = Win32CaptureWindow();
  if (capture != nullptr) {
    POINT offset = Win32OffsetInTopLevel(Win32FindWindow(capture));
    *clientPoint = POINT{surfacePoint.x - offset.x, surfacePoint.y - offset.y};
    return capture;
  }
  return Win32WindowFromPoint(top, surfacePoint, clientPoint);
}

void PostMouseMove(const SDL_MouseMotionEvent& event) {
  POINT point;
  HWND target = MouseTarget(event.windowID, event.x, event.y, &point);
  if (target == nullptr) return;
  SendMessageA(target, WM_SETCURSOR, reinterpret_cast<WPARAM>(target), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  PostMessageA(target, WM_MOUSEMOVE, MouseKeyFlags(), MAKELPARAM(point.x, point.y));
}

UINT ButtonMessage(Uint8 button, bool down, bool doubleClick) {
  switch (button) {
    case SDL_BUTTON_LEFT: return down ? (doubleClick ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN) : WM_LBUTTONUP;
    case SDL_BUTTON_RIGHT: return down ? (doubleClick ? WM_RBUTTONDBLCLK : WM_RBUTTONDOWN) : WM_RBUTTONUP;
    case SDL_BUTTON_MIDDLE: return down ? (doubleClick ? WM_MBUTTONDBLCLK : WM_MBUTTONDOWN) : WM_MBUTTONUP;
    default: return 0;
  }
}

bool WantsDoubleClicks(HWND window) {
  Win32Window* record = Win32FindWindow(window);
  return record != nullptr && record->classIndex >= 0 && (win32Classes[record->classIndex].style & CS_DBLCLKS) != 0;
}

void PostButton(const SDL_MouseButtonEvent& event) {
  POINT point;
  HWND target = MouseTarget(event.windowID, event.x, event.y, &point);
  if (target == nullptr) return;
  bool down = event.type == SDL_MOUSEBUTTONDOWN;
  bool doubleClick = down && event.clicks >= 2 && event.clicks % 2 == 0 && WantsDoubleClicks(target);
  UINT message = ButtonMessage(event.button, down, doubleClick);
  if (message != 0) PostMessageA(target, message, MouseKeyFlags(), MAKELPARAM(point.x, point.y));
}

// The wheel goes to the focus window with screen coordinates, as in Windows.
void PostWheel(const SDL_MouseWheelEvent& event) {
  HWND target = Win32KeyboardTarget();
  if (target == nullptr || event.y == 0) return;
  int delta = event.y * WHEEL_DELTA;
  if (event.direction == SDL_MOUSEWHEEL_FLIPPED) delta = -delta;
  int x = 0, y = 0;
  SDL_GetGlobalMouseState(&x, &y);
  PostMessageA(target, WM_MOUSEWHEEL, MAKEWPARAM(MouseKeyFlags(), delta), MAKELPARAM(x, y));
}

void PostToTopLevels(UINT message, WPARAM wParam) {
  for (const Win32Window& window : win32Windows) {
    if (window.handle != nullptr && window.parent == nullptr && !window.foreign) {
      PostMessageA(window.handle, message, wParam, 0);
    }
  }
}

// A focus change between two of our windows is no loss of activation for the process.
void OnFocusLost() {
  Win32Window* now = Win32WindowFromSdlId(SDL_GetKeyboardFocus() != nullptr ? SDL_GetWindowID(SDL_GetKeyboardFocus()) : 0);
  if (now != nullptr && !now->foreign) {
    Win32Activate(now->handle);
  } else {
    Win32DeactivateApp();
  }
}

void OnWindowEvent(const SDL_WindowEvent& event) {
  Win32Window* top = Win32WindowFromSdlId(event.windowID);
  if (top == nullptr) return;
  switch (event.event) {
    case SDL_WINDOWEVENT_FOCUS_GAINED:
      if (!top->foreign) Win32Activate(top->handle);
      break;
    case SDL_WINDOWEVENT_FOCUS_LOST: OnFocusLost(); break;
    case SDL_WINDOWEVENT_CLOSE: PostMessageA(top->handle, WM_CLOSE, 0, 0); break;
    case SDL_WINDOWEVENT_EXPOSED:
    case SDL_WINDOWEVENT_SIZE_CHANGED: top->surfaceDirty = true; break;
    default: break;
  }
}

void Translate(const SDL_Event& event) {
  switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP: PostKey(event.key); break;
    case SDL_MOUSEMOTION: PostMouseMove(event.motion); break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: PostButton(event.button); break;
    case SDL_MOUSEWHEEL: PostWheel(event.wheel); break;
    case SDL_WINDOWEVENT: OnWindowEvent(event.window); break;
    // Desktop Linux reports no suspend through SDL; these come from platforms that do.
    case SDL_APP_WILLENTERBACKGROUND: PostToTopLevels(WM_POWERBROADCAST, PBT_APMSUSPEND); break;
    case SDL_APP_TERMINATING: PostQuitMessage(0); break;
    default: break;
  }
}

}  // namespace

void Win32PumpEvents() {
  if (Win32TakeSignal()) PostQuitMessage(0);
  if (!Win32HasDisplay()) return;
  Win32PollForeignWindows();
  SDL_Event event;
  while (SDL_PollEvent(&event) != 0) Translate(event);
}
