// The generator's output read by the saver's own loaders on a headless software device: what
// the saver would stop on at start, or draw wrongly, shows up here.
#ifdef VG_CONTENT_TOOL
#include <gtest/gtest.h>
#include <windows.h>
#include <d3d8.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>

#include "app/app_state.h"
#include "app/settings.h"
#include "data/file_cache.h"
#include "data/object_list.h"
#include "draw/texture_manager.h"
#include "generated_content.h"
#include "math/scalar.h"
#include "platform/audio/audio_output.h"
#include "render/device.h"
#include "render/render_states.h"
#include "scene/levels.h"
#include "scene/scene_draw.h"
#include "scene/scene_schedule.h"
#include "sound/sound_system.h"
#include "text/bitmap_font.h"

namespace fs = std::filesystem;

namespace {

class ContentLoadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::path content = GeneratedContent();
    ASSERT_FALSE(content.empty()) << "the generator failed";
    oldDir = fs::current_path();
    fs::current_path(content / "Data");
    std::snprintf(dataDir, sizeof dataDir, "%s", fs::current_path().c_str());
    savedSettings = settings;
    savedExtended = extendedSettings;
    extendedSettings.sceneCount = 8;
    settings.startScene = 0;
    BuildSqrtTable();
    direct3D = Direct3DCreate8(D3D_SDK_VERSION);
    D3DPRESENT_PARAMETERS parameters = {};
    parameters.BackBufferWidth = 800;
    parameters.BackBufferHeight = 600;
    parameters.BackBufferFormat = D3DFMT_X8R8G8B8;
    parameters.BackBufferCount = 1;
    parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
    parameters.Windowed = TRUE;
    direct3D->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, nullptr, D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                           &parameters, &device);
    ASSERT_NE(nullptr, device);
    ApplyDefaultRenderStates();
  }

  void TearDown() override {
    while (textureManager.count > 0) textureManager.ReleaseTexture(textureManager.records[0]);
    currentBackground = pendingBackground = nullptr;
    if (device != nullptr) device->Release();
    if (direct3D != nullptr) direct3D->Release();
    device = nullptr;
    direct3D = nullptr;
    settings = savedSettings;
    extendedSettings = savedExtended;
    ResetSceneSchedule();
    ResetSceneDrawing();
    if (!oldDir.empty()) fs::current_path(oldDir);
  }

  fs::path oldDir;
  Settings savedSettings;
  ExtendedSettings savedExtended;
};

// The alpha of a texture's top and bottom rows, at most.
int EdgeRowAlpha(IDirect3DTexture8* texture) {
  D3DSURFACE_DESC desc;
  D3DLOCKED_RECT locked;
  if (FAILED(texture->GetLevelDesc(0, &desc)) || desc.Format != D3DFMT_A8R8G8B8 ||
      FAILED(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY)))
    return -1;
  int most = 0;
  for (UINT y : {0u, desc.Height - 1}) {
    const uint32_t* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(locked.pBits) +
                                                            size_t(y) * size_t(locked.Pitch));
    for (UINT x = 0; x < desc.Width; ++x) most = std::max(most, int(row[x] >> 24));
  }
  texture->UnlockRect(0);
  return most;
}

TEST_F(ContentLoadTest, EveryLevelPlacesLoadedPicturesAndEveryBackgroundLoads) {
  LoadSceneData();
  ASSERT_GT(objectList.count, 0);
  for (int i = 0; i < objectList.count; ++i) {
    const ObjectListEntry& entry = objectList.entries[i];
    EXPECT_TRUE(entry.texture != nullptr || entry.model != nullptr) << entry.name;
  }
  for (int scene = 0; scene < 8; ++scene) {
    LoadPlacements(scene);
    EXPECT_GT(placementTable.placementCount, 0) << "scene " << scene;
    for (int i = 0; i < placementTable.placementCount; ++i) {
      const Placement& p = placementTable.placements[i];
      ASSERT_NE(nullptr, p.entry) << "scene " << scene << " placement " << i;
      ASSERT_NE(nullptr, p.entry->texture) << "scene " << scene << " places the model " << p.entry->name;
      EXPECT_NE(nullptr, p.entry->texture->texture) << p.entry->name;
      // Pictures with alpha are drawn with wrapped, filtered coordinates: an opaque edge row
      // bleeds onto the opposite edge as a dashed line.
      std::string file = p.entry->texture->name;
      if (file.find(".tga") != std::string::npos) {
        EXPECT_EQ(0, EdgeRowAlpha(p.entry->texture->texture)) << "scene " << scene << " " << file;
      }
    }
    char name[32];
    std::snprintf(name, sizeof name, "_a_back%i.jpg", scene);
    TextureRecord* background = textureManager.LoadBackgroundTexture(name, 800, 600);
    ASSERT_NE(nullptr, background) << name;
    EXPECT_NE(nullptr, background->texture) << name;
    textureManager.ReleaseTexture(background);
  }
}

TEST_F(ContentLoadTest, FontLoadsAndTheLongestClockStaysClearOfTheRightEdge) {
  ASSERT_TRUE(LoadFont("font"));
  const BitmapFont& font = *textState.currentFont;
  EXPECT_EQ(16, font.gridSize);
  ASSERT_NE(nullptr, font.texture);
  EXPECT_NE(nullptr, font.texture->texture);
  EXPECT_NE(nullptr, textState.backlightTexture);
  // The clock is drawn at x = 300, size 14, its first glyph centred there; each glyph is
  // centred on its advance, so the text ends half the last advance past the last centre.
  const float size = 14, firstCentre = 300;
  for (const char* clock : {"08:40:17 PM", "12:58:08 AM", "23:59:59"}) {
    float right = firstCentre - size * font.advance[uint8_t(clock[0])] * 0.5f;
    for (const char* c = clock; *c != 0; ++c) right += size * font.advance[uint8_t(*c)];
    EXPECT_LT(right, 392.0f) << clock;
    EXPECT_GT(right, 340.0f) << clock << " is too small to read";
  }
}

TEST_F(ContentLoadTest, SoundsAndBothKindsOfMusicLoad) {
  // Decoding is what is tested, not the sound card: mix into nothing.
  ForceAudioOutput(HeadlessAudioOutput());
  for (const char* music : {"music.ogg", "music.xm"}) {
    ASSERT_TRUE(InitSound());
    sampleCount = 0;
    std::snprintf(musicName, sizeof musicName, "%s", music);
    LoadSounds();
    std::set<std::string> names;
    for (int i = 0; i < sampleCount; ++i) {
      EXPECT_NE(0u, soundSamples[i].handle) << soundSamples[i].name;
      names.insert(soundSamples[i].name);
    }
    for (const char* name : {"birds1.ogg", "birds2.ogg", "birds3.ogg", "brook.ogg", "waterfall.ogg"})
      EXPECT_TRUE(names.count(name)) << name;
    EXPECT_NE(0u, musicHandle) << music;
    EXPECT_EQ(std::strstr(music, ".xm") != nullptr, musicIsModule) << music;
    ShutdownSound();
  }
  ForceAudioOutput(nullptr);
}

}  // namespace
#endif
