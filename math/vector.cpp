#include "math/vector.h"

#include "math/scalar.h"

float Vector2::Length() const { return FastSqrt(x * x + y * y); }

float Vector3::Length() const { return FastSqrt(x * x + y * y + z * z); }

void Vector3::Normalize() {
  float length = Length();
  if (length == 0.0f) return;
  float k = 1.0f / length;
  x *= k;
  y *= k;
  z *= k;
}

Vector3 Cross(const Vector3& a, const Vector3& b) {
  return Vector3(a.y * b.z - a.z * b.y, a.z * b.x - b.z * a.x, b.y * a.x - a.y * b.x);
}
