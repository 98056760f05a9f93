// GetTimeFormatA on Linux: the environment's locale decides the format, the buffer follows the
// Windows size rules, and caller formats and flags use Windows time pictures.
#include <gtest/gtest.h>

#include <windows.h>

#include <locale.h>

#include <string>

#include "support/temp_files.h"

namespace {

SYSTEMTIME At(WORD hour, WORD minute, WORD second) {
  SYSTEMTIME time = {};
  time.wHour = hour;
  time.wMinute = minute;
  time.wSecond = second;
  return time;
}

std::string Format(const SYSTEMTIME& time, DWORD flags = 0, const char* format = nullptr) {
  char text[64] = "unwritten";
  int written = GetTimeFormatA(LOCALE_USER_DEFAULT, flags, &time, format, text, sizeof text);
  return written > 0 ? std::string(text, size_t(written - 1)) : "failed";
}

bool Installed(const char* name) {
  locale_t probe = newlocale(LC_TIME_MASK, name, nullptr);
  if (probe != nullptr) freelocale(probe);
  return probe != nullptr;
}

class TimeFormatTest : public ::testing::Test {
 protected:
  ScopedEnv all{"LC_ALL", nullptr};
  ScopedEnv time{"LC_TIME", nullptr};
  ScopedEnv lang{"LANG", "C"};
};

TEST_F(TimeFormatTest, TwelveHourLocalesGetAMarkerAndTwentyFourHourOnesDoNot) {
  EXPECT_EQ(Format(At(13, 5, 9)), "13:05:09");
  if (!Installed("en_US.UTF-8") || !Installed("de_DE.UTF-8")) GTEST_SKIP() << "en_US/de_DE locales missing";
  setenv("LANG", "en_US.UTF-8", 1);
  EXPECT_EQ(Format(At(13, 5, 9)), "01:05:09 PM");
  EXPECT_EQ(Format(At(0, 30, 0)), "12:30:00 AM");
  setenv("LANG", "de_DE.UTF-8", 1);
  EXPECT_EQ(Format(At(13, 5, 9)), "13:05:09");
  // LC_ALL outranks LC_TIME, which outranks LANG.
  setenv("LC_TIME", "en_US.UTF-8", 1);
  EXPECT_EQ(Format(At(13, 5, 9)), "01:05:09 PM");
  setenv("LC_ALL", "de_DE.UTF-8", 1);
  EXPECT_EQ(Format(At(13, 5, 9)), "13:05:09");
  // A locale that is not installed reads like C.
  setenv("LC_ALL", "xx_NOWHERE.UTF-8", 1);
  EXPECT_EQ(Format(At(13, 5, 9)), "13:05:09");
}

TEST_F(TimeFormatTest, SizesCountTheTerminatorAndTooSmallBuffersFail) {
  SYSTEMTIME t = At(7, 8, 9);
  EXPECT_EQ(GetTimeFormatA(0, 0, &t, nullptr, nullptr, 0), 9);
  char text[9];
  SetLastError(0);
  EXPECT_EQ(GetTimeFormatA(0, 0, &t, nullptr, text, 8), 0);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(GetTimeFormatA(0, 0, &t, nullptr, text, 9), 9);
  EXPECT_STREQ(text, "07:08:09");

  SYSTEMTIME bad = At(24, 0, 0);
  EXPECT_EQ(GetTimeFormatA(0, 0, &bad, nullptr, text, 9), 0);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(GetTimeFormatA(0, 0, &t, nullptr, nullptr, 9), 0);

  // No time given: now, in the same shape.
  EXPECT_EQ(GetTimeFormatA(0, 0, nullptr, nullptr, text, 9), 9);
  EXPECT_EQ(text[2], ':');
  EXPECT_EQ(text[5], ':');
}

TEST_F(TimeFormatTest, FlagsAndCallerPicturesFollowTheWindowsRules) {
  SYSTEMTIME t = At(15, 4, 3);
  EXPECT_EQ(Format(t, TIME_NOSECONDS), "15:04");
  EXPECT_EQ(Format(t, 0, "h:m:s t|hh:mm:ss tt"), "3:4:3 P|03:04:03 PM");
  EXPECT_EQ(Format(t, 0, "H 'o''clock' mm"), "15 o'clock 04");
  EXPECT_EQ(Format(t, TIME_FORCE24HOURFORMAT | TIME_NOTIMEMARKER, "hh:mm:ss tt"), "15:04:03");
  EXPECT_EQ(Format(t, TIME_NOSECONDS, "tt h:mm:ss"), "PM 3:04");
}

}  // namespace
