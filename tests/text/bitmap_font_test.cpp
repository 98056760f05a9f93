// The bitmap font: loading its files (the font texture on a headless device) and the layout of
// strings as recorded by a device that only logs the draws.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "data/file_cache.h"
#include "draw/quads.h"
#include "draw/texture_manager.h"
#include "render/device.h"
#include "support/recording_device.h"
#include "text/bitmap_font.h"
#include "text/font_files.h"

namespace {

class BitmapFontTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(gpu.device, nullptr);
    device = gpu.device;
    textState = TextState();
    DrawTint = ColorF(1.0f, 1.0f, 1.0f, 1.0f);
  }
  void TearDown() override {
    while (textureManager.count > 0) textureManager.ReleaseTexture(textureManager.records[0]);
    textState = TextState();
    DrawTint = ColorF(1.0f, 1.0f, 1.0f, 1.0f);
    device = nullptr;
  }

  // Loads a font, then lets the recording device take over the drawing.
  void LoadAndRecord(const FontFiles& files) {
    WriteFontFiles("font", files);
    ASSERT_TRUE(LoadFont("font"));
    device = &recorder;
  }

  const BitmapFont& Font() const { return *textState.currentFont; }
  SpriteVertex Corner(size_t draw, size_t index) const { return recorder.draws[draw].Vertex<SpriteVertex>(index); }
  Vector3 Centre(size_t draw) const {
    Vector3 a = Corner(draw, 0).position;
    Vector3 d = Corner(draw, 3).position;
    return Vector3((a.x + d.x) * 0.5f, (a.y + d.y) * 0.5f, a.z);
  }

  TempDir dataDir;
  CurrentDirGuard inDataDir{dataDir.Path()};
  HeadlessDevice gpu;
  RecordingDevice recorder;
};

TEST_F(BitmapFontTest, LoadFontTurnsWidthBytesIntoAdvancesAndLoadsTheBacklightPicture) {
  FontFiles files;
  files.widths['A'] = 16;
  files.widths['W'] = 32;
  files.widths[200] = 5;
  files.cells['A'] = 17;
  files.datSize = 600;  // trailing bytes are ignored
  WriteFontFiles("font", files);
  ASSERT_TRUE(LoadFont("font"));
  ASSERT_EQ(textState.fontCount, 1);
  EXPECT_EQ(textState.currentFont, &textState.fonts[0]);
  EXPECT_EQ(Font().gridSize, 16);
  EXPECT_EQ(Font().cellStep, 1.0f / 16.0f);
  EXPECT_EQ(Font().advance['A'], 1.0f);
  EXPECT_EQ(Font().advance['W'], 2.0f);
  EXPECT_EQ(Font().advance[200], 0.3125f);
  EXPECT_EQ(Font().cell['A'], 17);
  EXPECT_EQ(Font().texture, textureManager.FindTexture("font.tga"));
  EXPECT_NE(textState.backlightTexture, nullptr);
  EXPECT_EQ(textState.backlightTexture, textureManager.FindTexture("podsvet.jpg"));
  EXPECT_EQ(textState.color.Packed(), 0xFFFFFFFFu);
  EXPECT_EQ(FindCachedFile("font.dat"), nullptr) << "the metrics buffer is handed back";
}

TEST_F(BitmapFontTest, ANinthFontAndOverlongNamesAreRefusedWithoutTouchingTheTable) {
  const std::string longest(kMaxFontNameLength, 'n');
  WriteFontFiles(longest, FontFiles());
  ASSERT_TRUE(LoadFont(longest.c_str()));
  WriteFontFiles("font", FontFiles());
  for (int i = 1; i < kMaxFonts; i++) ASSERT_TRUE(LoadFont("font"));
  BitmapFont* eighth = textState.currentFont;
  EXPECT_EQ(eighth, &textState.fonts[kMaxFonts - 1]);
  EXPECT_FALSE(LoadFont("font"));
  EXPECT_EQ(textState.fontCount, kMaxFonts);
  EXPECT_EQ(textState.currentFont, eighth);

  textState = TextState();
  EXPECT_FALSE(LoadFont((longest + "n").c_str()));
  EXPECT_EQ(textState.fontCount, 0);
  EXPECT_EQ(textState.currentFont, nullptr);
}

TEST_F(BitmapFontTest, MetricsTooShortOrWithoutCellsStopTheProgramNamingTheFile) {
  FontFiles shortFile;
  shortFile.datSize = 515;
  WriteFontFiles("short", shortFile);
  EXPECT_EXIT(LoadFont("short"), ::testing::ExitedWithCode(1), "Can't load short.dat...\nProgram will now stop.");
  FontFiles noCells;
  noCells.gridSize = 0;
  WriteFontFiles("empty", noCells);
  EXPECT_EXIT(LoadFont("empty"), ::testing::ExitedWithCode(1), "Can't load empty.dat");
  FontFiles negative;
  negative.gridSize = -16;
  WriteFontFiles("negative", negative);
  EXPECT_EXIT(LoadFont("negative"), ::testing::ExitedWithCode(1), "Can't load negative.dat");
  WriteFontFiles("dark", FontFiles());
  std::filesystem::remove("podsvet.jpg");
  ReleaseFileByName("podsvet.jpg");  // earlier tests left it in the process-wide cache
  EXPECT_EXIT(LoadFont("dark"), ::testing::ExitedWithCode(1), "podsvet.jpg");
}

