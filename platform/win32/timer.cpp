// SetTimer/KillTimer. A timer never queues more than one WM_TIMER: the message is made when the
// queue is asked and the timer is due, as in Windows, so a slow consumer sees fewer ticks.
#include <SDL.h>

#include "platform/win32/win32_internal.h"

namespace {

constexpr int kMaxTimers = 64;
constexpr UINT kMinimumElapse = 10;  // USER_TIMER_MINIMUM
constexpr UINT_PTR kFirstThreadTimerId = 0x7F00;

struct Timer {
  bool used;
  HWND window;
  UINT_PTR id;
  UINT elapse;
  DWORD due;
  TIMERPROC proc;
};

Timer timers[kMaxTimers];
UINT_PTR lastThreadTimerId = kFirstThreadTimerId;

DWORD NowMs() { return SDL_GetTicks(); }

Timer* FindTimer(HWND window, UINT_PTR id) {
  for (Timer& t : timers) {
    if (t.used && t.window == window && t.id == id) return &t;
  }
  return nullptr;
}

Timer* FreeTimer() {
  for (Timer& t : timers) {
    if (!t.used) return &t;
  }
  return nullptr;
}

// Wrap-safe: due when the signed distance from due to now is not negative.
bool IsDue(const Timer& t, DWORD now) { return int32_t(now - t.due) >= 0; }

}  // namespace

UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC timerProc) {
  if (window != nullptr && Win32FindWindow(window) == nullptr) return 0;
  if (window == nullptr) id = ++lastThreadTimerId;
  Timer* t = FindTimer(window, id);
  if (t == nullptr) t = FreeTimer();
  if (t == nullptr) return 0;
  if (elapse < kMinimumElapse) elapse = kMinimumElapse;
  *t = Timer{true, window, id, elapse, NowMs() + elapse, timerProc};
  return window == nullptr ? id : (id != 0 ? id : 1);
}

BOOL KillTimer(HWND window, UINT_PTR id) {
  Timer* t = FindTimer(window, id);
  if (t == nullptr) return FALSE;
  *t = Timer{};
  return TRUE;
}

void Win32KillWindowTimers(HWND window) {
  for (Timer& t : timers) {
    if (t.used && t.window == window) t = Timer{};
  }
}

bool Win32TakeDueTimer(HWND window, DWORD now, MSG* msg, bool remove) {
  for (Timer& t : timers) {
    if (!t.used || !IsDue(t, now)) continue;
    if (window != nullptr && t.window != window) continue;
    *msg = MSG{t.window, WM_TIMER, t.id, reinterpret_cast<LPARAM>(t.proc), now, POINT{0, 0}};
    if (remove) t.due = now + t.elapse;
    return true;
  }
  return false;
}

DWORD Win32TimeToNextTimer(DWORD now, DWORD limit) {
  DWORD wait = limit;
  for (const Timer& t : timers) {
    if (!t.used) continue;
    if (IsDue(t, now)) return 0;
    if (t.due - now < wait) wait = t.due - now;
  }
  return wait;
}
