#include "d3dx8.h"

#include "picture.h"

#include <algorithm>

namespace {

UINT RoundUpToPowerOfTwo(UINT n) {
  UINT p = 1;
  while (p < n && p < 0x80000000u) p <<= 1;
  return p;
}

UINT FullChainLength(UINT width, UINT height) {
  UINT levels = 1;
  while (width > 1 || height > 1) {
    width = std::max(1u, width / 2);
    height = std::max(1u, height / 2);
    ++levels;
  }
  return levels;
}

// Like the library, settle for what every device offers rather than fail: the file's format
// may be refused (then A8R8G8B8), and so may a size that is not a power of two.
HRESULT CreateWithFallback(IDirect3DDevice8* device, UINT width, UINT height, UINT mipLevels,
                           DWORD usage, D3DFORMAT format, D3DPOOL pool, IDirect3DTexture8** texture) {
  const UINT widths[2] = {width, RoundUpToPowerOfTwo(width)};
  const UINT heights[2] = {height, RoundUpToPowerOfTwo(height)};
  const D3DFORMAT formats[2] = {format, D3DFMT_A8R8G8B8};
  HRESULT hr = D3DERR_INVALIDCALL;
  for (int s = 0; s < 2; ++s) {
    UINT chain = FullChainLength(widths[s], heights[s]);
    UINT levels = (mipLevels == 0 || mipLevels == D3DX_DEFAULT) ? chain : std::min(mipLevels, chain);
    for (int f = 0; f < 2; ++f) {
      hr = device->CreateTexture(widths[s], heights[s], levels, usage, formats[f], pool, texture);
      if (SUCCEEDED(hr)) return hr;
    }
  }
  return hr;
}

HRESULT StoreLevel(IDirect3DTexture8* texture, UINT level, const Picture& picture, D3DFORMAT format) {
  D3DLOCKED_RECT locked;
  HRESULT hr = texture->LockRect(level, &locked, nullptr, 0);
  if (FAILED(hr)) return hr;
  bool stored = StoreTexels(picture, format, static_cast<BYTE*>(locked.pBits), locked.Pitch);
  texture->UnlockRect(level);
  return stored ? D3D_OK : D3DERR_INVALIDCALL;
}

// Every level of the texture, each one filtered down from the one above it.
HRESULT FillTexture(IDirect3DTexture8* texture, const Picture& picture, DWORD filter, DWORD mipFilter) {
  Picture level;
  Picture previous;
  for (DWORD i = 0; i < texture->GetLevelCount(); ++i) {
    D3DSURFACE_DESC desc;
    HRESULT hr = texture->GetLevelDesc(i, &desc);
    if (FAILED(hr)) return hr;
    const Picture& from = i == 0 ? picture : previous;
    ResizePicture(from, static_cast<int>(desc.Width), static_cast<int>(desc.Height), i == 0 ? filter : mipFilter, &level);
    hr = StoreLevel(texture, i, level, desc.Format);
    if (FAILED(hr)) return hr;
    std::swap(level, previous);
  }
  return D3D_OK;
}

bool InsidePicture(const RECT& r, int width, int height) {
  return r.left >= 0 && r.top >= 0 && r.left < r.right && r.top < r.bottom && r.right <= width && r.bottom <= height;
}

}  // namespace

