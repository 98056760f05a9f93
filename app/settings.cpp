#include "app/settings.h"

#include <cstdio>
#include <cstring>

#include "data/file_cache.h"
#include "data/key_value.h"

const char kProductTitle[] = "Vesperglen";
const char kSettingsKeyPrefix[] = "software\\quarvix\\screensavers\\";

Settings settings;
ExtendedSettings extendedSettings;
char musicName[kNameSize];
char displayName[kNameSize];
char installDir[kNameSize];
char link1[kNameSize];

namespace {

void DefaultSettings() {
  // sceneChangeTime keeps what it had.
  settings.volume = 80;
  settings.dayCycle = 0;
  settings.showTime = 1;
  settings.music = 1;
  settings.sounds = 1;
  settings.startScene = 0;
}

void DefaultExtendedSettings() {
  extendedSettings.sceneCount = 1;
  extendedSettings.musicStartPosition = 0;
  std::memset(extendedSettings.ambientKind, 0, sizeof extendedSettings.ambientKind);
}

// Reads at most 255 bytes and always terminates, also when the stored string has no zero of
// its own; a value too long for the buffer leaves it empty rather than cut.
void ReadStringSetting(HKEY key, const char* valueName, char* destination) {
  DWORD size = kNameSize - 1;
  DWORD type = REG_NONE;
  destination[0] = '\0';
  if (key == nullptr) return;
  LSTATUS status = RegQueryValueExA(key, valueName, nullptr, &type,
                                    reinterpret_cast<BYTE*>(destination), &size);
  destination[status == ERROR_SUCCESS && size < kNameSize ? size : 0] = '\0';
}

void ReadStringSettings() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, settingsKeyPath, 0, KEY_ALL_ACCESS, &key) !=
      ERROR_SUCCESS) {
    key = nullptr;
  }
  ReadStringSetting(key, "musicname", musicName);
  ReadStringSetting(key, "name", displayName);
  ReadStringSetting(key, "dir", installDir);
  if (key != nullptr) RegCloseKey(key);
}

void ReadLinks() {
  int size = 0;
  unsigned char* links = LoadDataFile("links.txt", &size, true);
  GetTextValue(link1, sizeof link1, reinterpret_cast<const char*>(links), size, "link1=");
  ReleaseFile(links);
}

}  // namespace

void BuildSettingsKeyPath() {
  std::snprintf(settingsKeyPath, sizeof settingsKeyPath, "%s%s", kSettingsKeyPrefix,
                kProductTitle);
}

void ReadBinarySetting(const char* keyPath, const char* valueName, void* destination,
                       DWORD* size) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) {
    *size = 0;
    return;
  }
  DWORD expected = *size;
  DWORD found = 0;
  if (RegQueryValueExA(key, valueName, nullptr, nullptr, nullptr, &found) != ERROR_SUCCESS ||
      found != expected ||
      RegQueryValueExA(key, valueName, nullptr, nullptr, static_cast<BYTE*>(destination),
                       &found) != ERROR_SUCCESS) {
    *size = 0;
  }
  RegCloseKey(key);
}

void WriteBinarySetting(const char* keyPath, const char* valueName, const void* data,
                        DWORD size) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                      nullptr) != ERROR_SUCCESS) {
    return;
  }
  RegSetValueExA(key, valueName, 0, REG_BINARY, static_cast<const BYTE*>(data), size);
  RegCloseKey(key);
}

void LoadSettings() {
  DWORD size = sizeof settings;
  ReadBinarySetting(settingsKeyPath, "settings", &settings, &size);
  if (size == 0) DefaultSettings();
  // The sound system takes its volumes from settings.volume when it starts.
  size = sizeof extendedSettings;
  ReadBinarySetting(settingsKeyPath, "settingsex", &extendedSettings, &size);
  if (size == 0) DefaultExtendedSettings();
  extendedSettings.musicStartPosition = kMusicStartPosition;
  ReadStringSettings();
  SetCurrentDirectoryA(installDir);
  ReadLinks();
}

void SaveSettings() {
  // The padding is stored as zero whatever a caller left in it.
  Settings stored = settings;
  std::memset(stored.padding1, 0, sizeof stored.padding1);
  std::memset(stored.padding2, 0, sizeof stored.padding2);
  WriteBinarySetting(settingsKeyPath, "settings", &stored, sizeof stored);
}
