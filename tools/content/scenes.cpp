#include "scenes.h"

#include <cmath>
#include <functional>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "cliffs.h"
#include "content.h"
#include "landscape.h"
#include "noise.h"

namespace {

constexpr int kWidth = 800, kHeight = 600;

struct SceneBuilder {
  Content& content;
  Scene scene;
  std::string suffix;  // makes this scene's layer entry names unique

  SceneBuilder(Content& c, int index);

  // The sky layer and the background's matching base: all of the picture starts as a hole
  // coloured like the sky, so compressed edges blend toward the right colour.
  void Sky(const SkyLook& look, float bottomRow) {
    scene.background = Image(kWidth, kHeight);
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x) Paint(scene.background, x, y, SkyGradient(look, float(y) / bottomRow), 1, 0);
    std::string entry = "sky" + suffix;
    AddPicture(content, entry, entry + ".jpg", PictureFormat::Jpeg, PaintSkyTexture(look, 1024, 512));
    Place(scene, entry, 0, 0, kWidth, bottomRow);
  }

  void Water(Rgb deep, Rgb light, Rgb glint, float topRow, float bottomRow, float flowX, float flowY,
             float left = 0, float right = kWidth) {
    std::string entry = "water" + suffix;
    if (!FindPicture(content, entry))
      AddPicture(content, entry, entry + ".jpg", PictureFormat::Jpeg, PaintWaterTexture(deep, light, glint, 300 + uint32_t(scene.placements.size())));
    Place(scene, entry, left, topRow, right, bottomRow);
    scene.placements.back().param0 = flowX;
    scene.placements.back().param1 = flowY;
  }

  void Waterfall(float left, float top, float right, float bottom, float speed) {
    Place(scene, "waterfall", left, top, right, bottom);
    scene.placements.back().param1 = speed;
  }

  PlacementRecord& Prop(const std::string& entry, float left, float top, float right, float bottom) {
    Place(scene, entry, left, top, right, bottom);
    return scene.placements.back();
  }

  // Leaves sway about the middle of their left edge (the right edge when mirrored), so a
  // branch is placed with that edge on the border of the screen.
  void Branch(const std::string& entry, float top, float width, float height, bool fromRight, float darken) {
    float left = fromRight ? kWidth - width + 20 : -20;
    PlacementRecord& p = Prop(entry, left, top, left + width, top + height);
    p.mirror = fromRight;
    p.param0 = darken;
  }

  Image& Picture() { return scene.background; }
  void Finish() { content.scenes.push_back(std::move(scene)); }
};

// Cuts a falling-water slot: a hole between two ragged edges, soft where rock overhangs.
void CutFall(Image& image, float centre, float topRow, float bottomRow, float topHalf, float bottomHalf,
             uint32_t seed) {
  for (int y = int(topRow); y < int(bottomRow); ++y) {
    float t = (float(y) - topRow) / (bottomRow - topRow);
    float half = Lerp(topHalf, bottomHalf, t);
    float wobble = Fbm(float(y) / 30, 0.5f, 4, seed) * 6;
    for (int x = int(centre - half - 4); x <= int(centre + half + 4); ++x) {
      float d = std::fabs(float(x) + 0.5f - centre - wobble) - half;
      float coverage = Clamp01(0.5f - d / 2.5f) * Smoothstep(topRow, topRow + 6, float(y));
      Paint(image, x, y, MakeRgb(0xD8E0E4), coverage, 0);
    }
  }
}

void LakeAtDawn(Content& content, int index);
void WaterfallGlen(Content& content, int index);
void ForestBrook(Content& content, int index);
void MountainValley(Content& content, int index);
void EveningShore(Content& content, int index);
void BirchGrove(Content& content, int index);
void RockyGorge(Content& content, int index);
void NightLake(Content& content, int index);

struct SceneKind {
  const char* title;
  AmbientKind ambient;
  void (*paint)(Content&, int index);
};

