// libFuzzer target: any bytes as a picture file (JPEG, TGA, BMP, PNG) given to both loaders.
#include <cstddef>
#include <cstdint>

#include "d3dx8.h"
#include "tests/fuzz/fuzz_device.h"
#include "tests/fuzz/picture_limit.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  IDirect3DDevice8* gpu = FuzzDevice();
  if (size == 0 || size > 0x7FFFFFFF || DeclaresHugePicture(data, size)) return 0;
  UINT length = static_cast<UINT>(size);
  // One loader per input: decoding dominates the time of a run.
  bool asTexture = size % 2 == 0;
  IDirect3DTexture8* texture = nullptr;
  D3DXIMAGE_INFO info = {};
  if (asTexture && SUCCEEDED(D3DXCreateTextureFromFileInMemoryEx(gpu, data, length, 0, 0, 2, 0, D3DFMT_UNKNOWN,
          D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, 0, &info, nullptr, &texture))) {
    if (info.Width == 0 || info.Height == 0) __builtin_trap();
    texture->Release();
  }
  // Into part of a small surface, unscaled and filtered, with a colour key.
  static IDirect3DTexture8* target = nullptr;
  if (!target) gpu->CreateTexture(32, 32, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &target);
  IDirect3DSurface8* surface = nullptr;
  if (!asTexture && target && SUCCEEDED(target->GetSurfaceLevel(0, &surface))) {
    RECT rect = {3, 2, 30, 19};
    DWORD filter = size % 4 == 1 ? D3DX_FILTER_NONE : D3DX_DEFAULT;
    D3DXLoadSurfaceFromFileInMemory(surface, nullptr, &rect, data, length, nullptr, filter, 0xFF000000u, nullptr);
    surface->Release();
  }
  return 0;
}
