// gdi32 subset: device contexts, brushes, bitmaps, BitBlt and FillRect over 32-bit surfaces.
#include <cstdlib>
#include <initializer_list>

#include "platform/win32/win32_internal.h"

Win32Dc win32Dcs[kMaxDcs];
Win32GdiObject win32GdiObjects[kMaxGdiObjects];

namespace {

// Handles of DCs and GDI objects live in separate ranges so that one passed for the other is
// simply not found.
constexpr uintptr_t kFirstDcHandle = 0x10000;
constexpr uintptr_t kFirstGdiHandle = 0x20000;
constexpr int kStockCount = DEFAULT_GUI_FONT + 1;
constexpr int kSysColorCount = 31;

uintptr_t lastDcHandle = kFirstDcHandle;
uintptr_t lastGdiHandle = kFirstGdiHandle;
HGDIOBJ stockObjects[kStockCount];
HGDIOBJ defaultBitmap;
HGDIOBJ sysColorBrushes[kSysColorCount];

Win32GdiObject* NewStock(Win32GdiKind kind, COLORREF color) {
  Win32GdiObject* object = Win32NewGdiObject(kind);
  if (object == nullptr) return nullptr;
  object->stock = true;
  object->color = color;
  return object;
}

void CreateStockObjects() {
  if (defaultBitmap != nullptr) return;
  static const COLORREF brushColors[] = {RGB(255, 255, 255), RGB(192, 192, 192), RGB(128, 128, 128),
                                         RGB(64, 64, 64), RGB(0, 0, 0), RGB(0, 0, 0)};
  for (int i = WHITE_BRUSH; i <= NULL_BRUSH; i++) {
    Win32GdiObject* brush = NewStock(Win32GdiKind::Brush, brushColors[i]);
    if (brush == nullptr) return;
    brush->nullBrush = i == NULL_BRUSH;
    stockObjects[i] = brush->handle;
  }
  for (int i : {int(ANSI_FIXED_FONT), int(ANSI_VAR_FONT), int(SYSTEM_FONT), int(DEFAULT_GUI_FONT)}) {
    Win32GdiObject* font = NewStock(Win32GdiKind::Font, 0);
    if (font == nullptr) return;
    font->fontIndex = i;
    stockObjects[i] = font->handle;
  }
  Win32GdiObject* bitmap = NewStock(Win32GdiKind::Bitmap, 0);
  if (bitmap == nullptr) return;
  bitmap->pixels = static_cast<uint32_t*>(std::calloc(1, 4));
  bitmap->width = bitmap->height = 1;
  bitmap->bitsPixel = 1;
  defaultBitmap = bitmap->handle;
}

Win32Dc* NewDc(HWND window, bool memory) {
  CreateStockObjects();
  for (Win32Dc& dc : win32Dcs) {
    if (dc.handle != nullptr) continue;
    dc = Win32Dc{};
    dc.handle = reinterpret_cast<HDC>(++lastDcHandle);
    dc.window = window;
    dc.memory = memory;
    dc.bitmap = memory ? defaultBitmap : nullptr;
    dc.brush = stockObjects[WHITE_BRUSH];
    dc.font = stockObjects[SYSTEM_FONT];
    dc.textColor = RGB(0, 0, 0);
    dc.bkColor = RGB(255, 255, 255);
    dc.bkMode = OPAQUE;
    return &dc;
  }
  return nullptr;
}

bool SelectedAnywhere(HGDIOBJ object) {
  for (const Win32Dc& dc : win32Dcs) {
    if (dc.handle != nullptr && (dc.bitmap == object || dc.brush == object || dc.font == object || dc.pen == object)) {
      return true;
    }
  }
  return false;
}

RECT Intersect(const RECT& a, const RECT& b) {
  RECT r = {a.left > b.left ? a.left : b.left, a.top > b.top ? a.top : b.top,
            a.right < b.right ? a.right : b.right, a.bottom < b.bottom ? a.bottom : b.bottom};
  if (r.right < r.left) r.right = r.left;
  if (r.bottom < r.top) r.bottom = r.top;
  return r;
}

bool WindowTarget(const Win32Dc& dc, Win32DrawTarget* target) {
  Win32Window* window = Win32FindWindow(dc.window);
  Win32Window* top = Win32TopLevelOf(window);
  if (top == nullptr || top->surface == nullptr) return true;
  target->pixels = top->surface;
  target->width = top->surfaceWidth;
  target->height = top->surfaceHeight;
  target->origin = Win32OffsetInTopLevel(window);
  RECT clip = Intersect(Win32ClipToWindow(window), RECT{0, 0, top->surfaceWidth, top->surfaceHeight});
  if (dc.hasPaintClip) {
    RECT paint = {dc.paintClip.left + target->origin.x, dc.paintClip.top + target->origin.y,
                  dc.paintClip.right + target->origin.x, dc.paintClip.bottom + target->origin.y};
    clip = Intersect(clip, paint);
  }
  target->clip = clip;
  return true;
}

// A brush argument may also be a system colour index plus one, as in window classes.
bool BrushPixel(HBRUSH brush, uint32_t* pixel) {
  uintptr_t value = reinterpret_cast<uintptr_t>(brush);
  if (value >= 1 && value <= uintptr_t(kSysColorCount)) {
    *pixel = Win32PixelFromColor(GetSysColor(int(value - 1)));
    return true;
  }
  Win32GdiObject* object = Win32FindGdiObject(brush);
  if (object == nullptr || object->kind != Win32GdiKind::Brush || object->nullBrush) return false;
  *pixel = Win32PixelFromColor(object->color);
  return true;
}

}  // namespace

