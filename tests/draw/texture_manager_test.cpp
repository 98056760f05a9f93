// The texture manager over a headless software device, with pictures written to a scratch
// data folder. The file cache is process-wide, so every test uses names of its own.
#include <gtest/gtest.h>

#include "draw/texture_manager.h"
#include "render/device.h"
#include "support/picture_files.h"
#include "support/temp_files.h"

#include <string>

namespace {

Bytes SolidJpeg(int width, int height, uint32_t rgb) { return EncodeJpeg(width, height, SolidPixels(width, height, rgb)); }
Bytes SolidTga(int width, int height, uint32_t rgb) { return EncodeTga(width, height, SolidPixels(width, height, rgb)); }

Bytes Plane(int64_t size) {
  Bytes plane(static_cast<size_t>(size));
  for (int64_t i = 0; i < size; ++i) plane[static_cast<size_t>(i)] = static_cast<unsigned char>(i * 7 + 3);
  return plane;
}

Bytes Join(Bytes picture, const Bytes& plane) {
  picture.insert(picture.end(), plane.begin(), plane.end());
  return picture;
}

void WriteFile(const std::string& name, const Bytes& bytes) { WriteTextFile(name, std::string(bytes.begin(), bytes.end())); }

D3DSURFACE_DESC TopLevel(const TextureRecord* record) {
  D3DSURFACE_DESC desc = {};
  EXPECT_EQ(record->texture->GetLevelDesc(0, &desc), D3D_OK);
  return desc;
}

std::vector<uint32_t> Texels(const TextureRecord* record) { return ReadTexels(record->texture); }

void FillTexels(const TextureRecord* record, uint32_t value) {
  D3DSURFACE_DESC desc = TopLevel(record);
  D3DLOCKED_RECT locked;
  ASSERT_EQ(record->texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
  for (UINT y = 0; y < desc.Height; ++y) {
    uint32_t* row = reinterpret_cast<uint32_t*>(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch);
    for (UINT x = 0; x < desc.Width; ++x) row[x] = value;
  }
  record->texture->UnlockRect(0);
}

class TextureManagerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(gpu.device, nullptr);
    device = gpu.device;
  }
  void TearDown() override {
    while (manager.count > 0) manager.ReleaseTexture(manager.records[0]);
    device = nullptr;
  }

  TempDir dataDir;
  CurrentDirGuard inDataDir{dataDir.Path()};
  HeadlessDevice gpu;
  TextureManager manager;
};

TEST_F(TextureManagerTest, TgaRequestWithAnAlphaPairGetsThePlaneAndIsServedFromTheTableAfterwards) {
  Bytes plane = Plane(256 * 128);
  WriteFile("_a_sky.jpg", Join(SolidJpeg(256, 128, 0x3060C0), plane));
  TextureRecord* sky = manager.GetTexture("sky.tga");
  ASSERT_NE(sky, nullptr);
  EXPECT_STREQ(sky->name, "sky.tga");
  EXPECT_EQ(sky->width, 256);
  EXPECT_EQ(sky->height, 128);
  EXPECT_EQ(TopLevel(sky).Format, D3DFMT_A8R8G8B8);
  EXPECT_EQ(sky->texture->GetLevelCount(), 1u);
  std::vector<uint32_t> texels = Texels(sky);
  int matching = 0;
  for (size_t i = 0; i < texels.size(); ++i) matching += (texels[i] >> 24) == plane[i];
  EXPECT_EQ(matching, 32768);
  EXPECT_TRUE(ColourNear(texels[1000], 0x3060C0, 6));

  // Neither the pair nor sky.tga exists now: a second request must not look for files.
  std::filesystem::remove("_a_sky.jpg");
  EXPECT_EQ(manager.GetTexture("sky.tga"), sky);
  EXPECT_EQ(manager.count, 1);

  // The upper-case extension looks for the pair too, and the pair name stops at the first dot.
  WriteFile("_a_moon.jpg", Join(SolidJpeg(4, 4, 0xFFFFFF), Bytes(16, 0x40)));
  EXPECT_EQ(Texels(manager.GetTexture("moon.TGA"))[5] >> 24, 0x40u);
  WriteFile("_a_hill.jpg", Join(SolidJpeg(4, 4, 0xFFFFFF), Bytes(16, 0x41)));
  EXPECT_EQ(Texels(manager.GetTexture("hill.v2.tga"))[5] >> 24, 0x41u);
}

