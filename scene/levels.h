// The scenes of the rotation and the placements of the scene on show.
//
// "level%i.lev" (scene i from 0; little-endian, unaligned): 64 bytes of unused text, N (int32),
// then N records of 65 bytes: entry name (32 bytes, zero-terminated), rect x0 y0 x1 y1, angle
// (degrees), params (2 floats), mirror (byte), behind (int32). At most 128 records are used, a
// negative N counts as 0, and a file shorter than its N records gives only its complete ones.
#pragma once
#include "math/rect.h"
#include "math/vector.h"

constexpr int kMaxPlacements = 128;
constexpr int kMaxScenes = 8;
constexpr int kLevelHeaderSize = 68;
constexpr int kLevelRecordSize = 65;

struct ObjectList;
struct ObjectListEntry;

struct Placement {
  // Null when the level names no entry of the object list: such a placement is not drawn.
  ObjectListEntry* entry;
  FloatRect rect;  // two opposite corners in frame units, either order
  float angle;     // degrees
  unsigned char mirror;
  Vector2 params;
  double timer;  // ms, the placement's own clock; double, as it runs for the whole session
  unsigned char animated;
  int behind;
};

struct PlacementTable {
  Placement placements[kMaxPlacements];
  int placementCount;
};

extern PlacementTable placementTable;

// Index of the scene on show.
extern int shownScene;
// Index of the scene being changed to; equal to shownScene outside a scene change.
extern int nextScene;

// The stored number of scenes taken into 1 .. 8: no scene rotation can divide by zero or run
// past the eight per-scene settings.
int SceneCount();
// The stored start scene, or 0 when it is not one of the SceneCount() scenes (the dialog stores
// -1 when nothing was chosen).
int StartScene();

// Fills slots 0 .. placementCount-1 from a level file, matching names against `list` (the last
// entry of a name wins). Timers are drawn afresh unless `keepTimers`; other fields of the slots
// above the count are kept.
void ReadPlacements(PlacementTable* table, const ObjectList& list, const unsigned char* data,
                    int size, bool keepTimers);

// Once at start: the object list, then every level file (fatal when one is missing; they stay
// cached for the whole run).
void LoadSceneData();
// Shows the start scene: its background and placements, with no scene change in progress.
void StartFirstScene();
// The placements of `scene` from its cached level file; timers are kept during a scene change.
void LoadPlacements(int scene);