// ---- Internal helpers ---------------------------------------------------------------------------

uint32_t Win32PixelFromColor(COLORREF color) {
  return (uint32_t(GetRValue(color)) << 16) | (uint32_t(GetGValue(color)) << 8) | GetBValue(color);
}

COLORREF Win32ColorFromPixel(uint32_t pixel) {
  return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
}

Win32Dc* Win32FindDc(HDC dc) {
  if (dc == nullptr) return nullptr;
  for (Win32Dc& record : win32Dcs) {
    if (record.handle == dc) return &record;
  }
  return nullptr;
}

Win32GdiObject* Win32FindGdiObject(HGDIOBJ object) {
  if (object == nullptr) return nullptr;
  for (Win32GdiObject& record : win32GdiObjects) {
    if (record.kind != Win32GdiKind::Free && record.handle == object) return &record;
  }
  return nullptr;
}

Win32GdiObject* Win32NewGdiObject(Win32GdiKind kind) {
  for (Win32GdiObject& record : win32GdiObjects) {
    if (record.kind != Win32GdiKind::Free) continue;
    record = Win32GdiObject{};
    record.handle = reinterpret_cast<HGDIOBJ>(++lastGdiHandle);
    record.kind = kind;
    return &record;
  }
  return nullptr;
}

bool Win32GetDrawTarget(HDC dc, Win32DrawTarget* target) {
  Win32Dc* record = Win32FindDc(dc);
  if (record == nullptr || target == nullptr) return false;
  *target = Win32DrawTarget{};
  if (!record->memory) return WindowTarget(*record, target);
  Win32GdiObject* bitmap = Win32FindGdiObject(record->bitmap);
  if (bitmap == nullptr || bitmap->pixels == nullptr) return true;
  target->pixels = bitmap->pixels;
  target->width = bitmap->width;
  target->height = bitmap->height;
  target->clip = RECT{0, 0, bitmap->width, bitmap->height};
  return true;
}

void Win32MarkDcDrawn(HDC dc) {
  Win32Dc* record = Win32FindDc(dc);
  if (record == nullptr || record->memory) return;
  Win32Window* top = Win32TopLevelOf(Win32FindWindow(record->window));
  if (top != nullptr) top->surfaceDirty = true;
}

