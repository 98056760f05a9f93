#include "props.h"

#include <cmath>

#include "content.h"
#include "landscape.h"
#include "noise.h"

namespace {

Image PaintReeds() {
  Image image(256, 256, MakeRgb(0x2A3018), 0.0f);
  Rng rng(5);
  for (int i = 0; i < 46; ++i) {
    float x = rng.Range(20, 236), lean = rng.Range(-30, 30), height = rng.Range(110, 245);
    Rgb c = Mix(MakeRgb(0x14180C), MakeRgb(0x4A4C26), rng.Unit());
    float tipX = x + lean, tipY = 256 - height;
    FillCapsule(image, x, 258, tipX, tipY, 2.6f, 0.6f, c, 1.0f);
    if (i % 5 == 0) {  // a cattail head
      float hx = Lerp(x, tipX, 0.8f), hy = Lerp(258, tipY, 0.8f);
      FillEllipse(image, hx, hy, 4, 13, std::atan2(tipY - 258, tipX - x) + 1.5708f, MakeRgb(0x3A2414), 1.0f);
    }
  }
  return image;
}

// One spruce bough from the trunk outward: a twig that rises a little and droops toward its
// tip, hung with tufts of needles that are light on top and dark underneath.
void PaintBough(Image& image, float rootX, float rootY, float length, float side, float light, Rng& rng) {
  const Rgb shade = MakeRgb(0x08140C), mid = MakeRgb(0x1E3C24), lit = MakeRgb(0x6A9650);
  auto at = [&](float t, float& x, float& y) {
    x = rootX + side * length * t;
    y = rootY + length * (-0.08f * t + 0.34f * t * t);
  };
  float px, py;
  at(0, px, py);
  for (float t = 0.04f; t <= 1.0f; t += 0.04f) {
    float x, y;
    at(t, x, y);
    FillCapsule(image, px, py, x, y, 1.6f * (1 - t) + 0.5f, 1.6f * (1 - t * 0.96f) + 0.4f, MakeRgb(0x2A1E14), 1.0f);
    px = x;
    py = y;
  }
  // Mass first: dark clumps under the twig, so the bough reads as a solid skirt.
  for (float t = 0.05f; t <= 1.0f; t += 0.06f) {
    float x, y;
    at(t, x, y);
    float r = (3 + 7 * (1 - t)) * rng.Range(0.8f, 1.1f);
    FillEllipse(image, x - side * r * 0.1f, y + r * 0.45f, r * 1.1f, r * 0.75f, rng.Range(-0.3f, 0.3f),
                Mix(shade, mid, light * 0.5f), 1.0f);
  }
  int tufts = int(length * 3.5f);
  for (int k = 0; k < tufts; ++k) {
    float t = std::pow(rng.Unit(), 0.8f) * 0.98f + 0.02f, x, y;
    at(t, x, y);
    // Needles hang below the twig and stand a little above it; tufts shrink toward the tip.
    float reach = (4 + 9 * (1 - t)) * rng.Range(0.6f, 1.1f);
    float down = rng.Range(-0.35f, 1.0f);
    float ex = x + side * reach * rng.Range(0.1f, 0.6f), ey = y + reach * down;
    float top = Clamp01(0.5f - down * 0.6f);
    float tone = Clamp01(light * (0.3f + 0.7f * top) * (0.6f + 0.4f * t) + rng.Range(-0.12f, 0.12f));
    Rgb c = tone < 0.5f ? Mix(shade, mid, tone * 2) : Mix(mid, lit, tone * 2 - 1);
    FillCapsule(image, x, y, ex, ey, 1.2f, 0.5f, c, 0.95f);
  }
}

// A tall spruce for the foreground: bark between the boughs, whorls of drooping boughs that
// shorten toward the tip, lit from the upper left.
Image PaintPine() {
  const int w = 256, h = 512;
  const float cx = 128, foot = 508, tip = 14;
  Image image(w, h, MakeRgb(0x142A18), 0.0f);
  for (int y = int(tip) + 40; y < h; ++y) {  // the trunk, round and lit from the left
    float rise = (foot - float(y)) / (foot - tip), half = 2 + 7 * (1 - rise);
    for (int x = int(cx - half - 1); x <= int(cx + half + 1); ++x) {
      float d = (float(x) + 0.5f - cx) / half;
      float bark = Fbm(float(x) / 2, float(y) / 7, 2, 93) * 0.5f + 0.5f;
      Rgb c = Mix(MakeRgb(0x1A120C), MakeRgb(0x54463A), Clamp01(0.6f - d * 0.5f) * (0.6f + bark * 0.5f));
      Over(image, x, y, c, Clamp01((1 - std::fabs(d)) * half + 0.5f));
    }
  }
  Rng rng(91);
  // Bottom whorls first: each whorl above hangs its needles over the one below.
  for (float y = foot - 40; y > tip; y -= Lerp(5.0f, 12.0f, (y - tip) / (foot - tip)) * rng.Range(0.8f, 1.2f)) {
    float rise = (foot - y) / (foot - tip);
    float span = 112 * std::pow(1 - rise, 0.9f) + 2;
    for (int b = 0; b < 6; ++b) {
      float side = b % 2 ? 1.0f : -1.0f;
      // Boughs pointing toward or away from the viewer look shorter.
      float length = span * (b < 2 ? rng.Range(0.6f, 1.1f) : rng.Range(0.25f, 0.6f));
      float light = side < 0 ? rng.Range(0.95f, 1.25f) : rng.Range(0.5f, 0.75f);
      if (b >= 4) light *= 0.6f;  // boughs behind the trunk
      PaintBough(image, cx + side * rng.Range(0, 2), y + rng.Range(-3, 3), std::fmax(4, length), side, light, rng);
    }
  }
  // A leader shoot crowns the tree.
  FillCapsule(image, cx, tip + 22, cx + 1, tip - 4, 1.6f, 0.6f, MakeRgb(0x2E4A26), 1.0f);
  return image;
}

Image PaintMoon() {
  const int size = 128;
  Image image(size, size, MakeRgb(0xE8ECF4), 0.0f);
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      float dx = (float(x) + 0.5f - 64) / 22, dy = (float(y) + 0.5f - 64) / 22;
      float r = std::sqrt(dx * dx + dy * dy);
      float disc = Clamp01((1 - r) * 22 + 0.5f);
      float maria = Fbm(dx * 1.6f, dy * 1.6f, 4, 77) * 0.5f + 0.5f;
      Rgb surface = Mix(MakeRgb(0xF6F4EA), MakeRgb(0xB8BCC8), Smoothstep(0.5f, 0.75f, maria));
      float glow = 0.45f * std::exp(-(r - 1) * 1.1f) * (r > 1 ? 1 : 0);
      float* p = image.At(x, y);
      Rgb c = Mix(MakeRgb(0xC8D4F0), surface, disc);
      p[0] = c.r;
      p[1] = c.g;
      p[2] = c.b;
      p[3] = Clamp01(disc + glow * Clamp01((64 - r * 22) / 40));
    }
  }
  return image;
}