const SceneKind kScenes[] = {
    {"misty lake at dawn", kAmbientBirds, LakeAtDawn},
    {"waterfall glen", kAmbientWaterfall, WaterfallGlen},
    {"forest brook", kAmbientBrook, ForestBrook},
    {"mountain valley", kAmbientBirds, MountainValley},
    {"evening shore", kAmbientBrook, EveningShore},
    {"birch grove", kAmbientBirds, BirchGrove},
    {"rocky gorge", kAmbientWaterfall, RockyGorge},
    {"night lake", kAmbientNone, NightLake},
};
constexpr int kSceneCount = int(sizeof kScenes / sizeof kScenes[0]);

SceneBuilder::SceneBuilder(Content& c, int index) : content(c) {
  scene.title = kScenes[index].title;
  scene.ambient = kScenes[index].ambient;
  suffix = std::to_string(index);
}

// Semi-transparent paint over water already in the background: foam, glitter, shade.
void Glaze(Image& image, int x, int y, Rgb c, float alpha) {
  if (x < 0 || y < 0 || x >= image.width || y >= image.height) return;
  float* p = image.At(x, y);
  float a = Clamp01(alpha);
  float out = p[3] + (1 - p[3]) * a;
  for (int k = 0; k < 3; ++k) p[k] = Lerp(p[k], (&c.r)[k], a);
  p[3] = out;
}

// A path of broken light on water below a low sun or the moon.
void GlitterPath(Image& image, float cx, int fromRow, int toRow, float spread, Rgb c, uint32_t seed) {
  for (int y = fromRow; y < toRow; ++y) {
    float t = float(y - fromRow) / float(toRow - fromRow);
    float half = spread * (0.25f + t);
    for (int x = int(cx - half * 2); x < int(cx + half * 2); ++x) {
      float d = (float(x) - cx) / half;
      float sparkle = Smoothstep(0.05f, 0.45f, Fbm(float(x) / (6 + 10 * t), float(y) / (1.2f + 2 * t), 3, seed));
      Glaze(image, x, y, c, sparkle * std::exp(-d * d) * (1 - t * 0.5f));
    }
  }
}

// Darkens the water along its edges, where the banks shade it.
void ShoreShade(Image& image, int fromRow, int toRow, Rgb c, float strength) {
  Image before = image;
  for (int y = fromRow; y < toRow && y < image.height; ++y)
    for (int x = 0; x < image.width; ++x) {
      if (before.AlphaAt(x, y) > 0.95f) continue;
      float nearLand = 0;
      for (int d = 3; d <= 24; d += 7) {
        nearLand = std::fmax(nearLand, before.AlphaAt(std::max(0, x - d), y) > 0.95f ? 1 - float(d) / 30 : 0);
        nearLand = std::fmax(nearLand, before.AlphaAt(std::min(image.width - 1, x + d), y) > 0.95f ? 1 - float(d) / 30 : 0);
        nearLand = std::fmax(nearLand, before.AlphaAt(x, std::max(0, y - d / 2)) > 0.95f ? 1 - float(d) / 30 : 0);
      }
      Glaze(image, x, y, c, nearLand * strength);
    }
}

void LakeAtDawn(Content& content, int index) {
  SceneBuilder s(content, index);
  SkyLook sky{MakeRgb(0x3E5488), MakeRgb(0xF8C8A0), MakeRgb(0xFFE4CC), MakeRgb(0x86749A), 0.45f, 0, 101};
  s.Sky(sky, 345);
  Rgb haze = MakeRgb(0xE4C0B4);
  Image& bg = s.Picture();
  // The low sun on the left catches the snow of the far peaks (alpenglow); their shaded faces
  // stay blue and the nearer ridge is darker, the valley between them full of mist.
  PaintRange(bg, {236, 90, 300, 0.85f, 11}, {MakeRgb(0xFFC8B0), MakeRgb(0x6A6C9C), haze, 0.28f, 70, 330, 215, 1, 1.0f});
  PaintRange(bg, {288, 34, 260, 0.5f, 12}, {MakeRgb(0x8A7C98), MakeRgb(0x2E3458), haze, 0.12f, 40, 338, -1, 1, 0.9f});
  PaintForest(bg, {322, 10, 260, 0.2f, 13}, {MakeRgb(0x141C28), MakeRgb(0x38404E), haze, 0.08f, 30, 12, 8, 342, 8, 14});
  PaintReflection(bg, 340, 600, MakeRgb(0x5A6488), 1.0f, 15);
  PaintBank(bg, [](float x) { return 440 + 170 * std::pow(Smoothstep(-40, 300, x), 1.6f) + 8 * std::sin(x / 29); },
            MakeRgb(0x3A3C22), MakeRgb(0x262A26), 16);
  ShoreShade(bg, 340, 600, MakeRgb(0x2A3040), 0.35f);
  s.Water(MakeRgb(0x5A6690), MakeRgb(0xC8B0B8), MakeRgb(0xFFE6D0), 335, 600, 2, 4);
  s.Prop("flock", 470, 90, 600, 155);
  s.Prop("reeds", -30, 380, 230, 620);
  s.Prop("reeds", 640, 470, 830, 610).mirror = true;
  s.Branch("leaves2", -40, 440, 220, true, 60);
  s.Finish();
}

