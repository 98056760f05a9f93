#include "scene/levels.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "app/random.h"
#include "app/settings.h"
#include "data/binary_reader.h"
#include "data/file_cache.h"
#include "data/object_list.h"
#include "draw/texture_manager.h"
#include "scene/scene_schedule.h"

PlacementTable placementTable;
int shownScene = 0;
int nextScene = 0;

namespace {

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
  int count = ReadLittleInt32(data + 64);
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
    slot.rect.Set(ReadLittleFloat(record + 32), ReadLittleFloat(record + 36), ReadLittleFloat(record + 40),
                  ReadLittleFloat(record + 44));
    slot.angle = ReadLittleFloat(record + 48);
    slot.params.Set(ReadLittleFloat(record + 52), ReadLittleFloat(record + 56));
    slot.mirror = record[60];
    slot.behind = ReadLittleInt32(record + 61);
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
