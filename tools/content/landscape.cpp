#include "landscape.h"

#include <algorithm>
#include <cmath>

#include "noise.h"

Rgb SkyGradient(const SkyLook& look, float t) {
  // Most of the change happens near the horizon, as in a real sky.
  return Mix(look.top, look.horizon, std::pow(Clamp01(t), 1.8f));
}

static float CloudNoise(float u, float v, uint32_t seed, int cells) {
  // Domain warping turns plain noise into billows; the warp is periodic too, so it tiles.
  int warpCells = cells * 4 / 5 > 0 ? cells * 4 / 5 : 1;
  float warpU = Fbm(u * 0.8f, v * 0.8f, 2, seed + 50, warpCells) * 0.45f;
  float warpV = Fbm(u * 0.8f + 5.2f, v * 0.8f, 2, seed + 51, warpCells) * 0.3f;
  return Fbm(u + warpU, v + warpV, 6, seed, cells, 0, 0.5f);
}

Image PaintSkyTexture(const SkyLook& look, int width, int height) {
  Image sky(width, height);
  const int cells = 5;  // noise cells across the width: the period that makes it tile
  const int lightRows = 8;  // how far below a point the light test looks
  Rng rng(look.seed);
  // The cloud field, with a few rows to spare below for the lighting.
  std::vector<float> field(size_t(width) * size_t(height + lightRows));
  for (int y = 0; y < height + lightRows; ++y) {
    float t = (float(y) + 0.5f) / float(height);
    // Perspective: clouds near the horizon are farther away, so flatter and smaller.
    float squash = 1.0f + 2.5f * t * t;
    for (int x = 0; x < width; ++x)
      field[size_t(y) * size_t(width) + size_t(x)] =
          CloudNoise(float(x) / float(width) * cells, t * 2.5f * squash, look.seed, cells) * 0.5f + 0.5f;
  }
  for (int y = 0; y < height; ++y) {
    float t = (float(y) + 0.5f) / float(height);
    float fade = 1.0f - Smoothstep(0.72f, 0.97f, t);
    for (int x = 0; x < width; ++x) {
      float n = field[size_t(y) * size_t(width) + size_t(x)];
      float below = field[size_t(y + lightRows) * size_t(width) + size_t(x)];
      float edge0 = 0.62f - look.cover * 0.3f;
      float density = Smoothstep(edge0, edge0 + 0.22f, n) * fade;
      // Lit from above: the tops catch the light, the bellies are shaded.
      float light = Clamp01(0.6f + (below - n) * 7.0f - Smoothstep(edge0, edge0 + 0.4f, n) * 0.35f);
      Rgb cloud = Mix(look.cloudShade, look.cloudLight, light);
      Rgb c = Mix(SkyGradient(look, t), cloud, density * 0.95f);
      float* p = sky.At(x, y);
      p[0] = c.r;
      p[1] = c.g;
      p[2] = c.b;
    }
  }
  if (look.stars > 0) {
    int count = int(look.stars * float(width * height) / 900.0f);
    for (int i = 0; i < count; ++i) {
      float x = rng.Range(0, float(width)), y = rng.Range(0, float(height) * 0.8f);
      float bright = std::pow(rng.Unit(), 3.0f) * 0.9f + 0.1f;
      float* p = sky.At(int(x), int(y));
      float clear = 1.0f - Clamp01((p[0] + p[1] + p[2]) * 1.2f - 0.3f);
      Rgb star = Mix(MakeRgb(0xFFF4E0), MakeRgb(0xD8E4FF), rng.Unit());
      FillEllipse(sky, x, y, 0.6f + bright * 0.8f, 0.6f + bright * 0.8f, 0, star, bright * clear);
    }
  }
  return sky;
}

float CrestRow(const Ridge& ridge, float x) {
  float u = x / ridge.wavelength;
  float smooth = Fbm(u, 0.37f, 5, ridge.seed) * 0.5f + 0.5f;
  float jagged = RidgedFbm(u * 0.8f, 3.1f, 6, ridge.seed + 17);
  float h = Lerp(smooth, jagged, ridge.sharpness);
  return ridge.baseRow - (h - 0.45f) * 2.0f * ridge.amplitude;
}

