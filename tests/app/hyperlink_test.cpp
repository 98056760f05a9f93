#include "app/hyperlink.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "platform/win32/win32_internal.h"
#include "support/temp_files.h"

namespace {

// Hyperlink controls on a plain top-level window, whose surface the test reads back.
class HyperlinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!linkBitmapDC) RegisterHyperlinkClass();
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.lpszClassName = "HyperlinkTestHost";
    RegisterClassA(&windowClass);
    host = CreateWindowExA(0, "HyperlinkTestHost", "host", WS_POPUP, 0, 0, 300, 200, nullptr,
                           nullptr, nullptr, nullptr);
    ASSERT_NE(host, nullptr);
    countBefore = linkControlCount;
  }
  void TearDown() override { DestroyWindow(host); }

  HWND CreateLink(int y) {
    return CreateWindowExA(0, "Hyperlink", "Custom1", WS_CHILD | WS_VISIBLE, 10, y, 200, 30, host,
                           nullptr, nullptr, nullptr);
  }
  // The link's pixels, cleared to white first so that what it draws stands out.
  void Clear() {
    Win32Window* top = Win32FindWindow(host);
    for (int i = 0; i < top->surfaceWidth * top->surfaceHeight; i++) top->surface[i] = 0xFFFFFF;
  }
  void Paint(HWND link) {
    Clear();
    SendMessageA(link, WM_PAINT, 0, 0);
  }
  uint32_t Pixel(int x, int y) {
    Win32Window* top = Win32FindWindow(host);
    return top->surface[y * top->surfaceWidth + x];
  }
  // The most saturated pixel of the link's area, as 0x00RRGGBB.
  uint32_t InkOf(HWND link) {
    RECT rect = Win32FindWindow(link)->rect;
    uint32_t ink = 0xFFFFFF;
    int best = 0;
    for (int y = rect.top; y < rect.bottom; y++) {
      for (int x = rect.left; x < rect.right; x++) {
        uint32_t p = Pixel(x, y);
        int r = p >> 16 & 0xFF, g = p >> 8 & 0xFF, b = p & 0xFF;
        int saturation = std::max({r, g, b}) - std::min({r, g, b});
        if (saturation > best) best = saturation, ink = p;
      }
    }
    return ink;
  }
  int InkCount(HWND link) {
    RECT rect = Win32FindWindow(link)->rect;
    int count = 0;
    for (int y = rect.top; y < rect.bottom; y++)
      for (int x = rect.left; x < rect.right; x++) count += Pixel(x, y) != 0xFFFFFF;
    return count;
  }

  int UsedDcs() const {
    int used = 0;
    for (const Win32Dc& dc : win32Dcs) used += dc.handle != nullptr;
    return used;
  }

  HWND host = nullptr;
  int countBefore = 0;
};

TEST_F(HyperlinkTest, TableKeepsOrderWhenAControlInTheMiddleGoes) {
  HWND first = CreateLink(0), middle = CreateLink(40), last = CreateLink(80);
  ASSERT_EQ(linkControlCount, countBefore + 3);
  DestroyWindow(middle);
  ASSERT_EQ(linkControlCount, countBefore + 2);
  EXPECT_EQ(linkControls[countBefore]->window, first);
  EXPECT_EQ(linkControls[countBefore + 1]->window, last);
  EXPECT_EQ(SendMessageA(first, HLM_SETADDRESS, reinterpret_cast<WPARAM>("a"), 0), 1);
  EXPECT_EQ(SendMessageA(last, HLM_SETADDRESS, reinterpret_cast<WPARAM>("b"), 0), 1);
  EXPECT_STREQ(linkControls[countBefore]->address, "a");
  EXPECT_STREQ(linkControls[countBefore + 1]->address, "b");
  HWND fourth = CreateLink(120);
  ASSERT_EQ(linkControlCount, countBefore + 3);
  EXPECT_EQ(linkControls[countBefore + 2]->window, fourth);
  EXPECT_NE(linkControls[countBefore + 2], linkControls[countBefore + 1]);
  EXPECT_STREQ(linkControls[countBefore + 2]->address, "");
}

TEST_F(HyperlinkTest, SetTextChangesWhatIsDrawnButNotTheTitle) {
  HWND link = CreateLink(10);
  Paint(link);
  EXPECT_EQ(InkCount(link), 0);  // empty text at first
  SetWindowTextA(link, "Visit the valley");
  char title[32];
  GetWindowTextA(link, title, sizeof title);
  EXPECT_STREQ(title, "Custom1");
  Paint(link);
  EXPECT_GT(InkCount(link), 50);
  uint32_t ink = InkOf(link);
  EXPECT_GT(ink & 0xFF, 150u);
  EXPECT_LT(ink >> 16 & 0xFF, 60u);
  // Centred on one line: the ink starts well right of the control's left edge.
  RECT rect = Win32FindWindow(link)->rect;
  for (int y = rect.top; y < rect.bottom; y++) EXPECT_EQ(Pixel(rect.left + 5, y), 0xFFFFFFu);
}

