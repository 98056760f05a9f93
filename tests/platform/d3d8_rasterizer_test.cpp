// The software device's rasterizer against Direct3D 8's rules, on small render targets.
#include <windows.h>
#include <d3d8.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <random>
#include <vector>

#include "platform/d3d8/pixel_spans.h"
#include "platform/d3d8/soft_objects.h"
#include "platform/d3d8/software_device.h"

namespace {

struct ScreenVertex {
  float x, y, z, rhw;
  D3DCOLOR color;
  float u, v;
};
constexpr DWORD kScreenFormat = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;

class Rasterizer : public ::testing::Test {
 protected:
  static constexpr UINT kSize = 16;

  void SetUp() override {
    direct3D = Direct3DCreate8(D3D_SDK_VERSION);
    ASSERT_NE(direct3D, nullptr);
    D3DPRESENT_PARAMETERS p{};
    p.BackBufferWidth = p.BackBufferHeight = kSize;
    p.BackBufferFormat = D3DFMT_X8R8G8B8;
    p.SwapEffect = D3DSWAPEFFECT_DISCARD;
    p.Windowed = TRUE;
    p.EnableAutoDepthStencil = TRUE;
    p.AutoDepthStencilFormat = D3DFMT_D16;
    p.Flags = D3DPRESENTFLAG_LOCKABLE_BACKBUFFER;
    ASSERT_EQ(direct3D->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, 0, &p, &device), D3D_OK);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetRenderState(D3DRS_ZENABLE, FALSE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetVertexShader(kScreenFormat);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
  }

  void TearDown() override {
    if (device) {
      device->SetTexture(0, nullptr);
      EXPECT_EQ(device->Release(), 0u);
    }
    if (direct3D) {
      EXPECT_EQ(direct3D->Release(), 0u);
    }
  }

  void Triangle(ScreenVertex a, ScreenVertex b, ScreenVertex c) {
    ScreenVertex v[3] = {a, b, c};
    ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, v, sizeof(ScreenVertex)), D3D_OK);
  }

  // An axis-aligned rectangle from two triangles sharing the diagonal.
  void Rect(float x0, float y0, float x1, float y1, D3DCOLOR color, float u0 = 0, float v0 = 0, float u1 = 1,
            float v1 = 1, float z = 0.5f) {
    ScreenVertex v[4] = {{x0, y0, z, 1, color, u0, v0},
                         {x1, y0, z, 1, color, u1, v0},
                         {x0, y1, z, 1, color, u0, v1},
                         {x1, y1, z, 1, color, u1, v1}};
    ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(ScreenVertex)), D3D_OK);
  }

  std::vector<uint32_t> Pixels() {
    IDirect3DSurface8* surface = nullptr;
    EXPECT_EQ(device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &surface), D3D_OK);
    D3DLOCKED_RECT locked;
    EXPECT_EQ(surface->LockRect(&locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    std::vector<uint32_t> pixels(kSize * kSize);
    for (UINT y = 0; y < kSize; ++y) {
      std::memcpy(&pixels[y * kSize], static_cast<uint8_t*>(locked.pBits) + y * locked.Pitch, kSize * 4);
    }
    surface->UnlockRect();
    surface->Release();
    for (uint32_t& p : pixels) p &= 0x00FFFFFF;  // the X of X8R8G8B8 carries nothing
    return pixels;
  }

  uint32_t Pixel(int x, int y) { return Pixels()[size_t(y) * kSize + size_t(x)]; }

  IDirect3DTexture8* Texture(int width, int height, const std::vector<uint32_t>& texels,
                             D3DFORMAT format = D3DFMT_A8R8G8B8) {
    return MipTexture(width, height, {texels}, format);
  }

  // Level i is width >> i by height >> i.
  IDirect3DTexture8* MipTexture(int width, int height, const std::vector<std::vector<uint32_t>>& levels,
                                D3DFORMAT format = D3DFMT_A8R8G8B8) {
    IDirect3DTexture8* texture = nullptr;
    EXPECT_EQ(device->CreateTexture(UINT(width), UINT(height), UINT(levels.size()), 0, format, D3DPOOL_MANAGED,
                                    &texture),
              D3D_OK);
    for (UINT level = 0; level < levels.size(); ++level) {
      int w = width >> level, h = height >> level;
      D3DLOCKED_RECT locked;
      EXPECT_EQ(texture->LockRect(level, &locked, nullptr, 0), D3D_OK);
      for (int y = 0; y < h; ++y) {
        std::memcpy(static_cast<uint8_t*>(locked.pBits) + y * locked.Pitch, &levels[level][size_t(y * w)],
                    size_t(w) * 4);
      }
      texture->UnlockRect(level);
    }
    return texture;
  }

  void Additive() {
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
  }

  IDirect3D8* direct3D = nullptr;
  IDirect3DDevice8* device = nullptr;
};