namespace {

// Crest rows for columns -pad .. width + pad, so slopes can be read beyond the picture edge.
struct CrestTable {
  std::vector<float> rows;
  int pad;
  float At(float x) const {
    int i = std::clamp(int(x) + pad, 0, int(rows.size()) - 1);
    return rows[size_t(i)];
  }
};

CrestTable MakeCrests(const Ridge& ridge, int width, int pad) {
  CrestTable table{std::vector<float>(size_t(width + 2 * pad)), pad};
  for (int i = 0; i < width + 2 * pad; ++i) table.rows[size_t(i)] = CrestRow(ridge, float(i - pad) + 0.5f);
  return table;
}

}  // namespace

void PaintRange(Image& image, const Ridge& ridge, const RangeLook& look) {
  CrestTable crests = MakeCrests(ridge, image.width, 400);
  const int w = image.width, foot = std::min(image.height, int(look.floorRow) + 2);
  int first = foot;
  for (int x = 0; x < w; ++x) first = std::min(first, std::max(0, int(std::floor(crests.At(float(x))))));
  if (first >= foot) return;
  // Relief carved into the face: sharp spurs and gullies that run down the fall line and
  // meander, sized to the range so far ranges carry finer detail than near ones.
  const float cell = std::fmax(18.0f, ridge.wavelength * 0.12f);
  const int rows = foot - first + 2;
  std::vector<float> relief(size_t(w + 2) * size_t(rows));
  for (int j = 0; j < rows; ++j)
    for (int i = 0; i < w + 2; ++i) {
      float x = float(i - 1), y = float(first + j - 1);
      float warp = Fbm(x / (cell * 3), y / (cell * 3), 2, ridge.seed + 105) * 1.2f;
      float spurs = RidgedFbm(x / cell + warp, y / (cell * 2.2f), 5, ridge.seed + 101);
      float lumps = Fbm(x / (cell * 0.6f), y / (cell * 0.6f), 3, ridge.seed + 103);
      relief[size_t(j) * size_t(w + 2) + size_t(i)] = (spurs * 0.8f + lumps * 0.2f) * cell * 0.5f * look.detail;
    }
  auto at = [&](int x, int y) {
    int j = std::clamp(y - first + 1, 0, rows - 1);
    return relief[size_t(j) * size_t(w + 2) + size_t(std::clamp(x + 1, 0, w + 1))];
  };
  // Toward the light, which comes from above on the lit side and a little toward the viewer.
  float lx = -0.62f * look.lightFromLeft, ly = -0.5f, lz = 0.6f;
  for (int x = 0; x < w; ++x) {
    float crest = crests.At(float(x));
    for (int y = std::max(0, int(std::floor(crest))); y < foot; ++y) {
      float coverage = Clamp01(float(y) + 1.0f - crest);
      float depth = float(y) - crest;
      // The big faces: the crest's slope, read over a span that widens with depth, tells which
      // way the mountain below is turned; lower down the carving takes over.
      float span = 3.0f + depth * 0.7f;
      float slope = (crests.At(float(x) + span) - crests.At(float(x) - span)) / (2 * span);
      float facing = std::clamp(-slope * 1.6f * look.lightFromLeft, -1.0f, 1.0f) * Lerp(1.0f, 0.4f, Smoothstep(0, 150, depth));
      float dx = (at(x + 1, y) - at(x - 1, y)) * 0.5f, dy = (at(x, y + 1) - at(x, y - 1)) * 0.5f;
      float norm = std::sqrt(dx * dx + dy * dy + 1);
      float lambert = (-dx * lx - dy * ly + lz) / norm;
      float grain = Fbm(float(x) / 3.0f, float(y) / 3.0f, 2, ridge.seed + 107);
      float shade = Clamp01(0.05f + lambert * 0.7f + facing * 0.5f + grain * 0.05f * look.detail);
      shade *= Lerp(1.0f, 0.85f, Smoothstep(0, 160, depth));
      Rgb c = Mix(look.shade, look.lit, shade);
      if (look.snowRow >= 0) {
        // Snow lies above a ragged line and only where the face is not too steep to hold it.
        // The line follows the relief: snow reaches down the spurs and the shaded gullies
        // and melts back first on the sunny faces.
        float steep = std::sqrt(dx * dx + dy * dy);
        float spur = at(x, y) / (cell * 0.5f * std::fmax(0.2f, look.detail));
        float snowLine = look.snowRow + Fbm(float(x) / 40, 0.5f, 4, ridge.seed + 7) * 25.0f + (spur - 0.35f) * 40.0f -
                         facing * 25.0f;
        float hold = Smoothstep(1.0f, 0.35f, steep + Fbm(float(x) / 9, float(y) / 9, 2, ridge.seed + 9) * 0.5f);
        float snow = Smoothstep(snowLine + 12, snowLine - 12, float(y)) * hold;
        // Sunlit snow takes a little of the light's colour (pink at dawn), shaded snow the sky's blue.
        Rgb snowLit = Mix(MakeRgb(0xFAF8F2), look.lit, 0.3f);
        Rgb snowColor = Mix(MakeRgb(0x7E8EB8), snowLit, Clamp01(shade * 1.25f + 0.1f));
        c = Mix(c, snowColor, snow);
      }
      float mist = look.mistRows > 0 ? Smoothstep(look.floorRow - look.mistRows, look.floorRow, float(y)) : 0;
      c = Mix(c, look.haze, Clamp01(look.hazeAmount + (1 - look.hazeAmount) * mist * 0.9f));
      Paint(image, x, y, c, coverage);
    }
  }
}

