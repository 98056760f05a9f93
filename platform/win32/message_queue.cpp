// The thread's one message queue: posted messages, the quit flag, paint and timer messages,
// handed out in Windows' order (posted and input first, then quit, then WM_PAINT, then WM_TIMER).
#include <SDL.h>

#include "platform/win32/win32_display.h"
#include "platform/win32/win32_internal.h"

namespace {

constexpr int kQueueSize = 4096;
// Waits are cut into slices so a caught signal is noticed without an event to wake the wait.
constexpr DWORD kWaitSlice = 20;

MSG queue[kQueueSize];
int queueHead = 0;
int queueCount = 0;
bool quitPosted = false;
int quitCode = 0;

DWORD Now() { return SDL_GetTicks(); }

bool InRange(UINT message, UINT filterMin, UINT filterMax) {
  if (filterMin == 0 && filterMax == 0) return true;
  return message >= filterMin && message <= filterMax;
}

// A null filter takes every message; (HWND)-1 only thread messages; otherwise that window's.
bool WindowMatches(HWND messageWindow, HWND filter) {
  if (filter == nullptr) return true;
  if (filter == reinterpret_cast<HWND>(-1)) return messageWindow == nullptr;
  return messageWindow == filter;
}

MSG& QueueAt(int i) { return queue[(queueHead + i) % kQueueSize]; }

void RemoveAt(int index) {
  for (int i = index; i > 0; i--) QueueAt(i) = QueueAt(i - 1);
  queueHead = (queueHead + 1) % kQueueSize;
  queueCount--;
}

bool TakePosted(MSG* msg, HWND window, UINT filterMin, UINT filterMax, bool remove) {
  for (int i = 0; i < queueCount; i++) {
    const MSG& m = QueueAt(i);
    if (!WindowMatches(m.hwnd, window) || !InRange(m.message, filterMin, filterMax)) continue;
    *msg = m;
    if (remove) RemoveAt(i);
    return true;
  }
  return false;
}

bool TakeQuit(MSG* msg, bool remove) {
  if (!quitPosted) return false;
  *msg = MSG{};
  msg->message = WM_QUIT;
  msg->wParam = WPARAM(quitCode);
  msg->time = Now();
  if (remove) quitPosted = false;
  return true;
}

bool TakePaint(MSG* msg, HWND window, UINT filterMin, UINT filterMax) {
  if (!InRange(WM_PAINT, filterMin, filterMax)) return false;
  HWND target = Win32NextWindowToPaint();
  if (target == nullptr) return false;
  if (window != nullptr && target != window) {
    Win32Window* record = Win32FindWindow(window);
    bool pending = record != nullptr && record->updateRect.right > record->updateRect.left &&
                   record->updateRect.bottom > record->updateRect.top && Win32IsShown(record);
    if (!pending) return false;
    target = window;
  }
  *msg = MSG{};
  msg->hwnd = target;
  msg->message = WM_PAINT;
  msg->time = Now();
  return true;
}

bool TakeMessage(MSG* msg, HWND window, UINT filterMin, UINT filterMax, bool remove) {
  Win32PumpEvents();
  if (TakePosted(msg, window, filterMin, filterMax, remove)) return true;
  if (TakeQuit(msg, remove)) return true;
  if (TakePaint(msg, window, filterMin, filterMax)) return true;
  if (InRange(WM_TIMER, filterMin, filterMax) && Win32TakeDueTimer(window, Now(), msg, remove)) return true;
  return false;
}

void WaitForInput(DWORD milliseconds) {
  if (Win32HasDisplay()) {
    SDL_WaitEventTimeout(nullptr, int(milliseconds));
  } else {
    SDL_Delay(milliseconds);
  }
}

// The character a key gives on a US layout; 0 for keys that give none.
char CharacterOf(WPARAM key, bool shift, bool capsLock) {
  if (key >= 'A' && key <= 'Z') return char(shift != capsLock ? key : key - 'A' + 'a');
  if (key >= '0' && key <= '9') {
    static const char shifted[] = ")!@#$%^&*(";
    return shift ? shifted[key - '0'] : char(key);
  }
  switch (key) {
    case VK_SPACE: return ' ';
    case VK_RETURN: return '\r';
    case VK_BACK: return '\b';
    case VK_TAB: return '\t';
    case VK_ESCAPE: return 0x1B;
    case VK_OEM_MINUS: return shift ? '_' : '-';
    case VK_OEM_PLUS: return shift ? '+' : '=';
    case VK_OEM_COMMA: return shift ? '<' : ',';
    case VK_OEM_PERIOD: return shift ? '>' : '.';
    case VK_OEM_1: return shift ? ':' : ';';
    case VK_OEM_2: return shift ? '?' : '/';
    case VK_OEM_3: return shift ? '~' : '`';
    case VK_OEM_4: return shift ? '{' : '[';
    case VK_OEM_5: return shift ? '|' : '\\';
    case VK_OEM_6: return shift ? '}' : ']';
    case VK_OEM_7: return shift ? '"' : '\'';
    default: break;
  }
  if (key >= VK_NUMPAD0 && key <= VK_NUMPAD0 + 9) return char('0' + (key - VK_NUMPAD0));
  return 0;
}

}  // namespace

