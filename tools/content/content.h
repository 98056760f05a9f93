// What the generator makes, in memory: the pictures named by the object list and the eight
// scenes that place them. Writing files and previewing both work from this one record.
#pragma once
#include <string>
#include <vector>

#include "image.h"

enum class PictureFormat { Jpeg, AlphaPair, Tga };

// One object-list entry with a picture. The engine decides how to animate a placement from
// the entry name ("sky", "waterfall", "water", "spray", "leaves1", "leaves2", "leaves", else plain).
struct Picture {
  std::string entry;
  std::string file;  // the value in the object list: "x.jpg" or "x.tga"
  PictureFormat format = PictureFormat::Jpeg;
  Image image;
};

// Frame units: x from -400 (left) to 400, y from -300 (bottom) to 300 (top).
struct PlacementRecord {
  std::string entry;
  float x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  float angle = 0;
  float param0 = 0, param1 = 0;
  bool mirror = false;
  int behind = 0;
};

enum AmbientKind { kAmbientNone = 0, kAmbientBirds = 1, kAmbientBrook = 2, kAmbientWaterfall = 3 };

struct Scene {
  std::string title;
  Image background;  // 800 x 600, alpha 0 where the layers beneath show
  std::vector<PlacementRecord> placements;
  AmbientKind ambient = kAmbientNone;
};

struct Content {
  std::vector<Picture> pictures;
  std::vector<Scene> scenes;
};

const Picture* FindPicture(const Content& content, const std::string& entry);
void AddPicture(Content& content, const std::string& entry, const std::string& file, PictureFormat format,
                Image image);

// Screen pixel rows and columns (origin top-left, y down) to frame units.
inline float FrameX(float px) { return px - 400.0f; }
inline float FrameY(float py) { return 300.0f - py; }

// Adds a placement whose rectangle is given in screen pixels.
void Place(Scene& scene, const std::string& entry, float left, float top, float right, float bottom);

Content BuildContent();
// The scenes' titles and ambient kinds only, without painting anything.
Content SceneSummary();
