// user32 window classes and windows: creation, destruction, placement, window data.
#include <strings.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/win32/win32_display.h"
#include "platform/win32/win32_internal.h"

Win32Class win32Classes[kMaxWindowClasses];
Win32Window win32Windows[kMaxWindows];

namespace {

// The size of the host's preview pane when no display can tell it.
constexpr int kHeadlessPreviewWidth = 152;
constexpr int kHeadlessPreviewHeight = 112;

uintptr_t lastWindowHandle = 0;

// Skips values an adopted host window already uses.
HWND NewWindowHandle() {
  HWND handle;
  do {
    handle = reinterpret_cast<HWND>(++lastWindowHandle);
  } while (Win32FindWindow(handle) != nullptr);
  return handle;
}

void CopyText(char* destination, size_t size, const char* source) {
  std::snprintf(destination, size, "%s", source != nullptr ? source : "");
}

Win32Window* FreeWindowSlot() {
  for (Win32Window& window : win32Windows) {
    if (window.handle == nullptr) return &window;
  }
  return nullptr;
}

ATOM RegisterClassRecord(const WNDCLASSEXA& wc) {
  if (wc.lpszClassName == nullptr || wc.lpfnWndProc == nullptr) return 0;
  if (Win32FindClass(wc.lpszClassName) != nullptr) {
    SetLastError(ERROR_CLASS_ALREADY_EXISTS);
    return 0;
  }
  for (int i = 0; i < kMaxWindowClasses; i++) {
    Win32Class& c = win32Classes[i];
    if (c.used) continue;
    c = Win32Class{};
    c.used = true;
    CopyText(c.name, sizeof c.name, wc.lpszClassName);
    c.style = wc.style;
    c.proc = wc.lpfnWndProc;
    c.instance = wc.hInstance;
    c.icon = wc.hIcon;
    c.cursor = wc.hCursor;
    c.background = wc.hbrBackground;
    return ATOM(0xC000 + i);
  }
  return 0;
}

int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }

bool AllocateSurface(Win32Window* window) {
  int width = Width(window->rect), height = Height(window->rect);
  if (width <= 0 || height <= 0) return true;
  window->surface = static_cast<uint32_t*>(std::calloc(size_t(width) * size_t(height), 4));
  if (window->surface == nullptr) return false;
  window->surfaceWidth = width;
  window->surfaceHeight = height;
  return true;
}

// Keeps a top-level surface the size of the client area; old pixels stay where they fit.
void ResizeSurface(Win32Window* window) {
  int width = Width(window->rect), height = Height(window->rect);
  if (width == window->surfaceWidth && height == window->surfaceHeight) return;
  uint32_t* old = window->surface;
  int oldWidth = window->surfaceWidth, oldHeight = window->surfaceHeight;
  window->surface = nullptr;
  window->surfaceWidth = window->surfaceHeight = 0;
  if (!AllocateSurface(window)) return;
  for (int y = 0; y < height && y < oldHeight; y++) {
    for (int x = 0; x < width && x < oldWidth; x++) {
      window->surface[y * width + x] = old[y * oldWidth + x];
    }
  }
  std::free(old);
}

void FreeRecord(Win32Window* window) {
  Win32FreeOwnDc(window->handle);
  Win32DestroySdlWindow(window);
  std::free(window->surface);
  *window = Win32Window{};
}

void SendSize(HWND handle, const RECT& rect) {
  SendMessageA(handle, WM_SIZE, 0, MAKELPARAM(Width(rect), Height(rect)));
}

void Destroy(Win32Window* window);

void DestroyChildren(HWND parent) {
  for (Win32Window& child : win32Windows) {
    if (child.handle != nullptr && !child.destroying && (child.parent == parent || child.owner == parent)) {
      Destroy(&child);
    }
  }
}