void WaterfallGlen(Content& content, int index) {
  SceneBuilder s(content, index);
  SkyLook sky{MakeRgb(0x4A7CC0), MakeRgb(0xD0E2EE), MakeRgb(0xFFFFFF), MakeRgb(0x9AA8BE), 0.5f, 0, 202};
  s.Sky(sky, 240);
  Rgb haze = MakeRgb(0xC0D4DC);
  Image& bg = s.Picture();
  PaintRange(bg, {150, 35, 260, 0.6f, 20}, {MakeRgb(0x90A8B0), MakeRgb(0x587088), haze, 0.45f, 0, 600, -1, 1, 0.7f});
  PaintForest(bg, {178, 20, 300, 0.3f, 21}, {MakeRgb(0x22382C), MakeRgb(0x5A7A60), haze, 0.35f, 30, 14, 9, 600, 0, 22});
  PaintForest(bg, {205, 22, 200, 0.3f, 24}, {MakeRgb(0x142414), MakeRgb(0x486A2C), haze, 0.06f, 40, 18, 10, 600, 0, 25});
  // The cliff behind the fall, darker where the spray keeps it wet.
  auto cliffTop = [](float x) { return 238 + 10 * std::sin(x / 41) + 6 * std::sin(x / 13); };
  PaintRock(bg, cliffTop, 600, {MakeRgb(0x1A1A16), MakeRgb(0x84806E), MakeRgb(0x3E5E1E), 0.7f, 0.6f, haze, 0.0f, 26});
  PaintShrubs(bg, cliffTop, 0, 340, 22, MakeRgb(0x10200C), MakeRgb(0x4E7424), 261);
  PaintShrubs(bg, cliffTop, 470, 800, 22, MakeRgb(0x10200C), MakeRgb(0x4E7424), 262);
  for (int y = 236; y < 470; ++y)
    for (int x = 320; x < 480; ++x) Glaze(bg, x, y, MakeRgb(0x1A1E1A), 0.45f * std::exp(-std::pow((float(x) - 400) / 60, 2)));
  CutFall(bg, 400, 238, 462, 36, 50, 27);
  // The plunge pool: it widens toward the viewer between ragged rock shelves.
  for (int y = 452; y < 600; ++y)
    for (int x = 0; x < 800; ++x) {
      float half = 70 + float(y - 452) * 1.9f;
      float d = std::fabs(float(x) + 0.5f - 400) - half - Fbm(float(x) / 16, float(y) / 8, 3, 32) * 14;
      Paint(bg, x, y, MakeRgb(0x2A4A44), Clamp01(0.5f - d / 2) * Smoothstep(452, 458, float(y)), 0);
    }
  PaintReflection(bg, 455, 600, MakeRgb(0x2A4A44), 0.9f, 28);
  for (int y = 452; y < 520; ++y)  // foam where the fall strikes the pool
    for (int x = 320; x < 480; ++x) {
      float n = Fbm(float(x) / 9, float(y) / 4, 3, 31) * 0.5f + 0.5f;
      float fade = std::exp(-std::pow((float(x) - 400) / 60, 2)) * Smoothstep(520, 458, float(y));
      Glaze(bg, x, y, MakeRgb(0xF0F4F4), Smoothstep(0.35f, 0.7f, n) * fade * 0.85f);
    }
  auto leftBank = [](float x) { return 300 + 300 * std::pow(Clamp01(x / 330), 2.2f) + 10 * std::sin(x / 23); };
  auto rightBank = [](float x) { return 320 + 280 * std::pow(Clamp01((800 - x) / 300), 2.2f) + 8 * std::sin(x / 19); };
  PaintBank(bg, leftBank, MakeRgb(0x5E7E2C), MakeRgb(0x34481E), 29);
  PaintBank(bg, rightBank, MakeRgb(0x668632), MakeRgb(0x384C22), 30);
  PaintShrubs(bg, leftBank, -10, 300, 34, MakeRgb(0x0E1C0A), MakeRgb(0x5A8228), 291);
  PaintShrubs(bg, rightBank, 520, 810, 34, MakeRgb(0x0E1C0A), MakeRgb(0x5A8228), 292);
  ShoreShade(bg, 455, 600, MakeRgb(0x142018), 0.5f);
  s.Waterfall(340, 225, 460, 470, 28);
  s.Water(MakeRgb(0x1E3C38), MakeRgb(0x7AA0A0), MakeRgb(0xE8F4F4), 450, 600, 1, 10);
  s.Prop("spray", 345, 440, 455, 480);
  s.Prop("boulder", 500, 520, 660, 600);
  s.Prop("boulder", 170, 540, 290, 600);
  s.Branch("leaves1", -30, 430, 215, false, 40);
  s.Branch("leaves1", 400, 360, 180, true, 90);
  s.Finish();
}