namespace {

struct FirLook {
  Rgb dark, light, haze;
  float hazeAmount;
};

// One bough from the trunk outward: it droops toward its tip and is hung with tufts of
// needles, light on top where the sky and sun reach them and dark underneath.
void PaintFirBough(Image& image, const FirLook& look, float rootX, float rootY, float length, float side,
                   float light, float needle, Rng& rng) {
  float droop = rng.Range(0.12f, 0.42f), lift = rng.Range(0.0f, 0.18f);
  auto at = [&](float t, float& x, float& y) {
    x = rootX + side * length * t;
    y = rootY + length * (-lift * t + droop * t * t);
  };
  // Mass first: dark clumps under the twig, so the bough reads as a solid skirt.
  for (float t = 0.1f; t <= 1.0f; t += 0.18f) {
    float x, y;
    at(t, x, y);
    float r = std::fmin(needle * (1.2f + 2.0f * (1 - t)), length * 0.3f * (1 - t) + needle * 0.4f);
    Rgb c = Mix(Mix(look.dark, look.light, light * 0.25f), look.haze, look.hazeAmount);
    FillEllipse(image, x, y + r * 0.4f, r * 1.2f, r * 0.7f, 0, c, 1.0f);
  }
  int tufts = std::max(4, int(length / needle * 3.0f));
  for (int k = 0; k < tufts; ++k) {
    float t = std::pow(rng.Unit(), 0.75f), x, y;
    at(t, x, y);
    float reach = std::fmin(needle * (1.2f + 2.2f * (1 - t)), length * 0.5f + needle * 0.5f) * rng.Range(0.6f, 1.2f);
    float down = rng.Range(-0.4f, 1.0f);
    float top = Clamp01(0.55f - down * 0.6f);
    float tone = Clamp01(light * (0.25f + 0.75f * top) * (0.75f + 0.25f * t) + rng.Range(-0.1f, 0.1f));
    Rgb c = Mix(Mix(look.dark, look.light, tone), look.haze, look.hazeAmount);
    float ex = x + side * reach * rng.Range(0.2f, 0.8f), ey = y + reach * down;
    FillCapsule(image, x, y, ex, ey, needle * 0.55f, needle * 0.25f, c, 1.0f);
  }
}

// Far trees are too small for boughs: a ragged spire, lit on its left.
void PaintFirSpire(Image& image, const FirLook& look, float cx, float baseRow, float height, float halfWidth,
                   uint32_t seed) {
  int x0 = int(cx - halfWidth - 2), x1 = int(cx + halfWidth + 2), y0 = int(baseRow - height - 1);
  for (int y = std::max(0, y0); y <= int(baseRow) && y < image.height; ++y) {
    float rise = (baseRow - float(y)) / height;
    if (rise > 1) continue;
    float reach = halfWidth * std::pow(1 - rise, 0.85f) * (0.7f + 0.45f * std::fabs(GradientNoise(rise * 6, 0.5f, seed)));
    for (int x = std::max(0, x0); x <= x1 && x < image.width; ++x) {
      float dx = float(x) + 0.5f - cx;
      float coverage = Clamp01(reach - std::fabs(dx) + 0.5f);
      if (coverage <= 0) continue;
      Rgb c = Mix(Mix(look.dark, look.light, Clamp01(0.4f - dx / (halfWidth + 1) * 0.5f)), look.haze, look.hazeAmount);
      Over(image, x, y, c, coverage);
    }
  }
}

}  // namespace

