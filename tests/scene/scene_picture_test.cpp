// Whole frames of a small made-up scene drawn by the software device, compared with reference
// pictures in tests/scene/reference. A missing reference is written (look at it, then keep it);
// on a mismatch the actual picture is written next to the reference as <name>.actual.png.
#include <gtest/gtest.h>

#include <stb_image.h>
#include <stb_image_write.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "app/frame_clock.h"
#include "app/frame_driver.h"
#include "app/random.h"
#include "app/screen_state.h"
#include "app/settings.h"
#include "data/file_cache.h"
#include "draw/texture_manager.h"
#include "math/scalar.h"
#include "render/device.h"
#include "render/render_states.h"
#include "scene/levels.h"
#include "scene/scene_draw.h"
#include "scene/scene_schedule.h"
#include "support/content_builders.h"
#include "support/picture_files.h"
#include "support/temp_files.h"

namespace {

constexpr int kWidth = 200;
constexpr int kHeight = 150;

std::string Bytes2String(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

// Pictures of the fixture: every kind of layer once. The file cache is process-wide and may
// keep pictures, so their names are this test's own.
void WriteFixtureContent() {
  std::vector<Rgba> sky(64 * 32);
  for (int y = 0; y < 32; y++) {
    for (int x = 0; x < 64; x++) {
      bool cloud = ((x / 8 + y / 8) % 3) == 0;
      sky[y * 64 + x] = cloud ? Rgba{235, 240, 250, 255}
                              : Rgba{uint8_t(60 + 3 * y), uint8_t(110 + 3 * y), 230, 255};
    }
  }
  WriteTextFile("pt_sky.tga", Bytes2String(EncodeTga(64, 32, sky)));
  std::vector<Rgba> water(32 * 32);
  for (int i = 0; i < 32 * 32; i++) {
    water[i] = ((i / 32) % 8 < 2) ? Rgba{150, 190, 220, 255} : Rgba{30, 70, 120, 255};
  }
  WriteTextFile("pt_water.tga", Bytes2String(EncodeTga(32, 32, water)));
  std::vector<Rgba> disc(32 * 32);
  for (int y = 0; y < 32; y++) {
    for (int x = 0; x < 32; x++) {
      float d = std::hypot(x - 15.5f, y - 15.5f) / 16.0f;
      uint8_t level = d < 1.0f ? uint8_t(255.0f * (1.0f - d)) : 0;
      disc[y * 32 + x] = Rgba{level, level, level, uint8_t(d < 1.0f ? 255 : 0)};
    }
  }
  WriteTextFile("pt_puff.tga", Bytes2String(EncodeTga(32, 32, disc, TgaKind::Color32)));
  std::vector<Rgba> leaf(32 * 16);
  for (int y = 0; y < 16; y++) {
    for (int x = 0; x < 32; x++) {
      bool inside = std::abs(y - 8) < 8 - x / 5;
      leaf[y * 32 + x] = Rgba{40, 150, 50, uint8_t(inside ? 255 : 0)};
    }
  }
  WriteTextFile("pt_leaf.tga", Bytes2String(EncodeTga(32, 16, leaf, TgaKind::Color32)));
  WriteTextFile("pt_rock.tga", Bytes2String(EncodeTga(8, 8, SolidPixels(8, 8, 0x8A7A66))));
  WriteTextFile("gameobjs.txt",
                "[scene/]\r\nsky=pt_sky.tga water=pt_water.tga spray=pt_puff.tga "
                "leaves1=pt_leaf.tga rock=pt_rock.tga\r\n[/scene]\r\n");
  // Two backgrounds: ground below an open sky, with a lake hole in the first.
  for (int scene = 0; scene < 2; scene++) {
    std::vector<Rgba> ground(800 * 600);
    Bytes plane(800 * 600);
    for (int y = 0; y < 600; y++) {
      for (int x = 0; x < 800; x++) {
        bool open = y < 250 - 60 * std::sin(x * 0.01f + scene) ||
                    (scene == 0 && y > 400 && y < 520 && x > 150 && x < 650);
        ground[y * 800 + x] = scene == 0 ? Rgba{70, uint8_t(110 + y / 10), 50, 255}
                                         : Rgba{uint8_t(140 + y / 10), 110, 70, 255};
        plane[y * 800 + x] = open ? 0 : 255;
      }
    }
    Bytes file = EncodeJpeg(800, 600, ground);
    file.insert(file.end(), plane.begin(), plane.end());
    WriteTextFile("_a_back" + std::to_string(scene) + ".jpg", Bytes2String(file));
  }
  LevelRecord skyLayer{"sky", {-400, 0, 400, 300}};
  LevelRecord lake{"water", {-250, -220, 250, -100}, 0, {0.5f, 1.0f}};
  LevelRecord spray{"spray", {-60, -200, 60, -150}};
  LevelRecord branch{"leaves1", {150, 150, 350, 250}, -10, {0, 0}, 1};
  LevelRecord rock{"rock", {-300, -280, -200, -230}, 15};
  WriteTextFile("level0.lev", LevelBytes({skyLayer, lake, spray, branch, rock}));
  LevelRecord boulder{"rock", {100, -100, 300, 0}, -20};
  WriteTextFile("level1.lev", LevelBytes({skyLayer, boulder, branch}));
}

class ScenePictureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    BuildSqrtTable();
    savedSettings = settings;
    savedExtended = extendedSettings;
    oldDir = std::filesystem::current_path();
    std::filesystem::current_path(dataDir.Path());
    direct3D = Direct3DCreate8(D3D_SDK_VERSION);
    D3DPRESENT_PARAMETERS parameters = {};
    parameters.BackBufferWidth = kWidth;
    parameters.BackBufferHeight = kHeight;
    parameters.BackBufferFormat = D3DFMT_X8R8G8B8;
    parameters.BackBufferCount = 1;
    parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
    parameters.Windowed = TRUE;
    direct3D->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, nullptr,
                           D3DCREATE_SOFTWARE_VERTEXPROCESSING, &parameters, &device);
    ASSERT_NE(device, nullptr);
    ApplyDefaultRenderStates();
    WriteFixtureContent();
    extendedSettings.sceneCount = 2;
    settings.startScene = 0;
    settings.dayCycle = 0;
    settings.showTime = 0;
    SeedRandom(1234);
    ResetSceneSchedule();
    ResetSceneDrawing();
    nextScene = StartScene();
    LoadSceneData();
    StartFirstScene();
    sceneChangeInterval = 1000.0f;
    sceneClock = 0.0f;
    frameDelta = 20.0f;
  }
  void TearDown() override {
    for (const char* name : {"level0.lev", "level1.lev", "gameobjs.txt"}) ReleaseFileByName(name);
    while (textureManager.count > 0) textureManager.ReleaseTexture(textureManager.records[0]);
    currentBackground = nullptr;
    pendingBackground = nullptr;
    ReleaseDevice();
    std::filesystem::current_path(oldDir);
    settings = savedSettings;
    extendedSettings = savedExtended;
    ResetSceneSchedule();
    ResetSceneDrawing();
  }

  void Frames(int count) {
    for (int i = 0; i < count; i++) {
      device->BeginScene();
      device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
      sceneState.Frame();
      device->EndScene();
    }
  }

  std::vector<uint8_t> BackBuffer() {
    std::vector<uint8_t> rgb(size_t(kWidth) * kHeight * 3);
    IDirect3DSurface8* surface = nullptr;
    device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &surface);
    D3DLOCKED_RECT locked;
    surface->LockRect(&locked, nullptr, D3DLOCK_READONLY);
    for (int y = 0; y < kHeight; y++) {
      const uint32_t* row = reinterpret_cast<const uint32_t*>(
          static_cast<const uint8_t*>(locked.pBits) + size_t(y) * size_t(locked.Pitch));
      for (int x = 0; x < kWidth; x++) {
        uint8_t* out = &rgb[(size_t(y) * kWidth + x) * 3];
        out[0] = uint8_t(row[x] >> 16);
        out[1] = uint8_t(row[x] >> 8);
        out[2] = uint8_t(row[x]);
      }
    }
    surface->UnlockRect();
    surface->Release();
    return rgb;
  }

  // Channels may differ by a few levels; a few pixels on edges may differ more.
  void ExpectMatchesReference(const std::string& name) {
    std::string reference = std::string(VG_TEST_SOURCE_DIR) + "/scene/reference/" + name + ".png";
    std::vector<uint8_t> actual = BackBuffer();
    int width = 0, height = 0, channels = 0;
    uint8_t* expected = stbi_load(reference.c_str(), &width, &height, &channels, 3);
    if (expected == nullptr) {
      stbi_write_png(reference.c_str(), kWidth, kHeight, 3, actual.data(), kWidth * 3);
      FAIL() << "no reference yet; wrote " << reference;
    }
    int different = 0;
    if (width == kWidth && height == kHeight) {
      for (size_t i = 0; i < actual.size(); i += 3) {
        for (int c = 0; c < 3; c++) {
          if (std::abs(int(actual[i + c]) - int(expected[i + c])) > 6) {
            different++;
            break;
          }
        }
      }
    } else {
      different = kWidth * kHeight;
    }
    stbi_image_free(expected);
    std::string actualPath = std::string(VG_TEST_SOURCE_DIR) + "/scene/reference/" + name +
                             ".actual.png";
    if (different > kWidth * kHeight / 200) {
      stbi_write_png(actualPath.c_str(), kWidth, kHeight, 3, actual.data(), kWidth * 3);
      ADD_FAILURE() << name << ": " << different << " pixels differ; wrote " << actualPath;
    } else {
      std::filesystem::remove(actualPath);
    }
  }

  Settings savedSettings;
  ExtendedSettings savedExtended;
  TempDir dataDir;
  std::filesystem::path oldDir;
};

TEST_F(ScenePictureTest, SceneOnShowAndAChangeHalfFadedIn) {
  Frames(40);
  ExpectMatchesReference("scene_shown");
  // The change starts after 1 s; 4.5 s into it the second scene is half faded in.
  Frames(10 + 225);
  ASSERT_GT(T, 0.0f);
  ASSERT_LT(T, 3000.0f);
  ExpectMatchesReference("scene_changing");
  Frames(100);
  ASSERT_EQ(shownScene, 1);
  ExpectMatchesReference("scene_changed");
}

}  // namespace