TEST_F(Rasterizer, SharedEdgesDrawEveryCoveredPixelExactlyOnce) {
  Additive();
  // A fan of triangles with odd corners round an inner point: every edge inside is shared.
  ScreenVertex centre{7.3f, 6.6f, 0.5f, 1, 0x010101, 0, 0};
  ScreenVertex ring[5] = {{1.2f, 1.7f, 0.5f, 1, 0x010101, 0, 0},
                          {13.5f, 2.0f, 0.5f, 1, 0x010101, 0, 0},
                          {14.25f, 9.5f, 0.5f, 1, 0x010101, 0, 0},
                          {6.0f, 14.0f, 0.5f, 1, 0x010101, 0, 0},
                          {0.5f, 10.0f, 0.5f, 1, 0x010101, 0, 0}};
  for (int i = 0; i < 5; ++i) Triangle(centre, ring[i], ring[(i + 1) % 5]);
  std::vector<uint32_t> pixels = Pixels();
  int covered = 0;
  for (uint32_t p : pixels) {
    ASSERT_TRUE(p == 0 || p == 0x010101) << std::hex << p;
    covered += p != 0;
  }
  // The pentagon's area is about 138 pixels; a gap or a double would show in the count or above.
  EXPECT_GT(covered, 125);
  EXPECT_LT(covered, 150);
}

TEST_F(Rasterizer, PixelCentresAndTheTopLeftRuleDecideCoverage) {
  // Edges through pixel centres: the left and top ones are inside, the right and bottom ones not.
  Rect(2, 3, 6, 5, 0xFFFFFF);
  // Edges between centres: centres from 9 (>= 8.5) to 12 (< 12.5) are covered.
  Rect(8.5f, 8.5f, 12.5f, 9.5f, 0xFF0000);
  std::vector<uint32_t> p = Pixels();
  for (int y = 0; y < int(kSize); ++y) {
    for (int x = 0; x < int(kSize); ++x) {
      uint32_t expected = 0;
      if (x >= 2 && x < 6 && y >= 3 && y < 5) expected = 0xFFFFFF;
      if (x >= 9 && x <= 12 && y == 9) expected = 0xFF0000;
      ASSERT_EQ(p[size_t(y) * kSize + size_t(x)], expected) << x << "," << y;
    }
  }
}

TEST_F(Rasterizer, CullModesDropTrianglesByScreenWinding) {
  ScreenVertex a{1, 1, 0.5f, 1, 0xFFFFFF, 0, 0}, b{9, 1, 0.5f, 1, 0xFFFFFF, 0, 0}, c{1, 9, 0.5f, 1, 0xFFFFFF, 0, 0};
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
  Triangle(a, c, b);  // counter-clockwise on screen: culled
  EXPECT_EQ(Pixel(2, 2), 0u);
  Triangle(a, b, c);  // clockwise: drawn
  EXPECT_EQ(Pixel(2, 2), 0xFFFFFFu);
  device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
  Triangle(a, b, c);
  EXPECT_EQ(Pixel(2, 2), 0u);
}

