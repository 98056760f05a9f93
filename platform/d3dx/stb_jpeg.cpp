#include "picture.h"

namespace {

// A byte past the end reads as zero, as it does for stb_image.
int ByteAt(const BYTE* data, UINT size, int64_t i) { return i < int64_t(size) ? data[i] : 0; }

// The tables of the segment whose marker ends at `start`, walked the way stb_image walks them:
// by the length field, each table a class/slot byte, 16 counts and that many symbols.
bool SegmentTablesFit(const BYTE* data, UINT size, int64_t start) {
  int64_t left = (ByteAt(data, size, start) << 8 | ByteAt(data, size, start + 1)) - 2;
  int64_t at = start + 2;
  while (left > 0 && at < int64_t(size)) {
    int slot = ByteAt(data, size, at);
    if ((slot >> 4) > 1 || (slot & 15) > 3) return true;  // refused by the reader itself
    int codes = 0;
    for (int i = 1; i <= 16; ++i) codes += ByteAt(data, size, at + i);
    if (codes > 256) return false;
    at += 17 + codes;
    left -= 17 + codes;
  }
  return true;
}

}  // namespace

bool HuffmanTablesFit(const BYTE* data, UINT size) {
  for (UINT i = 0; i + 1 < size; ++i) {
    if (data[i] == 0xFF && data[i + 1] == 0xC4 && !SegmentTablesFit(data, size, int64_t(i) + 2)) return false;
  }
  return true;
}

bool DecodeJpegWithStb(const BYTE* data, UINT size, Picture* picture) {
  return HuffmanTablesFit(data, size) && DecodeWithStb(data, size, picture);
}