Image PaintBirch() {
  Image image(64, 512, MakeRgb(0xE8E4DA), 0.0f);
  Rng rng(13);
  for (int y = 0; y < 512; ++y) {
    float half = 13 + float(y) / 512 * 6;
    for (int x = 0; x < 64; ++x) {
      float d = (float(x) + 0.5f - 32) / half;
      float coverage = Clamp01((1 - std::fabs(d)) * half + 0.5f);
      float round = 0.55f + 0.45f * std::cos(d * 1.4f - 0.5f);  // lit from the left
      float bark = Fbm(float(x) / 6, float(y) / 2.5f, 3, 21) * 0.5f + 0.5f;
      Rgb c = Mix(MakeRgb(0x9A968C), MakeRgb(0xF4F2EA), round) * (0.9f + bark * 0.15f);
      Over(image, x, y, c, coverage);
    }
  }
  // The dark lenticels and scars that make a birch a birch.
  for (int i = 0; i < 60; ++i) {
    float y = rng.Range(0, 512), x = 32 + rng.Range(-10, 10);
    FillEllipse(image, x, y, rng.Range(3, 9), rng.Range(0.8f, 2.2f), rng.Range(-0.15f, 0.15f), MakeRgb(0x24201C),
                0.85f);
  }
  return image;
}

// A rounded rock resting on the ground: lit from the upper left, moss on top, a dark foot.
Image PaintBoulder() {
  Image image(256, 128, MakeRgb(0x5A5650), 0.0f);
  for (int y = 0; y < 128; ++y) {
    for (int x = 0; x < 256; ++x) {
      float dx = (float(x) - 128) / 120, dy = (float(y) - 80) / 74;
      if (dy > 0) dy *= 1.9f;  // flattened underneath, where it sits
      float edge = Fbm(dx * 1.5f, dy * 1.5f, 4, 31) * 0.18f;
      float r = std::sqrt(dx * dx + dy * dy) + edge;
      float coverage = Clamp01((1 - r) * 60 + 0.5f);
      float bulge = std::sqrt(Clamp01(1 - r * r));
      float facets = RidgedFbm(float(x) / 40, float(y) / 40, 4, 33);
      float light = Clamp01(0.25f + bulge * 0.35f - dx * 0.3f - dy * 0.35f + facets * 0.3f);
      float moss = Smoothstep(0.0f, 0.4f, -dy * 0.8f + Fbm(float(x) / 30, float(y) / 30, 4, 35) * 0.7f);
      Rgb c = Mix(MakeRgb(0x24221E), MakeRgb(0xA49E92), light);
      c = Mix(c, Mix(MakeRgb(0x28341A), MakeRgb(0x74863A), light), moss * 0.65f);
      Over(image, x, y, c * Lerp(1.0f, 0.55f, Smoothstep(0.2f, 0.9f, dy)), coverage);
    }
  }
  return image;
}

