#include "landscape.h"

#include <algorithm>
#include <cmath>

#include "noise.h"

Rgb SkyGradient(const SkyLook& look, float t) {
  // Most of the change happens near the horizon, as in a real sky.
  return Mix(look.top, look.horizon, std::pow(Clamp01(t), 1.8f));
}

Image PaintSkyTexture(const SkyLook& look, int width, int height) {
  Image sky(width, height);
  const int cells = 4;  // noise cells across the width: the period that makes it tile
  Rng rng(look.seed);
  for (int y = 0; y < height; ++y) {
    float t = (float(y) + 0.5f) / float(height);
    // Perspective: clouds near the horizon are farther away, so flatter and smaller.
    float squash = 1.0f + 5.0f * t * t;
    float band = Smoothstep(0.0f, 0.25f, t) * (1.0f - Smoothstep(0.75f, 0.98f, t));
    for (int x = 0; x < width; ++x) {
      float u = float(x) / float(width) * cells;
      float v = t * 2.2f * squash;
      float n = Fbm(u, v, 6, look.seed, cells, 0, 0.52f);
      float above = Fbm(u, v - 0.06f * squash, 6, look.seed, cells, 0, 0.52f);
      float density = Smoothstep(0.55f - look.cover, 1.05f - look.cover * 0.6f, n * 0.5f + 0.5f) * band;
      // Lit from above: where the density grows downward, the cloud's top catches the light.
      float light = Clamp01(0.55f + (n - above) * 3.0f + (1 - density) * 0.3f);
      Rgb cloud = Mix(look.cloudShade, look.cloudLight, light);
      Rgb c = Mix(SkyGradient(look, t), cloud, density * 0.92f);
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

void PaintRange(Image& image, const Ridge& ridge, const RangeLook& look) {
  const float scale = 1.0f / 90.0f;
  for (int x = 0; x < image.width; ++x) {
    float crest = CrestRow(ridge, float(x) + 0.5f);
    float crestSlope = CrestRow(ridge, float(x) + 2.5f) - CrestRow(ridge, float(x) - 1.5f);
    float previous = 0;
    for (int y = std::max(0, int(std::floor(crest))); y < image.height; ++y) {
      float coverage = Clamp01(float(y) + 1.0f - crest);
      float depth = float(y) - crest;
      // Rock faces: ridged noise stretched along the slope; its left-right change shades it.
      float sx = float(x) * scale, sy = float(y) * scale * 1.4f;
      float face = RidgedFbm(sx + depth * 0.004f, sy, 5, ridge.seed + 101);
      if (y == std::max(0, int(std::floor(crest)))) previous = RidgedFbm(sx - scale, sy, 5, ridge.seed + 101);
      float gradient = (face - previous) * 18.0f * look.detail;
      previous = face;
      // Near the crest the ridge's own slope decides the light; lower down the rock texture does.
      float crestLight = -crestSlope * 0.25f * look.lightFromLeft * std::exp(-depth / 40.0f);
      float shade = Clamp01(0.55f + gradient * look.lightFromLeft + crestLight + (face - 0.5f) * 0.3f * look.detail);
      Rgb c = Mix(look.shade, look.lit, shade);
      if (look.snowRow >= 0) {
        float snowLine = look.snowRow + Fbm(sx * 3, 0.5f, 4, ridge.seed + 7) * 40.0f + face * 30.0f;
        float snow = Smoothstep(snowLine + 8, snowLine - 8, float(y)) * Smoothstep(-0.3f, 0.2f, gradient + 0.2f);
        Rgb snowColor = Mix(Mix(look.shade, MakeRgb(0xB8C4E0), 0.6f), MakeRgb(0xF4F2F0), shade);
        c = Mix(c, snowColor, snow);
      }
      float mist = look.mistRows > 0 ? Smoothstep(look.floorRow - look.mistRows, look.floorRow, float(y)) : 0;
      c = Mix(c, look.haze, Clamp01(look.hazeAmount + (1 - look.hazeAmount) * mist * 0.9f));
      Paint(image, x, y, c, coverage);
    }
  }
}

void PaintForest(Image& image, const Ridge& ridge, const ForestLook& look) {
  int w = image.width;
  std::vector<float> top(size_t(w) + 1);
  std::vector<float> treeShade(size_t(w) + 1, 0.5f);
  for (int x = 0; x <= w; ++x) top[size_t(x)] = CrestRow(ridge, float(x));
  // Conifer crowns: narrow tiered triangles standing on the hill line.
  Rng rng(look.seed);
  for (float cx = -look.spacing; cx < float(w) + look.spacing; cx += look.spacing * rng.Range(0.6f, 1.3f)) {
    float height = look.treeHeight * rng.Range(0.6f, 1.25f);
    float half = look.treeWidth * 0.5f * rng.Range(0.8f, 1.2f);
    float base = CrestRow(ridge, cx) + height * 0.35f;
    for (int x = int(cx - half); x <= int(cx + half); ++x) {
      if (x < 0 || x > w) continue;
      float d = std::fabs(float(x) - cx) / half;
      float tiers = 0.12f * std::fabs(std::sin(d * 9.0f + cx));
      float row = base - height * Clamp01(1 - d - tiers);
      if (row < top[size_t(x)]) {
        top[size_t(x)] = row;
        treeShade[size_t(x)] = float(x) < cx ? 0.75f : 0.35f;
      }
    }
  }
  for (int x = 0; x < w; ++x) {
    float crest = top[size_t(x)];
    for (int y = std::max(0, int(std::floor(crest))); y < image.height; ++y) {
      float coverage = Clamp01(float(y) + 1.0f - crest);
      float n = Fbm(float(x) / 14.0f, float(y) / 9.0f, 4, look.seed + 3) * 0.5f + 0.5f;
      float light = Clamp01(treeShade[size_t(x)] * Smoothstep(crest + 40, crest, float(y)) + n * 0.5f);
      Rgb c = Mix(look.dark, look.light, light);
      float mist = look.mistRows > 0 ? Smoothstep(look.floorRow - look.mistRows, look.floorRow, float(y)) : 0;
      c = Mix(c, look.haze, Clamp01(look.hazeAmount + (1 - look.hazeAmount) * mist * 0.85f));
      Paint(image, x, y, c, coverage);
    }
  }
}

void PaintBank(Image& image, const std::function<float(float)>& topRow, Rgb near, Rgb far, uint32_t seed) {
  for (int x = 0; x < image.width; ++x) {
    float top = topRow(float(x) + 0.5f);
    for (int y = std::max(0, int(std::floor(top))); y < image.height; ++y) {
      float t = Smoothstep(top - 40, float(image.height), float(y));
      float scale = 50.0f + 150 * t;
      float n = Fbm(float(x) / scale, float(y) / scale * 2.5f, 5, seed);
      float blades = Fbm(float(x) / 2.5f, float(y) / (8.0f + 16 * t), 2, seed + 9);
      Rgb c = Mix(far, near, t) * (0.85f + n * 0.35f + blades * 0.14f * t);
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
      Rgb mirrored = source.ColorAt(sx, sy);
      float solid = source.AlphaAt(sx, sy);
      Rgb c = Mix(mirrored * 0.82f, waterTint, 0.18f + 0.25f * t);
      // Mirrored land stays mostly opaque; mirrored sky lets the moving ripples through.
      float alpha = Lerp(0.28f, 0.86f, solid) * Lerp(1.0f, 0.72f, t) * strength;
      float* p = image.At(x, y);
      p[0] = c.r;
      p[1] = c.g;
      p[2] = c.b;
      p[3] = alpha;
    }
  }
}

void CutRows(Image& image, int fromRow, int toRow, Rgb fillTop, Rgb fillBottom) {
  for (int y = std::max(0, fromRow); y < toRow && y < image.height; ++y) {
    Rgb c = Mix(fillTop, fillBottom, float(y - fromRow) / float(std::max(1, toRow - fromRow)));
    for (int x = 0; x < image.width; ++x) {
      float* p = image.At(x, y);
      p[0] = c.r;
      p[1] = c.g;
      p[2] = c.b;
      p[3] = 0;
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
