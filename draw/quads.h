// Flat textured quads, the way every picture and glyph reaches the screen: each call writes a
// few vertices into one scratch array and submits them at once. Colours pass through DrawTint.
#pragma once
#include <windows.h>
#include <d3d8.h>

#include "math/color.h"
#include "math/matrix.h"
#include "math/rect.h"
#include "math/vector.h"

struct TextureRecord;

struct SpriteVertex {
  Vector3 position;
  Color color;
  float u;
  float v;
};
static_assert(sizeof(SpriteVertex) == 24, "the device reads 24-byte vertices");

constexpr DWORD kSpriteVertexFormat = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;  // 0x142

// Multiplies every colour drawn here and by the font; starts at (1, 1, 1, 1).
extern ColorF DrawTint;
// Strip quads use the first four entries, list quads all six.
extern SpriteVertex quadVertices[6];

// Stage 0 gets the record's texture; none unbinds.
void BindTexture(const TextureRecord* record);
void SetDrawTint(float red, float green, float blue, float alpha);
// Each channel times the matching DrawTint factor, truncated; out-of-range products saturate.
Color TintColor(Color color);
// The stride that goes with a flexible vertex format code.
UINT VertexStride(DWORD format);
void DrawUserPrimitives(const void* vertices, UINT primitiveCount, DWORD format, D3DPRIMITIVETYPE type);
// A width x height rectangle centred at (x, y), turned `angle` degrees counter-clockwise about
// `pivot`; texture rectangle x1 = tu0, y1 = tv0, x2 = tu1, y2 = tv1.
void DrawSprite(float x, float y, Vector2 pivot, float angle, float width, float height, const FloatRect& texture,
                Color color, float z);
void DrawQuad(const Vector3& p0, const Vector3& p1, const Vector3& p2, const Vector3& p3, const Vector2& t0,
              const Vector2& t1, const Vector2& t2, const Vector2& t3, Color color);
void DrawQuadColors(const Vector3& p0, const Vector3& p1, const Vector3& p2, const Vector3& p3, Color c0, Color c1,
                    Color c2, Color c3);
// A rectangle in the pixels of an 800 x 600 screen (origin top left, y down), at z 10.
void DrawScreenRect(float x0, float y0, float x1, float y1, float tu0, float tv0, float tu1, float tv1, Color color);

// Kinds 0..7 switch one render feature (kind 3 is unused; others do nothing).
void EnableState(int kind);
void DisableState(int kind);
// 0 source alpha over, 1 additive by colour, 2 replace; others do nothing.
void SetBlendMode(int mode);
void BuildOrthoMatrix(Matrix4* matrix, float width, float height, float nearZ, float farZ);