void PaintConifer(Image& image, float cx, float baseRow, float height, float halfWidth, Rgb dark, Rgb light,
                  Rgb haze, float hazeAmount, uint32_t seed) {
  FirLook look{dark, light, haze, hazeAmount};
  if (height < 14) {
    PaintFirSpire(image, look, cx, baseRow, height, halfWidth, seed);
    return;
  }
  Rng rng(seed);
  // Every tree its own: a slight lean, spruces narrow and firs broad, now and then a thin crown
  // or a gap where a whorl of boughs has died.
  float lean = rng.Range(-0.05f, 0.05f) * height;
  float breadth = rng.Range(0.8f, 1.15f), sparse = rng.Range(0.0f, 0.35f);
  float needle = std::fmax(0.8f, height / 50);
  Rgb bark = Mix(Mix(MakeRgb(0x2A1E16), dark, 0.4f), haze, hazeAmount);
  FillCapsule(image, cx, baseRow, cx + lean, baseRow - height * 0.94f, std::fmax(0.6f, halfWidth * 0.07f), 0.4f, bark, 1.0f);
  float step = height * rng.Range(0.04f, 0.06f);
  for (float y = baseRow - height * rng.Range(0.05f, 0.14f); y > baseRow - height * 0.96f;) {
    float rise = (baseRow - y) / height;
    float trunkX = cx + lean * rise;
    float span = halfWidth * breadth * std::pow(1 - rise, 0.85f) * rng.Range(0.7f, 1.15f) + needle;
    bool dead = rise > 0.15f && rise < 0.8f && rng.Unit() < sparse * 0.25f;
    for (int b = 0; b < 4 && !dead; ++b) {
      float side = b % 2 ? 1.0f : -1.0f;
      // Boughs toward the viewer look shorter and sit in front, lit more than those behind.
      float length = span * (b < 2 ? rng.Range(0.75f, 1.1f) : rng.Range(0.25f, 0.55f));
      float light = (side < 0 ? rng.Range(0.9f, 1.15f) : rng.Range(0.45f, 0.7f)) * (b < 2 ? 1.0f : 0.85f);
      PaintFirBough(image, look, trunkX, y + rng.Range(-1.0f, 1.0f) * needle, length, side, light, needle, rng);
    }
    y -= step * rng.Range(0.75f, 1.25f) * (1 - 0.45f * rise);
  }
  // The leader shoot.
  Rgb tip = Mix(Mix(dark, light, 0.5f), haze, hazeAmount);
  FillCapsule(image, cx + lean * 0.94f, baseRow - height * 0.9f, cx + lean, baseRow - height, needle * 0.6f, needle * 0.3f, tip, 1.0f);
}

