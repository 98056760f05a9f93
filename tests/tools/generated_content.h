// The generator's output for the tests of this folder, made once per build of the generator.
#pragma once
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

inline bool RunGenerator(const std::filesystem::path& dir) {
  std::filesystem::remove_all(dir);
  std::string command = std::string("\"") + VG_CONTENT_TOOL + "\" \"" + dir.string() + "\" > /dev/null";
  return std::system(command.c_str()) == 0;
}

// Every test runs in a process of its own, so the output is made once per build of the
// generator and shared: staged in a folder of its own, then renamed into place. Empty when the
// generator failed.
inline std::filesystem::path GeneratedContent() {
  namespace fs = std::filesystem;
  fs::path root = VG_CONTENT_TEST_DIR;
  std::string stamp = std::to_string(fs::last_write_time(VG_CONTENT_TOOL).time_since_epoch().count());
  fs::path dir = root / ("run_" + stamp);
  fs::path ready = dir / "ready";
  if (fs::exists(dir)) {
    for (int i = 0; i < 600 && !fs::exists(ready); ++i) ::usleep(100000);
    return fs::exists(ready) ? dir : fs::path();
  }
  fs::path staging = root / ("staging_" + std::to_string(::getpid()));
  if (!RunGenerator(staging)) return {};
  std::error_code error;
  fs::rename(staging, dir, error);
  if (error) fs::remove_all(staging);  // another test process got there first
  // The registry names the folder it was written for; write it again for the final name.
  std::string command = std::string("\"") + VG_CONTENT_TOOL + "\" --registry \"" + (dir / "registry.reg").string() +
                        "\" \"" + fs::absolute(dir).lexically_normal().string() + "\"";
  if (!error && (std::system(command.c_str()) != 0 || !std::ofstream(ready))) return {};
  for (int i = 0; i < 600 && !fs::exists(ready); ++i) ::usleep(100000);
  for (const auto& old : fs::directory_iterator(root))
    if (old.path() != dir && old.path().filename().string().rfind("run_", 0) == 0) fs::remove_all(old.path(), error);
  return dir;
}
