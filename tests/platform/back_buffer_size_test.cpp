// The software device drawing its asked-for size into a larger back buffer, and the placement of
// pictures in outputs of other aspects.
#include <windows.h>
#include <d3d8.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/d3d8/rasterizer.h"
#include "platform/d3d8/software_device.h"
#include "platform/win32/win32_internal.h"
#include "support/temp_files.h"

namespace {

struct ClipVertex {
  float x, y, z;
  D3DCOLOR color;
};
constexpr DWORD kClipFormat = D3DFVF_XYZ | D3DFVF_DIFFUSE;

struct ScaledDevice {
  ScaledDevice(UINT width, UINT height) {
    direct3D = Direct3DCreate8(D3D_SDK_VERSION);
    D3DPRESENT_PARAMETERS p{};
    p.BackBufferWidth = width;
    p.BackBufferHeight = height;
    p.BackBufferFormat = D3DFMT_X8R8G8B8;
    p.SwapEffect = D3DSWAPEFFECT_DISCARD;
    p.Windowed = TRUE;
    EXPECT_EQ(direct3D->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, 0, &p, &device), D3D_OK);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetVertexShader(kClipFormat);
  }
  ~ScaledDevice() {
    device->Release();
    direct3D->Release();
  }

  // A rectangle in normalised device coordinates (-1..1, y up).
  void Rect(float x0, float y0, float x1, float y1, D3DCOLOR color) {
    ClipVertex v[4] = {{x0, y1, 0.5f, color}, {x1, y1, 0.5f, color}, {x0, y0, 0.5f, color}, {x1, y0, 0.5f, color}};
    ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(ClipVertex)), D3D_OK);
  }

  std::vector<uint32_t> Pixels(int* width, int* height) {
    IDirect3DSurface8* surface = nullptr;
    EXPECT_EQ(device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &surface), D3D_OK);
    D3DSURFACE_DESC desc;
    surface->GetDesc(&desc);
    D3DLOCKED_RECT locked;
    EXPECT_EQ(surface->LockRect(&locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    std::vector<uint32_t> pixels(size_t(desc.Width) * desc.Height);
    for (UINT y = 0; y < desc.Height; ++y) {
      std::memcpy(&pixels[y * desc.Width], static_cast<uint8_t*>(locked.pBits) + y * locked.Pitch, desc.Width * 4);
    }
    surface->UnlockRect();
    surface->Release();
    for (uint32_t& p : pixels) p &= 0x00FFFFFF;
    *width = int(desc.Width);
    *height = int(desc.Height);
    return pixels;
  }

  IDirect3D8* direct3D = nullptr;
  IDirect3DDevice8* device = nullptr;
};

// Counts the pixels of `color` in each column range of a row.
int CountInRow(const std::vector<uint32_t>& pixels, int width, int row, uint32_t color) {
  int count = 0;
  for (int x = 0; x < width; ++x) count += pixels[size_t(row) * width + x] == color;
  return count;
}

}  // namespace

TEST(BackBufferSize, AskedForSizeMapsOntoTheLargerBufferAsAViewportWould) {
  SoftwareDeviceSetBackBufferSize(16, 12);
  {
    ScaledDevice d(8, 6);
    int width = 0, height = 0;
    SoftwareDeviceBackBufferSize(d.device, &width, &height);
    EXPECT_EQ(width, 16);
    EXPECT_EQ(height, 12);
    // The application still sees what it asked for.
    D3DVIEWPORT8 viewport;
    d.device->GetViewport(&viewport);
    EXPECT_EQ(viewport.Width, 8u);
    EXPECT_EQ(viewport.Height, 6u);
    D3DDISPLAYMODE mode;
    d.device->GetDisplayMode(&mode);
    EXPECT_EQ(mode.Width, 8u);

    // Clearing a rectangle of the asked-for size clears the matching part of the buffer.
    d.device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    D3DRECT quarter = {0, 0, 4, 3};
    d.device->Clear(1, &quarter, D3DCLEAR_TARGET, 0xFF0000FF, 1.0f, 0);
    std::vector<uint32_t> pixels = d.Pixels(&width, &height);
    EXPECT_EQ(CountInRow(pixels, width, 0, 0x0000FF), 8);
    EXPECT_EQ(CountInRow(pixels, width, 5, 0x0000FF), 8);
    EXPECT_EQ(CountInRow(pixels, width, 6, 0x0000FF), 0);

    // The left half of the picture covers exactly the left half of the buffer, every row.
    d.Rect(-1.0f, -1.0f, 0.0f, 1.0f, 0xFFFF0000);
    pixels = d.Pixels(&width, &height);
    for (int y = 0; y < height; ++y) {
      EXPECT_EQ(CountInRow(pixels, width, y, 0xFF0000), 8) << "row " << y;
      EXPECT_EQ(pixels[size_t(y) * width + 7], 0xFF0000u);
      EXPECT_NE(pixels[size_t(y) * width + 8], 0xFF0000u);
    }

    // A viewport on the right half of the asked-for size lands on the right half of the buffer.
    D3DVIEWPORT8 right = {4, 0, 4, 6, 0.0f, 1.0f};
    ASSERT_EQ(d.device->SetViewport(&right), D3D_OK);
    d.Rect(-1.0f, -1.0f, 1.0f, 1.0f, 0xFF00FF00);
    pixels = d.Pixels(&width, &height);
    EXPECT_EQ(CountInRow(pixels, width, 11, 0x00FF00), 8);
    EXPECT_EQ(pixels[size_t(11) * width + 8], 0x00FF00u);
    // Viewports are checked against the asked-for size, not the buffer's.
    D3DVIEWPORT8 tooWide = {0, 0, 9, 6, 0.0f, 1.0f};
    EXPECT_EQ(d.device->SetViewport(&tooWide), D3DERR_INVALIDCALL);
  }
  SoftwareDeviceSetBackBufferSize(0, 0);
  ScaledDevice plain(8, 6);
  int width = 0, height = 0;
  SoftwareDeviceBackBufferSize(plain.device, &width, &height);
  EXPECT_EQ(width, 8);
  EXPECT_EQ(height, 6);
}