void PaintForest(Image& image, const Ridge& ridge, const ForestLook& look) {
  // The forest floor first, then rows of crowns back to front along the hill line.
  for (int x = 0; x < image.width; ++x) {
    float crest = CrestRow(ridge, float(x) + 0.5f) + look.treeHeight * 0.3f;
    for (int y = std::max(0, int(std::floor(crest))); y < image.height && y < look.floorRow + 2; ++y) {
      float n = Fbm(float(x) / 9.0f, float(y) / 7.0f, 3, look.seed + 3) * 0.5f + 0.5f;
      Rgb c = Mix(look.dark, Mix(look.dark, look.light, 0.4f), n);
      float mist = look.mistRows > 0 ? Smoothstep(look.floorRow - look.mistRows, look.floorRow, float(y)) : 0;
      c = Mix(c, look.haze, Clamp01(look.hazeAmount + (1 - look.hazeAmount) * mist * 0.85f));
      Paint(image, x, y, c, Clamp01(float(y) + 1.0f - crest));
    }
  }
  Rng rng(look.seed);
  for (int row = 0; row < 3; ++row) {
    float drop = float(row) * look.treeHeight * 0.22f;
    for (float cx = -look.spacing; cx < float(image.width) + look.spacing; cx += look.spacing * rng.Range(0.5f, 1.4f)) {
      float height = look.treeHeight * rng.Range(0.55f, 1.2f) * (rng.Unit() < 0.1f ? 1.35f : 1.0f);
      float base = CrestRow(ridge, cx) + look.treeHeight * 0.3f + drop + rng.Range(0, 4);
      float mist = look.mistRows > 0 ? Smoothstep(look.floorRow - look.mistRows, look.floorRow, base) : 0;
      float haze = Clamp01(look.hazeAmount * (1 - float(row) * 0.15f) + (1 - look.hazeAmount) * mist * 0.25f);
      Rgb tint = Mix(look.dark, look.light, rng.Range(0.0f, 0.35f));
      PaintConifer(image, cx, base, height, look.treeWidth * 0.5f * rng.Range(0.8f, 1.2f), look.dark * 0.9f,
                   Mix(tint, look.light, 0.6f), look.haze, haze, rng.Next());
    }
  }
}

void PaintBank(Image& image, const std::function<float(float)>& topRow, Rgb near, Rgb far, uint32_t seed) {
  std::vector<float> tops(size_t(image.width));
  float highest = float(image.height);
  for (int x = 0; x < image.width; ++x) {
    tops[size_t(x)] = topRow(float(x) + 0.5f);
    highest = std::fmin(highest, tops[size_t(x)]);
  }
  for (int x = 0; x < image.width; ++x) {
    float top = tops[size_t(x)];
    // Tufts of grass break the edge.
    float tuft = std::fmax(0.0f, Fbm(float(x) / 2.5f, 0.5f, 2, seed + 20)) * 9.0f;
    float edge = top - tuft;
    for (int y = std::max(0, int(std::floor(edge))); y < image.height; ++y) {
      float t = Smoothstep(top - 40, float(image.height), float(y));
      float scale = 30.0f + 120.0f * t;
      // Patches of lusher and drier grass, flattened by distance.
      float patches = Fbm(float(x) / scale, float(y) / scale * (2.5f - 1.5f * t), 4, seed);
      float grain = Fbm(float(x) / 1.7f, float(y) / 1.7f, 2, seed + 9);
      float rim = Smoothstep(edge + 14, edge, float(y)) * 0.12f;
      Rgb c = Mix(far, near, t) * (0.82f + patches * (0.14f + 0.22f * t) + grain * 0.06f + rim);
      c = Mix(c, MakeRgb(0xA8A448) * (0.6f + 0.4f * t), Clamp01(patches - 0.25f) * 0.35f);
      Paint(image, x, y, c, Clamp01(float(y) + 1 - edge));
    }
  }
  // Blades: short strokes, light and dark, longer toward the viewer, which is what makes
  // a meadow read as grass rather than cloth.
  Rng rng(seed + 31);
  int strokes = int(float(image.width) * (float(image.height) - highest) * 0.22f);
  for (int k = 0; k < strokes; ++k) {
    float x = rng.Range(0, float(image.width)), y = rng.Range(highest, float(image.height) + 12);
    float top = tops[size_t(std::clamp(int(x), 0, image.width - 1))];
    float t = Smoothstep(top - 40, float(image.height), y);
    float length = (1.5f + 12 * t * t) * rng.Range(0.6f, 1.3f);
    if (y - length < top + 2) continue;
    float lean = rng.Range(-0.4f, 0.4f) * length;
    Rgb c = Mix(far, near, t) * rng.Range(0.7f, 1.3f);
    if (rng.Unit() < 0.15f) c = Mix(c, MakeRgb(0xC8C060), 0.35f);
    FillCapsule(image, x, y, x + lean, y - length, 0.35f + 0.6f * t, 0.15f, c, 0.45f + 0.4f * t);
  }
}