void ForestBrook(Content& content, int index) {
  SceneBuilder s(content, index);
  SkyLook sky{MakeRgb(0x5A8CC8), MakeRgb(0xE4ECE8), MakeRgb(0xFFFFFF), MakeRgb(0xA8B4C0), 0.35f, 0, 303};
  s.Sky(sky, 280);
  Rgb haze = MakeRgb(0xCCDAD4);
  Image& bg = s.Picture();
  PaintRange(bg, {205, 30, 300, 0.25f, 31}, {MakeRgb(0x88A498), MakeRgb(0x5A7A78), haze, 0.5f, 0, 600, -1, 1, 0.5f});
  PaintForest(bg, {228, 14, 240, 0.2f, 32}, {MakeRgb(0x20362A), MakeRgb(0x587A58), haze, 0.35f, 36, 15, 9, 600, 0, 33});
  PaintForest(bg, {262, 18, 200, 0.2f, 34}, {MakeRgb(0x0E1C10), MakeRgb(0x3E6228), haze, 0.05f, 80, 26, 15, 600, 0, 35});
  auto meadow = [](float x) { return 300 + 6 * std::sin(x / 31); };
  PaintBank(bg, meadow, MakeRgb(0x56742A), MakeRgb(0x2E4420), 36);
  PaintShrubs(bg, meadow, -10, 810, 26, MakeRgb(0x0C180A), MakeRgb(0x4A6E24), 361);
  // The brook winds toward the viewer, widening with nearness.
  auto centre = [](float y) { return 400 + 90 * std::sin(y / 55) * (y - 300) / 300; };
  for (int y = 302; y < 600; ++y) {
    float half = 4 + float(y - 302) * 0.42f;
    for (int x = 0; x < 800; ++x) {
      float d = std::fabs(float(x) + 0.5f - centre(float(y))) - half - Fbm(float(x) / 12, float(y) / 12, 3, 37) * half * 0.25f;
      float hole = Clamp01(0.5f - d / 2);
      Paint(bg, x, y, MakeRgb(0x5A6A58), hole, 0);
      Glaze(bg, x, y, MakeRgb(0x142010), hole * Smoothstep(-half * 0.7f, 0, d) * 0.65f);
    }
  }
  // Bushes on both banks and a few firs, larger with nearness, frame the brook.
  Rng rng(38);
  for (int i = 0; i < 14; ++i) {
    float y = 310 + std::pow(rng.Unit(), 1.3f) * 260, size = 10 + (y - 300) * 0.22f;
    float side = i % 2 ? 1.0f : -1.0f;
    float x = centre(y) + side * (6 + (y - 302) * 0.42f + size * rng.Range(0.6f, 1.6f));
    PaintShrubs(bg, [y](float) { return y; }, x - size, x + size, size, MakeRgb(0x0C180A), MakeRgb(0x5A7E28), rng.Next());
  }
  for (float x : {40.0f, 130.0f, 690.0f, 760.0f}) {
    float base = 330 + rng.Range(0, 60), size = (base - 300) / 100;
    PaintConifer(bg, x, base, 80 + 120 * size, 18 + 26 * size, MakeRgb(0x0C1A0E), MakeRgb(0x466A30), haze, 0.05f, rng.Next());
  }
  s.Water(MakeRgb(0x22382E), MakeRgb(0x6A8A7A), MakeRgb(0xEEF4EC), 295, 600, 0, 45);
  s.Prop("boulder", 330, 470, 450, 530);
  s.Prop("boulder", 520, 540, 720, 610);
  s.Prop("boulder", 395, 345, 435, 365);
  s.Branch("leaves", -30, 380, 190, false, 30);
  s.Branch("leaves1", 20, 360, 180, true, 60);
  s.Finish();
}

