// vesperglen_content: paints, synthesises and writes the default installation folder.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <future>
#include <string>

#include "content.h"
#include "content_files.h"
#include "install_files.h"
#include "picture_files.h"
#include "preview.h"
#include "sound_files.h"
#include "text_render.h"

namespace fs = std::filesystem;

namespace {

void PrintUsage() {
  std::puts(
      "usage: vesperglen_content [options] INSTALL_DIR\n"
      "Writes links.txt, ad1.bmp and the Data folder of the default scenes into INSTALL_DIR,\n"
      "and INSTALL_DIR/registry.reg naming INSTALL_DIR as the installation folder.\n"
      "  --registry FILE DIR  write only the registry file, naming DIR (used by the install step)\n"
      "  --preview DIR        also composite every scene as the engine draws it, as DIR/sceneN.png\n"
      "  --icon FILE          also write the program icon (16, 32 and 48 px)\n"
      "  --help               this text");
}

bool WritePictures(const std::string& dataDir, const Content& content) {
  bool ok = true;
  for (const Picture& picture : content.pictures) {
    std::string path = dataDir + "/" + picture.file;
    // Skies are smooth gradients stretched over the screen: at the usual quality their dark
    // parts break into 8 x 8 blocks, so they are kept finer.
    int quality = picture.entry.rfind("sky", 0) == 0 ? 97 : 92;
    if (picture.format == PictureFormat::Jpeg) ok = WriteJpeg(path, picture.image, quality) && ok;
    if (picture.format == PictureFormat::Tga) ok = WriteTga(path, picture.image) && ok;
    if (picture.format == PictureFormat::AlphaPair) {
      std::string stem = picture.file.substr(0, picture.file.find('.'));
      ok = WriteAlphaJpeg(dataDir + "/_a_" + stem + ".jpg", picture.image, 92) && ok;
    }
  }
  for (size_t i = 0; i < content.scenes.size(); ++i) {
    ok = WriteAlphaJpeg(dataDir + "/_a_back" + std::to_string(i) + ".jpg", content.scenes[i].background, 93) && ok;
    ok = WriteLevel(dataDir + "/level" + std::to_string(i) + ".lev", content.scenes[i]) && ok;
  }
  return ok;
}

bool WritePreviews(const std::string& dir, const Content& content) {
  fs::create_directories(dir);
  bool ok = true;
  for (size_t i = 0; i < content.scenes.size(); ++i)
    ok = WritePng(dir + "/scene" + std::to_string(i) + ".png", CompositeScene(content, content.scenes[i], 20000)) && ok;
  return ok;
}

bool WriteInstallation(const std::string& installDir, const Content& content) {
  std::string dataDir = installDir + "/Data";
  fs::create_directories(dataDir + "/Sounds");
  bool ok = WritePictures(dataDir, content);
  ok = WriteObjectList(dataDir, content) && ok;
  ok = WriteModels(dataDir) && ok;
  ok = WriteFontFiles(dataDir) && ok;
  ok = WritePreviewPicture(dataDir, content) && ok;
  ok = WriteLinks(installDir) && ok;
  ok = WriteLinkPicture(installDir, content) && ok;
  ok = WriteRegistry(installDir + "/registry.reg", fs::absolute(installDir).lexically_normal().string(), content) && ok;
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  std::string installDir, previewDir, iconPath, registryPath, registryDir;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      PrintUsage();
      return 0;
    } else if (arg == "--preview" && i + 1 < argc) {
      previewDir = argv[++i];
    } else if (arg == "--icon" && i + 1 < argc) {
      iconPath = argv[++i];
    } else if (arg == "--registry" && i + 2 < argc) {
      registryPath = argv[++i];
      registryDir = argv[++i];
    } else if (arg[0] != '-' && installDir.empty()) {
      installDir = arg;
    } else {
      PrintUsage();
      return 2;
    }
  }
  if (!registryPath.empty() && installDir.empty()) {
    // Only the counts and ambient kinds are needed; no picture is painted.
    return WriteRegistry(registryPath, registryDir, SceneSummary()) ? 0 : 1;
  }
  if (installDir.empty()) {
    PrintUsage();
    return 2;
  }
  if (!LoadTextFont()) return 1;
  auto start = std::chrono::steady_clock::now();
  // Sound is synthesised beside the painting; neither waits for the other.
  fs::create_directories(installDir + "/Data/Sounds");
  auto sound = std::async(std::launch::async, [&installDir] {
    return WriteSounds(installDir + "/Data/Sounds") && WriteMusic(installDir + "/Data", kMusicName);
  });
  Content content = BuildContent();
  bool ok = WriteInstallation(installDir, content);
  ok = sound.get() && ok;
  if (!previewDir.empty()) ok = WritePreviews(previewDir, content) && ok;
  if (!iconPath.empty()) ok = WriteIconFile(iconPath, content) && ok;
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("vesperglen_content: %zu pictures, %zu scenes in %.1f s\n", content.pictures.size(),
              content.scenes.size(), seconds);
  return ok ? 0 : 1;
}
