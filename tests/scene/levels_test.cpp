#include "scene/levels.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "app/settings.h"
#include "data/object_list.h"
#include "support/content_builders.h"

namespace {

class LevelReadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::memset(&list, 0, sizeof list);
    table = PlacementTable{};
    for (const char* name : {"rock", "sky", "rock", "tree"}) {
      std::strcpy(list.entries[list.count++].name, name);
    }
  }

  void Read(const std::string& bytes, bool keepTimers = false) {
    ReadPlacements(&table, list, reinterpret_cast<const unsigned char*>(bytes.data()),
                   int(bytes.size()), keepTimers);
  }

  ObjectList list;
  PlacementTable table;
};

TEST_F(LevelReadTest, RecordsFillTheSlotsWithTheLastEntryOfTheirName) {
  LevelRecord rock{"rock", {100, 50, -100, -50}, 12.5f, {3, 4}, 1, 1};
  LevelRecord sky{"sky", {-400, 300, 400, 0}, 0, {0, 0}, 0, 0};
  Read(LevelBytes({rock, sky}));
  ASSERT_EQ(table.placementCount, 2);
  const Placement& first = table.placements[0];
  EXPECT_EQ(first.entry, &list.entries[2]);
  EXPECT_EQ(table.placements[1].entry, &list.entries[1]);
  // A mirrored rectangle has the same size and centre as the normalised one.
  EXPECT_EQ(first.rect.Width(), 200.0f);
  EXPECT_EQ(first.rect.Height(), 100.0f);
  EXPECT_EQ(first.rect.Center().x, 0.0f);
  EXPECT_EQ(first.angle, 12.5f);
  EXPECT_EQ(first.params.y, 4.0f);
  EXPECT_EQ(first.mirror, 1);
  EXPECT_EQ(first.behind, 1);
  EXPECT_GE(first.timer, 0.0f);
  EXPECT_LT(first.timer, 500.0f);
  EXPECT_EQ(first.animated, 0);
}

TEST_F(LevelReadTest, UnknownNamesLeaveNoStaleEntryAndTimersSurviveAChange) {
  Read(LevelBytes({{"tree"}, {"rock"}}));
  table.placements[0].timer = 1234.0f;
  table.placements[1].animated = 1;
  Read(LevelBytes({{"bush"}}), true);
  EXPECT_EQ(table.placementCount, 1);
  EXPECT_EQ(table.placements[0].entry, nullptr);
  EXPECT_EQ(table.placements[0].timer, 1234.0f);
  // Slots past the count are left as they were.
  EXPECT_EQ(table.placements[1].entry, &list.entries[2]);
  EXPECT_EQ(table.placements[1].animated, 1);
  // A name filling all 32 bytes has no terminator and matches nothing.
  Read(LevelBytes({{std::string(32, 'r')}}));
  EXPECT_EQ(table.placements[0].entry, nullptr);
}

TEST_F(LevelReadTest, CountsAreTakenOnlyAsFarAsTheFileAndTableReach) {
  Read(LevelBytes({}));
  EXPECT_EQ(table.placementCount, 0);
  Read(LevelBytes({{"rock"}}, -5));
  EXPECT_EQ(table.placementCount, 0);
  // Three records announced, two and a half present.
  std::string bytes = LevelBytes({{"rock"}, {"sky"}, {"tree"}}, 3);
  bytes.resize(bytes.size() - 30);
  Read(bytes);
  EXPECT_EQ(table.placementCount, 2);
  std::vector<LevelRecord> many(kMaxPlacements + 5, LevelRecord{"tree"});
  Read(LevelBytes(many));
  EXPECT_EQ(table.placementCount, kMaxPlacements);
  Read(std::string(30, '\0'));
  EXPECT_EQ(table.placementCount, 0);
}