void MountainValley(Content& content, int index) {
  SceneBuilder s(content, index);
  SkyLook sky{MakeRgb(0x2E64B4), MakeRgb(0xC4DCEE), MakeRgb(0xFFFFFF), MakeRgb(0x98A6C0), 0.4f, 0, 404};
  s.Sky(sky, 330);
  Rgb haze = MakeRgb(0xB4C8DE);
  Image& bg = s.Picture();
  // Aerial perspective: the far peaks pale and blue, the nearer range darker and greener.
  PaintRange(bg, {175, 120, 360, 0.85f, 41}, {MakeRgb(0xC8BEB4), MakeRgb(0x56648A), haze, 0.32f, 40, 330, 200, 1, 1.0f});
  PaintRange(bg, {265, 60, 240, 0.55f, 42}, {MakeRgb(0x7E9258), MakeRgb(0x2A3C3E), haze, 0.14f, 30, 350, 240, 1, 0.8f});
  PaintForest(bg, {330, 22, 220, 0.3f, 43}, {MakeRgb(0x1A3020), MakeRgb(0x4E7238), haze, 0.18f, 34, 14, 9, 600, 0, 44});
  PaintBank(bg, [](float x) { return 372 + 14 * std::sin(x / 90) + 6 * std::sin(x / 23); }, MakeRgb(0x6A8E2E),
            MakeRgb(0x5A7A3A), 45);
  Rng rng(46);
  for (int i = 0; i < 26; ++i) {  // firs scattered down the meadow, larger as they near
    float base = 390 + std::pow(rng.Unit(), 1.5f) * 230, size = (base - 360) / 240;
    PaintConifer(bg, rng.Range(0, 800), base, 20 + 140 * size, 9 + 42 * size, MakeRgb(0x0E1E10), MakeRgb(0x4E7238),
                 haze, Clamp01(0.25f - size * 0.3f), rng.Next());
  }
  s.Prop("flock", 150, 120, 260, 175).mirror = true;
  PlacementRecord& pine = s.Prop("pine", 600, 230, 760, 610);
  pine.angle = -6;  // leaning out over the valley
  s.Prop("pine", 20, 300, 130, 610);
  s.Finish();
}

