// Decoded pictures as 32-bit ARGB words, and the conversions the two loaders share.
#pragma once

#include "d3dx8.h"

#include <cstdint>
#include <vector>

struct Picture {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> argb;  // rows top to bottom, 0xAARRGGBB
  D3DFORMAT fileFormat = D3DFMT_UNKNOWN;
  D3DXIMAGE_FILEFORMAT fileType = D3DXIFF_BMP;
};

// False when the bytes are not a picture of a supported format (or exceed kMaxPictureSide).
bool DecodePicture(const void* data, UINT size, Picture* picture);
void DescribePicture(const Picture& picture, D3DXIMAGE_INFO* info);

// The texture format a picture gets when the caller leaves the choice to the file.
D3DFORMAT TextureFormatForFile(D3DFORMAT fileFormat);

// Texels matching the key (alpha included) become transparent black.
void ApplyColorKey(Picture* picture, D3DCOLOR key);

// rect must lie inside the picture.
void CropPicture(const Picture& source, const RECT& rect, Picture* cropped);

// filter is one D3DX_FILTER_* kind (flags above the low byte are ignored). NONE copies the
// overlap unscaled and leaves the rest transparent black; POINT takes the nearest texel; the
// others average the source area each destination texel covers.
void ResizePicture(const Picture& source, int width, int height, DWORD filter, Picture* resized);

// 0 for a format the loaders cannot write.
int BytesPerTexel(D3DFORMAT format);

// Writes the whole picture at rows (pitch bytes apart); false for an unwritable format.
bool StoreTexels(const Picture& picture, D3DFORMAT format, BYTE* rows, int pitch);

constexpr int kMaxPictureSide = 16384;
