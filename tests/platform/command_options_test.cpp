// The Linux command-line options: parsing, and their overrides of the stored settings, which
// last for the run only.
#include <gtest/gtest.h>

#include <cstring>

#include "app/settings.h"
#include "platform/win32/command_options.h"
#include "platform/win32/win32_internal.h"
#include "support/temp_files.h"

namespace {

Win32Options Parse(std::initializer_list<const char*> arguments) {
  return Win32ParseOptions(int(arguments.size()), arguments.begin());
}

}  // namespace

TEST(CommandOptions, HackOptionsAreReadWithOneOrTwoDashes) {
  Win32Options o = Parse({"-window-id", "0x2a", "--fps", "-root", "--fill", "/s"});
  EXPECT_STREQ(o.windowId, "0x2a");
  EXPECT_TRUE(o.fps);
  EXPECT_TRUE(o.root);
  EXPECT_TRUE(o.fillGiven);
  EXPECT_TRUE(o.fill);
  EXPECT_EQ(o.error, nullptr);
  EXPECT_STREQ(Parse({"--window-id=77"}).windowId, "77");
  EXPECT_TRUE(Parse({"-help"}).help);
  EXPECT_TRUE(Parse({"-h"}).help);
  EXPECT_FALSE(Parse({"--fit"}).fill);
  EXPECT_TRUE(Parse({"--fit"}).fillGiven);

  Win32Options s = Parse({"--scene-time", "6", "--no-clock", "--music", "--no-sounds", "--day-cycle"});
  EXPECT_EQ(s.sceneTime, 6);
  EXPECT_EQ(s.clock, 0);
  EXPECT_EQ(s.music, 1);
  EXPECT_EQ(s.sounds, 0);
  EXPECT_EQ(s.dayCycle, 1);
  EXPECT_EQ(s.error, nullptr);
  Win32Options none = Parse({"/p", "1234"});
  EXPECT_EQ(none.sceneTime, -1);
  EXPECT_EQ(none.clock, -1);
  EXPECT_EQ(none.error, nullptr);

  EXPECT_STREQ(Parse({"--scene-time", "7"}).error, "--scene-time");
  EXPECT_STREQ(Parse({"--scene-time"}).error, "--scene-time");
  EXPECT_STREQ(Parse({"--colour"}).error, "--colour");
}

TEST(CommandOptions, OverridesPatchTheReadSettingsAndNeverReachTheStore) {
  Settings stored{};
  stored.sceneChangeTime = 2;
  stored.volume = 80;
  stored.showTime = 1;
  stored.music = 1;
  stored.sounds = 1;
  Win32SetCommandLineOptions(Parse({"--scene-time", "5", "--no-clock", "--no-music"}));
  Settings read = stored;
  Win32PatchReadSettings(reinterpret_cast<uint8_t*>(&read), sizeof read);
  EXPECT_EQ(read.sceneChangeTime, 5);
  EXPECT_EQ(read.showTime, 0);
  EXPECT_EQ(read.music, 0);
  EXPECT_EQ(read.sounds, 1);
  EXPECT_EQ(read.volume, 80);

  // The run writes its settings back: the overridden fields go back to what was stored, a
  // change to another field (the dialog's volume) stays.
  Settings written = read;
  written.volume = 30;
  Win32UnpatchWrittenSettings(reinterpret_cast<uint8_t*>(&written), sizeof written);
  EXPECT_EQ(written.sceneChangeTime, 2);
  EXPECT_EQ(written.showTime, 1);
  EXPECT_EQ(written.music, 1);
  EXPECT_EQ(written.volume, 30);

  // Values of another size are not the settings record.
  uint8_t other[8] = {};
  Win32PatchReadSettings(other, sizeof other);
  EXPECT_EQ(other[0], 0);

  // The stored "fit" decides unless the command line did.
  Win32SetCommandLineOptions(Parse({}));
  Win32ApplyStoredFit("fill");
  EXPECT_TRUE(Win32FillsScreen());
  Win32ApplyStoredFit("fit");
  EXPECT_FALSE(Win32FillsScreen());
  Win32SetCommandLineOptions(Parse({"--fill"}));
  Win32ApplyStoredFit("fit");
  EXPECT_TRUE(Win32FillsScreen());
  Win32SetCommandLineOptions(Parse({}));
  Win32SetFillScreen(false);
}

TEST(CommandOptions, NamedWindowThenTheDaemonsWindowThenTheRootIsDrawnInto) {
  ScopedEnv daemon("XSCREENSAVER_WINDOW", "0x2a");
  Win32SetCommandLineOptions(Parse({"--root"}));
  EXPECT_EQ(Win32SaverHostWindowId(), 0x2Au);  // the daemon's window covers the root
  Win32SetCommandLineOptions(Parse({"-window-id", "77", "--root"}));
  EXPECT_EQ(Win32SaverHostWindowId(), 77u);
  Win32SetCommandLineOptions(Parse({"-window-id", "77x"}));
  EXPECT_EQ(Win32SaverHostWindowId(), 0x2Au);  // not a number: ignored
  Win32SetCommandLineOptions(Parse({}));
}

TEST(CommandOptions, RegistryReadsOfTheSettingsCarryTheOverridesAndTheStoredFit) {
  TempDir dir;
  ScopedEnv user("VESPERGLEN_REGISTRY", dir.File("user.reg").c_str());
  ScopedEnv machine("VESPERGLEN_MACHINE_REGISTRY", dir.File("machine.reg").c_str());
  // Scene time 2, volume 80, clock on, music on, sounds on; the fill stored.
  WriteTextFile(dir.File("machine.reg"),
                "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\software\\quarvix\\screensavers\\Vesperglen]\n"
                "\"settings\"=hex:02,00,00,00,50,00,00,00,00,01,00,00,00,00,00,00,01,01,00,00\n"
                "\"fit\"=\"fill\"\n");
  Win32SetCommandLineOptions(Parse({"--no-clock", "--scene-time", "6"}));
  Win32SetFillScreen(false);
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "software\\quarvix\\screensavers\\Vesperglen", 0, KEY_ALL_ACCESS, &key),
            ERROR_SUCCESS);
  Settings read{};
  DWORD size = sizeof read;
  ASSERT_EQ(RegQueryValueExA(key, "settings", nullptr, nullptr, reinterpret_cast<BYTE*>(&read), &size), ERROR_SUCCESS);
  EXPECT_EQ(read.showTime, 0);
  EXPECT_EQ(read.sceneChangeTime, 6);
  EXPECT_EQ(read.volume, 80);
  EXPECT_TRUE(Win32FillsScreen());

  // Writing the record back, as every run does, stores what was there before the overrides.
  ASSERT_EQ(RegSetValueExA(key, "settings", 0, REG_BINARY, reinterpret_cast<const BYTE*>(&read), sizeof read),
            ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_NE(ReadTextFile(dir.File("user.reg")).find("hex:02,00,00,00,50,00,00,00,00,01"), std::string::npos);
  Win32SetCommandLineOptions(Parse({}));
  Win32SetFillScreen(false);
}