void EveningShore(Content& content, int index) {
  SceneBuilder s(content, index);
  SkyLook sky{MakeRgb(0x26285A), MakeRgb(0xFFA860), MakeRgb(0xFFC49A), MakeRgb(0x6A3E62), 0.5f, 0, 505};
  s.Sky(sky, 335);
  Rgb haze = MakeRgb(0xE89A78);
  Image& bg = s.Picture();
  PaintRock(bg, [](float x) { return 330 - 70 * std::pow(Smoothstep(330, 0, x), 0.8f) + 4 * std::sin(x / 17) + (x > 330 ? 40 : 0); },
            331, {MakeRgb(0x22142A), MakeRgb(0x5E3A54), MakeRgb(0x2A2A24), 0.2f, 0.5f, haze, 0.3f, 51});
  PaintReflection(bg, 331, 600, MakeRgb(0x4A3050), 1.0f, 52);
  GlitterPath(bg, 530, 333, 600, 40, MakeRgb(0xFFD8A0), 53);
  PaintRock(bg, [](float x) { return x < 560 ? 700.0f : 600 - 260 * std::pow(Smoothstep(560, 800, x), 0.7f) + 12 * std::sin(x / 13); },
            600, {MakeRgb(0x180E18), MakeRgb(0x6A4448), MakeRgb(0x2A2A1C), 0.2f, 0.3f, haze, 0.05f, 54});
  ShoreShade(bg, 331, 600, MakeRgb(0x200E20), 0.4f);
  s.Water(MakeRgb(0x3A2850), MakeRgb(0xC07060), MakeRgb(0xFFD8A8), 328, 600, 3, 6);
  s.Prop("sunglow", 440, 210, 620, 390);
  s.Prop("flock", 250, 150, 330, 190);
  s.Finish();
}

void BirchGrove(Content& content, int index) {
  SceneBuilder s(content, index);
  SkyLook sky{MakeRgb(0x6A9AD4), MakeRgb(0xEAF0EA), MakeRgb(0xFFFFFF), MakeRgb(0xB0BCC8), 0.3f, 0, 606};
  s.Sky(sky, 320);
  Rgb haze = MakeRgb(0xD4E2E0);
  Image& bg = s.Picture();
  PaintRange(bg, {265, 40, 320, 0.2f, 61}, {MakeRgb(0x98B0A0), MakeRgb(0x6A8488), haze, 0.45f, 0, 600, -1, 1, 0.5f});
  PaintForest(bg, {300, 10, 200, 0.2f, 62}, {MakeRgb(0x2A4230), MakeRgb(0x6A8A58), haze, 0.3f, 30, 14, 9, 600, 0, 63});
  PaintBank(bg, [](float x) { return 325 + 5 * std::sin(x / 37); }, MakeRgb(0x74922E), MakeRgb(0x7A9458), 64);
  Rng rng(65);
  for (int i = 0; i < 900; ++i) {  // meadow flowers, smaller and denser with distance
    float y = 330 + std::pow(rng.Unit(), 1.6f) * 270, size = 0.6f + (y - 330) / 270 * 2.4f;
    Rgb c = rng.Unit() < 0.5f ? MakeRgb(0xF8F4E8) : (rng.Unit() < 0.6f ? MakeRgb(0xF4D040) : MakeRgb(0xB890E0));
    FillEllipse(bg, rng.Range(0, 800), y, size, size * 0.8f, 0, c, 0.9f);
  }
  // The grove's own crowns close the picture at the top; the near trunks stand in front of them.
  PaintShrubs(bg, [](float x) { return 40 + 30 * std::sin(x / 70) + 20 * std::sin(x / 23); }, -40, 840, 70,
              MakeRgb(0x24380E), MakeRgb(0x9CB844), 66);
  PaintShrubs(bg, [](float x) { return 10 + 20 * std::sin(x / 50); }, -40, 840, 60, MakeRgb(0x1C300C),
              MakeRgb(0x8AA83C), 67);
  struct Trunk {
    float left, top, width;
  };
  // None is mirrored: the bark is lit from the left like everything else in the grove.
  const Trunk trunks[] = {{90, -40, 44}, {230, -30, 26}, {330, -20, 14}, {520, -20, 18},
                          {610, -30, 36}, {720, -60, 60}, {455, -10, 10}};
  for (const Trunk& t : trunks) {
    float bottom = 335 + (t.width - 8) * 5.0f;
    // Each trunk stands in its own shadow, which ties it to the meadow.
    FillEllipse(bg, t.left + t.width * 0.9f, bottom - t.width * 0.1f, t.width * 1.6f, t.width * 0.25f, 0,
                MakeRgb(0x2A3A14), 0.55f);
    s.Prop("birch", t.left, t.top, t.left + t.width, bottom);
  }
  s.Branch("leaves2", -30, 390, 195, false, 0);
  s.Branch("leaves2", 30, 360, 180, true, 25);
  s.Branch("leaves", -60, 330, 165, true, 70);
  s.Finish();
}