void Win32FillDcRect(HDC dc, const RECT& rect, uint32_t pixel) {
  Win32DrawTarget t;
  if (!Win32GetDrawTarget(dc, &t) || t.pixels == nullptr) return;
  RECT r = {rect.left + t.origin.x, rect.top + t.origin.y, rect.right + t.origin.x, rect.bottom + t.origin.y};
  r = Intersect(r, t.clip);
  for (int y = r.top; y < r.bottom; y++) {
    for (int x = r.left; x < r.right; x++) t.pixels[y * t.width + x] = pixel;
  }
  Win32MarkDcDrawn(dc);
}

// ---- Device contexts ------------------------------------------------------------------------------

// The null window is the screen: a DC that other DCs can be compatible with, drawing nowhere.
// A window of a CS_OWNDC class has one DC for its whole life: every GetDC returns it, with the
// attributes last selected into it, and ReleaseDC leaves it alone.
HDC GetDC(HWND window) {
  Win32Window* record = window != nullptr ? Win32FindWindow(window) : nullptr;
  if (window != nullptr && record == nullptr) return nullptr;
  bool own = record != nullptr && record->classIndex >= 0 && (win32Classes[record->classIndex].style & CS_OWNDC) != 0;
  if (own) {
    for (const Win32Dc& dc : win32Dcs) {
      if (dc.handle != nullptr && dc.ownDc && dc.window == window) return dc.handle;
    }
  }
  Win32Dc* dc = NewDc(window, false);
  if (dc == nullptr) return nullptr;
  dc->ownDc = own;
  return dc->handle;
}

int ReleaseDC(HWND, HDC dc) {
  Win32Dc* record = Win32FindDc(dc);
  if (record == nullptr || record->memory || record->ownDc) return 0;
  *record = Win32Dc{};
  return 1;
}

void Win32FreeOwnDc(HWND window) {
  for (Win32Dc& dc : win32Dcs) {
    if (dc.handle != nullptr && dc.ownDc && dc.window == window) dc = Win32Dc{};
  }
}

HDC CreateCompatibleDC(HDC) {
  Win32Dc* dc = NewDc(nullptr, true);
  return dc != nullptr ? dc->handle : nullptr;
}

BOOL DeleteDC(HDC dc) {
  Win32Dc* record = Win32FindDc(dc);
  if (record == nullptr) return FALSE;
  *record = Win32Dc{};
  return TRUE;
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) {
  Win32Dc* record = Win32FindDc(dc);
  Win32GdiObject* o = Win32FindGdiObject(object);
  if (record == nullptr || o == nullptr) return nullptr;
  HGDIOBJ* slot = nullptr;
  switch (o->kind) {
    case Win32GdiKind::Bitmap:
      // A bitmap can be selected into one memory DC at a time.
      if (!record->memory || (record->bitmap != object && SelectedAnywhere(object) && !o->stock)) return nullptr;
      slot = &record->bitmap;
      break;
    case Win32GdiKind::Brush: slot = &record->brush; break;
    case Win32GdiKind::Font: slot = &record->font; break;
    case Win32GdiKind::Pen: slot = &record->pen; break;
    case Win32GdiKind::Free: return nullptr;
  }
  HGDIOBJ previous = *slot;
  *slot = object;
  return previous;
}

// GDI refuses to delete an object still selected into a DC; stock objects are never deleted.
BOOL DeleteObject(HGDIOBJ object) {
  Win32GdiObject* o = Win32FindGdiObject(object);
  if (o == nullptr) return FALSE;
  if (o->stock) return TRUE;
  if (SelectedAnywhere(object)) return FALSE;
  std::free(o->pixels);
  *o = Win32GdiObject{};
  return TRUE;
}

HGDIOBJ GetStockObject(int index) {
  CreateStockObjects();
  if (index < 0 || index >= kStockCount) return nullptr;
  return stockObjects[index];
}

