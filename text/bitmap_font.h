// Bitmap fonts: one texture of glyph cells in a square grid plus a metrics file giving every
// byte value its width and its cell. Strings are drawn glyph by glyph as textured quads.
#pragma once
#include <cstdint>

#include "draw/quads.h"
#include "math/color.h"
#include "math/vector.h"

struct TextureRecord;

constexpr int kMaxFonts = 8;
// The formatted file names ("%s.tga", "%s.dat") must fit 32 bytes.
constexpr int kMaxFontNameLength = 27;
constexpr float kTextDepth = 45.0f;

// The ".dat" file as it lies on disk, little-endian; bytes after it are ignored.
struct FontMetrics {
  int32_t gridSize;
  uint8_t widths[256];
  uint8_t cells[256];
};
static_assert(sizeof(FontMetrics) == 516, "metrics file layout");

struct BitmapFont {
  float advance[256];  // glyph spacing in units of the size argument
  uint8_t cell[256];
  int32_t gridSize;    // cells per row and per column
  TextureRecord* texture;
  float cellStep;      // one cell in texture coordinates
};

struct TextState {
  BitmapFont fonts[kMaxFonts];
  int fontCount;
  BitmapFont* currentFont;
  TextureRecord* backlightTexture;  // loaded with every font, drawn by nothing
  Color color;
  float size;
  Vector3 penOrigin;
  float penOffset;
  SpriteVertex glyphVertices[4];
};

extern TextState textState;

// Loads name + ".tga" and name + ".dat" into the next slot and makes it the current font; a
// missing or broken file ends the process. False, changing nothing, for a ninth font or a name
// longer than kMaxFontNameLength.
bool LoadFont(const char* name);
void SetTextColor(uint8_t red, uint8_t green, uint8_t blue, uint8_t alpha);
// The first glyph is centred at (x, y); lines are 1.8 * size apart. Sets no render states.
// Nothing is drawn before a font is loaded.
void DrawString(float x, float y, float size, const char* text);
