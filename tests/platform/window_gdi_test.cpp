// BMP files through LoadImageA and drawing through window DCs into the top-level surface.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/win32/win32_internal.h"
#include "support/temp_files.h"

namespace {

void Put16(std::string& s, uint32_t v) {
  s += char(v & 0xFF);
  s += char((v >> 8) & 0xFF);
}
void Put32(std::string& s, uint32_t v) {
  Put16(s, v & 0xFFFF);
  Put16(s, v >> 16);
}

// A BMP with a 40-byte header; `rows` are the file's rows in file order, already padded.
std::string Bmp(int width, int height, int bits, const std::string& palette, const std::string& rows) {
  std::string s = "BM";
  uint32_t offset = 14 + 40 + uint32_t(palette.size());
  Put32(s, offset + uint32_t(rows.size()));
  Put32(s, 0);
  Put32(s, offset);
  Put32(s, 40);
  Put32(s, uint32_t(width));
  Put32(s, uint32_t(height));
  Put16(s, 1);
  Put16(s, uint32_t(bits));
  Put32(s, 0);
  Put32(s, uint32_t(rows.size()));
  Put32(s, 2835);
  Put32(s, 2835);
  Put32(s, uint32_t(palette.size() / 4));
  Put32(s, 0);
  return s + palette + rows;
}

std::string Bgr(uint32_t rgb) { return std::string{char(rgb & 0xFF), char((rgb >> 8) & 0xFF), char(rgb >> 16)}; }

std::vector<uint32_t> Pixels(HANDLE bitmap) {
  Win32GdiObject* o = Win32FindGdiObject(bitmap);
  if (o == nullptr) return {};
  return std::vector<uint32_t>(o->pixels, o->pixels + o->width * o->height);
}

TEST(WindowGdi, BmpFilesLoadInEveryStoredLayoutAndBadOnesAreRefused) {
  TempDir dir;
  const uint32_t red = 0xFF0000, green = 0x00FF00, blue = 0x0000FF, white = 0xFFFFFF;
  // 2 x 2 pictures, top row red green, bottom row blue white.
  std::string bottomUp24 = Bgr(blue) + Bgr(white) + std::string(2, '\0') + Bgr(red) + Bgr(green) + std::string(2, '\0');
  WriteTextFile(dir.File("a.bmp"), Bmp(2, 2, 24, "", bottomUp24));
  std::string topDown32 = Bgr(red) + '\0' + Bgr(green) + '\0' + Bgr(blue) + '\0' + Bgr(white) + '\0';
  WriteTextFile(dir.File("b.bmp"), Bmp(2, -2, 32, "", topDown32));
  std::string palette = Bgr(red) + '\0' + Bgr(green) + '\0' + Bgr(blue) + '\0' + Bgr(white) + '\0';
  std::string indices = std::string{2, 3, 0, 0} + std::string{0, 1, 0, 0};  // bottom-up, rows padded to 4
  WriteTextFile(dir.File("c.bmp"), Bmp(2, 2, 8, palette, indices));

  const std::vector<uint32_t> expected = {red, green, blue, white};
  for (const char* name : {"a.bmp", "b.bmp", "c.bmp"}) {
    HANDLE bitmap = LoadImageA(nullptr, dir.File(name).c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE);
    ASSERT_NE(bitmap, nullptr) << name;
    EXPECT_EQ(Pixels(bitmap), expected) << name;
    BITMAP info;
    ASSERT_EQ(GetObjectA(bitmap, sizeof info, &info), int(sizeof info));
    EXPECT_EQ(info.bmWidth, 2);
    EXPECT_EQ(info.bmHeight, 2);
    EXPECT_TRUE(DeleteObject(bitmap));
  }

  // Pixel data running past the end, a huge size, and a missing file all fail without reading.
  WriteTextFile(dir.File("short.bmp"), Bmp(2, 2, 24, "", bottomUp24.substr(0, 10)));
  WriteTextFile(dir.File("huge.bmp"), Bmp(0x7FFFFFFF, 0x7FFFFFFF, 24, "", bottomUp24));
  WriteTextFile(dir.File("bits.bmp"), Bmp(2, 2, 16, "", bottomUp24));
  for (const char* name : {"short.bmp", "huge.bmp", "bits.bmp", "missing.bmp"}) {
    EXPECT_EQ(LoadImageA(nullptr, dir.File(name).c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE), nullptr) << name;
  }
}

LRESULT CALLBACK PlainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

TEST(WindowGdi, ChildDrawingLandsAtItsOffsetClippedToItself) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = PlainProc;
  wc.lpszClassName = "TestPlain";
  RegisterClassA(&wc);
  HWND top = CreateWindowExA(0, "TestPlain", "", WS_POPUP, 0, 0, 8, 8, nullptr, nullptr, nullptr, nullptr);
  HWND child = CreateWindowExA(0, "TestPlain", "", WS_CHILD | WS_VISIBLE, 2, 3, 4, 2, top, nullptr, nullptr, nullptr);
  ASSERT_NE(child, nullptr);