// WM_DESTROY reaches the window before its children; WM_NCDESTROY after them.
void Destroy(Win32Window* window) {
  HWND handle = window->handle;
  window->destroying = true;
  if (window->parent != nullptr) InvalidateRect(window->parent, &window->rect, TRUE);
  Win32ShowSdlWindow(window, false);
  SendMessageA(handle, WM_DESTROY, 0, 0);
  DestroyChildren(handle);
  Win32ForgetWindowInput(handle);
  Win32ForgetWindowMessages(handle);
  Win32KillWindowTimers(handle);
  SendMessageA(handle, WM_NCDESTROY, 0, 0);
  FreeRecord(window);
}

// HWND_TOPMOST makes a window topmost; HWND_NOTOPMOST, and HWND_BOTTOM, take that away.
void SetTopmost(Win32Window* window, HWND insertAfter) {
  bool topmost = (window->exStyle & WS_EX_TOPMOST) != 0;
  if (insertAfter == HWND_TOPMOST) topmost = true;
  if (insertAfter == HWND_NOTOPMOST || insertAfter == HWND_BOTTOM) topmost = false;
  if (topmost == ((window->exStyle & WS_EX_TOPMOST) != 0)) return;
  window->exStyle = topmost ? (window->exStyle | WS_EX_TOPMOST) : (window->exStyle & ~DWORD(WS_EX_TOPMOST));
  Win32SetSdlWindowTopmost(window, topmost);
}

void SetVisible(Win32Window* window, bool visible) {
  bool wasVisible = (window->style & WS_VISIBLE) != 0;
  if (visible == wasVisible) return;
  SendMessageA(window->handle, WM_SHOWWINDOW, visible, 0);
  if (visible) {
    window->style |= WS_VISIBLE;
  } else {
    window->style &= ~DWORD(WS_VISIBLE);
  }
  if (window->parent == nullptr) {
    Win32ShowSdlWindow(window, visible);
  } else {
    InvalidateRect(window->parent, &window->rect, TRUE);
  }
  if (visible) InvalidateRect(window->handle, nullptr, TRUE);
}

HWND ParentOf(const Win32Window* window) {
  return window->parent != nullptr ? window->parent : window->owner;
}

}  // namespace

// ---- Internal lookups -------------------------------------------------------------------------

Win32Window* Win32FindWindow(HWND window) {
  if (window == nullptr) return nullptr;
  for (Win32Window& record : win32Windows) {
    if (record.handle == window) return &record;
  }
  return nullptr;
}

Win32Class* Win32FindClass(const char* name) {
  if (name == nullptr) return nullptr;
  for (Win32Class& c : win32Classes) {
    if (c.used && strcasecmp(c.name, name) == 0) return &c;
  }
  return nullptr;
}

Win32Window* Win32TopLevelOf(Win32Window* window) {
  while (window != nullptr && window->parent != nullptr) window = Win32FindWindow(window->parent);
  return window;
}

POINT Win32OffsetInTopLevel(Win32Window* window) {
  POINT offset = {0, 0};
  while (window != nullptr && window->parent != nullptr) {
    offset.x += window->rect.left;
    offset.y += window->rect.top;
    window = Win32FindWindow(window->parent);
  }
  return offset;
}

RECT Win32ClipToWindow(Win32Window* window) {
  RECT clip = {0, 0, Width(window->rect), Height(window->rect)};
  POINT offset = Win32OffsetInTopLevel(window);
  clip.left += offset.x;
  clip.right += offset.x;
  clip.top += offset.y;
  clip.bottom += offset.y;
  for (Win32Window* p = Win32FindWindow(window->parent); p != nullptr; p = Win32FindWindow(p->parent)) {
    POINT o = Win32OffsetInTopLevel(p);
    RECT r = {o.x, o.y, o.x + Width(p->rect), o.y + Height(p->rect)};
    if (r.left > clip.left) clip.left = r.left;
    if (r.top > clip.top) clip.top = r.top;
    if (r.right < clip.right) clip.right = r.right;
    if (r.bottom < clip.bottom) clip.bottom = r.bottom;
  }
  if (clip.right < clip.left) clip.right = clip.left;
  if (clip.bottom < clip.top) clip.bottom = clip.top;
  return clip;
}

