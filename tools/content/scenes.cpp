#include "scenes.h"

#include <cmath>
#include <string>

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

  PlacementSpec& Prop(const std::string& entry, float left, float top, float right, float bottom) {
    Place(scene, entry, left, top, right, bottom);
    return scene.placements.back();
  }

  // Leaves sway about the middle of their left edge (the right edge when mirrored), so a
  // branch is placed with that edge on the border of the screen.
  void Branch(const std::string& entry, float top, float width, float height, bool fromRight, float darken) {
    float left = fromRight ? kWidth - width + 20 : -20;
    PlacementSpec& p = Prop(entry, left, top, left + width, top + height);
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

struct SceneKind {
  const char* title;
  AmbientKind ambient;
  void (*paint)(Content&, int index);
};

const SceneKind kScenes[] = {
    {"misty lake at dawn", kAmbientBirds, LakeAtDawn},
    {"waterfall glen", kAmbientWaterfall, WaterfallGlen},
};
constexpr int kSceneCount = int(sizeof kScenes / sizeof kScenes[0]);

SceneBuilder::SceneBuilder(Content& c, int index) : content(c) {
  scene.title = kScenes[index].title;
  scene.ambient = kScenes[index].ambient;
  suffix = std::to_string(index);
}

void LakeAtDawn(Content& content, int index) {
  SceneBuilder s(content, index);
  SkyLook sky{MakeRgb(0x4A5E90), MakeRgb(0xF6C9A0), MakeRgb(0xFFE2C8), MakeRgb(0x8A7A98), 0.42f, 0, 101};
  s.Sky(sky, 345);
  Rgb haze = MakeRgb(0xE8C4B0);
  Image& bg = s.Picture();
  PaintRange(bg, {235, 75, 520, 0.75f, 11}, {MakeRgb(0x9A90B0), MakeRgb(0x6A6A94), haze, 0.5f, 50, 330, -1, -1, 0.7f});
  PaintRange(bg, {285, 40, 300, 0.45f, 12}, {MakeRgb(0x7A7898), MakeRgb(0x4A4E70), haze, 0.3f, 45, 338, -1, -1, 0.8f});
  PaintForest(bg, {322, 12, 260, 0.2f, 13},
              {MakeRgb(0x1E2838), MakeRgb(0x4A5060), haze, 0.25f, 26, 11, 8, 341, 18, 14});
  PaintReflection(bg, 340, 600, MakeRgb(0x6A7090), 1.0f, 15);
  PaintBank(bg, [](float x) { return 470 + 160 * Smoothstep(0, 330, x) + 12 * std::sin(x / 37); },
            MakeRgb(0x3A3A2A), MakeRgb(0x2A2C30), 16);
  s.Water(MakeRgb(0x6A7496), MakeRgb(0xD8B8B0), MakeRgb(0xFFE8D0), 335, 600, 2, 4);
  s.Prop("flock", 470, 90, 600, 155);
  s.Prop("reeds", -30, 380, 230, 620);
  s.Prop("reeds", 640, 470, 830, 610).mirror = true;
  s.Branch("leaves2", -40, 440, 220, true, 60);
  s.Finish();
}

void WaterfallGlen(Content& content, int index) {
  SceneBuilder s(content, index);
  SkyLook sky{MakeRgb(0x5A8AC8), MakeRgb(0xD8E6EE), MakeRgb(0xFFFFFF), MakeRgb(0xA4B0C4), 0.5f, 0, 202};
  s.Sky(sky, 240);
  Rgb haze = MakeRgb(0xC8D8E0);
  Image& bg = s.Picture();
  PaintForest(bg, {170, 25, 300, 0.3f, 21}, {MakeRgb(0x3A5A48), MakeRgb(0x6A8A70), haze, 0.45f, 30, 14, 10, 600, 0, 22});
  PaintRange(bg, {165, 30, 180, 0.6f, 23}, {MakeRgb(0x8A8A78), MakeRgb(0x3A3E34), haze, 0.05f, 0, 600, -1, 1, 1.2f});
  PaintForest(bg, {185, 30, 200, 0.3f, 24}, {MakeRgb(0x1A2E18), MakeRgb(0x4E7030), haze, 0.08f, 34, 16, 9, 600, 0, 25});
  // The cliff behind the fall, darker where the spray keeps it wet.
  PaintRange(bg, {235, 20, 140, 0.8f, 26}, {MakeRgb(0x7A7664), MakeRgb(0x2E2E28), haze, 0.0f, 0, 600, -1, 1, 1.3f});
  CutFall(bg, 400, 232, 462, 38, 52, 27);
  PaintReflection(bg, 455, 600, MakeRgb(0x3A5A50), 0.9f, 28);
  PaintBank(bg, [](float x) { return x < 260 ? 430 - (260 - x) * 0.6f + 10 * std::sin(x / 23) : 700.0f; },
            MakeRgb(0x3E5A22), MakeRgb(0x2A3A20), 29);
  PaintBank(bg, [](float x) { return x > 560 ? 440 - (x - 560) * 0.5f + 8 * std::sin(x / 19) : 700.0f; },
            MakeRgb(0x445E26), MakeRgb(0x2A3A20), 30);
  s.Waterfall(340, 225, 460, 470, 28);
  s.Water(MakeRgb(0x2A4A48), MakeRgb(0x8AB0B0), MakeRgb(0xE8F4F4), 450, 600, 1, 10);
  s.Prop("spray", 350, 440, 450, 475);
  s.Prop("boulder", 470, 500, 640, 585);
  s.Prop("boulder", 180, 520, 300, 585).mirror = true;
  s.Branch("leaves1", -30, 420, 210, false, 40);
  s.Branch("leaves1", 380, 360, 180, true, 90);
  s.Finish();
}

}  // namespace

void AddScenes(Content& content) {
  AddPicture(content, "waterfall", "waterfall.jpg", PictureFormat::Jpeg,
             PaintWaterfallTexture(MakeRgb(0x4A6470), MakeRgb(0xF2F6F8), 401));
  AddPicture(content, "spray", "spray.jpg", PictureFormat::Jpeg, PaintSprayPuff(402));
  for (int i = 0; i < kSceneCount; ++i) kScenes[i].paint(content, i);
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