TEST(BackBufferSize, EnvironmentSizeIsTakenWhenWellFormedAndIgnoredOtherwise) {
  auto sizeWith = [](const char* text) {
    ScopedEnv size("VESPERGLEN_SIZE", text);
    ScaledDevice d(8, 6);
    int width = 0, height = 0;
    SoftwareDeviceBackBufferSize(d.device, &width, &height);
    return std::pair<int, int>(width, height);
  };
  EXPECT_EQ(sizeWith("32x24"), std::make_pair(32, 24));
  EXPECT_EQ(sizeWith("32x24x"), std::make_pair(8, 6));
  EXPECT_EQ(sizeWith("0x24"), std::make_pair(8, 6));
  EXPECT_EQ(sizeWith("5000x24"), std::make_pair(8, 6));
  EXPECT_EQ(sizeWith("wide"), std::make_pair(8, 6));
}

TEST(FramePlacement, FitLetterboxesAndFillCropsWhatDoesNotFit) {
  BackBufferPlacement fit = Win32PlaceFrame(1920, 1080, 800, 600, false);
  EXPECT_EQ(fit.width, 1440);
  EXPECT_EQ(fit.height, 1080);
  EXPECT_EQ(fit.pictureX, 0);
  EXPECT_EQ(fit.pictureWidth, 1440);
  BackBufferPlacement fill = Win32PlaceFrame(1920, 1080, 800, 600, true);
  EXPECT_EQ(fill.width, 1920);
  EXPECT_EQ(fill.height, 1080);
  EXPECT_EQ(fill.pictureY, -180);
  EXPECT_EQ(fill.pictureHeight, 1440);
  BackBufferPlacement tall = Win32PlaceFrame(600, 1000, 800, 600, true);
  EXPECT_EQ(tall.pictureWidth, 1334);  // rounded up: the picture must cover the output
  EXPECT_EQ(tall.pictureX, -367);
  BackBufferPlacement same = Win32PlaceFrame(800, 600, 800, 600, false);
  EXPECT_EQ(same.width, 800);
  EXPECT_EQ(same.height, 600);

  // A present shows a fitted buffer pixel for pixel only if fitting it again gives its own size.
  for (int w = 200; w < 2200; w += 37) {
    for (int h = 150; h < 1500; h += 53) {
      BackBufferPlacement p = Win32PlaceFrame(w, h, 800, 600, false);
      Win32Rect again = Win32FitInside(w, h, p.width, p.height);
      ASSERT_EQ(again.width, p.width) << w << "x" << h;
      ASSERT_EQ(again.height, p.height) << w << "x" << h;
      BackBufferPlacement f = Win32PlaceFrame(w, h, 800, 600, true);
      ASSERT_GE(f.pictureWidth, w);
      ASSERT_GE(f.pictureHeight, h);
      ASSERT_LE(f.pictureX, 0);
      ASSERT_LE(f.pictureY, 0);
    }
  }
}