TEST_F(TextureManagerTest, OtherNamesGoStraightToTheFileWithTwoMipLevels) {
  WriteFile("_a_lake.jpg", Join(SolidJpeg(8, 8, 0x102030), Bytes(64, 0)));
  WriteFile("lake.jpg", SolidJpeg(8, 4, 0x102030));
  WriteFile("_a_reed.jpg", Join(SolidJpeg(8, 8, 0x102030), Bytes(64, 0)));
  WriteFile("reed.Tga", SolidTga(8, 4, 0x102030));
  WriteFile("leaf.tga", SolidTga(16, 8, 0x00FF00));
  for (const char* name : {"lake.jpg", "reed.Tga", "leaf.tga"}) {
    SCOPED_TRACE(name);
    TextureRecord* record = manager.GetTexture(name);
    EXPECT_STREQ(record->name, name);
    EXPECT_EQ(TopLevel(record).Format, D3DFMT_X8R8G8B8);
    EXPECT_EQ(record->texture->GetLevelCount(), 2u);
  }
  EXPECT_EQ(manager.FindTexture("leaf.tga")->width, 16);
  EXPECT_EQ(manager.FindTexture("leaf.tga")->height, 8);

  // A pair name of 63 characters is looked for; one of 64 is not.
  std::string stem56(56, 'p');
  std::string stem57(57, 'q');
  WriteFile("_a_" + stem56 + ".jpg", Join(SolidJpeg(2, 2, 0), Bytes(4, 0x10)));
  WriteFile("_a_" + stem57 + ".jpg", Join(SolidJpeg(2, 2, 0), Bytes(4, 0x10)));
  WriteFile(stem57 + ".tga", SolidTga(2, 2, 0));
  EXPECT_EQ(TopLevel(manager.GetTexture((stem56 + ".tga").c_str())).Format, D3DFMT_A8R8G8B8);
  EXPECT_EQ(TopLevel(manager.GetTexture((stem57 + ".tga").c_str())).Format, D3DFMT_X8R8G8B8);
}

TEST_F(TextureManagerTest, AlphaPlanesOfAnyLengthStayInsideThePlaneAndUnusablePairsFallBack) {
  WriteFile("_a_moss.jpg", Join(SolidJpeg(16, 16, 0x808080), Plane(100)));
  std::vector<uint32_t> moss = Texels(manager.GetTexture("moss.tga"));
  EXPECT_EQ(moss[99] >> 24, Plane(100)[99]);
  EXPECT_EQ(moss[100] >> 24, 0xFFu);  // past the short plane: as opaque as the JPEG made it
  EXPECT_EQ(moss[255] >> 24, 0xFFu);

  Bytes longPlane = Plane(16 * 16 + 500);
  WriteFile("_a_fern.jpg", Join(SolidJpeg(16, 16, 0x808080), longPlane));
  std::vector<uint32_t> fern = Texels(manager.GetTexture("fern.tga"));
  EXPECT_EQ(fern[255] >> 24, longPlane[255]);

  // No end-of-image pair in the pair file: the plain picture is used instead.
  Bytes noEnd = SolidJpeg(4, 4, 0);
  noEnd.resize(noEnd.size() - 2);
  WriteFile("_a_stone.jpg", noEnd);
  WriteFile("stone.tga", SolidTga(4, 4, 0));
  EXPECT_EQ(TopLevel(manager.GetTexture("stone.tga")).Format, D3DFMT_X8R8G8B8);
  EXPECT_EQ(manager.FindTexture("_a_stone.jpg"), nullptr);
}

TEST_F(TextureManagerTest, BackgroundLandsUnscaledInTheTopLeftOfAPowerOfTwoTexture) {
  Bytes plane = Plane(800 * 600);
  WriteFile("_a_back1.jpg", Join(SolidJpeg(800, 600, 0xC08040), plane));
  // An existing record of the name is filled again; texels outside the picture keep their value.
  TextureRecord* held = manager.CreateBlankTexture("_a_back1.jpg", 1024, 1024, D3DFMT_A8R8G8B8);
  ASSERT_NE(held, nullptr);
  FillTexels(held, 0x12345678);
  TextureRecord* back = manager.LoadBackgroundTexture("_a_back1.jpg", 800, 600);
  ASSERT_EQ(back, held);
  EXPECT_EQ(back->width, 1024);
  EXPECT_EQ(back->height, 1024);
  std::vector<uint32_t> texels = Texels(back);
  int pictureTexels = 0;
  int untouched = 0;
  for (int y = 0; y < 1024; ++y) {
    for (int x = 0; x < 1024; ++x) {
      uint32_t texel = texels[static_cast<size_t>(y) * 1024 + x];
      if (x < 800 && y < 600) {
        pictureTexels += (texel >> 24) == plane[static_cast<size_t>(y) * 800 + x] && ColourNear(texel, 0xC08040, 6);
      } else {
        untouched += texel == 0x12345678u;
      }
    }
  }
  EXPECT_EQ(pictureTexels, 800 * 600);
  EXPECT_EQ(untouched, 1024 * 1024 - 800 * 600);

  // A short plane stops where it ends; a file with no end-of-image pair, or none at all, gives none.
  WriteFile("_a_back2.jpg", Join(SolidJpeg(800, 600, 0xC08040), Plane(1000)));
  std::vector<uint32_t> shortPlane = Texels(manager.LoadBackgroundTexture("_a_back2.jpg", 800, 600));
  EXPECT_EQ(shortPlane[1024 + 199] >> 24, Plane(1000)[999]);
  EXPECT_EQ(shortPlane[1024 + 200] >> 24, 0xFFu);
  Bytes noEnd = SolidJpeg(8, 8, 0);
  noEnd.resize(noEnd.size() - 2);
  WriteFile("_a_back3.jpg", noEnd);
  EXPECT_EQ(manager.LoadBackgroundTexture("_a_back3.jpg", 800, 600), nullptr);
  EXPECT_EQ(manager.LoadBackgroundTexture("_a_back4.jpg", 800, 600), nullptr);
  EXPECT_EQ(manager.count, 2);
}

