// Plain value vectors. Their layouts are written field by field into vertex records, so the
// members and their order are fixed.
#pragma once

struct Vector2 {
  float x = 0.0f;
  float y = 0.0f;

  Vector2() = default;
  Vector2(float x, float y) : x(x), y(y) {}
  void Set(float newX, float newY) { x = newX; y = newY; }

  Vector2 operator+(const Vector2& b) const { return Vector2(x + b.x, y + b.y); }
  Vector2 operator-(const Vector2& b) const { return Vector2(x - b.x, y - b.y); }
  Vector2 operator*(float s) const { return Vector2(s * x, s * y); }
  void Scale(float s) { x = s * x; y = s * y; }
  void MultiplyComponents(const Vector2& b) { x = x * b.x; y = y * b.y; }
  // Goes through the square-root table: BuildSqrtTable must have run.
  float Length() const;
};

struct Vector3 {
  float x = 0.0f;
  float y = 0.0f;
  float z = 0.0f;

  Vector3() = default;
  Vector3(float x, float y, float z) : x(x), y(y), z(z) {}
  void Set(float newX, float newY, float newZ) { x = newX; y = newY; z = newZ; }

  Vector3 operator+(const Vector3& b) const { return Vector3(x + b.x, y + b.y, z + b.z); }
  Vector3 operator-(const Vector3& b) const { return Vector3(x - b.x, y - b.y, z - b.z); }
  Vector3 operator*(float s) const { return Vector3(s * x, s * y, s * z); }
  Vector3& operator+=(const Vector3& b) { x += b.x; y += b.y; z += b.z; return *this; }
  // Both go through the square-root table: BuildSqrtTable must have run.
  float Length() const;
  // A zero vector stays zero; otherwise scaled by one rounded reciprocal of the length.
  void Normalize();
};

Vector3 Cross(const Vector3& a, const Vector3& b);

static_assert(sizeof(Vector2) == 8 && sizeof(Vector3) == 12, "vertex layouts depend on these");
