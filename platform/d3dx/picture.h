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

// False when the bytes are not a picture of a supported format, or one larger than
// kMaxPictureSide on a side or kMaxPicturePixels in all; such sizes are refused before any
// texel is allocated.
bool DecodePicture(const void* data, UINT size, Picture* picture);
// JPEG through the platform's decoder: libjpeg where the system has it, else the one below.
bool DecodeJpeg(const BYTE* data, UINT size, Picture* picture);
// JPEG through stb_image, whose Huffman table reader trusts the counts of the file: pictures
// with tables it cannot hold are refused before it sees them.
bool DecodeJpegWithStb(const BYTE* data, UINT size, Picture* picture);
// Every byte pair 0xFF 0xC4 read as the start of a Huffman table segment has tables of at
// most 256 codes. A superset of the segments any decoder reads, so none of them can be missed.
bool HuffmanTablesFit(const BYTE* data, UINT size);
// Every scan names only Huffman tables that a segment before it defined.
bool ScansUseDefinedTables(const BYTE* data, UINT size);
// TGA, BMP and PNG (and JPEG) through stb_image.
bool DecodeWithStb(const BYTE* data, UINT size, Picture* picture);
bool PictureSizeAllowed(int width, int height);
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
// 64 MB of texels; a device's largest texture holds 4096 x 4096.
constexpr int64_t kMaxPicturePixels = int64_t(4096) * 4096;
