// Runs the content generator into a temporary folder and checks what it wrote against the
// formats the saver reads.
// Built only when the generator is part of the build (it tells the test where it lives).
#ifdef VG_CONTENT_TOOL
#include <gtest/gtest.h>
#include <unistd.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>

#include "generated_content.h"

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<uint8_t>;

Bytes ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

std::string ReadText(const fs::path& path) {
  Bytes b = ReadAll(path);
  return std::string(b.begin(), b.end());
}

int32_t I32(const Bytes& b, size_t at) {
  int32_t v;
  std::memcpy(&v, &b[at], 4);
  return v;
}

float F32(const Bytes& b, size_t at) {
  float v;
  std::memcpy(&v, &b[at], 4);
  return v;
}

struct Placement {
  std::string entry;
  float x0, y0, x1, y1, angle, p0, p1;
  bool mirror;
  int32_t behind;
};

std::vector<Placement> ReadLevel(const fs::path& path) {
  Bytes b = ReadAll(path);
  std::vector<Placement> out;
  if (b.size() < 68) return out;
  int32_t n = I32(b, 64);
  for (int32_t i = 0; i < n && 68 + size_t(i + 1) * 65 <= b.size(); ++i) {
    size_t at = 68 + size_t(i) * 65;
    Placement p;
    p.entry = std::string(reinterpret_cast<const char*>(&b[at]), strnlen(reinterpret_cast<const char*>(&b[at]), 32));
    p.x0 = F32(b, at + 32);
    p.y0 = F32(b, at + 36);
    p.x1 = F32(b, at + 40);
    p.y1 = F32(b, at + 44);
    p.angle = F32(b, at + 48);
    p.p0 = F32(b, at + 52);
    p.p1 = F32(b, at + 56);
    p.mirror = b[at + 60] != 0;
    p.behind = I32(b, at + 61);
    out.push_back(p);
  }
  EXPECT_EQ(size_t(n), out.size()) << path;
  return out;
}

// Entry name to value, the way the object list is laid out by the generator: one entry a line.
std::map<std::string, std::string> ReadObjectList(const fs::path& path) {
  std::map<std::string, std::string> entries;
  std::string text = ReadText(path);
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find("\r\n", at);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(at, end - at);
    size_t eq = line.find('=');
    if (eq != std::string::npos && line[0] != '[') entries[line.substr(0, eq)] = line.substr(eq + 1);
    at = end + 2;
  }
  return entries;
}

std::string KindOf(const std::string& entry) {
  for (const char* kind : {"sky", "waterfall", "water", "spray", "leaves1", "leaves2", "leaves"})
    if (entry.find(kind) != std::string::npos) return kind;
  return "plain";
}

size_t JpegLength(const Bytes& b) {
  for (size_t i = 0; i + 1 < b.size(); ++i)
    if (b[i] == 0xFF && b[i + 1] == 0xD9) return i + 2;
  return 0;
}

class ContentTest : public ::testing::Test {
 protected:
  static fs::path dir;
  static fs::path data;
  static void SetUpTestSuite() {
    dir = GeneratedContent();
    data = dir / "Data";
  }
  void SetUp() override { ASSERT_FALSE(dir.empty()) << "the generator failed"; }
};
fs::path ContentTest::dir;
fs::path ContentTest::data;

TEST_F(ContentTest, WritesEveryFileTheSaverLoads) {
  std::vector<fs::path> required = {dir / "links.txt", dir / "ad1.bmp", dir / "registry.reg",
                                    data / "gameobjs.txt", data / "font.tga", data / "font.dat",
                                    data / "podsvet.jpg", data / "preview.bmp", data / "music.ogg",
                                    data / "music.xm"};
  for (int i = 0; i < 8; ++i) {
    required.push_back(data / ("level" + std::to_string(i) + ".lev"));
    required.push_back(data / ("_a_back" + std::to_string(i) + ".jpg"));
  }
  for (const char* sound : {"birds1.ogg", "birds2.ogg", "birds3.ogg", "brook.ogg", "waterfall.ogg"})
    required.push_back(data / "Sounds" / sound);
  for (const fs::path& path : required) {
    ASSERT_TRUE(fs::exists(path)) << path;
    EXPECT_GT(fs::file_size(path), 0u) << path;
  }
  EXPECT_EQ("link1=https://example.org/vesperglen\r\n", ReadText(dir / "links.txt"));
  int w, h, n;
  stbi_uc* preview = stbi_load((data / "preview.bmp").c_str(), &w, &h, &n, 3);
  ASSERT_NE(nullptr, preview);
  stbi_image_free(preview);
}

