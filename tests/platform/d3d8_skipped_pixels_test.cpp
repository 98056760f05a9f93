// Pixels a draw cannot change are not shaded: those of draws that only replace pixels, held back,
// where the next draw lays opaque texels, and those where a blend by alpha meets clear texels.
// The pictures must come out exactly as when every pixel is shaded.
#include <windows.h>
#include <d3d8.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "platform/d3d8/rasterizer.h"
#include "platform/d3d8/software_device.h"

namespace {

struct ScreenVertex {
  float x, y, z, rhw;
  D3DCOLOR color;
  float u, v;
};
struct SpaceVertex {
  float x, y, z;
  D3DCOLOR color;
  float u, v;
};
constexpr DWORD kScreenFormat = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;
constexpr DWORD kSpaceFormat = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;
constexpr int kWidth = 131, kHeight = 97;

struct Rect {
  float x0, y0, x1, y1, u0, v0, u1, v1;
};

class Occlusion : public ::testing::Test {
 protected:
  void SetUp() override {
    direct3D = Direct3DCreate8(D3D_SDK_VERSION);
    ASSERT_NE(direct3D, nullptr);
    D3DPRESENT_PARAMETERS p{};
    p.BackBufferWidth = kWidth;
    p.BackBufferHeight = kHeight;
    p.BackBufferFormat = D3DFMT_X8R8G8B8;
    p.SwapEffect = D3DSWAPEFFECT_DISCARD;
    p.Windowed = TRUE;
    p.Flags = D3DPRESENTFLAG_LOCKABLE_BACKBUFFER;
    ASSERT_EQ(direct3D->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, 0, &p, &device), D3D_OK);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetRenderState(D3DRS_ZENABLE, FALSE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    // Texture x diffuse in colour and alpha, as the saver draws.
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
  }

  void TearDown() override {
    SoftwareDeviceSkipUnchangedPixels(true);
    device->SetTexture(0, nullptr);
    EXPECT_EQ(device->Release(), 0u);
    EXPECT_EQ(direct3D->Release(), 0u);
  }

  IDirect3DTexture8* Texture(int width, int height, const std::vector<uint32_t>& texels) {
    IDirect3DTexture8* texture = nullptr;
    EXPECT_EQ(device->CreateTexture(UINT(width), UINT(height), 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture),
              D3D_OK);
    Fill(texture, width, height, texels);
    return texture;
  }

  void Fill(IDirect3DTexture8* texture, int width, int height, const std::vector<uint32_t>& texels) {
    D3DLOCKED_RECT locked;
    ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
    for (int y = 0; y < height; ++y) {
      std::memcpy(static_cast<uint8_t*>(locked.pBits) + y * locked.Pitch, &texels[size_t(y * width)],
                  size_t(width) * 4);
    }
    texture->UnlockRect(0);
  }

