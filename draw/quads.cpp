#include "draw/quads.h"

#include <cmath>

#include "draw/texture_manager.h"
#include "render/device.h"
#include "render/render_states.h"

ColorF DrawTint(1.0f, 1.0f, 1.0f, 1.0f);
SpriteVertex quadVertices[6] = {
    {Vector3(0, 0, 0), Color(), 0, 0}, {Vector3(0, 0, 0), Color(), 0, 0}, {Vector3(0, 0, 0), Color(), 0, 0},
    {Vector3(0, 0, 0), Color(), 0, 0}, {Vector3(0, 0, 0), Color(), 0, 0}, {Vector3(0, 0, 0), Color(), 0, 0}};

namespace {

constexpr float kDegreesToRadians = 0.017453292f;

// Truncated toward zero; a factor above 1 saturates instead of wrapping round.
uint8_t TintChannel(uint8_t value, float factor) {
  float product = float(value) * factor;
  if (!(product > 0.0f)) return 0;
  return product >= 255.0f ? 255 : uint8_t(product);
}

void SetVertex(int index, const Vector3& position, Color color, float u, float v) {
  quadVertices[index] = SpriteVertex{position, color, u, v};
}

void SetFilters(DWORD mag, DWORD min, DWORD mip) {
  device->SetTextureStageState(0, D3DTSS_MAGFILTER, mag);
  device->SetTextureStageState(0, D3DTSS_MINFILTER, min);
  device->SetTextureStageState(0, D3DTSS_MIPFILTER, mip);
}

const D3DRENDERSTATETYPE kStateKinds[7] = {D3DRS_LIGHTING, D3DRS_ZENABLE, D3DRS_ZWRITEENABLE,
                                          D3DRS_FORCE_DWORD, D3DRS_ALPHABLENDENABLE, D3DRS_ALPHATESTENABLE,
                                          D3DRS_POINTSPRITEENABLE};

void SwitchState(int kind, bool on) {
  if (kind == 7) {
    on ? SetFilters(D3DTEXF_LINEAR, D3DTEXF_LINEAR, D3DTEXF_LINEAR) : SetFilters(D3DTEXF_POINT, D3DTEXF_POINT, D3DTEXF_NONE);
    return;
  }
  if (kind < 0 || kind > 6 || kind == 3) return;
  SetDeviceRenderState(kStateKinds[kind], on ? TRUE : FALSE);
}

}  // namespace

void BindTexture(const TextureRecord* record) { device->SetTexture(0, record ? record->texture : nullptr); }

void SetDrawTint(float red, float green, float blue, float alpha) { DrawTint.Set(red, green, blue, alpha); }

Color TintColor(Color color) {
  return Color(TintChannel(color.r, DrawTint.r), TintChannel(color.g, DrawTint.g), TintChannel(color.b, DrawTint.b),
               TintChannel(color.a, DrawTint.a));
}

UINT VertexStride(DWORD format) {
  UINT stride = 12;
  if (format & D3DFVF_NORMAL) stride += 12;
  if (format & D3DFVF_TEX1) stride += 8;
  if (format & D3DFVF_PSIZE) stride += 4;
  if (format & D3DFVF_DIFFUSE) stride += 4;
  if (format & D3DFVF_SPECULAR) stride += 4;
  return stride;
}

void DrawUserPrimitives(const void* vertices, UINT primitiveCount, DWORD format, D3DPRIMITIVETYPE type) {
  UINT stride = VertexStride(format);
  device->SetStreamSource(0, nullptr, stride);
  device->SetVertexShader(format);
  device->DrawPrimitiveUP(type, primitiveCount, vertices, stride);
}