TEST_F(HyperlinkTest, HoverDrawsRedAndLeavingDrawsBlue) {
  HWND link = CreateLink(10);
  SetWindowTextA(link, "Visit");
  Paint(link);
  SendMessageA(link, WM_MOUSEHOVER, 0, 0);
  uint32_t hover = InkOf(link);
  EXPECT_GT(hover >> 16 & 0xFF, 150u);
  EXPECT_LT(hover & 0xFF, 120u);
  Paint(link);
  SendMessageA(link, WM_MOUSELEAVE, 0, 0);
  uint32_t away = InkOf(link);
  EXPECT_GT(away & 0xFF, 150u);
  EXPECT_LT(away >> 16 & 0xFF, 60u);
}

TEST_F(HyperlinkTest, PictureReplacesTextFromTheNextPaint) {
  TempDir dir;
  // A 4x2 bottom-up 24-bit picture, all pure green.
  std::string bmp = {'B', 'M'};
  auto put32 = [&](uint32_t v) { for (int i = 0; i < 4; i++) bmp += char(v >> (8 * i) & 0xFF); };
  auto put16 = [&](uint16_t v) { bmp += char(v & 0xFF); bmp += char(v >> 8); };
  put32(54 + 24); put32(0); put32(54);
  put32(40); put32(4); put32(2); put16(1); put16(24); put32(0); put32(24); put32(0); put32(0); put32(0); put32(0);
  for (int i = 0; i < 8; i++) bmp += std::string("\x00\xFF\x00", 3);
  WriteTextFile(dir.File("ad1.bmp"), bmp);
  HANDLE picture = LoadImageA(nullptr, dir.File("ad1.bmp").c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE);
  ASSERT_NE(picture, nullptr);

  HWND link = CreateLink(10);
  SetWindowTextA(link, "Visit");
  Clear();
  EXPECT_EQ(SendMessageA(link, HLM_SETPICTURE, reinterpret_cast<WPARAM>(picture), 0), 1);
  RECT rect = Win32FindWindow(link)->rect;
  EXPECT_EQ(Pixel(rect.left, rect.top), 0xFFFFFFu) << "nothing drawn before the next paint";
  Paint(link);
  EXPECT_EQ(Pixel(rect.left, rect.top), 0x00FF00u);
  EXPECT_EQ(Pixel(rect.left + 3, rect.top + 1), 0x00FF00u);
  uint32_t ink = InkOf(link);
  EXPECT_EQ(ink, 0x00FF00u) << "no blue text once there is a picture";
  DeleteObject(picture);
}

TEST_F(HyperlinkTest, OverlongTextsAreCutToTheirFields) {
  HWND link = CreateLink(10);
  std::string longText(400, 'x');
  SetWindowTextA(link, longText.c_str());
  SendMessageA(link, HLM_SETADDRESS, reinterpret_cast<WPARAM>(longText.c_str()), 0);
  HyperlinkControl* control = linkControls[linkControlCount - 1];
  EXPECT_EQ(std::string(control->text), std::string(kLinkTextSize - 1, 'x'));
  EXPECT_EQ(std::string(control->address), std::string(kLinkAddressSize - 1, 'x'));
}

TEST_F(HyperlinkTest, ControlDrawsThroughOneOwnDcThatGoesWithItsWindow) {
  ASSERT_NE(Win32FindClass("Hyperlink"), nullptr);
  EXPECT_EQ(Win32FindClass("Hyperlink")->style, UINT(CS_HREDRAW | CS_VREDRAW | CS_OWNDC));
  EXPECT_EQ(Win32FindClass("Hyperlink")->style, 35u);
  int dcsBefore = UsedDcs();
  HWND link = CreateLink(10);
  HyperlinkControl* control = linkControls[linkControlCount - 1];
  HDC dc = GetDC(link);
  EXPECT_EQ(dc, control->dc) << "every GetDC of the control gives the DC it keeps";
  ReleaseDC(link, dc);
  ASSERT_NE(Win32FindDc(control->dc), nullptr) << "releasing an own DC leaves it alive";
  EXPECT_EQ(Win32FindDc(control->dc)->textColor, RGB(0, 0, 200));
  EXPECT_EQ(Win32FindDc(control->dc)->bkMode, TRANSPARENT);
  PAINTSTRUCT paint;
  EXPECT_EQ(BeginPaint(link, &paint), control->dc);
  EndPaint(link, &paint);
  EXPECT_EQ(UsedDcs(), dcsBefore + 1);
  // Destroying the control frees its record and, with the window, its DC: nothing leaks.
  DestroyWindow(link);
  EXPECT_EQ(Win32FindDc(dc), nullptr);
  EXPECT_EQ(UsedDcs(), dcsBefore);
  for (int i = 0; i < 20; i++) DestroyWindow(CreateLink(10));
  EXPECT_EQ(UsedDcs(), dcsBefore);
}

}  // namespace
