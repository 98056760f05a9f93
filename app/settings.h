// The settings store: two binary records and three strings in one registry key under
// HKEY_LOCAL_MACHINE, and the link read from "links.txt" in the installation folder.
#pragma once
#include <windows.h>
#include <cstdint>

#include "app/app_state.h"

// Registry value "settings": exactly 20 bytes, little-endian, the padding written as zero.
struct Settings {
  int32_t sceneChangeTime;  // 0..6, index into the scene-change time list
  int32_t volume;           // 0..100
  uint8_t dayCycle;
  uint8_t showTime;
  uint8_t padding1[2];
  int32_t startScene;  // 0..7
  uint8_t music;
  uint8_t sounds;
  uint8_t padding2[2];
};
static_assert(sizeof(Settings) == 20, "the stored value is exactly 20 bytes");

// Registry value "settingsex": exactly 10 bytes, provided by the installation, never written.
struct ExtendedSettings {
  uint8_t sceneCount;          // 1..8
  uint8_t musicStartPosition;  // always replaced by kMusicStartPosition after loading
  uint8_t ambientKind[8];      // per scene: 0 none, 1 birds, 2 brook, 3 waterfall
};
static_assert(sizeof(ExtendedSettings) == 10, "the stored value is exactly 10 bytes");

extern const char kProductTitle[];
extern const char kSettingsKeyPrefix[];
// The order at which module music starts, fixed by the build whatever "settingsex" holds.
constexpr uint8_t kMusicStartPosition = 47;

extern Settings settings;
extern ExtendedSettings extendedSettings;
extern char musicName[kNameSize];
extern char displayName[kNameSize];
extern char installDir[kNameSize];
extern char link1[kNameSize];

// settingsKeyPath = kSettingsKeyPrefix + kProductTitle.
void BuildSettingsKeyPath();
// Reads a REG_BINARY value of exactly *size bytes into destination. On a missing value or one
// of another size, *size becomes 0 and destination is untouched.
void ReadBinarySetting(const char* keyPath, const char* valueName, void* destination,
                       DWORD* size);
// Creates the key when needed and stores the bytes as REG_BINARY; failures are not reported.
void WriteBinarySetting(const char* keyPath, const char* valueName, const void* data, DWORD size);
// Reads both records (defaults when missing), the three strings, enters installDir and reads
// link1 from "links.txt" (fatal when that file is missing).
void LoadSettings();
// Writes "settings" only.
void SaveSettings();
