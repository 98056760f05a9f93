// The paint cycle: update rectangles, WM_PAINT scheduling, BeginPaint/EndPaint.
#include "platform/win32/win32_internal.h"

namespace {

bool IsEmpty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }

RECT Intersect(const RECT& a, const RECT& b) {
  RECT r = {a.left > b.left ? a.left : b.left, a.top > b.top ? a.top : b.top,
            a.right < b.right ? a.right : b.right, a.bottom < b.bottom ? a.bottom : b.bottom};
  if (IsEmpty(r)) r = RECT{0, 0, 0, 0};
  return r;
}

RECT Union(const RECT& a, const RECT& b) {
  if (IsEmpty(a)) return b;
  if (IsEmpty(b)) return a;
  return RECT{a.left < b.left ? a.left : b.left, a.top < b.top ? a.top : b.top,
              a.right > b.right ? a.right : b.right, a.bottom > b.bottom ? a.bottom : b.bottom};
}

RECT ClientOf(const Win32Window* window) {
  return RECT{0, 0, window->rect.right - window->rect.left, window->rect.bottom - window->rect.top};
}

bool NeedsPaint(Win32Window* window) { return !IsEmpty(window->updateRect) && Win32IsShown(window); }

// Children share their parent's surface, so whatever repaints the parent must repaint them too.
void Invalidate(Win32Window* window, const RECT& area, bool erase) {
  RECT part = Intersect(area, ClientOf(window));
  if (IsEmpty(part)) return;
  // A host window paints itself in its own program; only our children of it are ours to paint.
  if (!window->foreign) {
    window->updateRect = Union(window->updateRect, part);
    window->eraseBackground = window->eraseBackground || erase;
  }
  for (Win32Window& child : win32Windows) {
    if (child.handle == nullptr || child.parent != window->handle || child.destroying) continue;
    RECT inChild = {part.left - child.rect.left, part.top - child.rect.top, part.right - child.rect.left,
                    part.bottom - child.rect.top};
    Invalidate(&child, inChild, erase);
  }
}

bool AncestorNeedsPaint(Win32Window* window) {
  for (Win32Window* p = Win32FindWindow(window->parent); p != nullptr; p = Win32FindWindow(p->parent)) {
    if (NeedsPaint(p)) return true;
  }
  return false;
}

}  // namespace

HWND Win32NextWindowToPaint() {
  Win32Window* best = nullptr;
  for (Win32Window& window : win32Windows) {
    if (window.handle == nullptr || window.destroying || !NeedsPaint(&window) || AncestorNeedsPaint(&window)) {
      continue;
    }
    if (best == nullptr || window.handle < best->handle) best = &window;
  }
  return best != nullptr ? best->handle : nullptr;
}

BOOL InvalidateRect(HWND window, const RECT* rect, BOOL erase) {
  if (window == nullptr) {
    for (Win32Window& w : win32Windows) {
      if (w.handle != nullptr && w.parent == nullptr) Invalidate(&w, ClientOf(&w), erase);
    }
    return TRUE;
  }
  Win32Window* record = Win32FindWindow(window);
  if (record == nullptr) return FALSE;
  Invalidate(record, rect != nullptr ? *rect : ClientOf(record), erase);
  return TRUE;
}

// An update region is kept as one rectangle, so validating part of it validates it only when the
// part covers it.
BOOL ValidateRect(HWND window, const RECT* rect) {
  Win32Window* record = Win32FindWindow(window);
  if (record == nullptr) return FALSE;
  const RECT& u = record->updateRect;
  if (rect == nullptr ||
      (rect->left <= u.left && rect->top <= u.top && rect->right >= u.right && rect->bottom >= u.bottom)) {
    record->updateRect = RECT{0, 0, 0, 0};
    record->eraseBackground = false;
  }
  return TRUE;
}

HDC BeginPaint(HWND window, LPPAINTSTRUCT paint) {
  Win32Window* record = Win32FindWindow(window);
  if (record == nullptr || paint == nullptr) return nullptr;
  *paint = PAINTSTRUCT{};
  RECT update = record->updateRect;
  bool erase = record->eraseBackground;
  record->updateRect = RECT{0, 0, 0, 0};
  record->eraseBackground = false;
  HDC dc = GetDC(window);
  Win32Dc* d = Win32FindDc(dc);
  if (d == nullptr) return nullptr;
  d->fromBeginPaint = true;
  d->hasPaintClip = true;
  d->paintClip = update;
  if (erase) paint->fErase = SendMessageA(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0) == 0;
  paint->hdc = dc;
  paint->rcPaint = update;
  return dc;
}

BOOL EndPaint(HWND window, const PAINTSTRUCT* paint) {
  if (paint == nullptr) return FALSE;
  Win32Dc* d = Win32FindDc(paint->hdc);
  if (d != nullptr && d->ownDc) {
    // An own DC outlives the paint; only the paint's clipping ends.
    d->fromBeginPaint = false;
    d->hasPaintClip = false;
    return TRUE;
  }
  ReleaseDC(window, paint->hdc);
  return TRUE;
}
