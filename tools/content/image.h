// Float RGBA pictures and the few painting operations every painter shares.
// Colours are display values in 0..1; alpha 1 is opaque. Row 0 is the top row.
#pragma once
#include <cstddef>
#include <vector>

struct Rgb {
  float r = 0, g = 0, b = 0;
};

inline Rgb MakeRgb(int hex) {
  return {float((hex >> 16) & 255) / 255.0f, float((hex >> 8) & 255) / 255.0f, float(hex & 255) / 255.0f};
}
inline Rgb operator*(Rgb c, float k) { return {c.r * k, c.g * k, c.b * k}; }
inline Rgb operator*(Rgb a, Rgb b) { return {a.r * b.r, a.g * b.g, a.b * b.b}; }
inline Rgb operator+(Rgb a, Rgb b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
inline Rgb Mix(Rgb a, Rgb b, float t) { return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t}; }

float Clamp01(float v);
float Smoothstep(float edge0, float edge1, float v);
inline float Lerp(float a, float b, float t) { return a + (b - a) * t; }

struct Image {
  int width = 0, height = 0;
  std::vector<float> pixels;  // r, g, b, a per pixel

  Image() = default;
  Image(int w, int h, Rgb fill = {}, float alpha = 1.0f);
  float* At(int x, int y) { return &pixels[(std::size_t(y) * std::size_t(width) + std::size_t(x)) * 4]; }
  const float* At(int x, int y) const { return &pixels[(std::size_t(y) * std::size_t(width) + std::size_t(x)) * 4]; }
  Rgb ColorAt(int x, int y) const;
  float AlphaAt(int x, int y) const { return At(x, y)[3]; }
};

// Layer painting for backgrounds: the colour moves toward `c` and the alpha toward `alpha` by
// `coverage`. Alpha 0 cuts a hole through which the animated layers beneath show.
void Paint(Image& image, int x, int y, Rgb c, float coverage, float alpha = 1.0f);

// Ordinary "over" compositing, for pictures with their own transparency.
void Over(Image& image, int x, int y, Rgb c, float alpha);

// Anti-aliased filled ellipse with its own rotation, composited "over".
void FillEllipse(Image& image, float cx, float cy, float rx, float ry, float angle, Rgb c, float alpha);

// Soft capsule (a thick line with round ends) from a to b, composited "over".
void FillCapsule(Image& image, float ax, float ay, float bx, float by, float radiusA, float radiusB, Rgb c,
                 float alpha);

// Bilinear sample; `wrap` repeats the picture, otherwise edges clamp. Returns r, g, b, a.
void Sample(const Image& image, float u, float v, bool wrap, float out[4]);

// Area-averaged resize (thumbnails and icons).
Image Resize(const Image& image, int width, int height);
