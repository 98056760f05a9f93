// A font on disk for tests: a small picture, a metrics file and the backlight picture every
// font load asks for, written to the current folder.
#pragma once
#include <cstdint>
#include <cstring>
#include <string>

#include "support/picture_files.h"
#include "support/temp_files.h"
#include "text/bitmap_font.h"

struct FontFiles {
  int32_t gridSize = 16;
  uint8_t widths[256] = {};
  uint8_t cells[256] = {};
  int datSize = 516;  // shorter cuts the file; longer pads it

  FontFiles() {
    for (int k = 0; k < 256; k++) {
      widths[k] = 16;
      cells[k] = uint8_t(k);
    }
  }
};

inline void WriteBinaryFile(const std::string& path, const Bytes& bytes) {
  WriteTextFile(path, std::string(bytes.begin(), bytes.end()));
}

inline void WriteFontFiles(const std::string& name, const FontFiles& files) {
  WriteBinaryFile(name + ".tga", EncodeTga(8, 8, SolidPixels(8, 8, 0xFFFFFF)));
  WriteBinaryFile("podsvet.jpg", EncodeJpeg(8, 8, SolidPixels(8, 8, 0x808080)));
  std::string dat(sizeof(FontMetrics), '\0');
  std::memcpy(dat.data(), &files.gridSize, 4);
  std::memcpy(dat.data() + 4, files.widths, 256);
  std::memcpy(dat.data() + 260, files.cells, 256);
  dat.resize(size_t(files.datSize), 'x');
  WriteTextFile(name + ".dat", dat);
}