TEST_F(ContentTest, PlacementsNameExistingPicturesAndEveryKindIsPlaced) {
  auto entries = ReadObjectList(data / "gameobjs.txt");
  for (const auto& [name, value] : entries) {
    EXPECT_LE(name.size(), 31u);
    if (value.find(".cgo") != std::string::npos) continue;
    // A ".tga" name is served by its "_a_" pair when there is one.
    std::string pair = "_a_" + value.substr(0, value.find('.')) + ".jpg";
    bool paired = value.find(".tga") != std::string::npos && fs::exists(data / pair);
    EXPECT_TRUE(paired || fs::exists(data / value)) << name << "=" << value;
  }
  std::set<std::string> kinds;
  bool behind = false, mirrored = false, rotated = false, darkened = false;
  for (int i = 0; i < 8; ++i) {
    auto placements = ReadLevel(data / ("level" + std::to_string(i) + ".lev"));
    EXPECT_FALSE(placements.empty());
    EXPECT_LE(placements.size(), 128u);
    std::set<std::string> sceneKinds;
    for (const Placement& p : placements) {
      EXPECT_TRUE(entries.count(p.entry)) << "level " << i << " places unknown " << p.entry;
      std::string kind = KindOf(p.entry);
      kinds.insert(kind);
      sceneKinds.insert(kind);
      behind |= p.behind != 0;
      mirrored |= p.mirror;
      rotated |= p.angle != 0;
      darkened |= kind.rfind("leaves", 0) == 0 && (p.p0 != 0 || p.p1 != 0);
      // Layers flow down and drift one way only with the rectangle's bottom-left corner first.
      if (kind == "sky" || kind == "water" || kind == "waterfall") {
        EXPECT_LT(p.x0, p.x1) << p.entry;
        EXPECT_LT(p.y0, p.y1) << p.entry;
      }
    }
    EXPECT_TRUE(sceneKinds.count("sky")) << "scene " << i << " has no sky layer";
  }
  for (const char* kind : {"sky", "waterfall", "water", "spray", "leaves1", "leaves2", "leaves", "plain"})
    EXPECT_TRUE(kinds.count(kind)) << kind;
  EXPECT_TRUE(behind && mirrored && rotated && darkened);
}

TEST_F(ContentTest, AlphaJpegsSplitAtTheirEndMarkerWithOneAlphaBytePerPixel) {
  int checked = 0;
  for (const auto& file : fs::directory_iterator(data)) {
    std::string name = file.path().filename().string();
    if (name.rfind("_a_", 0) != 0) continue;
    Bytes b = ReadAll(file.path());
    size_t length = JpegLength(b);
    ASSERT_GT(length, 0u) << name;
    int w = 0, h = 0, n = 0;
    stbi_uc* pixels = stbi_load_from_memory(b.data(), int(length), &w, &h, &n, 3);
    ASSERT_NE(nullptr, pixels) << name;
    stbi_image_free(pixels);
    EXPECT_EQ(size_t(w) * size_t(h), b.size() - length) << name;
    if (name.rfind("_a_back", 0) == 0) {
      EXPECT_EQ(800, w);
      EXPECT_EQ(600, h);
      // Holes for the layers beneath, and solid ground.
      size_t clear = 0, solid = 0;
      for (size_t i = length; i < b.size(); ++i) {
        clear += b[i] == 0;
        solid += b[i] == 255;
      }
      EXPECT_GT(clear, 800u * 30) << name;
      EXPECT_GT(solid, 800u * 40) << name;
    } else {
      EXPECT_EQ(0, w & (w - 1)) << name << " width is not a power of two";
      EXPECT_EQ(0, h & (h - 1)) << name << " height is not a power of two";
    }
    ++checked;
  }
  EXPECT_GE(checked, 12);
}

