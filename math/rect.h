// Axis-aligned rectangle from two opposite corners, in any order.
#pragma once
#include "math/vector.h"

struct FloatRect {
  float x1 = 0.0f;
  float y1 = 0.0f;
  float x2 = 0.0f;
  float y2 = 0.0f;

  FloatRect() = default;
  FloatRect(float x1, float y1, float x2, float y2) : x1(x1), y1(y1), x2(x2), y2(y2) {}
  void Set(float newX1, float newY1, float newX2, float newY2) {
    x1 = newX1; y1 = newY1; x2 = newX2; y2 = newY2;
  }
  float Width() const;
  float Height() const;
  Vector2 Center() const { return Vector2((x1 + x2) * 0.5f, (y1 + y2) * 0.5f); }
};
