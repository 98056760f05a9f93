// A loop of PeekMessageA that shows no frames (the preview's) waits for input and timers instead
// of spinning; a loop that shows a frame per pass is never held up.
#include <gtest/gtest.h>
#include <windows.h>

#include "platform/win32/win32_display.h"

namespace {

LRESULT CALLBACK PlainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

class IdleWait : public ::testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = PlainProc;
    wc.lpszClassName = "TestIdleWait";
    RegisterClassA(&wc);
    window = CreateWindowExA(0, "TestIdleWait", "idle", WS_POPUP, 0, 0, 40, 30, nullptr, nullptr, nullptr, nullptr);
  }
  void TearDown() override {
    DestroyWindow(window);
    UnregisterClassA("TestIdleWait", nullptr);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
  }
  // Passes of a main loop until the timer's message comes, at most `limit`.
  int PassesUntilTimer(int limit, bool showFrames) {
    static uint32_t pixel = 0;
    MSG msg;
    for (int pass = 1; pass <= limit; ++pass) {
      if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_TIMER) return pass;
      } else if (showFrames) {
        Win32ShowFrame(window, &pixel, 1, 1, 4, false);
      }
    }
    return limit + 1;
  }
  HWND window = nullptr;
};

}  // namespace

TEST_F(IdleWait, EmptyPeeksWithoutFramesWaitForTheNextTimer) {
  ASSERT_NE(SetTimer(window, 1, 60, nullptr), 0u);
  // Spinning, a handful of passes would take microseconds and miss the timer.
  EXPECT_LE(PassesUntilTimer(12, false), 12);
  KillTimer(window, 1);
}

TEST_F(IdleWait, LoopsThatShowFramesAreNotHeldUp) {
  ASSERT_NE(SetTimer(window, 1, 2000, nullptr), 0u);
  // Were each empty peek to wait its slice, 200 passes would outlast the timer.
  EXPECT_GT(PassesUntilTimer(200, true), 200);
  KillTimer(window, 1);
}
