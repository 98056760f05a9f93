// libFuzzer target: any bytes as the font's metrics file, loaded and drawn with every byte value.
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
  char text[257];
  for (int i = 0; i < 256; ++i) text[i] = char(i == 0 ? ' ' : i);
  text[256] = '\0';
  DrawString(-100.0f, 50.0f, 12.0f, text);
  ReleaseFileByName("fz.dat");
  return 0;
}
