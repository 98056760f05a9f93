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