TEST_F(BitmapFontTest, AGlyphIsAStripQuadOfTwoSizesBy1Point8SizesAtDepth45AndNothingEmptyIsDrawn) {
  LoadAndRecord(FontFiles());
  DrawString(10.0f, 20.0f, 14.0f, "");
  ASSERT_EQ(recorder.textureBindings.size(), 1u);
  EXPECT_EQ(recorder.textureBindings[0].second, Font().texture->texture);
  EXPECT_TRUE(recorder.draws.empty());

  DrawString(100.0f, -50.0f, 10.0f, "A");
  ASSERT_EQ(recorder.draws.size(), 1u);
  const RecordedDraw& draw = recorder.draws[0];
  EXPECT_EQ(draw.type, D3DPT_TRIANGLESTRIP);
  EXPECT_EQ(draw.primitiveCount, 2u);
  EXPECT_EQ(draw.vertexFormat, 322u);
  EXPECT_EQ(draw.texture, Font().texture->texture);
  const float top = -50.0f + 0.89999998f * 10.0f;
  const float bottom = -50.0f - 0.89999998f * 10.0f;
  const Vector3 expected[4] = {{90, top, 45}, {110, top, 45}, {90, bottom, 45}, {110, bottom, 45}};
  for (size_t i = 0; i < 4; i++) {
    Vector3 at = Corner(0, i).position;
    EXPECT_TRUE(at.x == expected[i].x && at.y == expected[i].y && at.z == expected[i].z) << i;
  }
}

TEST_F(BitmapFontTest, GlyphsAdvanceByHalfOfEachNeighboursWidthAndLinesStartBackAtX) {
  FontFiles files;
  files.widths['A'] = 16;  // advance 1
  files.widths['B'] = 24;  // advance 1.5
  files.widths['C'] = 8;   // advance 0.5
  LoadAndRecord(files);
  DrawString(0.0f, 0.0f, 10.0f, "AB");
  ASSERT_EQ(recorder.draws.size(), 2u);
  EXPECT_FLOAT_EQ(Centre(1).x, 10.0f * (1.0f + 1.5f) / 2.0f);
  EXPECT_EQ(Centre(1).y, 0.0f);

  for (const char* text : {"A\nB", "A\r\nB", "A\rxB"}) {
    recorder.Forget();
    DrawString(5.0f, 7.0f, 10.0f, text);
    ASSERT_EQ(recorder.draws.size(), 2u) << text;
    EXPECT_EQ(Centre(1).x, 5.0f) << text;
    EXPECT_FLOAT_EQ(Centre(1).y, 7.0f - 1.8f * 10.0f) << text;
  }

  recorder.Forget();
  DrawString(0.0f, 0.0f, 10.0f, "CB\n\nBA");
  ASSERT_EQ(recorder.draws.size(), 4u);
  EXPECT_EQ(Centre(2).x, 0.0f);
  EXPECT_FLOAT_EQ(Centre(3).x, 12.5f);  // (1.5 + 1) / 2 sizes
  EXPECT_FLOAT_EQ(Centre(3).y, -2.0f * 18.0f);

  // A carriage return as the last byte ends the text instead of reading past it.
  recorder.Forget();
  DrawString(0.0f, 0.0f, 10.0f, "A\r");
  EXPECT_EQ(recorder.draws.size(), 1u);
}

TEST_F(BitmapFontTest, CellsPickTheirGridSquareAndHighBytesIndexAsUnsigned) {
  FontFiles files;
  files.cells['A'] = 0;
  files.cells['B'] = 17;
  files.cells[0xE9] = 255;
  files.widths[0xE9] = 48;
  LoadAndRecord(files);
  DrawString(0.0f, 0.0f, 4.0f, "AB\xE9");
  ASSERT_EQ(recorder.draws.size(), 3u);
  const float cell = 1.0f / 16.0f;
  struct Expected {
    float u0, v0;
  } expected[3] = {{0.0f, 0.0f}, {cell, cell}, {15 * cell, 15 * cell}};
  for (size_t d = 0; d < 3; d++) {
    for (size_t i = 0; i < 4; i++) {
      EXPECT_EQ(Corner(d, i).u, expected[d].u0 + (i & 1 ? cell : 0.0f)) << d << i;
      EXPECT_EQ(Corner(d, i).v, expected[d].v0 + (i & 2 ? cell : 0.0f)) << d << i;
    }
  }
  // B (advance 1) to the high byte (advance 3): two sizes apart.
  EXPECT_FLOAT_EQ(Centre(2).x - Centre(1).x, 4.0f * (1.0f + 3.0f) / 2.0f);
}

TEST_F(BitmapFontTest, TextColourIsTintedOnceForTheWholeString) {
  LoadAndRecord(FontFiles());
  DrawString(0.0f, 0.0f, 10.0f, "AB");
  ASSERT_EQ(recorder.draws.size(), 2u);
  for (size_t i = 0; i < 4; i++) EXPECT_EQ(Corner(1, i).color.Packed(), 0xFFFFFFFFu) << i;

  recorder.Forget();
  SetTextColor(200, 100, 50, 255);
  DrawTint = ColorF(0.5f, 1.0f, 0.25f, 0.5f);
  DrawString(0.0f, 0.0f, 10.0f, "AB");
  ASSERT_EQ(recorder.draws.size(), 2u);
  for (size_t d = 0; d < 2; d++) {
    for (size_t i = 0; i < 4; i++) EXPECT_EQ(Corner(d, i).color.Packed(), 0x7F64640Cu) << d << i;
  }
  EXPECT_EQ(textState.color.Packed(), 0xFFC86432u) << "the tint does not stick to the text colour";
}

}  // namespace
