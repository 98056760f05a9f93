// libFuzzer target: any bytes as the user's REGEDIT4 registry file, read for the saver's settings
// and written back with one value changed. Run with -close_fd_mask=2: broken files are said on
// stderr.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include <windows.h>

#include "tests/fuzz/scratch_file.h"

namespace {

const char kKey[] = "software\\quarvix\\screensavers\\Vesperglen";

// Every query reads the file again, so each name is asked once, and for its size alone only when
// the value did not fit.
void Query(HKEY key, const char* name) {
  BYTE value[64];
  DWORD type = 0, size = sizeof value;
  LSTATUS status = RegQueryValueExA(key, name, nullptr, &type, value, &size);
  if (status == ERROR_SUCCESS && size > sizeof value) __builtin_trap();
  if (status == ERROR_MORE_DATA) {
    DWORD needed = 0;
    if (RegQueryValueExA(key, name, nullptr, &type, nullptr, &needed) != ERROR_SUCCESS || needed != size) {
      __builtin_trap();
    }
  }
}

void QueryAll(HKEY key) {
  for (const char* name : {"settings", "settingsex", "musicname", "name", "dir", ""}) Query(key, name);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static std::string path = ScratchPath("registry.reg");
  static bool ready = false;
  if (!ready) {
    setenv("VESPERGLEN_REGISTRY", path.c_str(), 1);
    setenv("VESPERGLEN_MACHINE_REGISTRY", ScratchPath("absent.reg").c_str(), 1);
    ready = true;
  }
  if (!WriteScratch(path, data, size)) return 0;
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
    QueryAll(key);
    const BYTE changed[10] = {1, 2, 3};
    RegSetValueExA(key, "settingsex", 0, REG_BINARY, changed, sizeof changed);
    Query(key, "settingsex");
    Query(key, "settings");
    RegCloseKey(key);
  }
  return 0;
}