void PaintShrubs(Image& image, const std::function<float(float)>& topRow, float fromX, float toX, float size,
                 Rgb dark, Rgb light, uint32_t seed) {
  Rng rng(seed);
  for (float x = fromX; x < toX; x += size * rng.Range(0.5f, 1.1f)) {
    float base = topRow(x) + size * 0.3f, r = size * rng.Range(0.5f, 0.9f);
    // A dome of small leaf blobs, back ones darker, those toward the light lighter.
    // Leaves stay leaf-sized however big the bush: larger bushes get more of them.
    float leaf = std::fmin(r * 0.17f, 5.5f);
    int count = std::clamp(int(2.5f * (r / leaf) * (r / leaf)), 40, 600);
    for (int k = 0; k < count; ++k) {
      float a = rng.Range(3.1415927f, 6.2831853f), d = std::sqrt(rng.Unit()) * r;
      float bx = x + std::cos(a) * d * 1.2f, by = base + std::sin(a) * d;
      float lit = Clamp01(0.45f - std::cos(a) * 0.25f * d / r + (base - by) / r * 0.3f + rng.Range(-0.2f, 0.2f));
      float blob = leaf * rng.Range(0.7f, 1.3f);
      FillEllipse(image, bx, by, blob, blob * 0.7f, rng.Range(-1.0f, 1.0f),
                  Mix(dark, light, lit * (0.4f + 0.6f * float(k) / float(count - 1))), 1.0f);
    }
  }
}

void PaintRock(Image& image, const std::function<float(float)>& topRow, float bottomRow, const RockLook& look) {
  int w = image.width, rows = std::min(image.height, int(bottomRow) + 1);
  std::vector<float> tops(static_cast<size_t>(w));
  int first = rows;
  for (int x = 0; x < w; ++x) {
    tops[size_t(x)] = topRow(float(x) + 0.5f);
    first = std::min(first, std::max(0, int(std::floor(tops[size_t(x)]))));
  }
  if (first >= rows) return;
  // Relief first, then light from its differences: one noise evaluation per pixel.
  int h = rows - first;
  std::vector<float> relief(size_t(w) * size_t(h));
  for (int y = first; y < rows; ++y)
    for (int x = 0; x < w; ++x) {
      float warp = Fbm(float(x) / 90, float(y) / 90, 2, look.seed + 5) * 0.8f;
      float layered = Fbm(float(x) / 160, float(y) / 16 + warp, 5, look.seed);
      float blocky = RidgedFbm(float(x) / 55, float(y) / 55, 5, look.seed + 9);
      relief[size_t(y - first) * size_t(w) + size_t(x)] = Lerp(blocky, layered * 0.5f + 0.5f, look.strata);
    }
  auto at = [&](int x, int y) {
    x = std::clamp(x, 0, w - 1);
    y = std::clamp(y, first, rows - 1);
    return relief[size_t(y - first) * size_t(w) + size_t(x)];
  };
  for (int x = 0; x < w; ++x) {
    float top = tops[size_t(x)];
    for (int y = std::max(0, int(std::floor(top))); y < rows; ++y) {
      float dx = at(x + 1, y) - at(x - 1, y), dy = at(x, y + 1) - at(x, y - 1);
      float light = Clamp01(0.55f - (dx + dy * 0.7f) * 9.0f + (at(x, y) - 0.5f) * 0.4f);
      Rgb c = Mix(look.dark, look.light, light);
      // Moss gathers where the relief faces up: ledges and the tops of blocks.
      float moss = Smoothstep(0.0f, 0.05f, dy) * Smoothstep(-0.2f, 0.3f, Fbm(float(x) / 25, float(y) / 25, 3, look.seed + 2));
      c = Mix(c, look.moss * (0.6f + light * 0.6f), moss * look.mossAmount);
      c = Mix(c, look.haze, look.hazeAmount);
      Paint(image, x, y, c, Clamp01(float(y) + 1 - top));
    }
  }
}