  // A 6 x 6 source picture copied at (-1, 0): only the child's 4 x 2 pixels change.
  Win32GdiObject* source = Win32NewGdiObject(Win32GdiKind::Bitmap);
  ASSERT_NE(source, nullptr);
  static uint32_t sourcePixels[36];
  for (int i = 0; i < 36; i++) sourcePixels[i] = 0x100 + uint32_t(i);
  source->pixels = static_cast<uint32_t*>(std::malloc(sizeof sourcePixels));
  std::memcpy(source->pixels, sourcePixels, sizeof sourcePixels);
  source->width = source->height = 6;
  source->bitsPixel = 32;
  HDC memory = CreateCompatibleDC(nullptr);
  SelectObject(memory, source->handle);
  HDC dc = GetDC(child);
  EXPECT_TRUE(BitBlt(dc, -1, 0, 6, 6, memory, 0, 0, SRCCOPY));
  ReleaseDC(child, dc);

  Win32Window* record = Win32FindWindow(top);
  for (int y = 0; y < 8; y++) {
    for (int x = 0; x < 8; x++) {
      bool inside = x >= 2 && x < 6 && y >= 3 && y < 5;
      uint32_t expected = inside ? 0x100 + uint32_t((y - 3) * 6 + (x - 2 + 1)) : 0;
      EXPECT_EQ(record->surface[y * 8 + x], expected) << x << "," << y;
    }
  }
  EXPECT_TRUE(record->surfaceDirty);

  // A bitmap still selected into a DC cannot be deleted; stock objects survive DeleteObject.
  EXPECT_FALSE(DeleteObject(source->handle));
  SelectObject(memory, GetStockObject(WHITE_BRUSH));
  EXPECT_TRUE(DeleteObject(GetStockObject(WHITE_BRUSH)));
  EXPECT_NE(Win32FindGdiObject(GetStockObject(WHITE_BRUSH)), nullptr);
  DeleteDC(memory);
  EXPECT_TRUE(DeleteObject(source->handle));
  DestroyWindow(top);
  UnregisterClassA("TestPlain", nullptr);
}

TEST(WindowGdi, OwnDcClassesKeepOneDcUntilTheWindowGoes) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = DefWindowProcA;
  wc.lpszClassName = "TestOwnDc";
  wc.style = CS_OWNDC;
  RegisterClassA(&wc);
  wc.lpszClassName = "TestCommonDc";
  wc.style = 0;
  RegisterClassA(&wc);
  HWND own = CreateWindowExA(0, "TestOwnDc", "", WS_POPUP, 0, 0, 8, 8, nullptr, nullptr, nullptr, nullptr);
  HWND common = CreateWindowExA(0, "TestCommonDc", "", WS_POPUP, 0, 0, 8, 8, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(own, nullptr);

  HDC dc = GetDC(own);
  SetTextColor(dc, RGB(1, 2, 3));
  EXPECT_EQ(ReleaseDC(own, dc), 0) << "an own DC is not released";
  EXPECT_EQ(GetDC(own), dc);
  EXPECT_EQ(Win32FindDc(dc)->textColor, RGB(1, 2, 3)) << "its attributes stay";
  // A paint clips the own DC to the update rectangle, and only for the paint.
  InvalidateRect(own, nullptr, FALSE);
  PAINTSTRUCT paint;
  EXPECT_EQ(BeginPaint(own, &paint), dc);
  EXPECT_TRUE(Win32FindDc(dc)->hasPaintClip);
  EndPaint(own, &paint);
  ASSERT_NE(Win32FindDc(dc), nullptr);
  EXPECT_FALSE(Win32FindDc(dc)->hasPaintClip);

  // Other classes get a fresh DC each time, freed by ReleaseDC.
  HDC first = GetDC(common);
  HDC second = GetDC(common);
  EXPECT_NE(first, second);
  EXPECT_EQ(ReleaseDC(common, first), 1);
  EXPECT_EQ(Win32FindDc(first), nullptr);
  ReleaseDC(common, second);

  DestroyWindow(own);
  EXPECT_EQ(Win32FindDc(dc), nullptr) << "the own DC goes with its window";
  DestroyWindow(common);
  UnregisterClassA("TestOwnDc", nullptr);
  UnregisterClassA("TestCommonDc", nullptr);
}

}  // namespace
