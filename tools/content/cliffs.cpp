#include "cliffs.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "noise.h"

float GorgeView::CentreAt(float nearness) const {
  // The gorge bends away: its far end lies off to one side of its near end.
  return Lerp(centreFar, centreNear, Smoothstep(0.1f, 1.2f, nearness));
}

namespace {

struct Vec3 {
  float x, y, z;
};

Vec3 Normalised(Vec3 v) {
  float n = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
  return {v.x / n, v.y / n, v.z / n};
}

float Dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

// Distance from the gorge's middle to the buttress's face at a row, in pixels.
float EdgeHalf(const GorgeView& view, float side, float nearness, uint32_t seed, float row) {
  float rim = view.vanishRow - view.rimRise * nearness, foot = view.FootRow(nearness);
  float t = (row - rim) / (foot - rim);
  float half = Lerp(view.rimHalf, view.footHalf, Clamp01(t)) * nearness;
  // A bulging nose with ledges: the face is not a straight line from rim to water.
  half -= std::sin(3.1415927f * Clamp01(t)) * 18 * nearness;
  half += Fbm(row / (60 * nearness), side * 3.3f, 4, seed) * 22 * nearness;
  half += std::floor(Fbm(row / (35 * nearness), 7.1f, 2, seed + 1) * 3) * 5 * nearness;  // steps
  return half;
}

}  // namespace

float ButtressRim(const GorgeView& view, float side, float nearness, uint32_t seed, float x) {
  float u = side * (x - view.CentreAt(nearness));
  float rim = view.vanishRow - view.rimRise * nearness + Fbm(x / (70 * nearness), 0.5f, 3, seed + 2) * 16 * nearness;
  // The top of the nose rounds off toward the gorge.
  float nose = view.rimHalf * nearness;
  return rim + std::fmax(0.0f, nose + 40 * nearness - u) * 0.6f;
}

