#include <gtest/gtest.h>

#include <string>

#include "app/frame_clock.h"
#include "app/random.h"
#include "record.h"
#include "support/temp_files.h"

namespace {

void AdvanceVirtualClockBy(DWORD milliseconds) {
  std::string text = std::to_string(milliseconds);
  ScopedEnv frame("VESPERGLEN_FRAME_MS", text.c_str());
  VirtualClockAdvance();
}

TEST(FrameClockTest, DeltasWrapAroundThe32BitTimer) {
  ScopedEnv frame("VESPERGLEN_FRAME_MS", "16");
  ASSERT_TRUE(VirtualClockActive());
  // Bring the virtual clock to 16 ms before the wrap.
  AdvanceVirtualClockBy(DWORD(0) - 16u - VirtualClockNow());
  ASSERT_EQ(timeGetTime(), 0xFFFFFFF0u);
  StartFrameClock();
  AdvanceVirtualClockBy(32);
  UpdateFrameClock();
  EXPECT_EQ(frameDeltaMs, 32u);
  EXPECT_EQ(frameDelta, 32.0f);
  EXPECT_EQ(lastFrameTime, 16u);

  AdvanceVirtualClockBy(2000);  // a long frame is not clamped
  UpdateFrameClock();
  EXPECT_EQ(frameDeltaMs, 2000u);

  AdvanceVirtualClockBy(500);
  ResetFrameClock();
  EXPECT_EQ(frameDeltaMs, 0u);
  EXPECT_EQ(frameDelta, 0.0f);
  EXPECT_EQ(lastFrameTime, timeGetTime());
}

TEST(FrameClockTest, VirtualClockMovesOnlyAtPresentsAndIgnoresBadLengths) {
  ScopedEnv frame("VESPERGLEN_FRAME_MS", "20");
  DWORD start = timeGetTime();
  EXPECT_EQ(timeGetTime(), start);
  VirtualClockAdvance();
  EXPECT_EQ(timeGetTime(), start + 20);
  ScopedEnv bad("VESPERGLEN_FRAME_MS", "fast");
  EXPECT_FALSE(VirtualClockActive());
}

TEST(RandomTest, SeedZeroGivesTheDocumentedFirstDraws) {
  SeedRandom(0);
  EXPECT_EQ(RandomInt(2), 1);  // raw 7199
  SeedRandom(0);
  EXPECT_NEAR(RandomUnit(500.0f), 54.924f, 1e-3f);
  SeedRandom(0);
  EXPECT_NEAR(RandomSigned(1.0f), -0.7803f, 1e-4f);
  SeedRandom(0);
  EXPECT_EQ(RandomInt(65536), 7199);
  SeedRandom(0x12345678);
  EXPECT_EQ(randomHigh, 0x56);
  EXPECT_EQ(randomLow, 0x78);
}

TEST(RandomTest, SequenceRepeatsAfter256DrawsAndStaysInRange) {
  SeedRandom(0xBEEF);
  int first[8];
  for (int& value : first) value = RandomInt(65536);
  for (int i = 8; i < 256; i++) {
    float unit = RandomUnit(10.0f);
    EXPECT_GE(unit, 0.0f);
    EXPECT_LT(unit, 10.0f);
  }
  EXPECT_EQ(randomHigh, 0xBE);
  EXPECT_EQ(randomLow, 0xEF);
  for (int value : first) EXPECT_EQ(RandomInt(65536), value);
  EXPECT_EQ(RandomInt(0), 0);
  EXPECT_EQ(RandomInt(-5), 0);
}

TEST(RandomTest, ExtremeRawValuesStayInsideTheHalfOpenRanges) {
  SeedRandom(35464);  // next raw value 0
  EXPECT_EQ(RandomSigned(1.0f), -1.0f);
  SeedRandom(32894);  // next raw value 65535
  EXPECT_LT(RandomUnit(1.0f), 1.0f);
  SeedRandom(32894);
  EXPECT_LT(RandomSigned(1.0f), 1.0f);
}

}  // namespace
