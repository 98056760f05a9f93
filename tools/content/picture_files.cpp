#include "picture_files.h"

#include <cmath>
#include <cstdio>

#include "byte_writer.h"

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

std::vector<uint8_t> ToBytes(const Image& image, int channels) {
  std::vector<uint8_t> bytes(size_t(image.width) * size_t(image.height) * size_t(channels));
  size_t o = 0;
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      const float* p = image.At(x, y);
      // Hashed per-pixel dither: breaks up banding in dark gradients without the regular grid an
      // ordered pattern leaves once the picture is tinted and brightened.
      uint32_t h = uint32_t(x) * 0x9E3779B1u ^ uint32_t(y) * 0x85EBCA77u;
      h ^= h >> 15;
      h *= 0x2C1B3C6Du;
      h ^= h >> 12;
      float dither = float(h & 0xFFFF) / 65536.0f;
      for (int k = 0; k < channels; ++k) {
        float v = k < 3 ? p[k] * 255.0f + dither : p[3] * 255.0f + 0.5f;
        bytes[o++] = uint8_t(v < 0 ? 0 : (v > 255 ? 255 : int(v)));
      }
    }
  }
  return bytes;
}

static void AppendToVector(void* context, void* data, int size) {
  auto* out = static_cast<std::vector<uint8_t>*>(context);
  out->insert(out->end(), static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
}

static std::vector<uint8_t> EncodeJpeg(const Image& image, int quality) {
  std::vector<uint8_t> out;
  std::vector<uint8_t> rgb = ToBytes(image, 3);
  stbi_write_jpg_to_func(AppendToVector, &out, image.width, image.height, 3, rgb.data(), quality);
  return out;
}

size_t JpegLength(const uint8_t* data, size_t size) {
  for (size_t i = 0; i + 1 < size; ++i)
    if (data[i] == 0xFF && data[i + 1] == 0xD9) return i + 2;
  return 0;
}

bool WriteJpeg(const std::string& path, const Image& image, int quality) {
  return WriteWholeFile(path, EncodeJpeg(image, quality));
}

bool WriteAlphaJpeg(const std::string& path, const Image& image, int quality) {
  std::vector<uint8_t> file = EncodeJpeg(image, quality);
  if (file.empty() || JpegLength(file.data(), file.size()) != file.size()) {
    std::fprintf(stderr, "%s: the picture's end marker is not at its end\n", path.c_str());
    return false;
  }
  std::vector<uint8_t> rgba = ToBytes(image, 4);
  for (size_t i = 3; i < rgba.size(); i += 4) file.push_back(rgba[i]);
  return WriteWholeFile(path, file);
}

bool WriteTga(const std::string& path, const Image& image) {
  std::vector<uint8_t> rgba = ToBytes(image, 4);
  return stbi_write_tga(path.c_str(), image.width, image.height, 4, rgba.data()) != 0;
}

bool WriteBmp(const std::string& path, const Image& image) {
  std::vector<uint8_t> rgb = ToBytes(image, 3);
  return stbi_write_bmp(path.c_str(), image.width, image.height, 3, rgb.data()) != 0;
}

bool WritePng(const std::string& path, const Image& image) {
  std::vector<uint8_t> rgba = ToBytes(image, 4);
  return stbi_write_png(path.c_str(), image.width, image.height, 4, rgba.data(), image.width * 4) != 0;
}

static void PutIconEntry(ByteWriter& dir, int size, uint32_t bytes, uint32_t offset) {
  dir.U8(uint8_t(size)).U8(uint8_t(size)).U8(0).U8(0);
  dir.U16(1).U16(32).U32(bytes).U32(offset);
}

// One icon image: BITMAPINFOHEADER with double height, bottom-up BGRA rows, then the AND mask.
static std::vector<uint8_t> IconImage(const Image& image) {
  ByteWriter w;
  int size = image.width;
  int maskStride = ((size + 31) / 32) * 4;
  w.U32(40).I32(size).I32(size * 2).U16(1).U16(32).U32(0);
  w.U32(uint32_t(size * size * 4 + maskStride * size)).I32(0).I32(0).U32(0).U32(0);
  std::vector<uint8_t> rgba = ToBytes(image, 4);
  for (int y = size - 1; y >= 0; --y) {
    for (int x = 0; x < size; ++x) {
      const uint8_t* p = &rgba[(size_t(y) * size_t(size) + size_t(x)) * 4];
      w.U8(p[2]).U8(p[1]).U8(p[0]).U8(p[3]);
    }
  }
  for (int y = size - 1; y >= 0; --y) {
    std::vector<uint8_t> row(size_t(maskStride), 0);
    for (int x = 0; x < size; ++x)
      if (rgba[(size_t(y) * size_t(size) + size_t(x)) * 4 + 3] < 128) row[size_t(x / 8)] |= uint8_t(0x80 >> (x % 8));
    w.Bytes(row.data(), row.size());
  }
  return w.data;
}

bool WriteIcon(const std::string& path, const std::vector<Image>& sizes) {
  ByteWriter file;
  file.U16(0).U16(1).U16(uint16_t(sizes.size()));
  std::vector<std::vector<uint8_t>> images;
  for (const Image& image : sizes) images.push_back(IconImage(image));
  uint32_t offset = uint32_t(6 + 16 * sizes.size());
  for (size_t i = 0; i < sizes.size(); ++i) {
    PutIconEntry(file, sizes[i].width, uint32_t(images[i].size()), offset);
    offset += uint32_t(images[i].size());
  }
  for (const auto& image : images) file.Bytes(image.data(), image.size());
  return WriteWholeFile(path, file.data);
}
