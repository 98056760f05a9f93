#include "text/bitmap_font.h"

#include <windows.h>
#include <d3d8.h>

#include <cstdio>
#include <cstring>

#include "data/binary_reader.h"
#include "data/file_cache.h"
#include "draw/texture_manager.h"

TextState textState;

namespace {

// The half height of a glyph per unit of size, as the single-precision constant it always was.
constexpr float kHalfHeight = 0.89999998f;

void ReadMetrics(BitmapFont* font, const char* fileName) {
  int size = 0;
  unsigned char* data = LoadDataFile(fileName, &size, true);
  // A short file or a grid of no cells cannot be laid out: treated like a file that did not load.
  if (size < int(sizeof(FontMetrics))) StopOnUnloadableFile(fileName);
  FontMetrics metrics;
  std::memcpy(&metrics, data, sizeof metrics);
  metrics.gridSize = ReadLittleInt32(data);  // the file is little-endian whatever the host
  ReleaseFile(data);
  if (metrics.gridSize <= 0) StopOnUnloadableFile(fileName);
  font->gridSize = metrics.gridSize;
  font->cellStep = float(1.0 / double(metrics.gridSize));
  for (int k = 0; k < 256; k++) {
    // width * 2 / (512 / G): a width of one 512-texel cell spans the whole two-unit quad.
    long double grid = metrics.gridSize;
    font->advance[k] = float(metrics.widths[k] * 2.0L / (512.0L / grid));
    font->cell[k] = metrics.cells[k];
  }
}

void SetGlyphCorner(int index, const Vector3& position, float u, float v) {
  textState.glyphVertices[index].position = position;
  textState.glyphVertices[index].u = u;
  textState.glyphVertices[index].v = v;
}

void DrawGlyph(const BitmapFont* font, unsigned char ch, const Vector3& w, const Vector3& h) {
  Vector3 centre = textState.penOrigin + Vector3(textState.penOffset, 0.0f, 0.0f);
  int n = font->cell[ch];
  float d = font->cellStep;
  float u = float(n % font->gridSize) * d;
  float v = float(n / font->gridSize) * d;
  SetGlyphCorner(0, centre - w + h, u, v);
  SetGlyphCorner(1, centre + w + h, u + d, v);
  SetGlyphCorner(2, centre - w - h, u, v + d);
  SetGlyphCorner(3, centre + w - h, u + d, v + d);
  DrawUserPrimitives(textState.glyphVertices, 2, kSpriteVertexFormat, D3DPT_TRIANGLESTRIP);
}

void SetGlyphColor(Color color) {
  for (SpriteVertex& vertex : textState.glyphVertices) vertex.color = color;
}

}  // namespace

bool LoadFont(const char* name) {
  if (textState.fontCount >= kMaxFonts || std::strlen(name) > size_t(kMaxFontNameLength)) return false;
  BitmapFont* font = &textState.fonts[textState.fontCount];
  textState.currentFont = font;
  textState.fontCount++;
  char fileName[32];
  std::snprintf(fileName, sizeof fileName, "%s.tga", name);
  font->texture = textureManager.GetTexture(fileName);
  std::snprintf(fileName, sizeof fileName, "%s.dat", name);
  ReadMetrics(font, fileName);
  SetTextColor(255, 255, 255, 255);
  // Required content even though nothing draws it: a missing picture stops the program here.
  textState.backlightTexture = textureManager.GetTexture("podsvet.jpg");
  textState.penOffset = 0.0f;
  return true;
}

void SetTextColor(uint8_t red, uint8_t green, uint8_t blue, uint8_t alpha) {
  textState.color = Color(red, green, blue, alpha);
  SetGlyphColor(textState.color);
}

void DrawString(float x, float y, float size, const char* text) {
  const BitmapFont* font = textState.currentFont;
  if (font == nullptr || text == nullptr) return;
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text);
  const float s = size;
  textState.size = s;
  textState.penOrigin = Vector3(x, y, kTextDepth);
  textState.penOffset = 0.0f;
  const Vector3 w(s, 0.0f, 0.0f);
  const Vector3 h(0.0f, kHalfHeight * s, 0.0f);
  const float lineStep = 2.0f * (kHalfHeight * s);
  SetGlyphColor(TintColor(textState.color));
  BindTexture(font->texture);
  float& p = textState.penOffset;
  int i = 0;
  while (bytes[i] != 0) {
    unsigned char ch = bytes[i];
    // The pre-advance cancels the reset below, so every line starts exactly at x.
    if (i != 0) p = p + s * font->advance[ch] * 0.5f;
    if (ch == '\r' || ch == '\n') {
      if (ch == '\r') {
        // Taken as CR LF: the byte after the CR is skipped whatever it is.
        if (bytes[i + 1] == 0) break;
        i += 2;
      } else {
        i += 1;
      }
      p = -s * font->advance[bytes[i]] * 0.5f;
      textState.penOrigin.y -= lineStep;
      continue;
    }
    DrawGlyph(font, ch, w, h);
    p = p + s * font->advance[ch] * 0.5f;
    i++;
  }
}
