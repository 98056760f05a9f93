#include "platform/win32/x11_pixels.h"

#include <cstring>
#include <vector>

namespace {

bool MaskField(unsigned long mask, int* shift, int* bits) {
  if (mask == 0) return false;
  int s = 0;
  while (((mask >> s) & 1) == 0) ++s;
  int b = 0;
  while (((mask >> (s + b)) & 1) != 0) ++b;
  if ((mask >> (s + b)) != 0 || b > 16) return false;
  *shift = s;
  *bits = b;
  return true;
}

// An 8-bit channel widened or narrowed to `bits`, replicating high bits when widening so that
// full white stays full white.
uint32_t Channel(uint32_t value, int bits) {
  if (bits <= 8) return value >> (8 - bits);
  uint32_t wide = value << (bits - 8);
  return wide | (wide >> 8);
}

template <typename Out>
void ConvertRow(const uint32_t* in, Out* out, int width, const PixelLayout& layout) {
  if (layout.plain) {
    for (int x = 0; x < width; ++x) out[x] = Out(in[x] | 0xFF000000u);
    return;
  }
  for (int x = 0; x < width; ++x) out[x] = Out(ConvertPixel(in[x], layout));
}

template <typename Out>
void ScaleRow(const uint32_t* in, const int* columns, Out* out, int outWidth, const PixelLayout& layout) {
  if (layout.plain) {
    for (int x = 0; x < outWidth; ++x) out[x] = Out(in[columns[x]] | 0xFF000000u);
    return;
  }
  for (int x = 0; x < outWidth; ++x) out[x] = Out(ConvertPixel(in[columns[x]], layout));
}

// The source column of every output column, worked out once per picture instead of per pixel.
const int* SourceColumns(int inWidth, int outWidth) {
  static std::vector<int> columns;
  static int madeFor[2] = {0, 0};
  if (madeFor[0] != inWidth || madeFor[1] != outWidth) {
    columns.resize(size_t(outWidth));
    for (int x = 0; x < outWidth; ++x) columns[size_t(x)] = int(int64_t(x) * inWidth / outWidth);
    madeFor[0] = inWidth;
    madeFor[1] = outWidth;
  }
  return columns.data();
}

}  // namespace

bool PixelLayoutFromMasks(unsigned long red, unsigned long green, unsigned long blue, PixelLayout* layout) {
  PixelLayout l{};
  if (!MaskField(red, &l.redShift, &l.redBits) || !MaskField(green, &l.greenShift, &l.greenBits) ||
      !MaskField(blue, &l.blueShift, &l.blueBits)) {
    return false;
  }
  l.plain = red == 0xFF0000 && green == 0xFF00 && blue == 0xFF;
  *layout = l;
  return true;
}

uint32_t ConvertPixel(uint32_t rgb, const PixelLayout& layout) {
  // A 32-bit visual with alpha would otherwise show the picture see-through.
  if (layout.plain) return rgb | 0xFF000000u;
  return (Channel((rgb >> 16) & 255, layout.redBits) << layout.redShift) |
         (Channel((rgb >> 8) & 255, layout.greenBits) << layout.greenShift) |
         (Channel(rgb & 255, layout.blueBits) << layout.blueShift);
}

void ConvertScaled(const PixelImage& in, const PixelImage& out, const PixelLayout& layout) {
  bool same = in.width == out.width && in.height == out.height;
  const int* columns = same ? nullptr : SourceColumns(in.width, out.width);
  for (int y = 0; y < out.height; ++y) {
    int sourceY = same ? y : int(int64_t(y) * in.height / out.height);
    const uint32_t* row = reinterpret_cast<const uint32_t*>(in.bytes + int64_t(sourceY) * in.pitchBytes);
    uint8_t* target = out.bytes + int64_t(y) * out.pitchBytes;
    if (out.bytesPerPixel == 2) {
      uint16_t* pixels = reinterpret_cast<uint16_t*>(target);
      same ? ConvertRow(row, pixels, out.width, layout) : ScaleRow(row, columns, pixels, out.width, layout);
    } else {
      uint32_t* pixels = reinterpret_cast<uint32_t*>(target);
      same ? ConvertRow(row, pixels, out.width, layout) : ScaleRow(row, columns, pixels, out.width, layout);
    }
  }
}
