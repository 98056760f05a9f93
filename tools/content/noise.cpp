#include "noise.h"

#include <cmath>

uint32_t Rng::Next() {
  state = state * 6364136223846793005ull + 1442695040888963407ull;
  uint32_t xorshifted = uint32_t(((state >> 18u) ^ state) >> 27u);
  uint32_t rot = uint32_t(state >> 59u);
  return (xorshifted >> rot) | (xorshifted << ((32 - rot) & 31));
}

float Rng::Unit() { return float(Next() >> 8) * (1.0f / 16777216.0f); }
float Rng::Range(float lo, float hi) { return lo + (hi - lo) * Unit(); }
int Rng::Int(int n) { return n <= 0 ? 0 : int(Next() % uint32_t(n)); }

static uint32_t HashCell(int x, int y, uint32_t seed) {
  uint32_t h = uint32_t(x) * 0x8DA6B343u ^ uint32_t(y) * 0xD8163841u ^ seed * 0xCB1AB31Fu;
  h ^= h >> 15;
  h *= 0x2C1B3C6Du;
  h ^= h >> 12;
  h *= 0x297A2D39u;
  h ^= h >> 15;
  return h;
}

// 256 unit gradients round the circle, so a corner costs a hash and a table read.
struct GradientTable {
  float x[256], y[256];
  GradientTable() {
    for (int i = 0; i < 256; ++i) {
      x[i] = std::cos(float(i) * 6.2831853f / 256.0f);
      y[i] = std::sin(float(i) * 6.2831853f / 256.0f);
    }
  }
};
static const GradientTable kGradients;

static float CornerDot(int cx, int cy, float dx, float dy, uint32_t seed, int px, int py) {
  if (px > 0) cx = ((cx % px) + px) % px;
  if (py > 0) cy = ((cy % py) + py) % py;
  uint32_t i = HashCell(cx, cy, seed) & 255u;
  return kGradients.x[i] * dx + kGradients.y[i] * dy;
}

static float Fade(float t) { return t * t * t * (t * (t * 6 - 15) + 10); }

float GradientNoise(float x, float y, uint32_t seed, int periodX, int periodY) {
  float fx = std::floor(x), fy = std::floor(y);
  int ix = int(fx), iy = int(fy);
  float dx = x - fx, dy = y - fy;
  float n00 = CornerDot(ix, iy, dx, dy, seed, periodX, periodY);
  float n10 = CornerDot(ix + 1, iy, dx - 1, dy, seed, periodX, periodY);
  float n01 = CornerDot(ix, iy + 1, dx, dy - 1, seed, periodX, periodY);
  float n11 = CornerDot(ix + 1, iy + 1, dx - 1, dy - 1, seed, periodX, periodY);
  float u = Fade(dx), v = Fade(dy);
  float top = n00 + (n10 - n00) * u;
  float bottom = n01 + (n11 - n01) * u;
  return (top + (bottom - top) * v) * 1.41421356f;
}

float Fbm(float x, float y, int octaves, uint32_t seed, int periodX, int periodY, float gain) {
  float sum = 0, amplitude = 1, norm = 0;
  for (int i = 0; i < octaves; ++i) {
    sum += amplitude * GradientNoise(x, y, seed + uint32_t(i) * 1013u, periodX, periodY);
    norm += amplitude;
    amplitude *= gain;
    x *= 2;
    y *= 2;
    periodX *= 2;
    periodY *= 2;
  }
  return sum / norm;
}

float RidgedFbm(float x, float y, int octaves, uint32_t seed, int periodX, int periodY) {
  float sum = 0, amplitude = 1, norm = 0, weight = 1;
  for (int i = 0; i < octaves; ++i) {
    float n = 1.0f - std::fabs(GradientNoise(x, y, seed + uint32_t(i) * 7919u, periodX, periodY));
    n *= n;
    sum += amplitude * n * weight;
    norm += amplitude;
    // Later octaves only roughen the crests, as erosion does, not the smooth valleys.
    weight = std::fmin(1.0f, n * 1.5f);
    amplitude *= 0.5f;
    x *= 2;
    y *= 2;
    periodX *= 2;
    periodY *= 2;
  }
  return sum / norm;
}
