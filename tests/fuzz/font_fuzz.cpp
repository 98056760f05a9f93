// libFuzzer target: any bytes as the font's metrics file, loaded and drawn with byte values.
// Files the loader refuses end the process by design, so they are skipped here.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "data/binary_reader.h"
#include "data/file_cache.h"
#include "text/bitmap_font.h"
#include "tests/fuzz/fuzz_device.h"

namespace {

void Register(const char* name, const Bytes& bytes) {
  static std::vector<Bytes> kept;
  kept.push_back(bytes);
  RegisterCachedFile(name, int(bytes.size()), kept.back().data(), false);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool pictures = false;
  if (!pictures) {
    FuzzDevice();
    Register("fz.tga", EncodeTga(16, 16, SolidPixels(16, 16, 0xFFFFFF)));
    Register("podsvet.jpg", EncodeJpeg(8, 8, SolidPixels(8, 8, 0x808080)));
    pictures = true;
  }
  if (size < sizeof(FontMetrics) || size > 0x7FFFFFFF || ReadLittleInt32(data) <= 0) return 0;
  std::vector<unsigned char> file(data, data + size);
  RegisterCachedFile("fz.dat", int(size), file.data(), false);
  textState.fontCount = 0;
  if (!LoadFont("fz")) __builtin_trap();
  // A 32-character block of the byte values per input, chosen by its size: each glyph draw
  // costs a whole draw call, and a file one byte longer or shorter draws the next block.
  char text[33];
  int first = int(size % 8) * 32;
  for (int i = 0; i < 32; ++i) text[i] = char(first + i == 0 ? ' ' : first + i);
  text[32] = '\0';
  DrawString(-100.0f, 50.0f, 12.0f, text);
  ReleaseFileByName("fz.dat");
  return 0;
}