int GetObjectA(HANDLE object, int size, LPVOID buffer) {
  Win32GdiObject* o = Win32FindGdiObject(object);
  if (o == nullptr || o->kind != Win32GdiKind::Bitmap) return 0;
  if (buffer == nullptr) return int(sizeof(BITMAP));
  if (size < int(sizeof(BITMAP))) return 0;
  BITMAP* bitmap = static_cast<BITMAP*>(buffer);
  *bitmap = BITMAP{};
  bitmap->bmWidth = o->width;
  bitmap->bmHeight = o->height;
  bitmap->bmPlanes = 1;
  bitmap->bmBitsPixel = WORD(o->bitsPixel);
  bitmap->bmWidthBytes = ((o->width * o->bitsPixel + 15) / 16) * 2;
  return int(sizeof(BITMAP));
}

// ---- Drawing ------------------------------------------------------------------------------------------

BOOL BitBlt(HDC dest, int x, int y, int width, int height, HDC source, int sourceX, int sourceY, DWORD rop) {
  if (rop != SRCCOPY) return FALSE;
  Win32DrawTarget d, s;
  if (!Win32GetDrawTarget(dest, &d) || !Win32GetDrawTarget(source, &s)) return FALSE;
  if (d.pixels == nullptr || s.pixels == nullptr) return TRUE;
  for (int row = 0; row < height; row++) {
    int dy = y + row + d.origin.y, sy = sourceY + row + s.origin.y;
    if (dy < d.clip.top || dy >= d.clip.bottom || sy < s.clip.top || sy >= s.clip.bottom) continue;
    for (int column = 0; column < width; column++) {
      int dx = x + column + d.origin.x, sx = sourceX + column + s.origin.x;
      if (dx < d.clip.left || dx >= d.clip.right || sx < s.clip.left || sx >= s.clip.right) continue;
      d.pixels[dy * d.width + dx] = s.pixels[sy * s.width + sx];
    }
  }
  Win32MarkDcDrawn(dest);
  return TRUE;
}

int FillRect(HDC dc, const RECT* rect, HBRUSH brush) {
  uint32_t pixel;
  if (rect == nullptr || Win32FindDc(dc) == nullptr) return 0;
  if (BrushPixel(brush, &pixel)) Win32FillDcRect(dc, *rect, pixel);
  return 1;
}

COLORREF SetTextColor(HDC dc, COLORREF color) {
  Win32Dc* record = Win32FindDc(dc);
  if (record == nullptr) return 0xFFFFFFFF;
  COLORREF previous = record->textColor;
  record->textColor = color;
  return previous;
}

COLORREF GetTextColor(HDC dc) {
  Win32Dc* record = Win32FindDc(dc);
  return record != nullptr ? record->textColor : 0xFFFFFFFF;
}

int SetBkMode(HDC dc, int mode) {
  Win32Dc* record = Win32FindDc(dc);
  if (record == nullptr || (mode != TRANSPARENT && mode != OPAQUE)) return 0;
  int previous = record->bkMode;
  record->bkMode = mode;
  return previous;
}

COLORREF SetBkColor(HDC dc, COLORREF color) {
  Win32Dc* record = Win32FindDc(dc);
  if (record == nullptr) return 0xFFFFFFFF;
  COLORREF previous = record->bkColor;
  record->bkColor = color;
  return previous;
}

HBRUSH CreateSolidBrush(COLORREF color) {
  Win32GdiObject* brush = Win32NewGdiObject(Win32GdiKind::Brush);
  if (brush == nullptr) return nullptr;
  brush->color = color;
  return static_cast<HBRUSH>(brush->handle);
}

// The classic light theme: white windows, light grey dialog faces, black text.
DWORD GetSysColor(int index) {
  switch (index) {
    case COLOR_WINDOW: return RGB(255, 255, 255);
    case COLOR_BTNFACE: return RGB(240, 240, 240);
    default: return RGB(0, 0, 0);
  }
}

HBRUSH GetSysColorBrush(int index) {
  if (index < 0 || index >= kSysColorCount) return nullptr;
  if (sysColorBrushes[index] == nullptr) {
    Win32GdiObject* brush = NewStock(Win32GdiKind::Brush, GetSysColor(index));
    if (brush == nullptr) return nullptr;
    sysColorBrushes[index] = brush->handle;
  }
  return static_cast<HBRUSH>(sysColorBrushes[index]);
}