TEST_F(Rasterizer, BlendFactorsCombineSourceAndDestination) {
  struct Case {
    D3DBLEND src, dest;
    uint32_t expected;
  };
  // Destination 0x204080 (alpha 255 on an X8 target), source 0x80 alpha over 0xC06000.
  const uint32_t dst = 0x204080, srcColor = 0xC06000, srcAlpha = 0x80;
  auto mix = [](uint32_t s, uint32_t sf, uint32_t d, uint32_t df) {
    return std::min(255u, (s * sf + 127) / 255 + (d * df + 127) / 255);
  };
  auto each = [&](auto f) { return (f(16) << 16) | (f(8) << 8) | f(0); };
  auto ch = [](uint32_t c, int s) { return (c >> s) & 255; };
  const Case cases[] = {
      {D3DBLEND_ONE, D3DBLEND_ZERO, srcColor},
      {D3DBLEND_ZERO, D3DBLEND_ONE, dst},
      {D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA,
       each([&](int s) { return mix(ch(srcColor, s), srcAlpha, ch(dst, s), 255 - srcAlpha); })},
      {D3DBLEND_SRCCOLOR, D3DBLEND_ONE, each([&](int s) { return mix(ch(srcColor, s), ch(srcColor, s), ch(dst, s), 255); })},
      {D3DBLEND_DESTCOLOR, D3DBLEND_ZERO, each([&](int s) { return mix(ch(srcColor, s), ch(dst, s), 0, 0); })},
      {D3DBLEND_INVDESTCOLOR, D3DBLEND_INVSRCCOLOR,
       each([&](int s) { return mix(ch(srcColor, s), 255 - ch(dst, s), ch(dst, s), 255 - ch(srcColor, s)); })},
      {D3DBLEND_DESTALPHA, D3DBLEND_INVDESTALPHA, srcColor},  // an X8 target reads as opaque
      {D3DBLEND_BOTHSRCALPHA, D3DBLEND_ZERO,
       each([&](int s) { return mix(ch(srcColor, s), srcAlpha, ch(dst, s), 255 - srcAlpha); })},
  };
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  for (const Case& c : cases) {
    device->Clear(0, nullptr, D3DCLEAR_TARGET, dst, 1.0f, 0);
    device->SetRenderState(D3DRS_SRCBLEND, c.src);
    device->SetRenderState(D3DRS_DESTBLEND, c.dest);
    Rect(0, 0, 4, 4, (srcAlpha << 24) | srcColor);
    uint32_t got = Pixel(1, 1);
    for (int s = 0; s <= 16; s += 8) {
      EXPECT_NEAR(int(ch(got, s)), int(ch(c.expected, s)), 1) << "factors " << c.src << "/" << c.dest;
    }
  }
}

TEST_F(Rasterizer, AlphaTestComparesWithTheReference) {
  device->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
  device->SetRenderState(D3DRS_ALPHAREF, 128);
  device->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);
  Rect(0, 0, 4, 4, 0x7FFFFFFF);
  Rect(4, 0, 8, 4, 0x80FFFFFF);
  EXPECT_EQ(Pixel(1, 1), 0u);
  EXPECT_EQ(Pixel(5, 1), 0xFFFFFFu);
  device->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_LESS);
  Rect(8, 0, 12, 4, 0x7F00FF00);
  Rect(12, 0, 16, 4, 0x8000FF00);
  EXPECT_EQ(Pixel(9, 1), 0x00FF00u);
  EXPECT_EQ(Pixel(13, 1), 0u);
}

TEST_F(Rasterizer, StageWithoutTextureYieldsTheDiffuseAndWithOneModulates) {
  Rect(0, 0, 4, 4, 0xFF806040);
  EXPECT_EQ(Pixel(1, 1), 0x806040u);
  IDirect3DTexture8* texture = Texture(1, 1, {0xFF808080});
  device->SetTexture(0, texture);
  Rect(4, 0, 8, 4, 0xFFFF8040);
  EXPECT_EQ(Pixel(5, 1), 0x804020u);
  device->SetTexture(0, nullptr);
  texture->Release();
}

TEST_F(Rasterizer, PointSamplingKeepsTexelsWhileLinearBlendsNeighbours) {
  // Two texels side by side, magnified to 8 pixels; pixel centres sit at whole coordinates, so
  // pixel x samples u = x / 8.
  IDirect3DTexture8* texture = Texture(2, 1, {0xFF000000, 0xFFFFFFFF});
  device->SetTexture(0, texture);
  device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_POINT);
  Rect(0, 0, 8, 1, 0xFFFFFFFF, 0, 0, 1, 1);
  std::vector<uint32_t> p = Pixels();
  for (int x = 0; x < 8; ++x) EXPECT_EQ(p[size_t(x)], x < 4 ? 0u : 0xFFFFFFu) << x;

  device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
  device->SetTextureStageState(0, D3DTSS_ADDRESSU, D3DTADDRESS_CLAMP);
  Rect(0, 1, 8, 2, 0xFFFFFFFF, 0, 0, 1, 1);
  p = Pixels();
  // Texel centres sit at u = 0.25 and 0.75 (pixels 2 and 6); between them the grey rises.
  EXPECT_EQ(p[kSize + 2], 0u);
  EXPECT_EQ(p[kSize + 6], 0xFFFFFFu);
  uint32_t previous = 0;
  for (int x = 3; x <= 5; ++x) {
    uint32_t grey = p[kSize + size_t(x)] & 0xFF;
    EXPECT_GT(grey, previous) << x;
    EXPECT_LT(grey, 255u) << x;
    previous = grey;
  }
  device->SetTexture(0, nullptr);
  texture->Release();
}

