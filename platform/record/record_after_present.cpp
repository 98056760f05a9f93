// The per-present half of recorded runs: frame capture, the virtual clock's step and the end of a
// bounded run.
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "capture.h"
#include "record.h"

namespace {

long presentNumber = 0;

// The program moves into its data folder before the first present; a relative capture folder
// means one relative to where the run was started.
std::filesystem::path StartFolder() {
  std::error_code error;
  return std::filesystem::current_path(error);
}
const std::filesystem::path startFolder = StartFolder();

// A positive whole number from the environment, or `fallback` when unset or malformed.
long NumberSetting(const char* name, long fallback) {
  const char* text = std::getenv(name);
  if (text == nullptr || text[0] == '\0') return fallback;
  char* end = nullptr;
  long value = std::strtol(text, &end, 10);
  if (*end != '\0' || value < 0) {
    std::fprintf(stderr, "%s=%s is not a whole number; ignored\n", name, text);
    return fallback;
  }
  return value;
}

void CaptureIfAsked(IDirect3DDevice8* device, long number) {
  const char* dir = std::getenv("VESPERGLEN_CAPTURE");
  if (dir == nullptr || dir[0] == '\0') return;
  long every = NumberSetting("VESPERGLEN_CAPTURE_EVERY", 1);
  if (every <= 0 || number % every != 0) return;
  std::filesystem::path folder = PathFromRunStart(dir);
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  char name[32];
  std::snprintf(name, sizeof name, "frame_%06ld.png", number);
  std::filesystem::path path = folder / name;
  if (!CaptureBackBufferPng(device, path.string().c_str())) {
    std::fprintf(stderr, "could not write %s\n", path.string().c_str());
  }
}

}  // namespace

std::string PathFromRunStart(const char* path) {
  return (startFolder / path).string();  // an absolute path replaces the start folder
}

void RecordRestart() { presentNumber = 0; }

// Environment variables are read at every present so that they can be set at any time before it.
void RecordBeforePresent(IDirect3DDevice8* device) { CaptureIfAsked(device, presentNumber); }

void RecordAfterPresent(IDirect3DDevice8*) {
  long number = presentNumber++;
  VirtualClockAdvance();
  long last = NumberSetting("VESPERGLEN_FRAMES", -1);
  if (last >= 0 && number == last) PostQuitMessage(0);
}
