// The two picture loaders of the Direct3D 8 utility library, on both platforms.
//
// Implements: D3DXCreateTextureFromFileInMemoryEx and D3DXLoadSurfaceFromFileInMemory with their
// documented signatures and parameter meanings, decoding JPEG (baseline and progressive), TGA
// (uncompressed and RLE; 8-bit grey, 24 and 32 bit; either origin), BMP and PNG with stb_image.
// Leaves out: the rest of the library; palettes (the palette arguments are accepted and unused);
// dithering; DDS and the other file formats; textures that cannot be locked (D3DPOOL_DEFAULT).
// A format or size the device refuses falls back to A8R8G8B8, then to power-of-two sides.
// Only the public Direct3D 8 interfaces are called, so the same code runs over d3d8.dll.
#pragma once

#include <windows.h>
#include <d3d8.h>

#define D3DX_DEFAULT ((UINT)-1)

#define D3DX_FILTER_NONE 0x00000001
#define D3DX_FILTER_POINT 0x00000002
#define D3DX_FILTER_LINEAR 0x00000003
#define D3DX_FILTER_TRIANGLE 0x00000004
#define D3DX_FILTER_BOX 0x00000005
#define D3DX_FILTER_MIRROR_U 0x00010000
#define D3DX_FILTER_MIRROR_V 0x00020000
#define D3DX_FILTER_MIRROR_W 0x00040000
#define D3DX_FILTER_MIRROR 0x00070000
#define D3DX_FILTER_DITHER 0x00080000

#define D3DXERR_INVALIDDATA ((HRESULT)0x88760B59L)

typedef enum _D3DXIMAGE_FILEFORMAT {
  D3DXIFF_BMP = 0,
  D3DXIFF_JPG = 1,
  D3DXIFF_TGA = 2,
  D3DXIFF_PNG = 3,
  D3DXIFF_DDS = 4,
  D3DXIFF_PPM = 5,
  D3DXIFF_DIB = 6,
  D3DXIFF_FORCE_DWORD = 0x7fffffff
} D3DXIMAGE_FILEFORMAT;

typedef struct _D3DXIMAGE_INFO {
  UINT Width;
  UINT Height;
  UINT Depth;
  UINT MipLevels;
  D3DFORMAT Format;
  D3DRESOURCETYPE ResourceType;
  D3DXIMAGE_FILEFORMAT ImageFileFormat;
} D3DXIMAGE_INFO;

HRESULT WINAPI D3DXCreateTextureFromFileInMemoryEx(LPDIRECT3DDEVICE8 pDevice, LPCVOID pSrcData,
    UINT SrcDataSize, UINT Width, UINT Height, UINT MipLevels, DWORD Usage, D3DFORMAT Format,
    D3DPOOL Pool, DWORD Filter, DWORD MipFilter, D3DCOLOR ColorKey, D3DXIMAGE_INFO* pSrcInfo,
    PALETTEENTRY* pPalette, LPDIRECT3DTEXTURE8* ppTexture);

HRESULT WINAPI D3DXLoadSurfaceFromFileInMemory(LPDIRECT3DSURFACE8 pDestSurface,
    CONST PALETTEENTRY* pDestPalette, CONST RECT* pDestRect, LPCVOID pSrcData, UINT SrcDataSize,
    CONST RECT* pSrcRect, DWORD Filter, D3DCOLOR ColorKey, D3DXIMAGE_INFO* pSrcInfo);