void RockyGorge(Content& content, int index) {
  SceneBuilder s(content, index);
  SkyLook sky{MakeRgb(0x3A70BC), MakeRgb(0xCCDCEA), MakeRgb(0xFFFFFF), MakeRgb(0xA4A8B8), 0.35f, 0, 707};
  s.Sky(sky, 320);
  Image& bg = s.Picture();
  // Sun on the left: the right wall's faces and every buttress's nose catch it; the left wall
  // stands in its own shade.
  GorgeView view;
  WallLook walls{MakeRgb(0xE2B88A), MakeRgb(0x3A2E34), MakeRgb(0xB8C4D4), 1, 0.75f};
  // The far end: a hazy ridge where the gorge turns, with a glimpse of the valley beyond.
  PaintRange(bg, {306, 16, 90, 0.5f, 71}, {MakeRgb(0xB0B4BC), MakeRgb(0x8A90A4), MakeRgb(0xC4D0DC), 0.3f, 0, 322, -1, 1, 0.5f});
  for (int y = 314; y < 340; ++y)
    for (int x = 380; x < 530; ++x) Paint(bg, x, y, MakeRgb(0x9AB08A), Smoothstep(314, 320, float(y)), 0);
  const float left[] = {0.12f, 0.19f, 0.29f, 0.44f, 0.68f, 1.05f, 1.75f};
  const float right[] = {0.15f, 0.23f, 0.36f, 0.56f, 0.88f, 1.4f};
  size_t l = 0, r = 0;
  uint32_t seed = 720;
  std::function<float(float)> treeRim;
  while (l < std::size(left) || r < std::size(right)) {
    bool takeLeft = r >= std::size(right) || (l < std::size(left) && left[l] < right[r]);
    float side = takeLeft ? -1.0f : 1.0f, nearness = takeLeft ? left[l++] : right[r++];
    PaintButtress(bg, view, walls, side, nearness, ++seed);
    if (nearness > 0.3f && nearness < 1.2f) {  // scrub along the rims that show against the sky
      auto rim = [&view, side, nearness, seed](float x) { return ButtressRim(view, side, nearness, seed, x) - 2; };
      float inner = view.CentreAt(nearness) + side * view.rimHalf * nearness;
      float from = side < 0 ? -10 : inner, to = side < 0 ? inner : 810;
      PaintShrubs(bg, rim, from, to, 9 * nearness + 4, MakeRgb(0x14200E), MakeRgb(0x5C7A2C), seed + 50);
    }
    if (!takeLeft && nearness == right[4]) treeRim = [&view, nearness, seed](float x) { return ButtressRim(view, 1, nearness, seed, x); };
    if (!takeLeft && nearness == right[5]) CutFall(bg, 604, -4, view.FootRow(nearness) + 4, 13, 20, 73);
  }
  PaintReflection(bg, int(view.vanishRow) + 4, 600, MakeRgb(0x2E4A48), 0.75f, 75);
  // White water: the river runs fast over stones, and churns where the fall strikes it.
  for (int y = int(view.vanishRow) + 6; y < 600; ++y) {
    float nearness = view.NearnessAtRow(float(y));
    for (int x = 0; x < 800; ++x) {
      float streak = Fbm(float(x) / (14 * nearness + 2), float(y) / (3 * nearness + 1), 3, 76) * 0.5f + 0.5f;
      float nearFall = std::exp(-std::pow((float(x) - 604) / 50, 2.0f) - std::pow((float(y) - 556) / 22, 2.0f));
      float foam = Smoothstep(0.62f, 0.85f, streak) * 0.45f + Smoothstep(0.3f, 0.7f, streak) * nearFall * 0.9f;
      if (bg.AlphaAt(x, y) < 0.99f) Glaze(bg, x, y, MakeRgb(0xEEF2F0), foam);
    }
  }
  s.Prop("vista", 370, 300, 540, 344).behind = 1;
  s.Water(MakeRgb(0x1E3A38), MakeRgb(0x7EA2A0), MakeRgb(0xF2F6F4), 330, 600, 0, 34);
  s.Waterfall(580, -10, 628, 550, 42);  // wide enough for the cut's soft edges
  s.Prop("spray", 560, 535, 650, 570);
  s.Prop("boulder", 250, 560, 360, 606);
  s.Prop("boulder", 452, 452, 500, 472);
  // A fir clinging to the right rim where it shows against the sky, leaning out over the drop.
  const float pineX = 530;
  float pineFoot = treeRim(pineX) + 6;
  s.Prop("pine", pineX - 28, pineFoot - 110, pineX + 28, pineFoot).angle = 7;
  s.Finish();
}