TEST(FramePlacement, AViewportReachingPastTheTargetIsCroppedToIt) {
  // Fill on a wide screen: the picture's viewport starts above the buffer and ends below it.
  constexpr int kWidth = 8, kHeight = 6;
  // Guard rows above and below the target must stay untouched.
  static uint32_t memory[kWidth * (kHeight + 8)];
  uint32_t* pixels = memory + 4 * kWidth;
  static RasterContext context;
  RasterState state{};
  state.target = RasterTarget{pixels, kWidth, kWidth, kHeight, false, nullptr, 0, 0};
  state.viewportX = 0;
  state.viewportY = -3;
  state.viewportWidth = kWidth;
  state.viewportHeight = 12;
  state.maxZ = 1.0f;
  state.cullMode = D3DCULL_NONE;
  state.srcBlend = D3DBLEND_ONE;
  state.destBlend = D3DBLEND_ZERO;
  state.blendOp = D3DBLENDOP_ADD;
  state.colorOp = D3DTOP_SELECTARG2;
  state.colorArg1 = D3DTA_TEXTURE;
  state.colorArg2 = D3DTA_DIFFUSE;
  state.alphaOp = D3DTOP_SELECTARG2;
  state.alphaArg1 = D3DTA_TEXTURE;
  state.alphaArg2 = D3DTA_DIFFUSE;
  state.alphaFunc = D3DCMP_ALWAYS;
  RasterBegin(context, state);
  auto corner = [](float x, float y) { return RasterVertex{x, y, 0.5f, 1.0f, 255, 255, 255, 255, 0, 0}; };
  // The upper half of the picture: rows -3..2 of the viewport, so buffer rows 0..2 only.
  RasterTriangle(context, corner(-1, 1), corner(1, 1), corner(-1, 0));
  RasterTriangle(context, corner(1, 1), corner(1, 0), corner(-1, 0));
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      EXPECT_EQ(pixels[y * kWidth + x] & 0xFFFFFF, y < 3 ? 0xFFFFFFu : 0u) << x << "," << y;
    }
  }
  for (int i = 0; i < 4 * kWidth; ++i) EXPECT_EQ(memory[i], 0u) << "above, " << i;
}

namespace {

struct TexturedVertex {
  float x, y, z;
  float u, v;
};

// Columns of black and white texels drawn one texel per pixel of the asked-for 8 x 6 size with
// point sampling; the distinct colours of the buffer's first row.
std::vector<uint32_t> PointSampledStripes(int bufferWidth, int bufferHeight) {
  SoftwareDeviceSetBackBufferSize(bufferWidth, bufferHeight);
  ScaledDevice d(8, 6);
  SoftwareDeviceSetBackBufferSize(0, 0);
  IDirect3DTexture8* texture = nullptr;
  EXPECT_EQ(d.device->CreateTexture(8, 8, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
  D3DLOCKED_RECT locked;
  EXPECT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
  for (int y = 0; y < 8; ++y) {
    uint32_t* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(locked.pBits) + y * locked.Pitch);
    for (int x = 0; x < 8; ++x) row[x] = (x & 1) ? 0xFFFFFFFF : 0xFF000000;
  }
  texture->UnlockRect(0);
  d.device->SetTexture(0, texture);
  d.device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_POINT);
  d.device->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_POINT);
  d.device->SetVertexShader(D3DFVF_XYZ | D3DFVF_TEX1);
  // Pixel centres sit on whole coordinates: the half-pixel shift puts each on a texel's centre.
  const float du = 0.5f / 8.0f, dv = 0.5f / 8.0f;
  TexturedVertex v[4] = {{-1, 1, 0.5f, du, dv}, {1, 1, 0.5f, 1 + du, dv},
                         {-1, -1, 0.5f, du, 0.75f + dv}, {1, -1, 0.5f, 1 + du, 0.75f + dv}};
  EXPECT_EQ(d.device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(TexturedVertex)), D3D_OK);
  d.device->SetTexture(0, nullptr);
  texture->Release();
  int width = 0, height = 0;
  std::vector<uint32_t> pixels = d.Pixels(&width, &height);
  std::vector<uint32_t> colours;
  for (int x = 0; x < width; ++x) {
    if (std::find(colours.begin(), colours.end(), pixels[size_t(x)]) == colours.end()) colours.push_back(pixels[size_t(x)]);
  }
  return colours;
}

}  // namespace

TEST(BackBufferSize, PointSamplingStaysExactAtTheAskedForSizeAndMagnifiesSmoothlyBeyondIt) {
  // One texel a pixel: the texels themselves, nothing between.
  std::vector<uint32_t> exact = PointSampledStripes(0, 0);
  EXPECT_EQ(exact.size(), 2u);
  // A larger buffer would blow each texel into a block of pixels; it shows the steps between.
  std::vector<uint32_t> scaled = PointSampledStripes(24, 18);
  EXPECT_GT(scaled.size(), 2u);
}