// A run-length TGA of 8192 x 4096 texels, and a JPEG header declaring 65535 x 65535 with the
// bytes of a small picture behind it.
TEST_F(TextureManagerTest, PicturesTooLargeForATextureAreRefusedLikeBrokenOnes) {
  WriteFile("huge.tga", RunLengthTga(8192, 4096));
  EXPECT_EXIT(manager.GetTexture("huge.tga"), ::testing::ExitedWithCode(1), "Couldn't load texture: huge.tga");

  Bytes jpeg = SolidJpeg(8, 8, 0x808080);
  for (size_t i = 0; i + 8 < jpeg.size(); ++i) {
    if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) {
      for (int k = 5; k <= 8; ++k) jpeg[i + k] = 0xFF;
      break;
    }
  }
  WriteFile("_a_vast.jpg", Join(jpeg, Bytes(64, 0)));
  WriteFile("vast.tga", SolidTga(2, 2, 0));
  EXPECT_EQ(manager.GetTexture("vast.tga")->width, 2);
  EXPECT_EQ(manager.FindTexture("_a_vast.jpg"), nullptr);
  WriteFile("_a_back5.jpg", Join(jpeg, Bytes(64, 0)));
  TextureRecord* back = manager.LoadBackgroundTexture("_a_back5.jpg", 800, 600);
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->width, 1024);
}

TEST_F(TextureManagerTest, TextureSizeForIsTheNextPowerOfTwoStrictlyAbove) {
  const int cases[][2] = {{0, 2}, {1, 2}, {2, 4}, {512, 1024}, {600, 1024}, {1023, 1024}, {1024, 0}, {5000, 0}};
  for (const auto& c : cases) EXPECT_EQ(TextureManager::TextureSizeFor(c[0]), c[1]) << c[0];
}

TEST_F(TextureManagerTest, ReleasingKeepsTheOrderOfTheRestAndIgnoresUnknownRecords) {
  TextureRecord* made[4];
  for (int i = 0; i < 4; ++i) made[i] = manager.CreateBlankTexture(std::string(1, char('a' + i)).c_str(), 4, 4, D3DFMT_A8R8G8B8);
  manager.ReleaseTexture(made[1]);
  ASSERT_EQ(manager.count, 3);
  EXPECT_EQ(manager.records[0], made[0]);
  EXPECT_EQ(manager.records[1], made[2]);
  EXPECT_EQ(manager.records[2], made[3]);
  EXPECT_EQ(manager.FindTexture("b"), nullptr);
  manager.ReleaseTexture(made[1]);
  manager.ReleaseTexture(nullptr);
  EXPECT_EQ(manager.count, 3);
  EXPECT_EQ(manager.records[2], made[3]);
}

TEST_F(TextureManagerTest, RecordsThatCannotBeMadeAreRefusedOrEndTheProcess) {
  EXPECT_NE(manager.AddTextureRecord(std::string(127, 'n').c_str()), nullptr);
  EXPECT_EQ(manager.AddTextureRecord(std::string(128, 'n').c_str()), nullptr);
  EXPECT_EXIT(manager.GetTexture("absent.tga"), ::testing::ExitedWithCode(1),
              "Loading error: Couldn't load texture: absent.tga");
  std::string longName = std::string(140, 'w') + ".tga";
  WriteFile(longName, SolidTga(2, 2, 0));
  EXPECT_EXIT(manager.GetTexture(longName.c_str()), ::testing::ExitedWithCode(1), "Couldn't load texture: www");

  while (manager.AddTextureRecord(("filler" + std::to_string(manager.count)).c_str()) != nullptr) {}
  EXPECT_EQ(manager.count, 1023);
  EXPECT_EQ(manager.CreateBlankTexture("one.more", 4, 4, D3DFMT_A8R8G8B8), nullptr);
  WriteFile("_a_pine.jpg", Join(SolidJpeg(2, 2, 0), Bytes(4, 0)));
  WriteFile("pine.tga", SolidTga(2, 2, 0));
  EXPECT_EXIT(manager.GetTexture("pine.tga"), ::testing::ExitedWithCode(1), "Couldn't load texture: pine.tga");
}

}  // namespace
