// Windows BMP files for LoadImageA: 8-bit palettised, 24- and 32-bit, bottom-up or top-down.
// Every size and offset is checked against the file before it is used.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/win32/win32_internal.h"

namespace {

constexpr long kMaxFileSize = 64L << 20;
constexpr int64_t kMaxPixels = int64_t(8192) * 8192;
constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiBitfields = 3;
constexpr uint32_t kFileHeaderSize = 14;

uint32_t Read16(const unsigned char* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8; }
uint32_t Read32(const unsigned char* p) { return Read16(p) | Read16(p + 2) << 16; }

struct BmpLayout {
  int width, height;  // height positive; topDown tells the row order
  bool topDown;
  int bitsPixel;
  uint32_t compression;
  uint32_t masks[3];  // red, green, blue (32-bit bitfields)
  const unsigned char* palette;
  int paletteCount;
  int paletteEntrySize;  // 4, or 3 for the old core header
  const unsigned char* pixels;
  size_t stride;
};

// Windows paths name folders with backslashes.
unsigned char* ReadWholeFile(const char* windowsPath, long* size) {
  char path[MAX_PATH * 4];
  std::snprintf(path, sizeof path, "%s", windowsPath);
  for (char* p = path; *p != '\0'; p++) {
    if (*p == '\\') *p = '/';
  }
  FILE* file = std::fopen(path, "rb");
  if (file == nullptr) return nullptr;
  unsigned char* data = nullptr;
  if (std::fseek(file, 0, SEEK_END) == 0) {
    *size = std::ftell(file);
    if (*size > 0 && *size <= kMaxFileSize && std::fseek(file, 0, SEEK_SET) == 0) {
      data = static_cast<unsigned char*>(std::malloc(size_t(*size)));
      if (data != nullptr && std::fread(data, 1, size_t(*size), file) != size_t(*size)) {
        std::free(data);
        data = nullptr;
      }
    }
  }
  std::fclose(file);
  return data;
}

int MaskShift(uint32_t mask) {
  int shift = 0;
  while (mask != 0 && (mask & 1) == 0) {
    mask >>= 1;
    shift++;
  }
  return shift;
}

// Scales a masked channel to 0..255.
uint32_t Channel(uint32_t value, uint32_t mask) {
  if (mask == 0) return 0;
  uint32_t max = mask >> MaskShift(mask);
  return ((value & mask) >> MaskShift(mask)) * 255 / max;
}

bool ReadHeaders(const unsigned char* data, size_t size, BmpLayout* bmp) {
  if (size < kFileHeaderSize + 12 || data[0] != 'B' || data[1] != 'M') return false;
  uint32_t pixelOffset = Read32(data + 10);
  const unsigned char* info = data + kFileHeaderSize;
  uint32_t infoSize = Read32(info);
  if (infoSize < 12 || infoSize > size - kFileHeaderSize) return false;
  int32_t height;
  *bmp = BmpLayout{};
  if (infoSize == 12) {
    bmp->width = int(Read16(info + 4));
    height = int16_t(Read16(info + 6));
    bmp->bitsPixel = int(Read16(info + 10));
    bmp->paletteEntrySize = 3;
  } else {
    if (infoSize < 40) return false;
    bmp->width = int32_t(Read32(info + 4));
    height = int32_t(Read32(info + 8));
    bmp->bitsPixel = int(Read16(info + 14));
    bmp->compression = Read32(info + 16);
    bmp->paletteCount = int(Read32(info + 32));
    bmp->paletteEntrySize = 4;
    if (bmp->compression == kBiBitfields) {
      // The masks follow a 40-byte header, or sit inside a longer one at the same place.
      if (size < kFileHeaderSize + 40 + 12) return false;
      for (int i = 0; i < 3; i++) bmp->masks[i] = Read32(info + 40 + 4 * i);
    }
  }
  if (height == INT32_MIN || bmp->width <= 0 || height == 0) return false;
  bmp->topDown = height < 0;
  bmp->height = height < 0 ? -height : height;
  if (int64_t(bmp->width) * bmp->height > kMaxPixels) return false;

  if (bmp->bitsPixel == 8) {
    if (bmp->compression != kBiRgb) return false;
    if (bmp->paletteCount <= 0 || bmp->paletteCount > 256) bmp->paletteCount = 256;
    size_t paletteStart = kFileHeaderSize + infoSize;
    size_t available = paletteStart < size ? (size - paletteStart) / size_t(bmp->paletteEntrySize) : 0;
    if (available < size_t(bmp->paletteCount)) bmp->paletteCount = int(available);
    bmp->palette = data + paletteStart;
  } else if (bmp->bitsPixel == 24) {
    if (bmp->compression != kBiRgb) return false;
  } else if (bmp->bitsPixel == 32) {
    if (bmp->compression == kBiRgb) {
      bmp->masks[0] = 0x00FF0000;
      bmp->masks[1] = 0x0000FF00;
      bmp->masks[2] = 0x000000FF;
    } else if (bmp->compression != kBiBitfields) {
      return false;
    }
  } else {
    return false;
  }
  bmp->stride = ((size_t(bmp->width) * size_t(bmp->bitsPixel) + 31) / 32) * 4;
  if (pixelOffset >= size || bmp->stride * size_t(bmp->height) > size - pixelOffset) return false;
  bmp->pixels = data + pixelOffset;
  return true;
}

uint32_t PixelAt(const BmpLayout& bmp, const unsigned char* row, int x) {
  if (bmp.bitsPixel == 8) {
    int index = row[x];
    if (index >= bmp.paletteCount) return 0;
    const unsigned char* entry = bmp.palette + index * bmp.paletteEntrySize;
    return uint32_t(entry[2]) << 16 | uint32_t(entry[1]) << 8 | entry[0];
  }
  if (bmp.bitsPixel == 24) {
    const unsigned char* p = row + 3 * x;
    return uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
  }
  uint32_t value = Read32(row + 4 * x);
  return Channel(value, bmp.masks[0]) << 16 | Channel(value, bmp.masks[1]) << 8 | Channel(value, bmp.masks[2]);
}

}  // namespace