void PaintButtress(Image& image, const GorgeView& view, const WallLook& look, float side, float nearness,
                   uint32_t seed) {
  const float centre = view.CentreAt(nearness);
  const float cell = 24 * nearness;  // rock features shrink with distance
  const float haze = look.farHaze * std::pow(Clamp01(1 - nearness / 1.4f), 1.6f);
  const Vec3 toSun = Normalised({-0.8f * look.lightFromLeft, 0.45f, 0.38f});
  // The cleft behind this buttress's edge lies in its shade; deeper on the side away from the sun.
  const bool sunward = side * look.lightFromLeft < 0;
  const float cleft = (sunward ? 26.0f : 55.0f) * nearness;
  const int top = std::max(0, int(view.vanishRow - view.rimRise * nearness - 40 * nearness));
  const int w = image.width, h = image.height;
  std::vector<float> halves(static_cast<size_t>(h), 0.0f);
  float narrowest = 1e9f;
  for (int y = top; y < h; ++y) {
    halves[size_t(y)] = EdgeHalf(view, side, nearness, seed, float(y) + 0.5f);
    narrowest = std::fmin(narrowest, halves[size_t(y)]);
  }
  // The columns this buttress can reach, and its relief sampled once per pixel there.
  const int from = side < 0 ? 0 : std::max(0, int(centre + narrowest - cleft) - 2);
  const int to = side < 0 ? std::min(w, int(centre - narrowest + cleft) + 2) : w;
  const int rows = h - top + 2;
  std::vector<float> relief(size_t(w + 2) * size_t(rows));
  for (int j = 0; j < rows; ++j)
    for (int i = from; i < to + 2; ++i) {
      float x = float(i - 1) - centre, y = float(top + j - 1);
      float joints = RidgedFbm(x / (cell * 1.6f), y / (cell * 5), 3, seed + 10);
      float bedding = Fbm(x / (cell * 6), y / (cell * 0.8f), 3, seed + 11);
      float blocks = RidgedFbm(x / (cell * 3), y / (cell * 2.5f), 4, seed + 12);
      float ribs = RidgedFbm(x / (cell * 7) + Fbm(x / (cell * 9), y / (cell * 9), 2, seed + 16) * 0.4f, y / (cell * 30), 3, seed + 17);
      relief[size_t(j) * size_t(w + 2) + size_t(i)] = (joints * 0.3f + bedding * 0.2f + blocks * 0.6f + ribs * 2.2f) * cell;
    }
  auto at = [&](int x, int y) {
    return relief[size_t(std::clamp(y - top + 1, 0, rows - 1)) * size_t(w + 2) + size_t(std::clamp(x + 1, 0, w + 1))];
  };
  // The buttress stands in the river: below its foot lies the water in front of it.
  const float foot = view.FootRow(nearness);
  auto waterline = [&](int x) { return 2 + Fbm(float(x) / (12 * nearness), 0.3f, 2, seed + 14) * 4 * nearness; };
  const int bottom = std::min(h, int(foot + 8 * nearness) + 2);
  for (int y = top; y < bottom; ++y) {
    float half = halves[size_t(y)];
    for (int x = from; x < to; ++x) {
      float u = side * (float(x) + 0.5f - centre) - half;  // pixels into the buttress from its face
      if (u < -cleft) continue;
      if (u < 0) {  // the farther wall just beside this edge: shade of the cleft
        float shadow = std::pow(1 + u / cleft, 2.0f) * (sunward ? 0.35f : 0.55f);
        float* p = image.At(x, y);
        if (p[3] > 0.5f)
          for (int k = 0; k < 3; ++k) p[k] = Lerp(p[k], (&look.shade.r)[k] * 0.6f, shadow);
        continue;
      }
      float rim = ButtressRim(view, side, nearness, seed, float(x) + 0.5f);
      float coverage = Clamp01(u + 0.5f) * Clamp01(float(y) + 1 - rim) * Clamp01(foot + waterline(x) - float(y));
      if (coverage <= 0) continue;
      // The face turns from facing across the gorge at its edge to facing the viewer, and
      // leans back a little toward the rim.
      float turn = std::exp(-std::pow((u - 30 * nearness) / (22 * nearness), 2.0f));
      Vec3 form = Normalised({-side * (1 - turn * 0.85f), 0.22f, 0.3f + turn * 1.2f});
      float dx = (at(x + 1, y) - at(x - 1, y)) * 0.5f, dy = (at(x, y + 1) - at(x, y - 1)) * 0.5f;
      Vec3 n = Normalised({form.x - dx * 0.9f, form.y + dy * 0.9f, form.z});
      float sun = std::fmax(0.0f, Dot(n, toSun));
      // Rims cast their shade on the lower walls: only the upper part of the face is in sun.
      float sunlit = Smoothstep(foot + 20 * nearness, view.vanishRow - 60 * nearness, float(y));
      float sky = 0.2f + 0.12f * n.y;
      float light = Clamp01(sky + sun * (0.35f + 0.65f * sunlit) * 1.05f);
      Rgb c = Mix(look.shade, look.lit, light);
      // Broad stains: grey where rain runs, ochre where the rock has flaked recently.
      float stain = Fbm(float(x) / (cell * 7), float(y) / (cell * 9), 3, seed + 15);
      c = Mix(c, Rgb{c.g, c.g * 0.98f, c.g * 0.97f}, Clamp01(stain * 1.2f)) * (0.92f + 0.16f * Clamp01(0.5f - stain));
      // Water-dark foot and a little moss on ledges that face up.
      float wet = Smoothstep(foot - 25 * nearness, foot + 3, float(y));
      c = c * (1 - 0.45f * wet);
      float moss = Smoothstep(0.15f, 0.5f, n.y) * Smoothstep(0.0f, 0.4f, Fbm(float(x) / (cell * 1.5f), float(y) / cell, 2, seed + 13));
      c = Mix(c, MakeRgb(0x46562A) * (0.5f + light * 0.7f), moss * 0.3f);
      c = Mix(c, look.haze, haze);
      Paint(image, x, y, c, coverage);
    }
  }
}