void DrawSprite(float x, float y, Vector2 pivot, float angle, float width, float height, const FloatRect& texture,
                Color color, float z) {
  float sinA = std::sin(angle * kDegreesToRadians);
  float cosA = std::cos(angle * kDegreesToRadians);
  float hw = width * 0.5f;
  float hh = height * 0.5f;
  auto corner = [&](float cx, float cy) {
    float dx = cx - pivot.x;
    float dy = cy - pivot.y;
    return Vector3(dx * cosA - dy * sinA + pivot.x, dy * cosA + dx * sinA + pivot.y, z);
  };
  Vector3 c0 = corner(x - hw, y + hh);
  Vector3 c1 = corner(x + hw, y + hh);
  Vector3 c2 = corner(x + hw, y - hh);
  Vector3 c3 = corner(x - hw, y - hh);
  DrawQuad(c0, c1, c2, c3, Vector2(texture.x1, texture.y1), Vector2(texture.x2, texture.y1),
           Vector2(texture.x2, texture.y2), Vector2(texture.x1, texture.y2), color);
}

void DrawQuad(const Vector3& p0, const Vector3& p1, const Vector3& p2, const Vector3& p3, const Vector2& t0,
              const Vector2& t1, const Vector2& t2, const Vector2& t3, Color color) {
  Color tinted = TintColor(color);
  SetVertex(0, p1, tinted, t1.x, t1.y);
  SetVertex(1, p2, tinted, t2.x, t2.y);
  SetVertex(2, p0, tinted, t0.x, t0.y);
  SetVertex(3, p3, tinted, t3.x, t3.y);
  DrawUserPrimitives(quadVertices, 2, kSpriteVertexFormat, D3DPT_TRIANGLESTRIP);
}

void DrawQuadColors(const Vector3& p0, const Vector3& p1, const Vector3& p2, const Vector3& p3, Color c0, Color c1,
                    Color c2, Color c3) {
  c0 = TintColor(c0);
  c1 = TintColor(c1);
  c2 = TintColor(c2);
  c3 = TintColor(c3);
  SetVertex(0, p0, c0, 0.0f, 0.0f);
  SetVertex(1, p1, c1, 0.0f, -1.0f);
  SetVertex(2, p2, c2, -1.0f, -1.0f);
  SetVertex(3, p0, c0, 0.0f, 0.0f);
  SetVertex(4, p2, c2, -1.0f, -1.0f);
  SetVertex(5, p3, c3, -1.0f, 0.0f);
  DrawUserPrimitives(quadVertices, 2, kSpriteVertexFormat, D3DPT_TRIANGLELIST);
}

void DrawScreenRect(float x0, float y0, float x1, float y1, float tu0, float tv0, float tu1, float tv1, Color color) {
  float left = x0 - 400.0f;
  float right = x1 - 400.0f;
  float top = -(y0 - 300.0f);
  float bottom = -(y1 - 300.0f);
  // Pulled in by a thousandth so that wrapping never reaches the texel beyond the edge.
  tu0 += 0.001f;
  tv0 += 0.001f;
  tu1 -= 0.001f;
  tv1 -= 0.001f;
  const float z = 10.0f;
  DrawQuad(Vector3(right, bottom, z), Vector3(right, top, z), Vector3(left, top, z), Vector3(left, bottom, z),
           Vector2(tu1, tv1), Vector2(tu1, tv0), Vector2(tu0, tv0), Vector2(tu0, tv1), color);
}

void EnableState(int kind) { SwitchState(kind, true); }

void DisableState(int kind) { SwitchState(kind, false); }

void SetBlendMode(int mode) {
  static const DWORD kFactors[3][2] = {{D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA},
                                       {D3DBLEND_SRCCOLOR, D3DBLEND_ONE},
                                       {D3DBLEND_ONE, D3DBLEND_ZERO}};
  if (mode < 0 || mode > 2) return;
  SetDeviceRenderState(D3DRS_SRCBLEND, kFactors[mode][0]);
  SetDeviceRenderState(D3DRS_DESTBLEND, kFactors[mode][1]);
}

void BuildOrthoMatrix(Matrix4* matrix, float width, float height, float nearZ, float farZ) {
  float* m = matrix->Raw();
  for (int i = 0; i < 16; ++i) m[i] = 0.0f;
  m[0] = 2.0f / width;
  m[5] = 2.0f / height;
  m[10] = 1.0f / (farZ - nearZ);
  m[14] = nearZ / (nearZ - farZ);
  m[15] = 1.0f;
}