  // In screen pixels, pre-transformed, or through identity transforms from clip space; turned by
  // `angle` radians about its centre.
  void DrawRect(const Rect& r, D3DCOLOR color, bool transformed, float angle = 0.0f) {
    const float cx = (r.x0 + r.x1) / 2, cy = (r.y0 + r.y1) / 2, c = std::cos(angle), s = std::sin(angle);
    auto turnX = [&](float x, float y) { return cx + (x - cx) * c - (y - cy) * s; };
    auto turnY = [&](float x, float y) { return cy + (x - cx) * s + (y - cy) * c; };
    if (!transformed) {
      ScreenVertex v[4] = {{turnX(r.x0, r.y0), turnY(r.x0, r.y0), 0.5f, 1, color, r.u0, r.v0},
                           {turnX(r.x1, r.y0), turnY(r.x1, r.y0), 0.5f, 1, color, r.u1, r.v0},
                           {turnX(r.x0, r.y1), turnY(r.x0, r.y1), 0.5f, 1, color, r.u0, r.v1},
                           {turnX(r.x1, r.y1), turnY(r.x1, r.y1), 0.5f, 1, color, r.u1, r.v1}};
      device->SetVertexShader(kScreenFormat);
      ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof v[0]), D3D_OK);
      return;
    }
    auto clipX = [](float x) { return x / kWidth * 2.0f - 1.0f; };
    auto clipY = [](float y) { return 1.0f - y / kHeight * 2.0f; };
    auto corner = [&](float x, float y, float u, float v) {
      return SpaceVertex{clipX(turnX(x, y)), clipY(turnY(x, y)), 0.5f, color, u, v};
    };
    SpaceVertex v[4] = {corner(r.x1, r.y1, r.u1, r.v1), corner(r.x1, r.y0, r.u1, r.v0), corner(r.x0, r.y0, r.u0, r.v0),
                        corner(r.x0, r.y1, r.u0, r.v1)};
    device->SetVertexShader(kSpaceFormat);
    ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, v, sizeof v[0]), D3D_OK);
  }

  std::vector<uint32_t> Pixels() {
    IDirect3DSurface8* surface = nullptr;
    EXPECT_EQ(device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &surface), D3D_OK);
    D3DLOCKED_RECT locked;
    EXPECT_EQ(surface->LockRect(&locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    std::vector<uint32_t> pixels(size_t(kWidth) * kHeight);
    for (int y = 0; y < kHeight; ++y) {
      std::memcpy(&pixels[size_t(y) * kWidth], static_cast<uint8_t*>(locked.pBits) + y * locked.Pitch, kWidth * 4);
    }
    surface->UnlockRect();
    surface->Release();
    return pixels;
  }

  void Filter(DWORD filter) {
    device->SetTextureStageState(0, D3DTSS_MAGFILTER, filter);
    device->SetTextureStageState(0, D3DTSS_MINFILTER, filter);
  }

  IDirect3D8* direct3D = nullptr;
  IDirect3DDevice8* device = nullptr;
};

// Opaque and clear blobs with soft edges and stray half-clear texels.
std::vector<uint32_t> HoledPicture(std::mt19937& random, int width, int height) {
  std::vector<uint32_t> texels(size_t(width) * height);
  std::uniform_int_distribution<int> byte(0, 255), x(0, width - 1), y(0, height - 1), radius(1, 9);
  int holes[6][3];
  for (auto& h : holes) h[0] = x(random), h[1] = y(random), h[2] = radius(random);
  for (int j = 0; j < height; ++j) {
    for (int i = 0; i < width; ++i) {
      int alpha = 255;
      for (auto& h : holes) {
        int d = (i - h[0]) * (i - h[0]) + (j - h[1]) * (j - h[1]);
        if (d < h[2] * h[2]) alpha = 0;
        else if (d < (h[2] + 1) * (h[2] + 1)) alpha = std::min(alpha, 128);
      }
      if (byte(random) == 0) alpha = 200;
      texels[size_t(j) * width + i] = uint32_t(alpha) << 24 | uint32_t(byte(random)) << 16 | uint32_t(byte(random));
    }
  }
  return texels;
}

std::vector<uint32_t> Noise(std::mt19937& random, int count) {
  std::vector<uint32_t> texels(static_cast<size_t>(count));
  for (uint32_t& t : texels) t = uint32_t(random()) | 0xFF000000u;
  return texels;
}