TEST_F(Rasterizer, WrapAddressingRepeatsTheTexture) {
  IDirect3DTexture8* texture = Texture(2, 1, {0xFFFF0000, 0xFF0000FF});
  device->SetTexture(0, texture);
  // u from -1 to 3 over 16 pixels: two pixels per texel, the pair repeating four times.
  Rect(0, 0, 16, 1, 0xFFFFFFFF, -1, 0, 3, 1);
  std::vector<uint32_t> p = Pixels();
  for (int x = 0; x < 16; ++x) EXPECT_EQ(p[size_t(x)], (x / 2) % 2 == 0 ? 0xFF0000u : 0x0000FFu) << x;
  device->SetTexture(0, nullptr);
  texture->Release();
}

TEST_F(Rasterizer, LinearWrapBlendsTheOppositeEdgeIntoARowOnTheTextureEdge) {
  // Texel centres sit half a texel in: a row whose centre lies on v = 0 takes half of the last
  // texel row through wrapping, as Direct3D does. Pictures drawn edge to edge show it.
  IDirect3DTexture8* texture = Texture(1, 2, {0xFFFF0000, 0xFF0000FF});
  device->SetTexture(0, texture);
  device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
  Rect(0, 4, 4, 8, 0xFFFFFFFF, 0, 0, 1, 1);
  uint32_t first = Pixel(1, 4);
  EXPECT_NEAR(int(first >> 16), 128, 1);
  EXPECT_NEAR(int(first & 0xFF), 128, 1);
  EXPECT_EQ(Pixel(1, 5), 0xFF0000u);  // v = 0.25: the centre of the first texel row
  device->SetTexture(0, nullptr);
  texture->Release();
}

TEST_F(Rasterizer, DepthTestKeepsTheNearerSurfaceAndHonoursWriteMask) {
  device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
  device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
  Rect(0, 0, 8, 8, 0xFF0000FF, 0, 0, 1, 1, 0.25f);
  Rect(4, 4, 12, 12, 0xFFFF0000, 0, 0, 1, 1, 0.5f);  // farther: hidden where they overlap
  EXPECT_EQ(Pixel(5, 5), 0x0000FFu);
  EXPECT_EQ(Pixel(10, 10), 0xFF0000u);
  device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
  Rect(0, 0, 4, 4, 0xFF00FF00, 0, 0, 1, 1, 0.1f);
  Rect(0, 0, 4, 4, 0xFFFFFFFF, 0, 0, 1, 1, 0.2f);  // the green wrote no depth, so white passes
  EXPECT_EQ(Pixel(1, 1), 0xFFFFFFu);
}

TEST_F(Rasterizer, ClipSpaceMapsThroughTheViewportAndNearFarClipping) {
  struct Vertex {
    float x, y, z;
    D3DCOLOR color;
  };
  device->SetVertexShader(D3DFVF_XYZ | D3DFVF_DIFFUSE);
  // Identity transforms: the clip square -1..1 covers the whole target; y points up.
  Vertex top[3] = {{-1, 1, 0.5f, 0xFFFFFFFF}, {1, 1, 0.5f, 0xFFFFFFFF}, {-1, 0, 0.5f, 0xFFFFFFFF}};
  ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, top, sizeof(Vertex)), D3D_OK);
  EXPECT_EQ(Pixel(0, 0), 0xFFFFFFu);
  EXPECT_EQ(Pixel(0, 15), 0u);
  // Beyond the far plane (z > 1): nothing.
  device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
  Vertex far[3] = {{-1, 1, 1.5f, 0xFFFFFFFF}, {1, 1, 1.5f, 0xFFFFFFFF}, {-1, -1, 1.5f, 0xFFFFFFFF}};
  ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, far, sizeof(Vertex)), D3D_OK);
  EXPECT_EQ(Pixel(1, 1), 0u);
  // Crossing the near plane: the part with z >= 0 (the right half) remains.
  Vertex crossing[4] = {{-1, 1, -1, 0xFFFFFFFF}, {1, 1, 1, 0xFFFFFFFF}, {-1, -1, -1, 0xFFFFFFFF}, {1, -1, 1, 0xFFFFFFFF}};
  ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, crossing, sizeof(Vertex)), D3D_OK);
  EXPECT_EQ(Pixel(3, 8), 0u);
  EXPECT_EQ(Pixel(12, 8), 0xFFFFFFu);
}

