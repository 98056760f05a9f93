#include "foliage.h"

#include <cmath>

#include "content.h"
#include "noise.h"

namespace {

struct LeafLook {
  Rgb dark, light, bark;
  float leafLength, leafWidth;
  int leavesPerTwig;
  float droop;  // how far the branch sags toward its tip
  uint32_t seed;
};

struct Point {
  float x, y;
};

Point BranchPoint(const LeafLook& look, float t, float width, float height) {
  return {t * width * 0.95f, height * 0.5f + look.droop * height * t * t - 6 * std::sin(t * 7 + float(look.seed))};
}

// A pointed leaf from its stalk at (x, y): one half catches the light, the midrib is darker.
void FillLeaf(Image& image, float x, float y, float angle, float length, float width, Rgb base) {
  float cs = std::cos(angle), sn = std::sin(angle);
  int x0 = int(std::floor(x - length - 1)), x1 = int(std::ceil(x + length + 1));
  int y0 = int(std::floor(y - length - 1)), y1 = int(std::ceil(y + length + 1));
  for (int py = y0; py <= y1; ++py)
    for (int px = x0; px <= x1; ++px) {
      float dx = float(px) + 0.5f - x, dy = float(py) + 0.5f - y;
      float u = (dx * cs + dy * sn) / length, v = -dx * sn + dy * cs;
      if (u <= 0 || u >= 1) continue;
      float half = width * 0.5f * std::pow(std::sin(3.14159265f * std::pow(u, 0.8f)), 0.8f);
      float coverage = Clamp01(half - std::fabs(v) + 0.5f);
      if (coverage <= 0) continue;
      float side = v < 0 ? 1.15f : 0.85f;
      float rib = Smoothstep(0.0f, 1.2f, std::fabs(v)) * 0.15f + 0.85f;
      Over(image, px, py, base * (side * rib * (0.9f + 0.2f * u)), coverage);
    }
}

void DrawLeaf(Image& image, float x, float y, float angle, const LeafLook& look, Rng& rng, float depth) {
  float length = look.leafLength * rng.Range(0.7f, 1.15f);
  float width = look.leafWidth * rng.Range(0.8f, 1.15f);
  Rgb base = Mix(look.dark, look.light, Clamp01(depth + rng.Range(-0.2f, 0.2f)));
  base = base * rng.Range(0.9f, 1.1f);
  FillLeaf(image, x, y, angle, length, width, base);
}

Image PaintBranch(const LeafLook& look) {
  const int w = 512, h = 256;
  Image image(w, h, look.light, 0.0f);
  Rng rng(look.seed);
  // Twigs first (as a list), then leaves back to front, so the front layer is the lightest.
  struct Twig {
    Point from, to;
  };
  std::vector<Twig> twigs;
  for (float t = 0.08f; t < 0.97f; t += rng.Range(0.04f, 0.07f)) {
    Point p = BranchPoint(look, t, w, h);
    float side = twigs.size() % 2 ? -1.0f : 1.0f;
    float angle = side * rng.Range(0.5f, 1.1f) + 0.15f;
    float length = rng.Range(40, 80) * (1.1f - t * 0.5f);
    Point q = {p.x + std::cos(angle) * length, p.y + std::sin(angle) * length};
    q.y = std::fmin(std::fmax(q.y, 22.0f), float(h) - 22.0f);
    twigs.push_back({p, q});
  }
  for (int i = 0; i < 40; ++i) {
    float a = float(i) / 40, b = float(i + 1) / 40;
    Point p = BranchPoint(look, a, w, h), q = BranchPoint(look, b, w, h);
    FillCapsule(image, p.x, p.y, q.x, q.y, 7 * (1 - a * 0.8f), 7 * (1 - b * 0.8f), look.bark, 1.0f);
  }
  for (const Twig& twig : twigs)
    FillCapsule(image, twig.from.x, twig.from.y, twig.to.x, twig.to.y, 2.2f, 0.9f, look.bark, 1.0f);
  for (int layer = 0; layer < 3; ++layer) {
    float depth = float(layer) / 2.0f;
    for (const Twig& twig : twigs) {
      for (int k = 0; k < look.leavesPerTwig; ++k) {
        float s = rng.Range(0.15f, 1.05f);
        float x = Lerp(twig.from.x, twig.to.x, s), y = Lerp(twig.from.y, twig.to.y, s);
        float dir = std::atan2(twig.to.y - twig.from.y, twig.to.x - twig.from.x);
        float angle = dir + rng.Range(-1.3f, 1.3f) + 0.35f;
        if (x + look.leafLength > float(w) - 4 || y < look.leafLength || y > float(h) - look.leafLength) continue;
        DrawLeaf(image, x, y, angle, look, rng, depth * 0.8f + 0.1f);
      }
    }
  }
  return image;
}

}  // namespace

void AddFoliagePictures(Content& content) {
  // Broad summer leaves, small bright birch leaves, and dark late-summer oak.
  LeafLook beech{MakeRgb(0x16300E), MakeRgb(0x6E9E32), MakeRgb(0x3A2A1C), 26, 12, 7, 0.25f, 11};
  LeafLook birch{MakeRgb(0x35501A), MakeRgb(0xB8CC50), MakeRgb(0x5A4C3C), 15, 9, 10, 0.45f, 23};
  LeafLook oak{MakeRgb(0x10200A), MakeRgb(0x587A28), MakeRgb(0x2C2016), 22, 13, 8, 0.15f, 37};
  AddPicture(content, "leaves1", "leaves1.tga", PictureFormat::AlphaPair, PaintBranch(beech));
  AddPicture(content, "leaves2", "leaves2.tga", PictureFormat::AlphaPair, PaintBranch(birch));
  AddPicture(content, "leaves", "leaves.tga", PictureFormat::Tga, PaintBranch(oak));
}
