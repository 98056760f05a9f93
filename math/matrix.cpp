#include "math/matrix.h"

void Matrix4::SetIdentity() {
  for (int i = 0; i < 16; i++) m[i] = (i % 5 == 0) ? 1.0f : 0.0f;
}

void Matrix4::PreTranslate(float x, float y, float z) {
  for (int j = 0; j < 4; j++) m[12 + j] += x * m[j] + y * m[4 + j] + z * m[8 + j];
}

void Matrix4::SetDiagonal(float sx, float sy, float sz) {
  m[0] = sx;
  m[5] = sy;
  m[10] = sz;
}
