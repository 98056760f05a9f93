#include "scene/levels.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "app/random.h"
#include "app/settings.h"
#include "data/file_cache.h"
#include "data/object_list.h"
#include "draw/texture_manager.h"
#include "scene/scene_schedule.h"

PlacementTable placementTable;
int shownScene = 0;
int nextScene = 0;

namespace {

float ReadFloat(const unsigned char* p) {
  uint32_t bits = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 |
                  uint32_t(p[3]) << 24;
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

int32_t ReadInt(const unsigned char* p) {
  uint32_t bits = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 |
                  uint32_t(p[3]) << 24;
  int32_t value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

ObjectListEntry* FindLastEntry(const ObjectList& list, const unsigned char* nameField) {
  char name[33] = {};
  std::memcpy(name, nameField, 32);
  ObjectListEntry* found = nullptr;
  for (int i = 0; i < list.count; i++) {
    if (std::strcmp(list.entries[i].name, name) == 0) {
      found = const_cast<ObjectListEntry*>(&list.entries[i]);
    }
  }
  return found;
}

int RecordCount(const unsigned char* data, int size) {
  if (size < kLevelHeaderSize) return 0;
  int count = ReadInt(data + 64);
  int complete = (size - kLevelHeaderSize) / kLevelRecordSize;
  if (count > complete) count = complete;
  if (count > kMaxPlacements) count = kMaxPlacements;
  return count < 0 ? 0 : count;
}

void LevelFileName(char* name, int size, int scene) {
  std::snprintf(name, size_t(size), "level%i.lev", scene);
}

}  // namespace

int SceneCount() {
  int count = extendedSettings.sceneCount;
  if (count < 1) return 1;
  return count > kMaxScenes ? kMaxScenes : count;
}

int StartScene() {
  int scene = settings.startScene;
  return scene >= 0 && scene < SceneCount() ? scene : 0;
}

void ReadPlacements(PlacementTable* table, const ObjectList& list, const unsigned char* data,
                    int size, bool keepTimers) {
  table->placementCount = RecordCount(data, size);
  for (int i = 0; i < table->placementCount; i++) {
    const unsigned char* record = data + kLevelHeaderSize + i * kLevelRecordSize;
    Placement& slot = table->placements[i];
    slot.entry = FindLastEntry(list, record);
    slot.rect.Set(ReadFloat(record + 32), ReadFloat(record + 36), ReadFloat(record + 40),
                  ReadFloat(record + 44));
    slot.angle = ReadFloat(record + 48);
    slot.params.Set(ReadFloat(record + 52), ReadFloat(record + 56));
    slot.mirror = record[60];
    slot.behind = ReadInt(record + 61);
    if (!keepTimers) slot.timer = RandomUnit(500.0f);
    slot.animated = 0;
  }
}

void LoadSceneData() {
  LoadObjectList();
  for (int scene = 0; scene < SceneCount(); scene++) {
    char name[32];
    LevelFileName(name, sizeof name, scene);
    LoadDataFile(name, nullptr, true);
  }
}

void StartFirstScene() {
  T = 0.0f;
  shownScene = StartScene();
  textureManager.ReleaseTexture(currentBackground);
  currentBackground = LoadSceneBackground(shownScene);
  placementTable.placementCount = 0;
  LoadPlacements(shownScene);
}

void LoadPlacements(int scene) {
  char name[32];
  LevelFileName(name, sizeof name, scene);
  int size = 0;
  unsigned char* data = LoadDataFile(name, &size, true);
  ReadPlacements(&placementTable, objectList, data, size, T != 0.0f);
}