HBITMAP Win32LoadBitmapFile(const char* path) {
  if (path == nullptr) return nullptr;
  long size = 0;
  unsigned char* data = ReadWholeFile(path, &size);
  if (data == nullptr) return nullptr;
  BmpLayout bmp;
  HBITMAP result = nullptr;
  uint32_t* pixels = nullptr;
  if (ReadHeaders(data, size_t(size), &bmp)) {
    pixels = static_cast<uint32_t*>(std::malloc(size_t(bmp.width) * size_t(bmp.height) * 4));
  }
  Win32GdiObject* object = pixels != nullptr ? Win32NewGdiObject(Win32GdiKind::Bitmap) : nullptr;
  if (object != nullptr) {
    for (int y = 0; y < bmp.height; y++) {
      int fileRow = bmp.topDown ? y : bmp.height - 1 - y;
      const unsigned char* row = bmp.pixels + size_t(fileRow) * bmp.stride;
      for (int x = 0; x < bmp.width; x++) pixels[size_t(y) * size_t(bmp.width) + size_t(x)] = PixelAt(bmp, row, x);
    }
    object->pixels = pixels;
    object->width = bmp.width;
    object->height = bmp.height;
    object->bitsPixel = 32;  // a bitmap compatible with a 32-bit screen
    result = static_cast<HBITMAP>(object->handle);
  } else {
    std::free(pixels);
  }
  std::free(data);
  return result;
}

// Only bitmaps from files: the saver has no bitmap resources.
HANDLE LoadImageA(HINSTANCE, LPCSTR name, UINT type, int, int, UINT load) {
  if (type != IMAGE_BITMAP || (load & LR_LOADFROMFILE) == 0 || IS_INTRESOURCE(name)) return nullptr;
  return Win32LoadBitmapFile(name);
}