TEST_F(ContentTest, EveryHoleInABackgroundHasALayerBeneathIt) {
  for (int i = 0; i < 8; ++i) {
    Bytes b = ReadAll(data / ("_a_back" + std::to_string(i) + ".jpg"));
    size_t length = JpegLength(b);
    ASSERT_EQ(length + 800 * 600, b.size());
    std::vector<bool> covered(800 * 600, false);
    for (const Placement& p : ReadLevel(data / ("level" + std::to_string(i) + ".lev"))) {
      std::string kind = KindOf(p.entry);
      if (kind != "sky" && kind != "water" && kind != "waterfall" && !(kind == "plain" && p.behind)) continue;
      int left = int(std::min(p.x0, p.x1) + 400), right = int(std::max(p.x0, p.x1) + 400);
      int top = int(300 - std::max(p.y0, p.y1)), bottom = int(300 - std::min(p.y0, p.y1));
      for (int y = std::max(0, top); y < std::min(600, bottom); ++y)
        for (int x = std::max(0, left); x < std::min(800, right); ++x) covered[size_t(y) * 800 + size_t(x)] = true;
    }
    size_t bare = 0;
    for (size_t k = 0; k < covered.size(); ++k) bare += b[length + k] < 255 && !covered[k];
    // Anything not covered would show the black of an empty frame.
    EXPECT_EQ(0u, bare) << "scene " << i;
  }
}

// Mean difference between two columns (or rows) of an RGB picture.
double LineDifference(const stbi_uc* p, int w, int h, int a, int b, bool columns) {
  double sum = 0;
  int n = columns ? h : w;
  for (int i = 0; i < n; ++i)
    for (int k = 0; k < 3; ++k) {
      size_t pa = columns ? (size_t(i) * size_t(w) + size_t(a)) : (size_t(a) * size_t(w) + size_t(i));
      size_t pb = columns ? (size_t(i) * size_t(w) + size_t(b)) : (size_t(b) * size_t(w) + size_t(i));
      sum += std::abs(int(p[pa * 3 + size_t(k)]) - int(p[pb * 3 + size_t(k)]));
    }
  return sum / (n * 3);
}

TEST_F(ContentTest, LayerPicturesTileInTheDirectionsTheyScroll) {
  struct Layer {
    std::string file;
    bool across, down;
  };
  std::vector<Layer> layers = {{"waterfall.jpg", true, true}};
  for (int i = 0; i < 8; ++i) {
    layers.push_back({"sky" + std::to_string(i) + ".jpg", true, false});
    if (fs::exists(data / ("water" + std::to_string(i) + ".jpg")))
      layers.push_back({"water" + std::to_string(i) + ".jpg", true, true});
  }
  for (const Layer& layer : layers) {
    int w, h, n;
    stbi_uc* p = stbi_load((data / layer.file).c_str(), &w, &h, &n, 3);
    ASSERT_NE(nullptr, p) << layer.file;
    // The seam between the last line and the first must look like any line next to another.
    if (layer.across) {
      EXPECT_LT(LineDifference(p, w, h, w - 1, 0, true), 2 * LineDifference(p, w, h, 0, 1, true) + 2) << layer.file;
    }
    if (layer.down) {
      EXPECT_LT(LineDifference(p, w, h, h - 1, 0, false), 2 * LineDifference(p, w, h, 0, 1, false) + 2) << layer.file;
    }
    stbi_image_free(p);
  }
}