HRESULT WINAPI D3DXCreateTextureFromFileInMemoryEx(LPDIRECT3DDEVICE8 pDevice, LPCVOID pSrcData,
    UINT SrcDataSize, UINT Width, UINT Height, UINT MipLevels, DWORD Usage, D3DFORMAT Format,
    D3DPOOL Pool, DWORD Filter, DWORD MipFilter, D3DCOLOR ColorKey, D3DXIMAGE_INFO* pSrcInfo,
    PALETTEENTRY* /*pPalette*/, LPDIRECT3DTEXTURE8* ppTexture) {
  if (!pDevice || !pSrcData || SrcDataSize == 0 || !ppTexture) return D3DERR_INVALIDCALL;
  *ppTexture = nullptr;
  Picture picture;
  if (!DecodePicture(pSrcData, SrcDataSize, &picture)) return D3DXERR_INVALIDDATA;
  if (pSrcInfo) DescribePicture(picture, pSrcInfo);
  if (ColorKey != 0) ApplyColorKey(&picture, ColorKey);

  UINT width = (Width == 0 || Width == D3DX_DEFAULT) ? static_cast<UINT>(picture.width) : Width;
  UINT height = (Height == 0 || Height == D3DX_DEFAULT) ? static_cast<UINT>(picture.height) : Height;
  if (Format == D3DFMT_UNKNOWN) Format = TextureFormatForFile(picture.fileFormat);
  if (Filter == D3DX_DEFAULT) Filter = D3DX_FILTER_TRIANGLE | D3DX_FILTER_DITHER;
  if (MipFilter == D3DX_DEFAULT) MipFilter = D3DX_FILTER_BOX;

  IDirect3DTexture8* texture = nullptr;
  HRESULT hr = CreateWithFallback(pDevice, width, height, MipLevels, Usage, Format, Pool, &texture);
  if (FAILED(hr)) return hr;
  hr = FillTexture(texture, picture, Filter, MipFilter);
  if (FAILED(hr)) {
    texture->Release();
    return hr;
  }
  *ppTexture = texture;
  return D3D_OK;
}

HRESULT WINAPI D3DXLoadSurfaceFromFileInMemory(LPDIRECT3DSURFACE8 pDestSurface,
    CONST PALETTEENTRY* /*pDestPalette*/, CONST RECT* pDestRect, LPCVOID pSrcData, UINT SrcDataSize,
    CONST RECT* pSrcRect, DWORD Filter, D3DCOLOR ColorKey, D3DXIMAGE_INFO* pSrcInfo) {
  if (!pDestSurface || !pSrcData || SrcDataSize == 0) return D3DERR_INVALIDCALL;
  D3DSURFACE_DESC desc;
  HRESULT hr = pDestSurface->GetDesc(&desc);
  if (FAILED(hr)) return hr;
  int bytes = BytesPerTexel(desc.Format);
  if (bytes == 0) return D3DERR_INVALIDCALL;
  RECT dest = {0, 0, static_cast<LONG>(desc.Width), static_cast<LONG>(desc.Height)};
  if (pDestRect) dest = *pDestRect;
  if (!InsidePicture(dest, static_cast<int>(desc.Width), static_cast<int>(desc.Height))) return D3DERR_INVALIDCALL;

  Picture picture;
  if (!DecodePicture(pSrcData, SrcDataSize, &picture)) return D3DXERR_INVALIDDATA;
  if (pSrcInfo) DescribePicture(picture, pSrcInfo);
  if (pSrcRect) {
    if (!InsidePicture(*pSrcRect, picture.width, picture.height)) return D3DERR_INVALIDCALL;
    Picture cropped;
    CropPicture(picture, *pSrcRect, &cropped);
    std::swap(picture, cropped);
  }
  if (ColorKey != 0) ApplyColorKey(&picture, ColorKey);
  if (Filter == D3DX_DEFAULT) Filter = D3DX_FILTER_TRIANGLE | D3DX_FILTER_DITHER;
  Picture placed;
  ResizePicture(picture, dest.right - dest.left, dest.bottom - dest.top, Filter, &placed);

  // The whole surface is locked because every device supports that; the rectangle is our offset.
  D3DLOCKED_RECT locked;
  hr = pDestSurface->LockRect(&locked, nullptr, 0);
  if (FAILED(hr)) return hr;
  BYTE* corner = static_cast<BYTE*>(locked.pBits) + static_cast<ptrdiff_t>(dest.top) * locked.Pitch + dest.left * bytes;
  StoreTexels(placed, desc.Format, corner, locked.Pitch);
  pDestSurface->UnlockRect();
  return D3D_OK;
}
