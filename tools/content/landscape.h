// Painters for the parts every scene is made of: skies, mountain ranges, forests, ground,
// water surfaces and falls. Rows and columns are pixels of the picture painted into.
#pragma once
#include <cstdint>
#include <functional>
#include <vector>

#include "image.h"

struct SkyLook {
  Rgb top, horizon;
  Rgb cloudLight, cloudShade;
  float cover = 0.45f;     // 0 clear .. 1 overcast
  float stars = 0;         // density of stars, for night skies
  uint32_t seed = 1;
};
// Sky colour at a height t (0 at the top of the sky, 1 at the horizon).
Rgb SkyGradient(const SkyLook& look, float t);
// Tiles horizontally; clouds flatten toward the bottom row, which is the horizon.
Image PaintSkyTexture(const SkyLook& look, int width, int height);

// A range of hills or mountains: its crest row at each column, seen from afar.
struct Ridge {
  float baseRow = 300;     // mean crest row
  float amplitude = 80;    // crest rise in pixels
  float wavelength = 400;  // pixels per noise cell
  float sharpness = 0.5f;  // 0 rolling hills .. 1 jagged peaks
  uint32_t seed = 1;
};
float CrestRow(const Ridge& ridge, float x);

struct RangeLook {
  Rgb lit, shade;          // rock or grass facing and turned away from the light
  Rgb haze;                // the air colour it fades into with distance
  float hazeAmount = 0.3f; // aerial perspective: 0 close .. 1 lost in the air
  float mistRows = 60;     // valley mist rising this many rows above `floorRow`
  float floorRow = 600;    // where the layer's foot is hidden (mist is thickest there)
  float snowRow = -1;      // rows above this carry snow (-1 none)
  float lightFromLeft = 1; // +1 sun on the left, -1 on the right
  float detail = 1;        // strength of the rock texture
};
void PaintRange(Image& image, const Ridge& ridge, const RangeLook& look);

// A hill line covered by conifers; crowns break the skyline.
struct ForestLook {
  Rgb dark, light, haze;
  float hazeAmount = 0.2f;
  float treeHeight = 40, treeWidth = 18, spacing = 11;
  float floorRow = 600, mistRows = 0;
  uint32_t seed = 2;
};
void PaintForest(Image& image, const Ridge& ridge, const ForestLook& look);
// One fir, lit from the left, its foot at `baseRow`.
void PaintConifer(Image& image, float cx, float baseRow, float height, float halfWidth, Rgb dark, Rgb light,
                  Rgb haze, float hazeAmount, uint32_t seed);

// Ground from a per-column top row down to the bottom: meadow, bank or rock, lighter and
// coarser toward the viewer.
void PaintBank(Image& image, const std::function<float(float)>& topRow, Rgb near, Rgb far, uint32_t seed);

// Round bushes along a bank's edge, breaking its outline; lit from the upper left.
void PaintShrubs(Image& image, const std::function<float(float)>& topRow, float fromX, float toX, float size,
                 Rgb dark, Rgb light, uint32_t seed);

// Rock from a per-column top row down to `bottomRow`: a relief lit from the upper left, with
// strata, cracks and moss on the ledges.
struct RockLook {
  Rgb dark, light, moss;
  float mossAmount = 0.3f;
  float strata = 0.5f;  // 0 blocky .. 1 layered
  Rgb haze;
  float hazeAmount = 0;
  uint32_t seed = 3;
};
void PaintRock(Image& image, const std::function<float(float)>& topRow, float bottomRow, const RockLook& look);

// Water below `waterRow`: the mirrored scene above, wobbled by ripples, painted half
// transparent so the scrolling water layer shows through (more where the sky is mirrored).
void PaintReflection(Image& image, int waterRow, int bottomRow, Rgb waterTint, float strength, uint32_t seed);

// Layer textures; all tile in the directions they scroll.
Image PaintWaterTexture(Rgb deep, Rgb light, Rgb glint, uint32_t seed);
Image PaintWaterfallTexture(Rgb shadow, Rgb foam, uint32_t seed);
Image PaintSprayPuff(uint32_t seed);