bool Win32IsShown(Win32Window* window) {
  for (; window != nullptr; window = Win32FindWindow(window->parent)) {
    if ((window->style & WS_VISIBLE) == 0 && !window->foreign) return false;
    if (window->parent == nullptr) return true;
  }
  return false;
}

bool Win32IsFullScreenWindow(const Win32Window* window) {
  return window->parent == nullptr && !window->foreign && (window->style & WS_POPUP) != 0 &&
         (window->exStyle & WS_EX_TOPMOST) != 0 && (window->style & WS_CAPTION) == 0;
}

HWND Win32WindowFromPoint(Win32Window* topLevel, POINT point, POINT* clientPoint) {
  Win32Window* found = topLevel;
  while (found != nullptr) {
    // Later siblings are above earlier ones: take the last hit among them, then descend.
    Win32Window* hit = nullptr;
    for (Win32Window& child : win32Windows) {
      if (child.handle == nullptr || child.parent != found->handle) continue;
      if ((child.style & WS_VISIBLE) == 0 || (child.style & WS_DISABLED) != 0) continue;
      RECT clip = Win32ClipToWindow(&child);
      if (point.x >= clip.left && point.x < clip.right && point.y >= clip.top && point.y < clip.bottom) {
        hit = &child;
      }
    }
    if (hit == nullptr) break;
    found = hit;
  }
  POINT offset = Win32OffsetInTopLevel(found);
  if (clientPoint != nullptr) *clientPoint = POINT{point.x - offset.x, point.y - offset.y};
  return found->handle;
}

Win32Window* Win32AdoptForeignWindow(HWND handle) {
  uintptr_t id = reinterpret_cast<uintptr_t>(handle);
  // A handle we issued once is stale, never a host window.
  if (id == 0 || id <= lastWindowHandle) return nullptr;
  int width = kHeadlessPreviewWidth, height = kHeadlessPreviewHeight;
  bool onDisplay = Win32HasDisplay();
  if (onDisplay && !Win32X11WindowSize(id, &width, &height)) return nullptr;
  Win32Window* window = FreeWindowSlot();
  if (window == nullptr) return nullptr;
  *window = Win32Window{};
  window->handle = handle;
  window->classIndex = -1;
  window->foreign = true;
  window->style = WS_VISIBLE;
  window->rect = RECT{0, 0, width, height};
  if (!AllocateSurface(window)) {
    *window = Win32Window{};
    return nullptr;
  }
  if (onDisplay) {
    Win32WatchX11Window(id);
    window->x11Window = id;
  }
  return window;
}

void Win32DestroyForeignWindow(Win32Window* window) {
  if (window->handle == nullptr || !window->foreign) return;
  window->x11Window = 0;  // gone: nothing may draw into it any more
  Destroy(window);
}

void Win32X11WindowGone(unsigned long id) {
  for (Win32Window& window : win32Windows) {
    if (window.handle == nullptr || window.x11Window != id || id == 0) continue;
    if (window.foreign) {
      Win32DestroyForeignWindow(&window);
      continue;
    }
    // The saver's own window drew into it: it closes, as when its window is closed.
    window.x11Window = 0;
    PostMessageA(window.handle, WM_CLOSE, 0, 0);
  }
}

// ---- Classes ----------------------------------------------------------------------------------

ATOM RegisterClassExA(const WNDCLASSEXA* windowClass) {
  return windowClass != nullptr ? RegisterClassRecord(*windowClass) : 0;
}

ATOM RegisterClassA(const WNDCLASSA* windowClass) {
  if (windowClass == nullptr) return 0;
  WNDCLASSEXA wc = {};
  wc.cbSize = sizeof wc;
  wc.style = windowClass->style;
  wc.lpfnWndProc = windowClass->lpfnWndProc;
  wc.hInstance = windowClass->hInstance;
  wc.hIcon = windowClass->hIcon;
  wc.hCursor = windowClass->hCursor;
  wc.hbrBackground = windowClass->hbrBackground;
  wc.lpszClassName = windowClass->lpszClassName;
  return RegisterClassRecord(wc);
}