void PaintReflection(Image& image, int waterRow, int bottomRow, Rgb waterTint, float strength, uint32_t seed) {
  Image source = image;
  for (int y = waterRow; y < bottomRow && y < image.height; ++y) {
    float distance = float(y - waterRow);
    float t = distance / float(std::max(1, bottomRow - waterRow));
    for (int x = 0; x < image.width; ++x) {
      float wobble = Fbm(float(x) / 90.0f, distance / (3.0f + distance * 0.08f), 3, seed) * (1.5f + distance * 0.06f);
      int sx = std::clamp(int(float(x) + wobble * 2.0f), 0, image.width - 1);
      int sy = std::clamp(int(float(waterRow) - distance * 1.05f - 1 + wobble), 0, image.height - 1);
      float* p = image.At(x, y);
      if (p[3] >= 0.999f) continue;  // land in front of the water stays as it is
      Rgb mirrored = source.ColorAt(sx, sy);
      float solid = source.AlphaAt(sx, sy);
      Rgb c = Mix(mirrored * 0.82f, waterTint, 0.18f + 0.25f * t);
      // Mirrored land stays mostly opaque; mirrored sky lets the moving ripples through.
      float alpha = Lerp(0.28f, 0.86f, solid) * Lerp(1.0f, 0.72f, t) * strength;
      float hole = 1 - p[3];
      for (int k = 0; k < 3; ++k) p[k] = Lerp(p[k], (&c.r)[k], hole);
      p[3] = p[3] + hole * alpha;
    }
  }
}

Image PaintWaterTexture(Rgb deep, Rgb light, Rgb glint, uint32_t seed) {
  const int w = 512, h = 256;
  Image water(w, h);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      float u = float(x) / float(w), v = float(y) / float(h);
      // Long horizontal ripples: many cells across, few down.
      float swell = Fbm(u * 3, v * 12, 5, seed, 3, 12, 0.55f);
      float ripple = Fbm(u * 8, v * 48, 3, seed + 5, 8, 48, 0.5f);
      float level = Clamp01(0.5f + swell * 0.55f + ripple * 0.35f);
      Rgb c = Mix(deep, light, level);
      float sparkle = Smoothstep(0.55f, 0.8f, ripple * 0.5f + swell * 0.6f + 0.2f);
      c = Mix(c, glint, sparkle * 0.7f);
      float* p = water.At(x, y);
      p[0] = c.r;
      p[1] = c.g;
      p[2] = c.b;
    }
  }
  return water;
}

Image PaintWaterfallTexture(Rgb shadow, Rgb foam, uint32_t seed) {
  const int w = 256, h = 512;
  Image fall(w, h);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      float u = float(x) / float(w), v = float(y) / float(h);
      // Streaks: fine across, long down; a second, coarser layer breaks them into sheets.
      float streak = Fbm(u * 32, v * 4, 4, seed, 32, 4, 0.6f);
      float sheet = Fbm(u * 6, v * 6, 4, seed + 3, 6, 6, 0.5f);
      float level = Clamp01(0.55f + streak * 0.8f + sheet * 0.35f);
      Rgb c = Mix(shadow, foam, level);
      float* p = fall.At(x, y);
      p[0] = c.r;
      p[1] = c.g;
      p[2] = c.b;
    }
  }
  return fall;
}

Image PaintSprayPuff(uint32_t seed) {
  const int size = 128;
  Image puff(size, size, {0, 0, 0}, 1.0f);
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      float dx = (float(x) + 0.5f) / size * 2 - 1, dy = (float(y) + 0.5f) / size * 2 - 1;
      float r = std::sqrt(dx * dx + dy * dy);
      float billow = Fbm(dx * 2.5f, dy * 2.5f, 4, seed) * 0.25f;
      // Black rim: the puff is added to the picture, so black is invisible and the edge never shows.
      float v = std::pow(Clamp01(1 - (r + billow) / 0.92f), 1.6f) * 0.75f;
      float* p = puff.At(x, y);
      p[0] = v * 0.92f;
      p[1] = v * 0.96f;
      p[2] = v;
    }
  }
  return puff;
}
