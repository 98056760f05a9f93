// Platform-internal: the Linux command-line options of an X screen-saver hack, read before the
// system's own command line is (which sees only its first switch). They change this run only:
// the settings they override are read patched and written back as they were stored.
#pragma once
#include <cstdint>

struct Win32Options {
  const char* windowId;  // -window-id / --window-id: the X window to draw into, or null
  bool root;             // -root / --root: draw into the root window
  bool fillGiven, fill;  // --fill / --fit
  bool fps;              // -fps / --fps: frame-rate overlay
  bool help;             // --help / -help / -h
  const char* error;     // the first argument not understood, or null
  // Overrides of the stored settings; -1 leaves the stored value.
  int sceneTime;  // 0..6: 30 s, 1, 2, 3, 5, 10 min, eternity
  int clock, music, sounds, dayCycle;  // 0 or 1
};

// Parses argv (without argv[0]); unknown arguments set `error` only when they look like options
// of ours (double dash), since the system's switches (/s, /c, /p N) are not ours to judge.
Win32Options Win32ParseOptions(int argc, const char* const* argv);
// The options of this process, parsed by Win32SetArguments.
const Win32Options& Win32CommandLineOptions();
void Win32SetCommandLineOptions(const Win32Options& options);
// The text --help prints.
const char* Win32OptionsHelp();

// Registry hooks, for the value named "settings": patches a freshly read copy with the
// overrides; before a write, puts the stored bytes back where an override stands.
void Win32PatchReadSettings(uint8_t* data, uint32_t size);
void Win32UnpatchWrittenSettings(uint8_t* data, uint32_t size);
// The stored "fit" value ("fill" or "fit") decides when the command line does not.
void Win32ApplyStoredFit(const char* value);
