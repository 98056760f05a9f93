#include "platform/win32/command_options.h"

#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "app/settings.h"
#include "platform/win32/win32_internal.h"

namespace {

Win32Options processOptions = Win32ParseOptions(0, nullptr);
// The settings as stored, from the last patched read, so a write keeps them.
uint8_t storedSettings[sizeof(Settings)];
bool storedKnown = false;

bool Is(const char* argument, const char* name) {
  // XScreenSaver hacks take -name and --name alike.
  if (argument[0] != '-') return false;
  const char* bare = argument[1] == '-' ? argument + 2 : argument + 1;
  return std::strcmp(bare, name) == 0;
}

bool SmallNumber(const char* text, int low, int high, int* value) {
  if (text == nullptr || text[0] == '\0') return false;
  char* end = nullptr;
  long n = std::strtol(text, &end, 10);
  if (*end != '\0' || n < low || n > high) return false;
  *value = int(n);
  return true;
}

// Switch pairs: --clock / --no-clock and so on.
bool Toggle(const char* argument, const char* name, int* value) {
  char negative[32] = "no-";
  std::strncat(negative, name, sizeof negative - 4);
  if (Is(argument, name)) *value = 1;
  else if (Is(argument, negative)) *value = 0;
  else return false;
  return true;
}

struct Field {
  int Win32Options::*option;
  size_t offset;
  size_t size;
};

const Field kFields[] = {
    {&Win32Options::sceneTime, offsetof(Settings, sceneChangeTime), sizeof(Settings::sceneChangeTime)},
    {&Win32Options::clock, offsetof(Settings, showTime), sizeof(Settings::showTime)},
    {&Win32Options::music, offsetof(Settings, music), sizeof(Settings::music)},
    {&Win32Options::sounds, offsetof(Settings, sounds), sizeof(Settings::sounds)},
    {&Win32Options::dayCycle, offsetof(Settings, dayCycle), sizeof(Settings::dayCycle)},
};

}  // namespace

Win32Options Win32ParseOptions(int argc, const char* const* argv) {
  Win32Options o{};
  o.sceneTime = o.clock = o.music = o.sounds = o.dayCycle = -1;
  for (int i = 0; i < argc; ++i) {
    const char* a = argv[i];
    const char* next = i + 1 < argc ? argv[i + 1] : nullptr;
    if (Is(a, "window-id") && next != nullptr) {
      o.windowId = argv[++i];
    } else if (std::strncmp(a, "--window-id=", 12) == 0) {
      o.windowId = a + 12;
    } else if (Is(a, "root")) {
      o.root = true;
    } else if (Is(a, "fill") || Is(a, "fit")) {
      o.fillGiven = true;
      o.fill = Is(a, "fill");
    } else if (Is(a, "fps")) {
      o.fps = true;
    } else if (Is(a, "help") || std::strcmp(a, "-h") == 0) {
      o.help = true;
    } else if (Is(a, "scene-time")) {
      if (!SmallNumber(next, 0, 6, &o.sceneTime) && o.error == nullptr) o.error = a;
      if (next != nullptr) ++i;
    } else if (Toggle(a, "clock", &o.clock) || Toggle(a, "music", &o.music) || Toggle(a, "sounds", &o.sounds) ||
               Toggle(a, "day-cycle", &o.dayCycle)) {
    } else if (std::strncmp(a, "--", 2) == 0 && o.error == nullptr) {
      o.error = a;
    }
  }
  return o;
}

const Win32Options& Win32CommandLineOptions() { return processOptions; }

void Win32SetCommandLineOptions(const Win32Options& options) {
  processOptions = options;
  storedKnown = false;
  if (options.fillGiven) Win32SetFillScreen(options.fill);
}

const char* Win32OptionsHelp() {
  return "Usage: vesperglen [options] [/s | /p WINDOW | /c]\n"
         "A landscape screen saver. Without a switch it opens its settings dialog.\n"
         "\n"
         "  /s                 run full screen (the saver proper)\n"
         "  /p WINDOW          draw the preview into X window WINDOW\n"
         "  /c                 open the settings dialog\n"
         "  -window-id ID      draw into X window ID (decimal or 0x hex), as XScreenSaver asks;\n"
         "                     XSCREENSAVER_WINDOW does the same\n"
         "  -root              draw into the root window\n"
         "  --fill             fill the screen, cropping the picture (wide screens lose top and bottom)\n"
         "  --fit              show the whole picture with black bars (the default)\n"
         "  --fps              show the frame rate\n"
         "  --scene-time N     change scenes after: 0 30 s, 1 1 min, 2 2 min, 3 3 min, 4 5 min,\n"
         "                     5 10 min, 6 never\n"
         "  --clock, --no-clock         show the time or not\n"
         "  --music, --no-music         play the music or not\n"
         "  --sounds, --no-sounds       play the ambient sounds or not\n"
         "  --day-cycle, --no-day-cycle cycle the light or not\n"
         "  --help             show this text\n"
         "\n"
         "The settings options apply to this run only; the settings dialog keeps the stored ones.\n"
         "The registry value \"fit\" (\"fill\" or \"fit\") stores the choice of --fill and --fit.\n";
}

void Win32PatchReadSettings(uint8_t* data, uint32_t size) {
  if (data == nullptr || size != sizeof(Settings)) return;
  std::memcpy(storedSettings, data, sizeof storedSettings);
  storedKnown = true;
  for (const Field& field : kFields) {
    int value = processOptions.*field.option;
    if (value < 0) continue;
    uint8_t bytes[4] = {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16), uint8_t(value >> 24)};
    std::memcpy(data + field.offset, bytes, field.size);  // little-endian, as stored
  }
}

void Win32UnpatchWrittenSettings(uint8_t* data, uint32_t size) {
  if (data == nullptr || size != sizeof(Settings) || !storedKnown) return;
  for (const Field& field : kFields) {
    if (processOptions.*field.option >= 0) std::memcpy(data + field.offset, storedSettings + field.offset, field.size);
  }
}

void Win32ApplyStoredFit(const char* value) {
  if (processOptions.fillGiven || value == nullptr) return;
  Win32SetFillScreen(std::strcmp(value, "fill") == 0);
}