TEST_F(Rasterizer, CoverageOfArbitraryTrianglesFollowsTheTopLeftRuleExactly) {
  // Corners on the 1/16 grid, often exactly on pixel centres and rows, some beyond the target:
  // every pixel centre is judged by the edge functions themselves.
  Additive();
  std::mt19937 random(7);
  std::uniform_int_distribution<int> coordinate(-4 * 16, 20 * 16);
  std::uniform_int_distribution<int> snapToCentre(0, 2);
  auto pick = [&] {
    int c = coordinate(random);
    return snapToCentre(random) == 0 ? c / 16 * 16 : c;
  };
  for (int n = 0; n < 300; ++n) {
    int x[3], y[3];
    for (int i = 0; i < 3; ++i) {
      x[i] = pick();
      y[i] = pick();
    }
    long long area = (long long)(x[1] - x[0]) * (y[2] - y[0]) - (long long)(x[2] - x[0]) * (y[1] - y[0]);
    if (area == 0) continue;
    if (area < 0) {  // clockwise on screen from here on
      std::swap(x[1], x[2]);
      std::swap(y[1], y[2]);
    }
    auto inside = [&](int px, int py) {
      for (int i = 0; i < 3; ++i) {
        int ax = x[i], ay = y[i], bx = x[(i + 1) % 3], by = y[(i + 1) % 3];
        long long e = (long long)(bx - ax) * (py - ay) - (long long)(by - ay) * (px - ax);
        bool topOrLeft = (ay == by && bx > ax) || by < ay;
        if (e < 0 || (e == 0 && !topOrLeft)) return false;
      }
      return true;
    };
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
    auto vertex = [&](int i) { return ScreenVertex{x[i] / 16.0f, y[i] / 16.0f, 0.5f, 1, 0x010101, 0, 0}; };
    Triangle(vertex(0), vertex(1), vertex(2));
    std::vector<uint32_t> p = Pixels();
    for (int py = 0; py < int(kSize); ++py) {
      for (int px = 0; px < int(kSize); ++px) {
        uint32_t expected = inside(px * 16, py * 16) ? 0x010101u : 0u;
        ASSERT_EQ(p[size_t(py) * kSize + size_t(px)], expected)
            << "triangle " << n << " pixel " << px << "," << py;
      }
    }
  }
}

// The common draws (texture x diffuse, wrapped power-of-two levels, replace, over or additive
// blending) run through dedicated kernels; mirror addressing over the same texels, which wraps
// nowhere here, runs the general stage. Both must agree for every filter, diffuse and blend.
void ExpectFastKernelsAgreeWithGeneralStage(IDirect3DDevice8* device, const std::function<void(const D3DCOLOR*)>& draw,
                                            const std::function<std::vector<uint32_t>()>& pixels) {
  struct Blend {
    bool on;
    D3DBLEND src, dest;
    DWORD alphaRef;
  };
  const Blend blends[] = {{false, D3DBLEND_ONE, D3DBLEND_ZERO, 0},
                          {true, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, 0},
                          {true, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, 128},
                          {true, D3DBLEND_SRCCOLOR, D3DBLEND_ONE, 0},
                          {true, D3DBLEND_SRCCOLOR, D3DBLEND_ONE, 90}};
  const D3DCOLOR diffuses[3][3] = {{0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF},
                                   {0xC080FF40, 0xC080FF40, 0xC080FF40},
                                   {0xFFFF0000, 0x8000FF00, 0x200000FF}};
  for (DWORD filter : {D3DTEXF_POINT, D3DTEXF_LINEAR}) {
    device->SetTextureStageState(0, D3DTSS_MAGFILTER, filter);
    device->SetTextureStageState(0, D3DTSS_MINFILTER, filter);
    for (const Blend& blend : blends) {
      device->SetRenderState(D3DRS_ALPHABLENDENABLE, blend.on);
      device->SetRenderState(D3DRS_SRCBLEND, blend.src);
      device->SetRenderState(D3DRS_DESTBLEND, blend.dest);
      device->SetRenderState(D3DRS_ALPHATESTENABLE, blend.alphaRef != 0);
      device->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);
      device->SetRenderState(D3DRS_ALPHAREF, blend.alphaRef);
      for (const D3DCOLOR* colors : diffuses) {
        std::vector<uint32_t> result[2];
        for (int general = 0; general < 2; ++general) {
          DWORD address = general ? D3DTADDRESS_MIRROR : D3DTADDRESS_WRAP;
          device->SetTextureStageState(0, D3DTSS_ADDRESSU, address);
          device->SetTextureStageState(0, D3DTSS_ADDRESSV, address);
          device->Clear(0, nullptr, D3DCLEAR_TARGET, 0x80604020, 1.0f, 0);
          draw(colors);
          result[general] = pixels();
        }
        int changed = 0;
        for (size_t i = 0; i < result[0].size(); ++i) {
          changed += result[0][i] != 0x604020;
          for (int shift = 0; shift < 24; shift += 8) {
            // The general stage works in floats; one step of rounding apart at most.
            int fast = int((result[0][i] >> shift) & 0xFF), reference = int((result[1][i] >> shift) & 0xFF);
            ASSERT_LE(std::abs(fast - reference), 2)
                << "filter " << filter << " blend " << blend.src << "/" << blend.dest << " ref " << blend.alphaRef
                << " diffuse " << std::hex << colors[2] << " pixel " << std::dec << i;
          }
        }
        EXPECT_GT(changed, 0);
      }
    }
  }
}

