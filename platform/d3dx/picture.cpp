#include "picture.h"

#include <stb_image.h>

#include <algorithm>
#include <cstring>

namespace {

// stb_image also takes fill bytes before the start marker (0xFF 0xFF 0xD8) for a JPEG; so do we,
// so that every file its JPEG reader would see goes through the JPEG decoder.
bool StartsLikeJpeg(const BYTE* data, UINT size) {
  UINT i = 1;
  while (i < size && data[i] == 0xFF) ++i;
  return size >= 2 && data[0] == 0xFF && i < size && data[i] == 0xD8;
}

D3DXIMAGE_FILEFORMAT FileTypeOf(const BYTE* data, UINT size) {
  if (StartsLikeJpeg(data, size)) return D3DXIFF_JPG;
  if (size >= 2 && data[0] == 'B' && data[1] == 'M') return D3DXIFF_BMP;
  if (size >= 4 && data[0] == 0x89 && data[1] == 'P' && data[2] == 'N' && data[3] == 'G') {
    return D3DXIFF_PNG;
  }
  return D3DXIFF_TGA;  // TGA has no signature
}

// stb_image reads past the end of a TGA as zeros (run-length) or leaves texels unwritten (raw),
// so a header alone would make a whole picture. Each texel takes its bytes, or each run of up to
// 128 texels a count byte and one texel.
bool TgaHoldsItsTexels(const BYTE* data, UINT size, int width, int height) {
  if (size < 18) return false;
  int64_t start = 18 + int64_t(data[0]);
  if (data[1] == 1) start += int64_t(data[5] | data[6] << 8) * ((data[7] + 7) / 8);
  int64_t texelBytes = (data[16] + 7) / 8;
  int64_t texels = int64_t(width) * height;
  bool runLength = (data[2] & 8) != 0;
  int64_t needed = runLength ? (texels + 127) / 128 * (1 + texelBytes) : texels * texelBytes;
  return start + needed <= int64_t(size);
}

// stb_image grows its buffer to a PNG data chunk's declared length before it reads the chunk,
// so a short file could ask for gigabytes; and it copies an empty first data chunk into a buffer
// it has not made yet. Chunks (length, type, data, check sum) are walked as it walks them, up to
// the end marker: each must lie inside the file, and the first data chunk must hold data.
bool PngChunksInsideFile(const BYTE* data, UINT size) {
  uint64_t at = 8;
  bool sawData = false;
  while (at + 8 <= size) {
    uint64_t length = uint64_t(data[at]) << 24 | data[at + 1] << 16 | data[at + 2] << 8 | data[at + 3];
    if (at + 12 + length > size) return false;
    if (std::memcmp(data + at + 4, "IEND", 4) == 0) return true;
    if (std::memcmp(data + at + 4, "IDAT", 4) == 0) {
      if (length == 0 && !sawData) return false;
      sawData = true;
    }
    at += 12 + length;
  }
  return true;  // no end marker: the decoder stops at the end of the file
}

D3DFORMAT FileFormatFor(int channels) {
  switch (channels) {
    case 1: return D3DFMT_L8;
    case 2: return D3DFMT_A8L8;
    case 4: return D3DFMT_A8R8G8B8;
    default: return D3DFMT_R8G8B8;
  }
}

uint32_t Alpha(uint32_t c) { return c >> 24; }
uint32_t Red(uint32_t c) { return (c >> 16) & 0xFF; }
uint32_t Green(uint32_t c) { return (c >> 8) & 0xFF; }
uint32_t Blue(uint32_t c) { return c & 0xFF; }
uint32_t Luminance(uint32_t c) { return (Red(c) * 77 + Green(c) * 150 + Blue(c) * 29) >> 8; }

uint16_t To565(uint32_t c) {
  return static_cast<uint16_t>(((Red(c) >> 3) << 11) | ((Green(c) >> 2) << 5) | (Blue(c) >> 3));
}
uint16_t To555(uint32_t c, bool opaque) {
  uint32_t top = (opaque || Alpha(c) >= 128) ? 0x8000 : 0;
  return static_cast<uint16_t>(top | ((Red(c) >> 3) << 10) | ((Green(c) >> 3) << 5) | (Blue(c) >> 3));
}
uint16_t To4444(uint32_t c, bool opaque) {
  uint32_t a = opaque ? 0xF : Alpha(c) >> 4;
  return static_cast<uint16_t>((a << 12) | ((Red(c) >> 4) << 8) | ((Green(c) >> 4) << 4) | (Blue(c) >> 4));
}

void Put16(BYTE* p, uint16_t v) { std::memcpy(p, &v, 2); }
void Put32(BYTE* p, uint32_t v) { std::memcpy(p, &v, 4); }

void StoreTexel(D3DFORMAT format, uint32_t c, BYTE* p) {
  switch (format) {
    case D3DFMT_A8R8G8B8: Put32(p, c); break;
    case D3DFMT_X8R8G8B8: Put32(p, c | 0xFF000000u); break;
    case D3DFMT_R8G8B8: p[0] = Blue(c); p[1] = Green(c); p[2] = Red(c); break;
    case D3DFMT_R5G6B5: Put16(p, To565(c)); break;
    case D3DFMT_X1R5G5B5: Put16(p, To555(c, true)); break;
    case D3DFMT_A1R5G5B5: Put16(p, To555(c, false)); break;
    case D3DFMT_A4R4G4B4: Put16(p, To4444(c, false)); break;
    case D3DFMT_X4R4G4B4: Put16(p, To4444(c, true)); break;
    case D3DFMT_A8: p[0] = static_cast<BYTE>(Alpha(c)); break;
    case D3DFMT_L8: p[0] = static_cast<BYTE>(Luminance(c)); break;
    case D3DFMT_A8L8: Put16(p, static_cast<uint16_t>((Alpha(c) << 8) | Luminance(c))); break;
    default: break;
  }
}

// Average of the source texels in [x0, x1) x [y0, y1), per channel, rounded.
uint32_t AverageArea(const Picture& source, int x0, int x1, int y0, int y1) {
  uint32_t sum[4] = {0, 0, 0, 0};
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; ++x) {
      uint32_t c = source.argb[static_cast<size_t>(y) * source.width + x];
      for (int k = 0; k < 4; ++k) sum[k] += (c >> (8 * k)) & 0xFF;
    }
  }
  uint32_t count = static_cast<uint32_t>((x1 - x0) * (y1 - y0));
  uint32_t result = 0;
  for (int k = 0; k < 4; ++k) result |= ((sum[k] + count / 2) / count) << (8 * k);
  return result;
}