// Fails while a window of the class still exists, as Win32 does.
BOOL UnregisterClassA(LPCSTR className, HINSTANCE) {
  Win32Class* c = Win32FindClass(className);
  if (c == nullptr) return FALSE;
  int index = int(c - win32Classes);
  for (const Win32Window& window : win32Windows) {
    if (window.handle != nullptr && window.classIndex == index) return FALSE;
  }
  *c = Win32Class{};
  return TRUE;
}

// ---- Creation and destruction -------------------------------------------------------------------

HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
  Win32InitVideo();
  Win32Class* c = Win32FindClass(className);
  if (c == nullptr) return nullptr;
  bool child = (style & WS_CHILD) != 0;
  Win32Window* parentRecord = nullptr;
  if (parent != nullptr) {
    parentRecord = Win32FindWindow(parent);
    if (parentRecord == nullptr) parentRecord = Win32AdoptForeignWindow(parent);
    if (parentRecord == nullptr) return nullptr;
  }
  if (child && parentRecord == nullptr) return nullptr;
  Win32Window* window = FreeWindowSlot();
  if (window == nullptr) return nullptr;

  if (x == CW_USEDEFAULT) x = y = 0;
  if (width == CW_USEDEFAULT) {
    width = 640;
    height = 480;
  }
  *window = Win32Window{};
  window->handle = NewWindowHandle();
  window->classIndex = int(c - win32Classes);
  window->proc = c->proc;
  window->parent = child ? parent : nullptr;
  window->owner = child ? nullptr : parent;
  window->style = style & ~DWORD(WS_VISIBLE);
  window->exStyle = exStyle;
  window->id = child ? LONG_PTR(reinterpret_cast<uintptr_t>(menu)) : 0;
  window->instance = instance;
  window->rect = RECT{x, y, x + (width > 0 ? width : 0), y + (height > 0 ? height : 0)};
  HWND handle = window->handle;
  if (!child) {
    if (!AllocateSurface(window)) {
      FreeRecord(window);
      return nullptr;
    }
    Win32CreateSdlWindow(window);
  }

  CREATESTRUCTA cs = {};
  cs.lpCreateParams = param;
  cs.hInstance = instance;
  cs.hMenu = menu;
  cs.hwndParent = parent;
  cs.cx = width;
  cs.cy = height;
  cs.x = x;
  cs.y = y;
  cs.style = LONG(style);
  cs.lpszName = windowName;
  cs.lpszClass = className;
  cs.dwExStyle = exStyle;
  LPARAM csParam = reinterpret_cast<LPARAM>(&cs);
  if (SendMessageA(handle, WM_NCCREATE, 0, csParam) == 0) {
    Win32Window* record = Win32FindWindow(handle);
    if (record != nullptr) {
      SendMessageA(handle, WM_NCDESTROY, 0, 0);
      FreeRecord(record);
    }
    return nullptr;
  }
  if (SendMessageA(handle, WM_CREATE, 0, csParam) == -1) {
    DestroyWindow(handle);
    return nullptr;
  }
  window = Win32FindWindow(handle);
  if (window == nullptr) return nullptr;  // destroyed by its own WM_CREATE
  SendSize(handle, window->rect);
  if ((style & WS_VISIBLE) != 0) ShowWindow(handle, SW_SHOW);
  return handle;
}

BOOL DestroyWindow(HWND window) {
  Win32Window* record = Win32FindWindow(window);
  if (record == nullptr || record->foreign) return FALSE;
  if (record->destroying) return TRUE;
  Destroy(record);
  return TRUE;
}

BOOL IsWindow(HWND window) {
  Win32Window* record = Win32FindWindow(window);
  return record != nullptr && !record->destroying;
}

// ---- Showing and placement ----------------------------------------------------------------------

