#include "capture.h"

#include <cstdint>
#include <cstring>
#include <vector>

// The library's own code is not held to this project's warning flags.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-function"
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>
#pragma GCC diagnostic pop

namespace {

uint32_t ReadPixel(D3DFORMAT format, const uint8_t* p) {
  if (format == D3DFMT_R5G6B5) {
    uint16_t v;
    std::memcpy(&v, p, 2);
    uint32_t r = (v >> 11) & 31, g = (v >> 5) & 63, b = v & 31;
    return ((r << 3 | r >> 2) << 16) | ((g << 2 | g >> 4) << 8) | (b << 3 | b >> 2);
  }
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

}  // namespace

bool CaptureBackBufferPng(IDirect3DDevice8* device, const char* path) {
  IDirect3DSurface8* surface = nullptr;
  if (FAILED(device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &surface))) return false;
  D3DSURFACE_DESC desc;
  D3DLOCKED_RECT locked;
  bool ok = SUCCEEDED(surface->GetDesc(&desc));
  ok = ok && (desc.Format == D3DFMT_X8R8G8B8 || desc.Format == D3DFMT_A8R8G8B8 || desc.Format == D3DFMT_R5G6B5);
  ok = ok && SUCCEEDED(surface->LockRect(&locked, nullptr, D3DLOCK_READONLY));
  if (ok) {
    const int bytesPerPixel = desc.Format == D3DFMT_R5G6B5 ? 2 : 4;
    std::vector<uint8_t> rgb(size_t(desc.Width) * desc.Height * 3);
    for (UINT y = 0; y < desc.Height; ++y) {
      const uint8_t* row = static_cast<const uint8_t*>(locked.pBits) + size_t(y) * size_t(locked.Pitch);
      for (UINT x = 0; x < desc.Width; ++x) {
        uint32_t c = ReadPixel(desc.Format, row + size_t(x) * bytesPerPixel);
        uint8_t* out = &rgb[(size_t(y) * desc.Width + x) * 3];
        out[0] = uint8_t(c >> 16);
        out[1] = uint8_t(c >> 8);
        out[2] = uint8_t(c);
      }
    }
    surface->UnlockRect();
    ok = stbi_write_png(path, int(desc.Width), int(desc.Height), 3, rgb.data(), int(desc.Width) * 3) != 0;
  }
  surface->Release();
  return ok;
}