// The source span [first, last) that destination texel i of n covers, never empty.
void SourceSpan(int i, int n, int sourceSize, int* first, int* last) {
  int64_t a = static_cast<int64_t>(i) * sourceSize / n;
  int64_t b = (static_cast<int64_t>(i + 1) * sourceSize + n - 1) / n;
  *first = static_cast<int>(std::min<int64_t>(a, sourceSize - 1));
  *last = static_cast<int>(std::max<int64_t>(b, *first + 1));
}

}  // namespace

bool PictureSizeAllowed(int width, int height) {
  return width > 0 && height > 0 && width <= kMaxPictureSide && height <= kMaxPictureSide &&
         int64_t(width) * height <= kMaxPicturePixels;
}

bool DecodeWithStb(const BYTE* bytes, UINT size, Picture* picture) {
  int width = 0, height = 0, channels = 0;
  if (!stbi_info_from_memory(bytes, static_cast<int>(size), &width, &height, &channels)) return false;
  if (!PictureSizeAllowed(width, height)) return false;
  D3DXIMAGE_FILEFORMAT type = FileTypeOf(bytes, size);
  if (type == D3DXIFF_TGA && !TgaHoldsItsTexels(bytes, size, width, height)) return false;
  if (type == D3DXIFF_PNG && !PngChunksInsideFile(bytes, size)) return false;
  stbi_uc* rgba = stbi_load_from_memory(bytes, static_cast<int>(size), &width, &height, &channels, 4);
  if (!rgba) return false;
  picture->width = width;
  picture->height = height;
  picture->fileType = FileTypeOf(bytes, size);
  picture->fileFormat = FileFormatFor(channels);
  picture->argb.resize(static_cast<size_t>(width) * height);
  for (size_t i = 0; i < picture->argb.size(); ++i) {
    const stbi_uc* p = rgba + i * 4;
    picture->argb[i] = (uint32_t(p[3]) << 24) | (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2];
  }
  stbi_image_free(rgba);
  return true;
}