BOOL ShowWindow(HWND window, int command) {
  Win32Window* record = Win32FindWindow(window);
  if (record == nullptr) return FALSE;
  BOOL wasVisible = (record->style & WS_VISIBLE) != 0;
  bool show = command != SW_HIDE && command != SW_MINIMIZE;
  SetVisible(record, show);
  bool activates = show && command != SW_SHOWNOACTIVATE && command != SW_SHOWMINIMIZED;
  if (activates && record->parent == nullptr && !record->foreign) Win32Activate(window);
  return wasVisible;
}

BOOL UpdateWindow(HWND window) {
  Win32Window* record = Win32FindWindow(window);
  if (record == nullptr) return FALSE;
  if (record->updateRect.right > record->updateRect.left && record->updateRect.bottom > record->updateRect.top) {
    SendMessageA(window, WM_PAINT, 0, 0);
  }
  return TRUE;
}

BOOL SetWindowPos(HWND window, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
  Win32Window* record = Win32FindWindow(window);
  if (record == nullptr || record->foreign) return FALSE;
  if ((flags & SWP_NOZORDER) == 0) SetTopmost(record, insertAfter);
  RECT old = record->rect;
  RECT rect = old;
  if ((flags & SWP_NOMOVE) == 0) {
    rect.right += x - rect.left;
    rect.bottom += y - rect.top;
    rect.left = x;
    rect.top = y;
  }
  if ((flags & SWP_NOSIZE) == 0) {
    rect.right = rect.left + (cx > 0 ? cx : 0);
    rect.bottom = rect.top + (cy > 0 ? cy : 0);
  }
  bool resized = Width(rect) != Width(old) || Height(rect) != Height(old);
  record->rect = rect;
  if (record->parent == nullptr) {
    ResizeSurface(record);
    Win32ShowSdlWindow(record, (record->style & WS_VISIBLE) != 0);
  } else {
    InvalidateRect(record->parent, &old, TRUE);
  }
  if (resized) SendSize(window, rect);
  if ((flags & SWP_SHOWWINDOW) != 0) ShowWindow(window, SW_SHOW);
  if ((flags & SWP_HIDEWINDOW) != 0) ShowWindow(window, SW_HIDE);
  if ((flags & SWP_NOREDRAW) == 0) InvalidateRect(window, nullptr, TRUE);
  return TRUE;
}

BOOL MoveWindow(HWND window, int x, int y, int width, int height, BOOL repaint) {
  return SetWindowPos(window, nullptr, x, y, width, height, SWP_NOZORDER | (repaint ? 0 : SWP_NOREDRAW));
}

BOOL GetClientRect(HWND window, LPRECT rect) {
  Win32Window* record = Win32FindWindow(window);
  if (record == nullptr) record = Win32AdoptForeignWindow(window);
  if (record == nullptr || rect == nullptr) return FALSE;
  *rect = RECT{0, 0, Width(record->rect), Height(record->rect)};
  return TRUE;
}

BOOL GetWindowRect(HWND window, LPRECT rect) {
  Win32Window* record = Win32FindWindow(window);
  if (record == nullptr || rect == nullptr) return FALSE;
  POINT origin = {0, 0};
  ClientToScreen(window, &origin);
  *rect = RECT{origin.x, origin.y, origin.x + Width(record->rect), origin.y + Height(record->rect)};
  return TRUE;
}

// Frames are drawn by the desktop's window manager, outside the client area, so no style adds to it.
BOOL AdjustWindowRect(LPRECT rect, DWORD, BOOL) { return rect != nullptr; }

BOOL ClientToScreen(HWND window, LPPOINT point) {
  Win32Window* record = Win32FindWindow(window);
  if (record == nullptr || point == nullptr) return FALSE;
  POINT offset = Win32OffsetInTopLevel(record);
  Win32Window* top = Win32TopLevelOf(record);
  point->x += offset.x + top->rect.left;
  point->y += offset.y + top->rect.top;
  return TRUE;
}

BOOL ScreenToClient(HWND window, LPPOINT point) {
  POINT origin = {0, 0};
  if (point == nullptr || !ClientToScreen(window, &origin)) return FALSE;
  point->x -= origin.x;
  point->y -= origin.y;
  return TRUE;
}