TEST_F(ContentTest, SprayHasBlackEdgesAndBranchesEnterAtTheirPivot) {
  int w, h, n;
  stbi_uc* spray = stbi_load((data / "spray.jpg").c_str(), &w, &h, &n, 3);
  ASSERT_NE(nullptr, spray);
  int brightest = 0;
  for (int x = 0; x < w; ++x)
    for (int k = 0; k < 3; ++k) {
      brightest = std::max({brightest, int(spray[size_t(x) * 3 + size_t(k)]),
                            int(spray[(size_t(h - 1) * size_t(w) + size_t(x)) * 3 + size_t(k)])});
    }
  EXPECT_LT(brightest, 16);  // the puff is added to the picture: a bright edge would show its square
  EXPECT_GT(spray[(size_t(h / 2) * size_t(w) + size_t(w / 2)) * 3], 100);
  stbi_image_free(spray);
  // Leaves sway about the middle of the left edge: the branch must be rooted there, just
  // inside the clear border.
  for (const char* file : {"_a_leaves1.jpg", "_a_leaves2.jpg"}) {
    Bytes b = ReadAll(data / file);
    size_t length = JpegLength(b);
    stbi_uc* p = stbi_load_from_memory(b.data(), int(length), &w, &h, &n, 3);
    ASSERT_NE(nullptr, p);
    stbi_image_free(p);
    EXPECT_GT(b[length + size_t(h / 2) * size_t(w) + 2], 200) << file;
    EXPECT_EQ(0, b[length + 1]) << file;
  }
  stbi_uc* oak = stbi_load((data / "leaves.tga").c_str(), &w, &h, &n, 4);
  ASSERT_NE(nullptr, oak);
  EXPECT_GT(oak[(size_t(h / 2) * size_t(w) + 2) * 4 + 3], 200);
  stbi_image_free(oak);
}

TEST_F(ContentTest, FontHasTheClockGlyphsInASixteenByASixteenGrid) {
  Bytes dat = ReadAll(data / "font.dat");
  ASSERT_EQ(516u, dat.size());
  EXPECT_EQ(16, I32(dat, 0));
  auto width = [&](char c) { return int(dat[4 + uint8_t(c)]); };
  for (char c : std::string("0123456789:APM ")) {
    EXPECT_GT(width(c), 0) << c;
    EXPECT_LE(width(c), 32) << c;
  }
  // Equal digit widths keep a running clock from jittering.
  for (char c = '1'; c <= '9'; ++c) EXPECT_EQ(width('0'), width(c));
  for (int k = 0; k < 256; ++k) EXPECT_EQ(k, dat[260 + size_t(k)]);
  int w, h, n;
  stbi_uc* font = stbi_load((data / "font.tga").c_str(), &w, &h, &n, 4);
  ASSERT_NE(nullptr, font);
  ASSERT_EQ(512, w);
  ASSERT_EQ(512, h);
  auto cellAlpha = [&](int code) {
    int sum = 0;
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 32; ++x) sum += font[((code / 16 * 32 + y) * 512 + code % 16 * 32 + x) * 4 + 3];
    return sum;
  };
  EXPECT_GT(cellAlpha('0'), 0);
  EXPECT_GT(cellAlpha(':'), 0);
  EXPECT_EQ(0, cellAlpha(' '));
  stbi_image_free(font);
}

TEST_F(ContentTest, MeshesMatchTheirCountsAndModelsShareOne) {
  for (const char* name : {"stone.msh_s", "slab.msh_s"}) {
    Bytes b = ReadAll(data / name);
    ASSERT_GE(b.size(), 37u);
    int32_t v = I32(b, 29), f = I32(b, 33);
    EXPECT_GT(v, 0);
    EXPECT_GT(f, 0);
    ASSERT_EQ(37 + 12 * size_t(v) + 36 * size_t(f), b.size()) << name;
    for (int32_t i = 0; i < 3 * f; ++i) {
      int32_t index = I32(b, 37 + 12 * size_t(v) + 4 * size_t(i));
      ASSERT_TRUE(index >= 0 && index < v) << name;
    }
  }
  EXPECT_NE(0, ReadAll(data / "stone.msh_s")[3]);
  EXPECT_EQ(0, ReadAll(data / "slab.msh_s")[3]);
  std::string cairn = ReadText(data / "cairn.cgo"), stone = ReadText(data / "stone.cgo");
  EXPECT_NE(std::string::npos, cairn.find("mesh1=stone.msh_s\r\n"));
  EXPECT_NE(std::string::npos, stone.find("mesh0=stone.msh_s\r\n"));
  EXPECT_EQ('\n', cairn.back());
}