Image PaintFlock() {
  Image image(256, 128, MakeRgb(0x202024), 0.0f);
  Rng rng(41);
  for (int i = 0; i < 9; ++i) {
    float x = 30 + float(i) * 22 + rng.Range(-6, 6), y = 40 + std::fabs(float(i) - 4) * 9 + rng.Range(-5, 5);
    float span = rng.Range(7, 10), lift = rng.Range(-3, 3);
    FillCapsule(image, x - span, y - 3 + lift, x, y, 0.6f, 1.3f, MakeRgb(0x202024), 1.0f);
    FillCapsule(image, x, y, x + span, y - 3 - lift, 1.3f, 0.6f, MakeRgb(0x202024), 1.0f);
  }
  return image;
}

Image PaintSunGlow(Rgb color) {
  const int size = 256;
  Image image(size, size, color, 0.0f);
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      float dx = (float(x) + 0.5f - 128) / 128, dy = (float(y) + 0.5f - 128) / 128;
      float r = std::sqrt(dx * dx + dy * dy);
      float core = Clamp01((0.12f - r) * 128 + 0.5f);
      float halo = std::pow(Clamp01(1 - r), 2.5f) * 0.6f;
      float* p = image.At(x, y);
      Rgb c = Mix(color, MakeRgb(0xFFFCF0), Clamp01(core + halo * 0.5f));
      p[0] = c.r;
      p[1] = c.g;
      p[2] = c.b;
      p[3] = Clamp01(core + halo);
    }
  }
  return image;
}

// A sunlit valley seen through the arch of the gorge; opaque, it lies behind the background.
Image PaintVista() {
  Image image(256, 256);
  SkyLook sky{MakeRgb(0x6A9AD0), MakeRgb(0xE0E8E8), MakeRgb(0xFFFFFF), MakeRgb(0xB8C0CC), 0.3f, 0, 51};
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) Paint(image, x, y, SkyGradient(sky, float(y) / 150.0f), 1);
  Ridge far{120, 40, 90, 0.7f, 52};
  PaintRange(image, far, {MakeRgb(0x9AA8C0), MakeRgb(0x60708C), MakeRgb(0xC8D4E0), 0.45f, 30, 170, 95, 1, 0.6f});
  Ridge hills{175, 25, 120, 0.2f, 53};
  PaintRange(image, hills, {MakeRgb(0x8AA860), MakeRgb(0x3E5A34), MakeRgb(0xC8D4E0), 0.35f, 40, 256, -1, 1, 0.7f});
  return image;
}

Image PaintRockTexture() {
  Image image(128, 128);
  for (int y = 0; y < 128; ++y)
    for (int x = 0; x < 128; ++x) {
      float n = RidgedFbm(float(x) / 32, float(y) / 32, 5, 61, 4, 4);
      Paint(image, x, y, Mix(MakeRgb(0x4A4640), MakeRgb(0xB0A898), n), 1);
    }
  return image;
}

}  // namespace

void AddPropPictures(Content& content) {
  AddPicture(content, "reeds", "reeds.tga", PictureFormat::Tga, PaintReeds());
  AddPicture(content, "pine", "pine.tga", PictureFormat::AlphaPair, PaintPine());
  AddPicture(content, "moon", "moon.tga", PictureFormat::AlphaPair, PaintMoon());
  AddPicture(content, "birch", "birch.tga", PictureFormat::AlphaPair, PaintBirch());
  AddPicture(content, "boulder", "boulder.tga", PictureFormat::AlphaPair, PaintBoulder());
  AddPicture(content, "flock", "flock.tga", PictureFormat::Tga, PaintFlock());
  AddPicture(content, "sunglow", "sunglow.tga", PictureFormat::AlphaPair, PaintSunGlow(MakeRgb(0xFFC070)));
  AddPicture(content, "vista", "vista.jpg", PictureFormat::Jpeg, PaintVista());
  AddPicture(content, "rock", "rock.jpg", PictureFormat::Jpeg, PaintRockTexture());
  AddPicture(content, "podsvet", "podsvet.jpg", PictureFormat::Jpeg, PaintSunGlow(MakeRgb(0x402010)));
}