TEST(SceneSettingsTest, SceneCountAndStartSceneAreTakenIntoRange) {
  Settings savedSettings = settings;
  ExtendedSettings savedExtended = extendedSettings;
  const int counts[][2] = {{0, 1}, {1, 1}, {5, 5}, {8, 8}, {9, 8}, {255, 8}};
  for (const auto& count : counts) {
    extendedSettings.sceneCount = uint8_t(count[0]);
    EXPECT_EQ(SceneCount(), count[1]) << count[0];
  }
  extendedSettings.sceneCount = 4;
  const int starts[][2] = {{-1, 0}, {0, 0}, {3, 3}, {4, 0}, {7, 0}};
  for (const auto& start : starts) {
    settings.startScene = start[0];
    EXPECT_EQ(StartScene(), start[1]) << start[0];
    EXPECT_EQ(settings.startScene, start[0]);
  }
  settings = savedSettings;
  extendedSettings = savedExtended;
}

}  // namespace

// Levels through the file cache, with the object list and backgrounds in a scratch folder.
#include <filesystem>

#include "data/file_cache.h"
#include "draw/texture_manager.h"
#include "render/device.h"
#include "scene/scene_schedule.h"
#include "support/picture_files.h"
#include "support/temp_files.h"

namespace {

class SceneDataTest : public ::testing::Test {
 protected:
  void SetUp() override {
    savedSettings = settings;
    savedExtended = extendedSettings;
    oldDir = std::filesystem::current_path();
    std::filesystem::current_path(dataDir.Path());
    device = gpu.device;
    Bytes picture = EncodeTga(4, 4, SolidPixels(4, 4, 0x406080));
    WriteTextFile("rock.tga", std::string(picture.begin(), picture.end()));
    WriteTextFile("gameobjs.txt", "[a/] rock=rock.tga sky=rock.tga [/a]\r\n");
    WriteTextFile("level0.lev", LevelBytes({{"rock"}}));
    WriteTextFile("level1.lev", LevelBytes({{"sky"}, {"rock"}}));
  }
  void TearDown() override {
    for (const char* name : {"level0.lev", "level1.lev", "level2.lev", "gameobjs.txt"}) {
      ReleaseFileByName(name);
    }
    while (textureManager.count > 0) textureManager.ReleaseTexture(textureManager.records[0]);
    currentBackground = nullptr;
    device = nullptr;
    std::filesystem::current_path(oldDir);
    settings = savedSettings;
    extendedSettings = savedExtended;
  }

  Settings savedSettings;
  ExtendedSettings savedExtended;
  TempDir dataDir;
  std::filesystem::path oldDir;
  HeadlessDevice gpu;
};

TEST_F(SceneDataTest, LevelsAreReadOnceAndServedFromTheCacheAfterwards) {
  extendedSettings.sceneCount = 2;
  settings.startScene = 1;
  LoadSceneData();
  std::filesystem::remove("level0.lev");
  std::filesystem::remove("level1.lev");
  StartFirstScene();
  EXPECT_EQ(shownScene, 1);
  EXPECT_EQ(T, 0.0f);
  ASSERT_EQ(placementTable.placementCount, 2);
  EXPECT_STREQ(placementTable.placements[0].entry->name, "sky");
  // No background picture: the scene is shown without one.
  EXPECT_EQ(currentBackground, nullptr);
  LoadPlacements(0);
  EXPECT_EQ(placementTable.placementCount, 1);
}

TEST_F(SceneDataTest, EveryLevelOfTheRotationMustBePresentAtStart) {
  extendedSettings.sceneCount = 3;
  EXPECT_EXIT(LoadSceneData(), ::testing::ExitedWithCode(1), "Can't load level2.lev");
  // A single scene needs only its own level.
  extendedSettings.sceneCount = 1;
  settings.startScene = -1;
  std::filesystem::remove("level1.lev");
  LoadSceneData();
  StartFirstScene();
  EXPECT_EQ(shownScene, 0);
  EXPECT_EQ(placementTable.placementCount, 1);
}

}  // namespace