double OggSeconds(const fs::path& path) {
  OggVorbis_File file;
  if (ov_fopen(path.c_str(), &file) != 0) return -1;
  double seconds = ov_time_total(&file, -1);
  ov_clear(&file);
  return seconds;
}

TEST_F(ContentTest, SoundsDecodeAndTheModuleReachesOrder47) {
  for (const char* sound : {"birds1.ogg", "birds2.ogg", "birds3.ogg", "brook.ogg", "waterfall.ogg"}) {
    double seconds = OggSeconds(data / "Sounds" / sound);
    EXPECT_GT(seconds, 1.0) << sound;
    EXPECT_LT(seconds, 10.0) << sound;
  }
  EXPECT_GE(OggSeconds(data / "music.ogg"), 60.0);
  Bytes xm = ReadAll(data / "music.xm");
  ASSERT_GT(xm.size(), 336u);
  EXPECT_EQ(0, std::memcmp(xm.data(), "Extended Module: ", 17));
  uint16_t orders = uint16_t(xm[64] | xm[65] << 8), patterns = uint16_t(xm[70] | xm[71] << 8);
  EXPECT_GE(orders, 48);
  for (int i = 0; i < orders; ++i) EXPECT_LT(xm[80 + size_t(i)], patterns);
}

TEST_F(ContentTest, RegistryNamesTheFolderAndAnAmbientKindForEachOfEightScenes) {
  std::string reg = ReadText(dir / "registry.reg");
  EXPECT_EQ(0u, reg.find("REGEDIT4\r\n"));
  EXPECT_NE(std::string::npos, reg.find("[HKEY_LOCAL_MACHINE\\software\\quarvix\\screensavers\\Vesperglen]"));
  EXPECT_NE(std::string::npos, reg.find("\"dir\"=\"" + fs::absolute(dir).lexically_normal().string() + "\"\r\n"));
  EXPECT_NE(std::string::npos, reg.find("\"name\"=\"Vesperglen\"\r\n"));
  EXPECT_NE(std::string::npos, reg.find("\"musicname\"=\"music.ogg\"\r\n"));
  EXPECT_EQ(std::string::npos, reg.find("\"settings\"="));  // the user's choice is never overwritten
  size_t at = reg.find("\"settingsex\"=hex:");
  ASSERT_NE(std::string::npos, at);
  std::string hex = reg.substr(at + 17, 29);
  EXPECT_EQ("08", hex.substr(0, 2));
  std::set<int> ambient;
  for (int i = 0; i < 8; ++i) ambient.insert(std::stoi(hex.substr(6 + size_t(i) * 3, 2), nullptr, 16));
  EXPECT_EQ((std::set<int>{0, 1, 2, 3}), ambient);
}

TEST_F(ContentTest, SecondRunWritesTheSameBytes) {
  fs::path again = fs::path(VG_CONTENT_TEST_DIR) / ("again_" + std::to_string(::getpid()));
  ASSERT_TRUE(RunGenerator(again));
  size_t compared = 0;
  for (const auto& file : fs::recursive_directory_iterator(data)) {
    if (!file.is_regular_file()) continue;
    fs::path other = again / "Data" / fs::relative(file.path(), data);
    EXPECT_TRUE(ReadAll(file.path()) == ReadAll(other)) << file.path();
    ++compared;
  }
  EXPECT_GT(compared, 40u);
  fs::remove_all(again);
}

}  // namespace
#endif
