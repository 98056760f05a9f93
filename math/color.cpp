#include "math/color.h"

ColorF ColorF::Lerp(const ColorF& other, float t) const {
  float u = 1.0f - t;
  return ColorF(u * r + t * other.r, u * g + t * other.g, u * b + t * other.b,
                u * a + t * other.a);
}