std::vector<uint32_t> RandomTexels(std::mt19937& random, size_t count) {
  std::vector<uint32_t> texels(count);
  for (uint32_t& t : texels) t = uint32_t(random());
  return texels;
}

TEST_F(Rasterizer, FastStageKernelsAgreeWithTheGeneralStage) {
  std::mt19937 random(11);
  IDirect3DTexture8* texture = Texture(16, 16, RandomTexels(random, 16 * 16));
  device->SetTexture(0, texture);
  device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
  // A rotated triangle, its texture coordinates kept clear of the texture's edges.
  ExpectFastKernelsAgreeWithGeneralStage(
      device,
      [&](const D3DCOLOR* colors) {
        Triangle({0.5f, 1.25f, 0.5f, 1, colors[0], 0.2f, 0.25f}, {15.5f, 3.0f, 0.5f, 1, colors[1], 0.8f, 0.3f},
                 {4.0f, 15.0f, 0.5f, 1, colors[2], 0.35f, 0.75f});
      },
      [&] { return Pixels(); });
  device->SetTexture(0, nullptr);
  texture->Release();
}

// A minified triangle between two levels blends them in the kernels as the general stage does,
// each level sampled at its own scale; unrotated rows and rotated ones take different loops.
TEST_F(Rasterizer, MipBlendingKernelsAgreeWithTheGeneralStage) {
  std::mt19937 random(5);
  IDirect3DTexture8* texture = MipTexture(32, 32, {RandomTexels(random, 32 * 32), RandomTexels(random, 16 * 16)});
  device->SetTexture(0, texture);
  device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
  device->SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTEXF_LINEAR);
  auto rotated = [&](const D3DCOLOR* colors) {
    Triangle({0.5f, 1.25f, 0.5f, 1, colors[0], 0.1f, 0.15f}, {15.5f, 3.0f, 0.5f, 1, colors[1], 0.85f, 0.2f},
             {4.0f, 15.0f, 0.5f, 1, colors[2], 0.3f, 0.9f});
  };
  auto unrotated = [&](const D3DCOLOR* colors) {
    // Coordinates that put no pixel centre on a texel edge, where float and fixed point may
    // round to different texels.
    ScreenVertex v[4] = {{0.0f, 0.0f, 0.5f, 1, colors[0], 0.1037f, 0.1229f},
                         {16.0f, 0.0f, 0.5f, 1, colors[1], 0.8913f, 0.1229f},
                         {0.0f, 16.0f, 0.5f, 1, colors[2], 0.1037f, 0.8871f},
                         {16.0f, 16.0f, 0.5f, 1, colors[2], 0.8913f, 0.8871f}};
    ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(ScreenVertex)), D3D_OK);
  };
  auto pixels = [&] { return Pixels(); };
  ExpectFastKernelsAgreeWithGeneralStage(device, rotated, pixels);
  ExpectFastKernelsAgreeWithGeneralStage(device, unrotated, pixels);
  // Both footprints lie between the levels, so the second level shows.
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
  device->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
  const D3DCOLOR white[3] = {0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF};
  std::vector<uint32_t> blended[2];
  for (DWORD mip : {D3DTEXF_NONE, D3DTEXF_LINEAR}) {
    device->SetTextureStageState(0, D3DTSS_MIPFILTER, mip);
    unrotated(white);
    blended[mip == D3DTEXF_LINEAR] = Pixels();
  }
  EXPECT_NE(blended[0], blended[1]);
  device->SetTexture(0, nullptr);
  texture->Release();
}

