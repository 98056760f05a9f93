// Pictures built in memory for tests (JPEG and BMP through stb_image_write, TGA by hand so that
// every layout can be made), a headless device to load them on, and texel read-back.
#pragma once

#include <d3d8.h>
#include <stb_image_write.h>

#include <cstdint>
#include <cstring>
#include <vector>

using Bytes = std::vector<unsigned char>;

struct Rgba {
  unsigned char r, g, b, a;
};

inline std::vector<Rgba> SolidPixels(int width, int height, uint32_t rgb) {
  Rgba p = {static_cast<unsigned char>(rgb >> 16), static_cast<unsigned char>(rgb >> 8),
            static_cast<unsigned char>(rgb), 255};
  return std::vector<Rgba>(static_cast<size_t>(width) * height, p);
}

inline void AppendBytes(void* context, void* data, int size) {
  const unsigned char* p = static_cast<const unsigned char*>(data);
  static_cast<Bytes*>(context)->insert(static_cast<Bytes*>(context)->end(), p, p + size);
}

inline Bytes EncodeJpeg(int width, int height, const std::vector<Rgba>& pixels) {
  Bytes out;
  stbi_write_jpg_to_func(AppendBytes, &out, width, height, 4, pixels.data(), 100);
  return out;
}

enum class TgaKind { Color24, Color32, Grey };

// Rows in file order (bottom-up unless topLeft). With rle, runs of equal pixels become run
// packets and the rest one-pixel raw packets, so both packet kinds occur.
inline Bytes EncodeTga(int width, int height, const std::vector<Rgba>& pixels, TgaKind kind = TgaKind::Color24,
                       bool rle = false, bool topLeft = false) {
  int bytesPerPixel = kind == TgaKind::Grey ? 1 : kind == TgaKind::Color24 ? 3 : 4;
  unsigned char type = static_cast<unsigned char>((kind == TgaKind::Grey ? 3 : 2) + (rle ? 8 : 0));
  unsigned char descriptor = static_cast<unsigned char>((kind == TgaKind::Color32 ? 8 : 0) | (topLeft ? 0x20 : 0));
  Bytes out = {0, 0, type, 0, 0, 0, 0, 0, 0, 0, 0, 0,
               static_cast<unsigned char>(width), static_cast<unsigned char>(width >> 8),
               static_cast<unsigned char>(height), static_cast<unsigned char>(height >> 8),
               static_cast<unsigned char>(bytesPerPixel * 8), descriptor};
  for (int row = 0; row < height; ++row) {
    const Rgba* line = &pixels[static_cast<size_t>(topLeft ? row : height - 1 - row) * width];
    for (int x = 0; x < width;) {
      int run = 1;
      while (rle && x + run < width && run < 128 && std::memcmp(&line[x], &line[x + run], 4) == 0) ++run;
      if (rle) out.push_back(static_cast<unsigned char>(run > 1 ? 0x80 | (run - 1) : 0));
      const Rgba& p = line[x];
      Bytes one = kind == TgaKind::Grey ? Bytes{p.r} : Bytes{p.b, p.g, p.r};
      if (kind == TgaKind::Color32) one.push_back(p.a);
      for (int i = 0; i < (rle ? 1 : run); ++i) out.insert(out.end(), one.begin(), one.end());
      x += run;
    }
  }
  return out;
}

// A grey 24-bit TGA of run packets, 128 texels each: a few bytes per hundred texels.
inline Bytes RunLengthTga(int width, int height) {
  Bytes out = {0, 0, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0,
               static_cast<unsigned char>(width), static_cast<unsigned char>(width >> 8),
               static_cast<unsigned char>(height), static_cast<unsigned char>(height >> 8), 24, 0};
  for (int64_t left = int64_t(width) * height; left > 0; left -= 128) {
    int run = static_cast<int>(left < 128 ? left : 128);
    out.insert(out.end(), {static_cast<unsigned char>(0x80 | (run - 1)), 0x80, 0x80, 0x80});
  }
  return out;
}

// A device on no window, released with the object.
struct HeadlessDevice {
  HeadlessDevice() {
    direct3D = Direct3DCreate8(D3D_SDK_VERSION);
    D3DPRESENT_PARAMETERS parameters = {};
    parameters.BackBufferWidth = 64;
    parameters.BackBufferHeight = 64;
    parameters.BackBufferFormat = D3DFMT_X8R8G8B8;
    parameters.BackBufferCount = 1;
    parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
    parameters.Windowed = TRUE;
    if (direct3D) {
      direct3D->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, nullptr, D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                             &parameters, &device);
    }
  }
  ~HeadlessDevice() {
    if (device) {
      // What is still bound holds the device; unbound, the device goes with its last resource.
      device->SetTexture(0, nullptr);
      device->SetStreamSource(0, nullptr, 0);
      device->SetIndices(nullptr, 0);
      device->Release();
    }
    if (direct3D) direct3D->Release();
  }
  HeadlessDevice(const HeadlessDevice&) = delete;
  HeadlessDevice& operator=(const HeadlessDevice&) = delete;

  IDirect3D8* direct3D = nullptr;
  IDirect3DDevice8* device = nullptr;
};

// One level's texels row by row, whatever the pitch; 16-bit texels widen to one word each.
inline std::vector<uint32_t> ReadTexels(IDirect3DTexture8* texture, UINT level = 0) {
  D3DSURFACE_DESC desc = {};
  D3DLOCKED_RECT locked = {};
  std::vector<uint32_t> texels;
  if (FAILED(texture->GetLevelDesc(level, &desc)) || FAILED(texture->LockRect(level, &locked, nullptr, 0))) {
    return texels;
  }
  int bytes = desc.Format == D3DFMT_R5G6B5 ? 2 : 4;
  for (UINT y = 0; y < desc.Height; ++y) {
    for (UINT x = 0; x < desc.Width; ++x) {
      uint32_t value = 0;
      std::memcpy(&value, static_cast<const BYTE*>(locked.pBits) + y * locked.Pitch + x * bytes, bytes);
      texels.push_back(value);
    }
  }
  texture->UnlockRect(level);
  return texels;
}

// Each colour channel of texel within tolerance of rgb (alpha not compared).
inline bool ColourNear(uint32_t texel, uint32_t rgb, int tolerance) {
  for (int shift = 0; shift < 24; shift += 8) {
    int difference = int((texel >> shift) & 0xFF) - int((rgb >> shift) & 0xFF);
    if (difference > tolerance || difference < -tolerance) return false;
  }
  return true;
}
