// Fields of the binary content files: little-endian and unaligned, so they are assembled byte by
// byte and read the same on any host. The caller checks that four bytes are there.
#pragma once
#include <cstdint>
#include <cstring>

inline int32_t ReadLittleInt32(const unsigned char* p) {
  uint32_t bits = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
  int32_t value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

inline float ReadLittleFloat(const unsigned char* p) {
  int32_t bits = ReadLittleInt32(p);
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}