// Whole draws through the device come out the same with every kernel set: magnified, minified
// between two levels, rotated, faded and clear, replacing and blending over.
TEST_F(Rasterizer, EveryKernelSetDrawsTheSamePictures) {
  std::mt19937 random(17);
  IDirect3DTexture8* texture = MipTexture(32, 32, {RandomTexels(random, 32 * 32), RandomTexels(random, 16 * 16)});
  device->SetTexture(0, texture);
  device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
  device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
  device->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
  device->SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTEXF_LINEAR);
  device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  auto draw = [&] {
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0x80604020, 1.0f, 0);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    Rect(0, 0, 16, 16, 0xFFFFFFFF, 0.1f, 0.2f, 0.45f, 0.55f);        // magnified
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    Rect(1, 2, 15, 13, 0x80C0FFA0, 0.0f, 0.1f, 0.7f, 0.9f);          // between the levels, faded
    Triangle({0.5f, 1.25f, 0.5f, 1, 0xFFFFFFFF, 0.2f, 0.25f}, {15.5f, 3.0f, 0.5f, 1, 0xC0FF8040, 0.9f, 0.3f},
             {4.0f, 15.0f, 0.5f, 1, 0x40FFFFFF, 0.35f, 1.75f});    // rotated, shaded
    device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_POINT);
    Rect(3, 0, 16, 9, 0xFFFFFFFF, 0.3f, 0.3f, 0.6f, 0.5f);          // point sampled
    device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
    return Pixels();
  };
  SpanKernelSet chosen = spanKernelSet;
  spanKernelSet = SpanKernelSet::kPortable;
  std::vector<uint32_t> expected = draw();
  for (SpanKernelSet set : {SpanKernelSet::kSse2, SpanKernelSet::kAvx2, SpanKernelSet::kAvx512}) {
    if (!SpanKernelSetRuns(set)) continue;
    spanKernelSet = set;
    EXPECT_EQ(draw(), expected) << "set " << int(set);
  }
  spanKernelSet = chosen;
  // A clear diffuse leaves the target as it was.
  device->Clear(0, nullptr, D3DCLEAR_TARGET, 0x80604020, 1.0f, 0);
  std::vector<uint32_t> before = Pixels();
  Rect(0, 0, 16, 16, 0x00FFFFFF, 0.0f, 0.0f, 0.7f, 0.9f);
  EXPECT_EQ(Pixels(), before);
  device->SetTexture(0, nullptr);
  texture->Release();
}

// Level 0 while magnified or at 1:1 and with no mip filter; the level the footprint names when
// minified, blended with the next by the fraction or rounded to the nearest.
TEST_F(Rasterizer, MipLevelsFollowTheTexelFootprint) {
  std::vector<uint32_t> red(32 * 32, 0xFFFF0000), blue(16 * 16, 0xFF0000FF);
  IDirect3DTexture8* texture = MipTexture(32, 32, {red, blue});
  device->SetTexture(0, texture);
  device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
  device->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
  // 16 pixels across texture coordinates 0 to `reach`: 32 * reach / 16 texels per pixel.
  auto drawn = [&](DWORD mip, float reach) {
    device->SetTextureStageState(0, D3DTSS_MIPFILTER, mip);
    Rect(0, 0, 16, 16, 0xFFFFFFFF, 0, 0, reach, reach);
    return Pixel(8, 8);
  };
  EXPECT_EQ(drawn(D3DTEXF_LINEAR, 0.25f), 0xFF0000u);  // magnified
  EXPECT_EQ(drawn(D3DTEXF_LINEAR, 0.5f), 0xFF0000u);   // 1:1
  EXPECT_EQ(drawn(D3DTEXF_LINEAR, 1.0f), 0x0000FFu);   // 2:1, the second level whole
  EXPECT_EQ(drawn(D3DTEXF_NONE, 1.0f), 0xFF0000u);
  EXPECT_EQ(drawn(D3DTEXF_POINT, 0.6f), 0xFF0000u);    // LOD 0.26 rounds to level 0
  EXPECT_EQ(drawn(D3DTEXF_POINT, 0.9f), 0x0000FFu);    // LOD 0.85 rounds to level 1
  // LOD 0.5: half of each level.
  uint32_t half = drawn(D3DTEXF_LINEAR, 0.70711f);
  EXPECT_NEAR(int(half >> 16), 127, 2);
  EXPECT_NEAR(int(half & 0xFF), 127, 2);
  EXPECT_EQ((half >> 8) & 0xFF, 0u);
  device->SetTexture(0, nullptr);
  texture->Release();
}