void NightLake(Content& content, int index) {
  SceneBuilder s(content, index);
  SkyLook sky{MakeRgb(0x04081A), MakeRgb(0x1E3054), MakeRgb(0x56668A), MakeRgb(0x141C34), 0.22f, 1.0f, 808};
  s.Sky(sky, 355);
  Rgb haze = MakeRgb(0x1A2A48);
  Image& bg = s.Picture();
  PaintRange(bg, {300, 50, 400, 0.5f, 81}, {MakeRgb(0x2A3A5A), MakeRgb(0x121A30), haze, 0.3f, 20, 350, -1, -1, 0.6f});
  PaintForest(bg, {335, 14, 230, 0.2f, 82}, {MakeRgb(0x04070E), MakeRgb(0x182438), haze, 0.1f, 34, 14, 9, 352, 6, 83});
  PaintReflection(bg, 350, 600, MakeRgb(0x0E1830), 1.0f, 84);
  GlitterPath(bg, 600, 352, 600, 22, MakeRgb(0xD8E0F0), 85);
  PaintForest(bg, {560, 30, 120, 0.3f, 86}, {MakeRgb(0x020408), MakeRgb(0x0C1420), haze, 0.0f, 0, 20, 600, 600, 0, 87});
  ShoreShade(bg, 350, 600, MakeRgb(0x02040A), 0.4f);
  s.Water(MakeRgb(0x081226), MakeRgb(0x2A3E64), MakeRgb(0xB8C8E8), 345, 600, 1, 3);
  s.Prop("moon", 555, 55, 645, 145);
  s.Prop("reeds", 640, 420, 840, 610).mirror = true;
  s.Prop("reeds", -40, 480, 120, 610);
  s.Finish();
}

}  // namespace

void AddScenes(Content& content) {
  AddPicture(content, "waterfall", "waterfall.jpg", PictureFormat::Jpeg,
             PaintWaterfallTexture(MakeRgb(0x4A6470), MakeRgb(0xF2F6F8), 401));
  AddPicture(content, "spray", "spray.jpg", PictureFormat::Jpeg, PaintSprayPuff(402));
  // Scenes are independent: paint them on two threads, each into its own record, and merge
  // in scene order so the output does not depend on which thread finished first.
  std::vector<Content> parts(kSceneCount);
  std::thread helper([&parts] {
    for (int i = 1; i < kSceneCount; i += 2) kScenes[i].paint(parts[size_t(i)], i);
  });
  for (int i = 0; i < kSceneCount; i += 2) kScenes[i].paint(parts[size_t(i)], i);
  helper.join();
  for (Content& part : parts) {
    for (Picture& picture : part.pictures) content.pictures.push_back(std::move(picture));
    for (Scene& scene : part.scenes) content.scenes.push_back(std::move(scene));
  }
}

Content SceneSummary() {
  Content content;
  for (int i = 0; i < kSceneCount; ++i) {
    Scene scene;
    scene.title = kScenes[i].title;
    scene.ambient = kScenes[i].ambient;
    content.scenes.push_back(scene);
  }
  return content;
}