TEST_F(Occlusion, SkippingCoveredPixelsDrawsExactlyThePicturesOfDrawingEverything) {
  std::mt19937 random(7);
  for (int round = 0; round < 48; ++round) {
    IDirect3DTexture8* sky = Texture(64, 32, Noise(random, 64 * 32));
    IDirect3DTexture8* water = Texture(32, 32, Noise(random, 32 * 32));
    IDirect3DTexture8* front = Texture(64, 64, HoledPicture(random, 64, 64));
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    const bool transformed = round % 2 == 1;
    const DWORD filter = round % 4 < 2 ? D3DTEXF_POINT : D3DTEXF_LINEAR;
    Rect skyRect{-3, -2, kWidth * 0.9f, kHeight * 0.6f, unit(random), 0.1f, 1.7f + unit(random), 0.9f};
    Rect waterRect{5.5f, kHeight * 0.5f, kWidth + 4.0f, kHeight + 0.3f, 0.0f, unit(random), 1.0f, 1.6f};
    // The front picture magnified or reduced, sometimes mirrored, its edges off pixel centres.
    float u0 = 0.05f * unit(random), u1 = 0.4f + 0.55f * unit(random);
    if (round % 3 == 0) std::swap(u0, u1);
    Rect frontRect{2.3f * unit(random), 1.7f * unit(random), kWidth - 3 * unit(random), kHeight - 2 * unit(random),
                   u0, 0.02f, u1, 0.3f + 0.7f * unit(random)};
    D3DCOLOR gouraud = 0xFFC08040 + (uint32_t(round) << 8);
    std::vector<uint32_t> pictures[2];
    for (int skip = 0; skip < 2; ++skip) {
      SoftwareDeviceSkipUnchangedPixels(skip == 1);
      device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF203040, 1.0f, 0);
      device->BeginScene();
      Filter(filter);
      device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
      device->SetTexture(0, sky);
      DrawRect(skyRect, 0xFFFFFFFF, transformed);
      device->SetTexture(0, water);
      DrawRect(waterRect, gouraud, transformed);
      device->SetTexture(0, nullptr);
      DrawRect(Rect{40, 30, 60, 90, 0, 0, 1, 1}, 0xFF00FF00, transformed);
      device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
      device->SetTexture(0, front);
      DrawRect(frontRect, 0xFFFFFFFF, transformed);
      device->EndScene();
      pictures[skip] = Pixels();
    }
    ASSERT_EQ(pictures[0], pictures[1]) << "round " << round;
    sky->Release();
    water->Release();
    front->Release();
  }
}

// A sprite: clear margins of random widths on every side, blobs inside, a second level below.
IDirect3DTexture8* Sprite(IDirect3DDevice8* device, std::mt19937& random, int size) {
  IDirect3DTexture8* texture = nullptr;
  EXPECT_EQ(device->CreateTexture(UINT(size), UINT(size), 2, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
  std::uniform_int_distribution<int> margin(0, size / 3);
  for (UINT level = 0; level < 2; ++level) {
    int n = size >> level;
    int left = margin(random) >> level, right = n - (margin(random) >> level);
    D3DLOCKED_RECT locked;
    EXPECT_EQ(texture->LockRect(level, &locked, nullptr, 0), D3D_OK);
    for (int y = 0; y < n; ++y) {
      auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(locked.pBits) + y * locked.Pitch);
      int shift = int(random() % 5) - 2;
      for (int x = 0; x < n; ++x) {
        bool inside = x >= left + shift && x < right + shift && y > n / 8 && y < n - n / 9;
        uint32_t alpha = inside ? (random() % 4 == 0 ? random() % 256 : 255) : 0;
        row[x] = alpha << 24 | (uint32_t(random()) & 0xFFFFFF);
      }
    }
    texture->UnlockRect(level);
  }
  return texture;
}

TEST_F(Occlusion, SpritesBlendedByAlphaSkipTheirClearEndsExactly) {
  std::mt19937 random(11);
  std::uniform_real_distribution<float> unit(0.0f, 1.0f);
  IDirect3DTexture8* back = Texture(64, 64, Noise(random, 64 * 64));
  for (int round = 0; round < 24; ++round) {
    IDirect3DTexture8* sprites[3] = {Sprite(device, random, 32), Sprite(device, random, 64), Sprite(device, random, 16)};
    struct Placed {
      Rect rect;
      D3DCOLOR color;
      DWORD filter, mip;
      bool transformed;
      float angle;  // swaying leaves turn by a degree or two, some sprites by much more
    } placed[12];
    for (Placed& p : placed) {
      float x = unit(random) * kWidth - 20, y = unit(random) * kHeight - 20, w = 4 + unit(random) * 90;
      float u0 = unit(random) * 0.5f - 0.25f, u1 = u0 + 0.3f + unit(random) * 1.2f;
      if (random() % 3 == 0) std::swap(u0, u1);
      p = {Rect{x, y, x + w, y + 4 + unit(random) * 70, u0, 0.0f, u1, 1.0f},
           (random() % 2 ? 0xFFFFFFFFu : 0x80FFC0A0u) - uint32_t(random() % 2) * 0x40000000u,
           random() % 2 ? D3DTEXF_LINEAR : D3DTEXF_POINT, random() % 2 ? D3DTEXF_LINEAR : D3DTEXF_NONE,
           random() % 2 == 1, random() % 3 == 0 ? 0.0f : (unit(random) - 0.5f) * (random() % 2 ? 0.06f : 1.6f)};
    }
    std::vector<uint32_t> pictures[2];
    for (int skip = 0; skip < 2; ++skip) {
      SoftwareDeviceSkipUnchangedPixels(skip == 1);
      device->BeginScene();
      Filter(D3DTEXF_POINT);
      device->SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTEXF_NONE);
      device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
      device->SetTexture(0, back);
      DrawRect(Rect{0, 0, kWidth, kHeight, 0, 0, 1, 1}, 0xFFFFFFFF, false);
      device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
      for (int i = 0; i < 12; ++i) {
        Filter(placed[i].filter);
        device->SetTextureStageState(0, D3DTSS_MIPFILTER, placed[i].mip);
        device->SetTexture(0, sprites[i % 3]);
        DrawRect(placed[i].rect, placed[i].color, placed[i].transformed, placed[i].angle);
      }
      device->EndScene();
      pictures[skip] = Pixels();
    }
    ASSERT_EQ(pictures[0], pictures[1]) << "round " << round;
    for (IDirect3DTexture8* sprite : sprites) sprite->Release();
  }
  back->Release();
}

