// DrawTextA over the TrueType renderer: the DC's font, text colour and background mode.
#include <cstring>

#include "platform/win32/dialog.h"
#include "platform/win32/font_render.h"
#include "platform/win32/win32_internal.h"

namespace {

struct TextLine {
  int start;
  int length;
  int width;
};

constexpr int kMaxLines = 64;

bool IsSpace(char c) { return c == ' ' || c == '\t'; }

// Ends a line at a newline or, when wrapping, at the last space that keeps it inside maxWidth
// (a single word wider than that is kept whole, as DrawTextA does).
int LineEnd(const char* text, int start, int end, bool wrap, int maxWidth, int em) {
  int stop = start;
  while (stop < end && text[stop] != '\n') stop++;
  if (!wrap || FontMeasureText(text + start, stop - start, em) <= maxWidth) return stop;
  int lastFit = -1;
  for (int i = start; i < stop; i++)
    if (IsSpace(text[i]) && FontMeasureText(text + start, i - start, em) <= maxWidth) lastFit = i;
  if (lastFit > start) return lastFit;
  int wordEnd = start;
  while (wordEnd < stop && !IsSpace(text[wordEnd])) wordEnd++;
  return wordEnd;
}

int SplitLines(const char* text, int length, UINT format, int maxWidth, int em, TextLine* lines) {
  if (format & DT_SINGLELINE) {
    lines[0] = {0, length, FontMeasureText(text, length, em)};
    return 1;
  }
  int count = 0;
  int position = 0;
  bool wrap = (format & DT_WORDBREAK) != 0;
  while (count < kMaxLines) {
    int end = LineEnd(text, position, length, wrap, maxWidth, em);
    lines[count++] = {position, end - position, FontMeasureText(text + position, end - position, em)};
    if (end >= length) break;
    position = end + 1;
    while (wrap && text[end] != '\n' && position < length && IsSpace(text[position])) position++;
  }
  return count;
}

RECT Intersect(RECT a, RECT b) {
  RECT r = {a.left > b.left ? a.left : b.left, a.top > b.top ? a.top : b.top,
            a.right < b.right ? a.right : b.right, a.bottom < b.bottom ? a.bottom : b.bottom};
  if (r.right < r.left) r.right = r.left;
  if (r.bottom < r.top) r.bottom = r.top;
  return r;
}

int LineX(const RECT& rect, int width, UINT format) {
  if (format & DT_CENTER) return rect.left + (rect.right - rect.left - width) / 2;
  if (format & DT_RIGHT) return rect.right - width;
  return rect.left;
}

int FirstLineY(const RECT& rect, int totalHeight, UINT format) {
  if (!(format & DT_SINGLELINE)) return rect.top;
  if (format & DT_VCENTER) return rect.top + (rect.bottom - rect.top - totalHeight) / 2;
  if (format & DT_BOTTOM) return rect.bottom - totalHeight;
  return rect.top;
}

void DrawLines(HDC dc, Win32Dc* state, const char* text, const TextLine* lines, int count,
               const RECT& rect, UINT format, int em) {
  Win32DrawTarget target;
  if (!Win32GetDrawTarget(dc, &target) || !target.pixels) return;
  FontMetrics metrics = FontGetMetrics(em);
  RECT logicalClip = {rect.left + target.origin.x, rect.top + target.origin.y,
                      rect.right + target.origin.x, rect.bottom + target.origin.y};
  RECT clip = (format & DT_NOCLIP) ? target.clip : Intersect(target.clip, logicalClip);
  PixelTarget pixels = {target.pixels, target.width, target.height, target.width};
  uint32_t color = Win32PixelFromColor(state->textColor);
  int y = FirstLineY(rect, count * metrics.height, format);
  for (int i = 0; i < count; i++, y += metrics.height) {
    int x = LineX(rect, lines[i].width, format);
    if (state->bkMode == OPAQUE)
      Win32FillDcRect(dc, {x, y, x + lines[i].width, y + metrics.height},
                      Win32PixelFromColor(state->bkColor));
    FontDrawText(pixels, clip, x + target.origin.x, y + metrics.ascent + target.origin.y,
                 text + lines[i].start, lines[i].length, em, color);
  }
  Win32MarkDcDrawn(dc);
}

}  // namespace

int Win32FontEmPixels(HGDIOBJ font) {
  Win32GdiObject* object = Win32FindGdiObject(font);
  int height = object && object->kind == Win32GdiKind::Font ? object->fontHeight : 0;
  if (height < 0) return -height;
  if (height == 0) return kDialogFontEmPixels;
  int cell = FontGetMetrics(kDialogFontEmPixels).height;
  if (cell <= 0) return height;
  int em = height * kDialogFontEmPixels / cell;
  return em > 0 ? em : 1;
}

int DrawTextA(HDC dc, LPCSTR text, int count, LPRECT rect, UINT format) {
  Win32Dc* state = Win32FindDc(dc);
  if (!state || !text || !rect) return 0;
  int length = count < 0 ? static_cast<int>(std::strlen(text)) : count;
  int em = Win32FontEmPixels(state->font);
  TextLine lines[kMaxLines];
  int lineCount = SplitLines(text, length, format, rect->right - rect->left, em, lines);
  int height = lineCount * FontGetMetrics(em).height;
  if (format & DT_CALCRECT) {
    int widest = 0;
    for (int i = 0; i < lineCount; i++) widest = lines[i].width > widest ? lines[i].width : widest;
    rect->right = rect->left + widest;
    rect->bottom = rect->top + height;
    return height;
  }
  DrawLines(dc, state, text, lines, lineCount, *rect, format, em);
  return height;
}
