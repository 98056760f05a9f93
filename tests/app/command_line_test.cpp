#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "app/app_state.h"
#include "app/entry.h"

namespace {

uintptr_t Parse(const char* commandLine, RunMode expected) {
  parentWindow = nullptr;
  EXPECT_EQ(ParseCommandLine(commandLine), expected) << commandLine;
  return reinterpret_cast<uintptr_t>(parentWindow);
}

TEST(CommandLineTest, SwitchesChooseTheRunModeAndOwner) {
  for (const char* fullScreen : {"saver.scr /s", "saver.scr -S", "saver.scr /x", "saver.scr /",
                                 "saver.scr foo-bar /c"}) {
    EXPECT_EQ(Parse(fullScreen, FullScreen), 0u);
  }
  EXPECT_EQ(Parse("saver.scr", Configure), 0u);
  EXPECT_EQ(Parse("saver.scr /c:1234", Configure), 1234u);
  EXPECT_EQ(Parse("saver.scr /c", Configure), 0u);
  EXPECT_EQ(Parse("saver.scr /p 1234", Preview), 1234u);
  EXPECT_EQ(Parse("saver.scr /P:1234", Preview), 1234u);
  EXPECT_EQ(Parse("saver.scr /p", Preview), 0u);
  EXPECT_EQ(Parse("saver.scr /s /c:5", FullScreen), 0u);
}

TEST(CommandLineTest, ConfigureWithoutNumberClearsAnEarlierOwner) {
  parentWindow = reinterpret_cast<HWND>(uintptr_t(77));
  EXPECT_EQ(ParseCommandLine("saver.scr /c"), Configure);
  EXPECT_EQ(parentWindow, nullptr);
  parentWindow = reinterpret_cast<HWND>(uintptr_t(77));
  EXPECT_EQ(ParseCommandLine("saver.scr /p"), Preview);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(parentWindow), 77u);
}

TEST(CommandLineTest, ProgramNameComesFromThePathQuotedOrNot) {
  EXPECT_EQ(Parse("\"C:\\Program Files\\My Saver\\Vesper.glen.scr\" /p 42", Preview), 42u);
  EXPECT_STREQ(programName, "Vesper.glen");
  Parse("/usr/local/bin/vesperglen /s", FullScreen);
  EXPECT_STREQ(programName, "vesperglen");
  Parse("\"unterminated path -p 9", Configure);
  EXPECT_STREQ(programName, "unterminated path -p 9");
  Parse("", Configure);
  EXPECT_STREQ(programName, "");
}

TEST(CommandLineTest, OverlongInputIsCutNotOverflowed) {
  std::string longName(400, 'x');
  Parse(("C:\\" + longName + ".scr /s").c_str(), FullScreen);
  EXPECT_EQ(std::string(programName), std::string(255, 'x'));
  EXPECT_EQ(Parse("saver.scr /p 99999999999999999999999", Preview), uintptr_t(LONG_MAX));
}

}  // namespace