TEST_F(Occlusion, HeldDrawsAreDrawnBeforeTheirPixelsOrTexelsAreReadOrChanged) {
  IDirect3DTexture8* red = Texture(8, 8, std::vector<uint32_t>(64, 0xFFFF0000u));
  IDirect3DTexture8* front = Texture(8, 8, std::vector<uint32_t>(64, 0xFF0000FFu));
  device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
  device->BeginScene();
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
  device->SetTexture(0, red);
  DrawRect(Rect{0, 0, kWidth, kHeight, 0, 0, 1, 1}, 0xFFFFFFFF, false);
  // Read in the middle of the scene: the held draw is there.
  EXPECT_EQ(Pixels()[size_t(kHeight / 2) * kWidth + kWidth / 2] & 0xFFFFFF, 0xFF0000u);

  DrawRect(Rect{0, 0, kWidth, kHeight / 2.0f, 0, 0, 1, 1}, 0xFFFFFFFF, false);
  // The texture changes and is let go while the draw that reads it is held: it draws what the
  // texture held when it was drawn.
  Fill(red, 8, 8, std::vector<uint32_t>(64, 0xFF00FF00u));
  DrawRect(Rect{0, kHeight / 2.0f, kWidth, kHeight, 0, 0, 1, 1}, 0xFFFFFFFF, false);
  device->SetTexture(0, nullptr);
  red->Release();
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  device->SetTexture(0, front);
  DrawRect(Rect{10, 10, 20, 20, 0, 0, 1, 1}, 0xFFFFFFFF, false);
  device->EndScene();
  std::vector<uint32_t> pixels = Pixels();
  EXPECT_EQ(pixels[size_t(5) * kWidth + 5] & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(pixels[size_t(kHeight - 5) * kWidth + 5] & 0xFFFFFF, 0x00FF00u);
  EXPECT_EQ(pixels[size_t(15) * kWidth + 15] & 0xFFFFFF, 0x0000FFu);
  front->Release();
}

// Held draws are the device's own business: a scene that never ends holds only a few, and a
// texture the application lets go never keeps the device alive (TearDown sees both go).
TEST_F(Occlusion, HeldDrawsStayFewAndKeepNothingAlive) {
  IDirect3DTexture8* red = Texture(8, 8, std::vector<uint32_t>(64, 0xFFFF0000u));
  device->BeginScene();
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
  device->SetTexture(0, red);
  int most = 0;
  for (int i = 0; i < 5000; ++i) {
    DrawRect(Rect{float(i % 50), 0, float(i % 50 + 20), 20, 0, 0, 1, 1}, 0xFFFFFFFF, false);
    most = std::max(most, SoftwareDeviceHeldDraws(device));
  }
  EXPECT_GT(most, 0);
  EXPECT_LE(most, 64);
  device->SetTexture(0, nullptr);
  red->Release();
  EXPECT_EQ(SoftwareDeviceHeldDraws(device), 0);
  EXPECT_EQ(Pixels()[size_t(10) * kWidth + 60] & 0xFFFFFF, 0xFF0000u);
}

// A draw state as the device gathers it: a screen rectangle of texture x diffuse over the target.
struct CoverCase {
  std::vector<uint32_t> target = std::vector<uint32_t>(size_t(kWidth) * kHeight);
  std::vector<uint32_t> texels;
  RasterTexture texture{};
  RasterState state{};
  OpaqueTexels opaque;

  explicit CoverCase(std::vector<uint32_t> picture, int size) : texels(std::move(picture)) {
    texture.levels[0] = RasterTextureLevel{texels.data(), size, size};
    texture.levelCount = 1;
    state.target = RasterTarget{target.data(), kWidth, kWidth, kHeight, false, nullptr, 0, 0};
    state.viewportWidth = kWidth;
    state.viewportHeight = kHeight;
    state.maxZ = 1.0f;
    state.pretransformed = true;
    state.cullMode = D3DCULL_NONE;
    state.blend = true;
    state.srcBlend = D3DBLEND_SRCALPHA;
    state.destBlend = D3DBLEND_INVSRCALPHA;
    state.blendOp = D3DBLENDOP_ADD;
    state.texture = &texture;
    state.colorOp = state.alphaOp = D3DTOP_MODULATE;
    state.colorArg1 = state.alphaArg1 = D3DTA_TEXTURE;
    state.colorArg2 = state.alphaArg2 = D3DTA_DIFFUSE;
    state.magFilter = state.minFilter = D3DTEXF_POINT;
    state.addressU = state.addressV = D3DTADDRESS_WRAP;
    FindOpaqueTexels(texture.levels[0], 0, &opaque);
  }

  // Corners of two triangles over the whole target; `shear` moves the bottom edge sideways.
  bool Find(float alpha, float shear, OpaqueCover* cover) {
    auto at = [&](float x, float y, float u, float v) {
      return RasterVertex{x + (y > 0 ? shear : 0.0f), y, 0.5f, 1.0f, 255, 255, 255, alpha, u, v};
    };
    RasterVertex a = at(0, 0, 0, 0), b = at(kWidth, 0, 1, 0), c = at(0, kHeight, 0, 1), d = at(kWidth, kHeight, 1, 1);
    RasterVertex corners[6] = {a, b, c, b, d, c};
    static RasterContext context;
    RasterBegin(context, state);
    return FindOpaqueCover(context, corners, 2, opaque, cover);
  }
};

TEST(OpaqueCovers, HoldOnlyPixelsCertainToBeOpaque) {
  // Opaque but for a clear square of texels 20..27 both ways (pixels about 40..56 across).
  const int size = 64;
  std::vector<uint32_t> picture(size * size, 0xFF808080u);
  for (int y = 20; y < 28; ++y) {
    for (int x = 20; x < 28; ++x) picture[size_t(y) * size + x] = 0x00808080u;
  }
  CoverCase c(picture, size);
  OpaqueCover cover;
  ASSERT_TRUE(c.Find(255, 0, &cover));
  EXPECT_GE(cover.top, 1);
  EXPECT_LE(cover.bottom, kHeight - 1);
  size_t covered = 0;
  for (int y = cover.top; y < cover.bottom; ++y) {
    for (int k = cover.rowFirst[y - cover.top]; k < cover.rowFirst[y - cover.top + 1]; k += 2) {
      for (int x = cover.spans[k]; x < cover.spans[k + 1]; ++x) {
        ++covered;
        // The texel under the pixel and its neighbours are all opaque.
        int tu = x * size / kWidth, tv = y * size / kHeight;
        ASSERT_FALSE(tu >= 19 && tu <= 28 && tv >= 19 && tv <= 28) << x << ", " << y;
      }
    }
  }
  EXPECT_GT(covered, size_t(kWidth * kHeight) * 3 / 4);

  EXPECT_FALSE(c.Find(254, 0, &cover)) << "a diffuse alpha below one lets the target show through";
  EXPECT_FALSE(c.Find(255, 7.0f, &cover)) << "not a rectangle";
  c.state.blend = true;
  c.state.srcBlend = D3DBLEND_ONE;
  c.state.destBlend = D3DBLEND_ONE;
  EXPECT_FALSE(c.Find(255, 0, &cover)) << "adding keeps what lies beneath";
}

}  // namespace