bool DecodePicture(const void* data, UINT size, Picture* picture) {
  if (!data || size == 0 || size > 0x7FFFFFFFu) return false;
  const BYTE* bytes = static_cast<const BYTE*>(data);
  if (FileTypeOf(bytes, size) == D3DXIFF_JPG) return DecodeJpeg(bytes, size, picture);
  return DecodeWithStb(bytes, size, picture);
}

void DescribePicture(const Picture& picture, D3DXIMAGE_INFO* info) {
  info->Width = static_cast<UINT>(picture.width);
  info->Height = static_cast<UINT>(picture.height);
  info->Depth = 1;
  info->MipLevels = 1;
  info->Format = picture.fileFormat;
  info->ResourceType = D3DRTYPE_TEXTURE;
  info->ImageFileFormat = picture.fileType;
}

D3DFORMAT TextureFormatForFile(D3DFORMAT fileFormat) {
  bool hasAlpha = fileFormat == D3DFMT_A8R8G8B8 || fileFormat == D3DFMT_A8L8;
  return hasAlpha ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
}

void ApplyColorKey(Picture* picture, D3DCOLOR key) {
  for (uint32_t& c : picture->argb) {
    if (c == key) c = 0;
  }
}

void CropPicture(const Picture& source, const RECT& rect, Picture* cropped) {
  cropped->width = rect.right - rect.left;
  cropped->height = rect.bottom - rect.top;
  cropped->fileFormat = source.fileFormat;
  cropped->fileType = source.fileType;
  cropped->argb.resize(static_cast<size_t>(cropped->width) * cropped->height);
  for (int y = 0; y < cropped->height; ++y) {
    const uint32_t* from = &source.argb[static_cast<size_t>(rect.top + y) * source.width + rect.left];
    std::copy(from, from + cropped->width, &cropped->argb[static_cast<size_t>(y) * cropped->width]);
  }
}

void ResizePicture(const Picture& source, int width, int height, DWORD filter, Picture* resized) {
  resized->width = width;
  resized->height = height;
  resized->fileFormat = source.fileFormat;
  resized->fileType = source.fileType;
  resized->argb.assign(static_cast<size_t>(width) * height, 0);
  DWORD kind = filter & 0xFF;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      uint32_t& out = resized->argb[static_cast<size_t>(y) * width + x];
      if (kind == D3DX_FILTER_NONE) {
        if (x < source.width && y < source.height) out = source.argb[static_cast<size_t>(y) * source.width + x];
      } else if (kind == D3DX_FILTER_POINT) {
        int sx = static_cast<int>((2 * int64_t(x) + 1) * source.width / (2 * int64_t(width)));
        int sy = static_cast<int>((2 * int64_t(y) + 1) * source.height / (2 * int64_t(height)));
        out = source.argb[static_cast<size_t>(sy) * source.width + sx];
      } else {
        int x0, x1, y0, y1;
        SourceSpan(x, width, source.width, &x0, &x1);
        SourceSpan(y, height, source.height, &y0, &y1);
        out = AverageArea(source, x0, x1, y0, y1);
      }
    }
  }
}

int BytesPerTexel(D3DFORMAT format) {
  switch (format) {
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8: return 4;
    case D3DFMT_R8G8B8: return 3;
    case D3DFMT_R5G6B5:
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5:
    case D3DFMT_A4R4G4B4:
    case D3DFMT_X4R4G4B4:
    case D3DFMT_A8L8: return 2;
    case D3DFMT_A8:
    case D3DFMT_L8: return 1;
    default: return 0;
  }
}

bool StoreTexels(const Picture& picture, D3DFORMAT format, BYTE* rows, int pitch) {
  int bytes = BytesPerTexel(format);
  if (bytes == 0) return false;
  for (int y = 0; y < picture.height; ++y) {
    BYTE* row = rows + static_cast<ptrdiff_t>(y) * pitch;
    const uint32_t* from = &picture.argb[static_cast<size_t>(y) * picture.width];
    for (int x = 0; x < picture.width; ++x) StoreTexel(format, from[x], row + x * bytes);
  }
  return true;
}
