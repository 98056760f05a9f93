// Row-major 4x4 matrix for row vectors (v' = v * M), the Direct3D convention: element (r, c) is
// m[4 * r + c] and the translation sits in m[12..14]. Handed to the device as its sixteen floats.
#pragma once
#include "math/vector.h"

struct Matrix4 {
  float m[16];

  Matrix4() { SetIdentity(); }
  void SetIdentity();
  // this = T(x, y, z) * this: the translation acts before what the matrix already does.
  void PreTranslate(float x, float y, float z);
  // Overwrites elements 0, 5 and 10 only; the translation row is kept.
  void SetDiagonal(float sx, float sy, float sz);
  // The camera's right and up axes in world space, for a view matrix.
  Vector3 RightAxis() const { return Vector3(m[0], m[4], m[8]); }
  Vector3 UpAxis() const { return Vector3(m[1], m[5], m[9]); }
  const float* Raw() const { return m; }
  float* Raw() { return m; }
};

static_assert(sizeof(Matrix4) == 64, "handed to the device as sixteen floats");
