// Little-endian, unaligned byte building for the binary content formats.
#pragma once
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

struct ByteWriter {
  std::vector<uint8_t> data;

  ByteWriter& U8(uint8_t v) {
    data.push_back(v);
    return *this;
  }
  ByteWriter& U16(uint16_t v) { return U8(uint8_t(v)).U8(uint8_t(v >> 8)); }
  ByteWriter& U32(uint32_t v) { return U16(uint16_t(v)).U16(uint16_t(v >> 16)); }
  ByteWriter& I32(int32_t v) { return U32(uint32_t(v)); }
  ByteWriter& F32(float v) {
    uint32_t bits;
    std::memcpy(&bits, &v, 4);
    return U32(bits);
  }
  ByteWriter& Bytes(const void* p, size_t n) {
    data.insert(data.end(), static_cast<const uint8_t*>(p), static_cast<const uint8_t*>(p) + n);
    return *this;
  }
  // Zero-terminated text in a field of exactly `width` bytes (cut to width - 1 characters).
  ByteWriter& FixedText(const std::string& text, size_t width) {
    size_t n = text.size() < width ? text.size() : width - 1;
    Bytes(text.data(), n);
    for (size_t i = n; i < width; ++i) U8(0);
    return *this;
  }
};

bool WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes);
bool WriteTextFile(const std::string& path, const std::string& text);  // lines end in CR LF
