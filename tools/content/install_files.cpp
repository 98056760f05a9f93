#include "install_files.h"

#include <cmath>
#include <cstdio>

#include "byte_writer.h"
#include "picture_files.h"
#include "preview.h"
#include "text_render.h"

const char* const kMusicName = "music.ogg";

// The moment at which thumbnails are taken: clouds and leaves mid-motion.
static const float kSnapshotMs = 20000;

bool WriteLinks(const std::string& installDir) {
  return WriteTextFile(installDir + "/links.txt", "link1=https://example.org/vesperglen\n");
}

bool WriteLinkPicture(const std::string& installDir, const Content& content) {
  // The dialog's link box is about 252 x 54 pixels; the picture is shown unscaled from its corner.
  Image scene = CompositeScene(content, content.scenes[0], kSnapshotMs);
  Image banner(252, 54);
  for (int y = 0; y < 54; ++y)
    for (int x = 0; x < 252; ++x) {
      float texel[4];
      Sample(scene, (float(x) * 3.17f + 0.5f) / 800, (float(y) * 3.17f + 200) / 600, false, texel);
      Paint(banner, x, y, Rgb{texel[0], texel[1], texel[2]} * 0.8f, 1);
    }
  DrawText(banner, "Vesperglen", 12, 36, 26, MakeRgb(0xFFFFFF));
  DrawText(banner, "visit the home page", 150, 46, 11, MakeRgb(0xF0E8D8));
  return WriteBmp(installDir + "/ad1.bmp", banner);
}

bool WritePreviewPicture(const std::string& dataDir, const Content& content) {
  Image scene = CompositeScene(content, content.scenes[0], kSnapshotMs);
  return WriteBmp(dataDir + "/preview.bmp", Resize(scene, 152, 112));
}

bool WriteIconFile(const std::string& path, const Content& content) {
  Image scene = CompositeScene(content, content.scenes[3], kSnapshotMs);
  // A square from the middle of the valley, with softly rounded corners.
  Image square(560, 560);
  for (int y = 0; y < 560; ++y)
    for (int x = 0; x < 560; ++x) {
      const float* p = scene.At(x + 120, y + 20);
      Paint(square, x, y, {p[0], p[1], p[2]}, 1);
    }
  std::vector<Image> sizes;
  for (int size : {16, 32, 48}) {
    Image icon = Resize(square, size, size);
    float radius = float(size) * 0.18f;
    for (int y = 0; y < size; ++y)
      for (int x = 0; x < size; ++x) {
        float dx = std::fmax(0.0f, std::fabs(float(x) + 0.5f - float(size) / 2) - (float(size) / 2 - radius));
        float dy = std::fmax(0.0f, std::fabs(float(y) + 0.5f - float(size) / 2) - (float(size) / 2 - radius));
        icon.At(x, y)[3] = Clamp01(radius - std::sqrt(dx * dx + dy * dy) + 0.5f);
      }
    sizes.push_back(icon);
  }
  return WriteIcon(path, sizes);
}

static std::string RegistryText(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out;
}

bool WriteRegistry(const std::string& path, const std::string& installDir, const Content& content) {
  // settingsex: scene count, module start position (the program substitutes its own), then
  // the ambient kind of each of the eight scenes.
  unsigned char extended[10] = {uint8_t(content.scenes.size()), 47};
  for (size_t i = 0; i < content.scenes.size() && i < 8; ++i) extended[2 + i] = uint8_t(content.scenes[i].ambient);
  std::string hex;
  for (int i = 0; i < 10; ++i) {
    char byte[4];
    std::snprintf(byte, sizeof byte, "%02x", extended[i]);
    hex += (i ? "," : "") + std::string(byte);
  }
  std::string text = "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\software\\quarvix\\screensavers\\Vesperglen]\n";
  text += "\"dir\"=\"" + RegistryText(installDir) + "\"\n";
  text += "\"name\"=\"Vesperglen\"\n";
  text += "\"musicname\"=\"" + std::string(kMusicName) + "\"\n";
  text += "\"settingsex\"=hex:" + hex + "\n";
  return WriteTextFile(path, text);
}
