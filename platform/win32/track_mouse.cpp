// _TrackMouseEvent: WM_MOUSEHOVER after the cursor rests on a window, WM_MOUSELEAVE when it
// leaves. The cursor is sampled by a timer of the tracked window, since SDL reports only motion.
// Headless there is no cursor, so nothing is ever reported.
#include <SDL.h>
#include <commctrl.h>

#include <cstdlib>

#include "platform/win32/win32_internal.h"

namespace {

constexpr int kMaxTracks = 16;
constexpr UINT_PTR kTrackTimerId = 0x7FFF0001;
constexpr UINT kSampleMs = 10;
constexpr DWORD kDefaultHoverMs = 400;
constexpr int kHoverSlop = 2;  // pixels the cursor may drift while still "resting"

struct MouseTrack {
  HWND window;
  DWORD flags;
  DWORD hoverTime;
  DWORD restingSince;
  POINT restingAt;
};

MouseTrack tracks[kMaxTracks];

MouseTrack* FindTrack(HWND window) {
  for (MouseTrack& track : tracks)
    if (track.window == window) return &track;
  return nullptr;
}

MouseTrack* FreeTrack() {
  for (MouseTrack& track : tracks)
    if (!track.window || !IsWindow(track.window)) return &track;
  return nullptr;
}

// The window under the cursor and the cursor in its client coordinates; false when unknown.
bool CursorWindow(HWND* window, POINT* clientPoint) {
  SDL_Window* focus = SDL_GetMouseFocus();
  if (!focus) return false;
  Win32Window* top = Win32WindowFromSdlId(SDL_GetWindowID(focus));
  if (!top) return false;
  int x = 0, y = 0;
  SDL_GetMouseState(&x, &y);
  *window = Win32WindowFromPoint(top, Win32SurfacePointFromSdl(top, x, y), clientPoint);
  return true;
}

void StopTracking(MouseTrack* track) {
  KillTimer(track->window, kTrackTimerId);
  *track = MouseTrack{};
}

void CALLBACK SampleCursor(HWND window, UINT, UINT_PTR, DWORD) {
  MouseTrack* track = FindTrack(window);
  if (!track) {
    KillTimer(window, kTrackTimerId);
    return;
  }
  HWND under = nullptr;
  POINT point = {};
  bool known = CursorWindow(&under, &point);
  if (known && under != window) {
    if (track->flags & TME_LEAVE) PostMessageA(window, WM_MOUSELEAVE, 0, 0);
    StopTracking(track);
    return;
  }
  if (!known || !(track->flags & TME_HOVER)) return;
  DWORD now = GetTickCount();
  if (std::abs(point.x - track->restingAt.x) > kHoverSlop ||
      std::abs(point.y - track->restingAt.y) > kHoverSlop) {
    track->restingAt = point;
    track->restingSince = now;
  } else if (now - track->restingSince >= track->hoverTime) {
    PostMessageA(window, WM_MOUSEHOVER, 0, MAKELPARAM(point.x, point.y));
    track->flags &= ~static_cast<DWORD>(TME_HOVER);
    if (!(track->flags & TME_LEAVE)) StopTracking(track);
  }
}

}  // namespace

BOOL _TrackMouseEvent(LPTRACKMOUSEEVENT request) {
  if (!request || request->cbSize < sizeof(TRACKMOUSEEVENT) || !IsWindow(request->hwndTrack))
    return FALSE;
  HWND window = request->hwndTrack;
  MouseTrack* track = FindTrack(window);
  if (request->dwFlags & TME_CANCEL) {
    if (track) {
      track->flags &= ~request->dwFlags;
      if (!(track->flags & (TME_HOVER | TME_LEAVE))) StopTracking(track);
    }
    return TRUE;
  }
  if (!track) track = FreeTrack();
  if (!track) return FALSE;
  DWORD flags = track->window == window ? track->flags : 0;
  *track = MouseTrack{};
  track->window = window;
  track->flags = flags | (request->dwFlags & (TME_HOVER | TME_LEAVE));
  track->hoverTime = request->dwHoverTime == HOVER_DEFAULT ? kDefaultHoverMs : request->dwHoverTime;
  track->restingSince = GetTickCount();
  track->restingAt = POINT{-10000, -10000};
  SetTimer(window, kTrackTimerId, kSampleMs, SampleCursor);
  return TRUE;
}