void Win32ForgetWindowMessages(HWND window) {
  for (int i = queueCount - 1; i >= 0; i--) {
    if (QueueAt(i).hwnd == window) RemoveAt(i);
  }
}

BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (window != nullptr && Win32FindWindow(window) == nullptr) return FALSE;
  if (queueCount == kQueueSize) return FALSE;
  MSG& m = QueueAt(queueCount++);
  m = MSG{window, message, wParam, lParam, Now(), POINT{0, 0}};
  return TRUE;
}

void PostQuitMessage(int exitCode) {
  quitPosted = true;
  quitCode = exitCode;
}

// A loop that peeks and finds nothing twice with no frame shown in between has nothing to do
// until input or a timer comes (the preview's main loop): it waits for them instead of spinning.
// A loop that shows a frame per pass never waits here.
BOOL PeekMessageA(LPMSG msg, HWND window, UINT filterMin, UINT filterMax, UINT removeMessage) {
  static unsigned framesAtLastEmptyPeek = 0;
  if (msg == nullptr) return FALSE;
  if (TakeMessage(msg, window, filterMin, filterMax, (removeMessage & PM_REMOVE) != 0)) return TRUE;
  Win32PresentDirtySurfaces();
  if (framesAtLastEmptyPeek == win32FramesShown) WaitForInput(Win32TimeToNextTimer(Now(), kWaitSlice));
  framesAtLastEmptyPeek = win32FramesShown;
  return FALSE;
}

// -1 when the filter names a window that does not exist (or stops existing while waiting).
BOOL GetMessageA(LPMSG msg, HWND window, UINT filterMin, UINT filterMax) {
  if (msg == nullptr) return -1;
  while (!TakeMessage(msg, window, filterMin, filterMax, true)) {
    bool namesWindow = window != nullptr && window != reinterpret_cast<HWND>(-1);
    if (namesWindow && Win32FindWindow(window) == nullptr) return -1;
    Win32PresentDirtySurfaces();
    WaitForInput(Win32TimeToNextTimer(Now(), kWaitSlice));
  }
  return msg->message == WM_QUIT ? FALSE : TRUE;
}

BOOL TranslateMessage(const MSG* msg) {
  if (msg == nullptr || (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN)) return FALSE;
  SDL_Keymod mods = SDL_GetModState();
  bool control = (mods & KMOD_CTRL) != 0;
  char c = CharacterOf(msg->wParam, (mods & KMOD_SHIFT) != 0, (mods & KMOD_CAPS) != 0);
  if (c == 0 || (control && c != '\r' && c != '\b')) return FALSE;
  UINT charMessage = msg->message == WM_SYSKEYDOWN ? WM_SYSCHAR : WM_CHAR;
  PostMessageA(msg->hwnd, charMessage, WPARAM(BYTE(c)), msg->lParam);
  return TRUE;
}

LRESULT DispatchMessageA(const MSG* msg) {
  if (msg == nullptr) return 0;
  if (msg->message == WM_TIMER && msg->lParam != 0) {
    TIMERPROC proc = reinterpret_cast<TIMERPROC>(msg->lParam);
    proc(msg->hwnd, WM_TIMER, msg->wParam, msg->time);
    return 0;
  }
  Win32Window* window = Win32FindWindow(msg->hwnd);
  if (window == nullptr) return 0;
  // Without a procedure nothing would validate the window, and WM_PAINT would come forever.
  if (window->proc == nullptr) return msg->message == WM_PAINT ? ValidateRect(msg->hwnd, nullptr) : 0;
  return window->proc(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Win32Window* record = Win32FindWindow(window);
  if (record == nullptr || record->proc == nullptr) return 0;
  return record->proc(window, message, wParam, lParam);
}
