// Platform-internal: converting presented 0x00RRGGBB pictures into the pixels of an X visual
// (16-bit 5-6-5 and 5-5-5, 24- and 30-bit in 32-bit pixels), scaled when the sizes differ.
#pragma once
#include <cstdint>

struct PixelLayout {
  int redShift, redBits;
  int greenShift, greenBits;
  int blueShift, blueBits;
  bool plain;  // 8 bits each at 16, 8 and 0: the picture's own layout
};

// False for masks that are empty, not contiguous or wider than 16 bits.
bool PixelLayoutFromMasks(unsigned long red, unsigned long green, unsigned long blue, PixelLayout* layout);

uint32_t ConvertPixel(uint32_t rgb, const PixelLayout& layout);

// Rows of pixels: `bytesPerPixel` 2 or 4.
struct PixelImage {
  uint8_t* bytes;
  int width, height;
  int pitchBytes;
  int bytesPerPixel;
};

// Writes `in` (4-byte 0x00RRGGBB) into `out` in `layout`: pixel for pixel when the sizes match,
// else scaled with nearest-neighbour sampling.
void ConvertScaled(const PixelImage& in, const PixelImage& out, const PixelLayout& layout);