// What a 16-bit target stores, read back in its own bits.
struct SixteenBitTarget {
  // Full screen, on an adapter that offers the format (a windowed back buffer follows the desktop).
  explicit SixteenBitTarget(D3DFORMAT format) {
    const D3DDISPLAYMODE mode = {8, 8, 60, format};
    SoftwareAdapterSetModes(&mode, 1);
    direct3D = Direct3DCreate8(D3D_SDK_VERSION);
    D3DPRESENT_PARAMETERS p{};
    p.BackBufferWidth = p.BackBufferHeight = 8;
    p.BackBufferFormat = format;
    p.SwapEffect = D3DSWAPEFFECT_DISCARD;
    p.Windowed = FALSE;
    p.Flags = D3DPRESENTFLAG_LOCKABLE_BACKBUFFER;
    created = direct3D->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, 0, &p, &device);
    if (created != D3D_OK) return;
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetVertexShader(kScreenFormat);
  }
  ~SixteenBitTarget() {
    if (device) device->Release();
    direct3D->Release();
    SoftwareAdapterSetModes(nullptr, -1);
  }
  void AddRect(D3DCOLOR color) {
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    ScreenVertex v[4] = {{0, 0, 0.5f, 1, color, 0, 0}, {4, 0, 0.5f, 1, color, 0, 0},
                         {0, 4, 0.5f, 1, color, 0, 0}, {4, 4, 0.5f, 1, color, 0, 0}};
    device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(ScreenVertex));
  }
  uint16_t Stored(int x, int y) {
    IDirect3DSurface8* surface = nullptr;
    device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &surface);
    D3DLOCKED_RECT locked;
    surface->LockRect(&locked, nullptr, D3DLOCK_READONLY);
    uint16_t value;
    std::memcpy(&value, static_cast<uint8_t*>(locked.pBits) + y * locked.Pitch + x * 2, 2);
    surface->UnlockRect();
    surface->Release();
    return value;
  }
  IDirect3D8* direct3D = nullptr;
  IDirect3DDevice8* device = nullptr;
  HRESULT created = E_FAIL;
};

TEST(SixteenBitTargets, BlendWithWhatTheTargetHoldsNotWithEightBitValues) {
  // 12 is stored as 8 in five bits; adding 4 gives 12 again, stored as 8 once more.
  SixteenBitTarget r5g6b5(D3DFMT_R5G6B5);
  ASSERT_EQ(r5g6b5.created, D3D_OK);
  r5g6b5.device->Clear(0, nullptr, D3DCLEAR_TARGET, 0x0C0C0C, 1.0f, 0);
  r5g6b5.AddRect(0x040404);
  uint16_t p = r5g6b5.Stored(1, 1);
  EXPECT_EQ(p >> 11, 1) << "red reads 8";
  EXPECT_EQ(p & 31, 1) << "blue reads 8";
  EXPECT_EQ((p >> 5) & 63, 4) << "six-bit green: 12 is kept, 16 stored";
  EXPECT_EQ(r5g6b5.Stored(6, 6) >> 11, 1) << "a cleared pixel the draw did not touch";

  SixteenBitTarget x1r5g5b5(D3DFMT_X1R5G5B5);
  ASSERT_EQ(x1r5g5b5.created, D3D_OK);
  x1r5g5b5.device->Clear(0, nullptr, D3DCLEAR_TARGET, 0x0C0C0C, 1.0f, 0);
  x1r5g5b5.AddRect(0x040404);
  x1r5g5b5.AddRect(0x040404);
  p = x1r5g5b5.Stored(2, 2);
  EXPECT_EQ((p >> 10) & 31, 1);
  EXPECT_EQ((p >> 5) & 31, 1);
  EXPECT_EQ(p & 31, 1);
}

TEST(SixteenBitTargets, QuantisingKeepsExactlyWhatTheFormatEncodes) {
  for (D3DFORMAT format : {D3DFMT_R5G6B5, D3DFMT_X1R5G5B5}) {
    int wrong = 0;
    std::vector<uint32_t> row(256);
    for (uint32_t rg = 0; rg < 65536; rg += 3) {
      for (uint32_t b = 0; b < 256; ++b) row[b] = 0x80000000u | (rg << 8) | b;
      QuantiseToFormat(format, row.data(), 256);
      for (uint32_t b = 0; b < 256; ++b) {
        uint8_t bytes[2];
        EncodePixel(format, 0x80000000u | (rg << 8) | b, bytes);
        wrong += row[b] != DecodePixel(format, bytes);
      }
    }
    EXPECT_EQ(wrong, 0) << format;
  }
}

}  // namespace
