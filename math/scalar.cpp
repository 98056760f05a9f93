#include "math/scalar.h"

#include <cmath>
#include <cstring>

uint32_t sqrtTable[kSqrtTableSize];

namespace {

constexpr uint32_t kOneBits = 0x3F800000;
constexpr uint32_t kTwoBits = 0x40000000;
constexpr uint32_t kMantissaMask = 0x7FFFFF;
constexpr uint32_t kExponentMask = 0x7F800000;

uint32_t BitsOf(float x) {
  uint32_t bits;
  std::memcpy(&bits, &x, sizeof bits);
  return bits;
}

float FloatOf(uint32_t bits) {
  float x;
  std::memcpy(&x, &bits, sizeof x);
  return x;
}

uint32_t SqrtMantissa(uint32_t bits) { return BitsOf(std::sqrt(FloatOf(bits))) & kMantissaMask; }

}  // namespace

void BuildSqrtTable() {
  for (uint32_t i = 0; i < 0x8000; i++) {
    sqrtTable[0x8000 + i] = SqrtMantissa((i << 8) | kOneBits);
    sqrtTable[i] = SqrtMantissa((i << 8) | kTwoBits);
  }
}

float FastSqrt(float x) {
  uint32_t bits = BitsOf(x);
  if (bits == 0) return 0.0f;
  uint32_t index = (bits >> 8) & 0xFFFF;
  // The unsigned shift halves the unbiased exponent, also for arguments below 1.
  uint32_t exponent = (((bits - kOneBits) >> 1) + kOneBits) & kExponentMask;
  return FloatOf(exponent | sqrtTable[index]);
}

float Sin(float angle) { return std::sin(angle); }
float Cos(float angle) { return std::cos(angle); }
float SinDeg(float degrees) { return std::sin(degrees * 0.017453292f); }
float CosDeg(float degrees) { return std::cos(degrees * 0.017453292f); }
float Abs(float x) { return std::fabs(x); }
