// Presented pictures converted into the pixels of 16-, 24- and 30-bit X visuals.
#include <gtest/gtest.h>

#include <vector>

#include "platform/win32/x11_pixels.h"

TEST(X11Pixels, EveryTrueColourDepthGetsItsChannelsInPlace) {
  PixelLayout rgb565, rgb555, rgb888, rgb30, bgr888;
  ASSERT_TRUE(PixelLayoutFromMasks(0xF800, 0x07E0, 0x001F, &rgb565));
  ASSERT_TRUE(PixelLayoutFromMasks(0x7C00, 0x03E0, 0x001F, &rgb555));
  ASSERT_TRUE(PixelLayoutFromMasks(0xFF0000, 0xFF00, 0xFF, &rgb888));
  ASSERT_TRUE(PixelLayoutFromMasks(0x3FF00000, 0xFFC00, 0x3FF, &rgb30));
  ASSERT_TRUE(PixelLayoutFromMasks(0xFF, 0xFF00, 0xFF0000, &bgr888));
  EXPECT_FALSE(PixelLayoutFromMasks(0, 0xFF00, 0xFF, &rgb888));
  EXPECT_FALSE(PixelLayoutFromMasks(0xF0F000, 0xFF00, 0xFF, &rgb888));  // not contiguous

  EXPECT_EQ(ConvertPixel(0xFFFFFF, rgb565), 0xFFFFu);
  EXPECT_EQ(ConvertPixel(0xFF0000, rgb565), 0xF800u);
  EXPECT_EQ(ConvertPixel(0x00FF00, rgb565), 0x07E0u);
  EXPECT_EQ(ConvertPixel(0x0000FF, rgb565), 0x001Fu);
  EXPECT_EQ(ConvertPixel(0x808080, rgb565), (16u << 11) | (32u << 5) | 16u);
  EXPECT_EQ(ConvertPixel(0xFFFFFF, rgb555), 0x7FFFu);
  EXPECT_EQ(ConvertPixel(0x00FF00, rgb555), 0x03E0u);
  EXPECT_EQ(ConvertPixel(0x123456, rgb888) & 0xFFFFFF, 0x123456u);
  EXPECT_EQ(ConvertPixel(0x123456, rgb888) >> 24, 0xFFu);  // opaque in an alpha visual
  EXPECT_EQ(ConvertPixel(0xFFFFFF, rgb30), 0x3FFFFFFFu);
  EXPECT_EQ(ConvertPixel(0x800000, rgb30), 0x202u << 20);
  EXPECT_EQ(ConvertPixel(0x123456, bgr888), 0x563412u);
}

TEST(X11Pixels, SameSizeCopiesAndOtherSizesScaleWithRowPitches) {
  PixelLayout rgb565;
  ASSERT_TRUE(PixelLayoutFromMasks(0xF800, 0x07E0, 0x001F, &rgb565));
  // 2 x 2 source with a padded pitch.
  std::vector<uint32_t> source = {0xFF0000, 0x00FF00, 0xDEAD, 0x0000FF, 0xFFFFFF, 0xDEAD};
  PixelImage in{reinterpret_cast<uint8_t*>(source.data()), 2, 2, 12, 4};
  std::vector<uint16_t> same(2 * 3, 0x1234);
  PixelImage out{reinterpret_cast<uint8_t*>(same.data()), 2, 2, 6, 2};
  ConvertScaled(in, out, rgb565);
  EXPECT_EQ(same[0], 0xF800);
  EXPECT_EQ(same[1], 0x07E0);
  EXPECT_EQ(same[2], 0x1234);  // padding untouched
  EXPECT_EQ(same[3], 0x001F);
  EXPECT_EQ(same[4], 0xFFFF);

  std::vector<uint16_t> big(4 * 4);
  PixelImage scaled{reinterpret_cast<uint8_t*>(big.data()), 4, 4, 8, 2};
  ConvertScaled(in, scaled, rgb565);
  EXPECT_EQ(big[0], 0xF800);
  EXPECT_EQ(big[1], 0xF800);
  EXPECT_EQ(big[2], 0x07E0);
  EXPECT_EQ(big[15], 0xFFFF);
  EXPECT_EQ(big[8], 0x001F);
}