BOOL IsWindowVisible(HWND window) {
  Win32Window* record = Win32FindWindow(window);
  return record != nullptr && Win32IsShown(record);
}

BOOL IsWindowEnabled(HWND window) {
  Win32Window* record = Win32FindWindow(window);
  return record != nullptr && (record->style & WS_DISABLED) == 0;
}

BOOL EnableWindow(HWND window, BOOL enable) {
  Win32Window* record = Win32FindWindow(window);
  if (record == nullptr) return FALSE;
  BOOL wasDisabled = (record->style & WS_DISABLED) != 0;
  if (bool(enable) == !wasDisabled) return wasDisabled;
  if (enable) {
    record->style &= ~DWORD(WS_DISABLED);
  } else {
    record->style |= WS_DISABLED;
    if (GetFocus() == window) SetFocus(nullptr);
  }
  SendMessageA(window, WM_ENABLE, enable, 0);
  return wasDisabled;
}

HWND GetParent(HWND window) {
  Win32Window* record = Win32FindWindow(window);
  return record != nullptr ? ParentOf(record) : nullptr;
}

// ---- Window data --------------------------------------------------------------------------------

LONG_PTR GetWindowLongPtrA(HWND window, int index) {
  Win32Window* record = Win32FindWindow(window);
  if (record == nullptr) return 0;
  switch (index) {
    case GWLP_WNDPROC: return reinterpret_cast<LONG_PTR>(record->proc);
    case GWLP_USERDATA: return record->userData;
    case GWL_STYLE: return LONG_PTR(record->style);
    case GWL_EXSTYLE: return LONG_PTR(record->exStyle);
    case GWLP_ID: return record->id;
    case GWLP_HINSTANCE: return reinterpret_cast<LONG_PTR>(record->instance);
    case DWLP_MSGRESULT: return record->msgResult;
    default: return 0;
  }
}

LONG_PTR SetWindowLongPtrA(HWND window, int index, LONG_PTR value) {
  Win32Window* record = Win32FindWindow(window);
  if (record == nullptr) return 0;
  LONG_PTR old = GetWindowLongPtrA(window, index);
  switch (index) {
    case GWLP_WNDPROC: record->proc = reinterpret_cast<WNDPROC>(value); break;
    case GWLP_USERDATA: record->userData = value; break;
    case GWL_STYLE: record->style = DWORD(value); break;
    case GWL_EXSTYLE: record->exStyle = DWORD(value); break;
    case GWLP_ID: record->id = value; break;
    case GWLP_HINSTANCE: record->instance = reinterpret_cast<HINSTANCE>(value); break;
    case DWLP_MSGRESULT: record->msgResult = value; break;
    default: return 0;
  }
  return old;
}

BOOL SetWindowTextA(HWND window, LPCSTR text) {
  if (Win32FindWindow(window) == nullptr) return FALSE;
  return SendMessageA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)) != 0;
}

int GetWindowTextA(HWND window, LPSTR text, int maxCount) {
  if (text == nullptr || maxCount <= 0) return 0;
  text[0] = '\0';
  if (Win32FindWindow(window) == nullptr) return 0;
  return int(SendMessageA(window, WM_GETTEXT, WPARAM(maxCount), reinterpret_cast<LPARAM>(text)));
}

int GetWindowTextLengthA(HWND window) {
  if (Win32FindWindow(window) == nullptr) return 0;
  return int(SendMessageA(window, WM_GETTEXTLENGTH, 0, 0));
}

// ---- Icons and cursors ----------------------------------------------------------------------------

// Icons are never drawn on Linux; a non-null handle is all a class needs.
HICON LoadIconA(HINSTANCE, LPCSTR name) {
  return reinterpret_cast<HICON>(const_cast<char*>(name != nullptr ? name : IDI_APPLICATION));
}

// A cursor handle is its resource id; SetCursor maps the standard ones to system cursors.
HCURSOR LoadCursorA(HINSTANCE, LPCSTR name) {
  return reinterpret_cast<HCURSOR>(const_cast<char*>(name != nullptr ? name : IDC_ARROW));
}
