// What ends the saver and what does not, driven through the saver window's procedure, and the
// preview's start-up timer and painting.
#include <gtest/gtest.h>
#include <windows.h>

#include "app/app_state.h"
#include "app/frame_clock.h"
#include "app/saver_window.h"
#include "app/screen_state.h"
#include "platform/win32/win32_internal.h"

namespace {

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

class SaverWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    currentScreenState = &sceneState;
    quitRequested = false;
    previewWaiting = false;
    previewBitmap = nullptr;
    previewDC = nullptr;
  }
  void TearDown() override {
    if (IsWindow(saverWindow)) DestroyWindow(saverWindow);
    if (IsWindow(host)) DestroyWindow(host);
    UnregisterClassA(kSaverWindowClass, nullptr);
    UnregisterClassA("TestHost", nullptr);
    if (previewDC != nullptr) DeleteDC(previewDC);
    if (previewBitmap != nullptr) DeleteObject(previewBitmap);
    saverWindow = nullptr;
    quitRequested = false;
  }

  void StartSaver(RunMode mode, int width, int height, HWND parent) {
    runMode = mode;
    fullScreen = mode == FullScreen;
    windowRect = RECT{0, 0, 0, 0};
    windowWidth = width;
    windowHeight = height;
    parentWindow = parent;
    ASSERT_TRUE(CreateSaverWindow());
  }

  void StartFullScreen() { StartSaver(FullScreen, 800, 600, nullptr); }

  void StartPreview() {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = HostProc;
    wc.lpszClassName = "TestHost";
    RegisterClassA(&wc);
    host = CreateWindowExA(0, "TestHost", "", WS_POPUP | WS_VISIBLE, 0, 0, 40, 30, nullptr, nullptr, nullptr, nullptr);
    StartSaver(Preview, 40, 30, host);
  }

  // Whether the message, sent on its own, asks the run to end.
  bool Ends(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    quitRequested = false;
    SendMessageA(saverWindow, message, wParam, lParam);
    bool ended = quitRequested;
    quitRequested = false;
    return ended;
  }

  HWND host = nullptr;
};

TEST_F(SaverWindow, FullScreenEndsOnKeysClicksAndDeactivationOnly) {
  StartFullScreen();
  EXPECT_TRUE(Ends(WM_KEYDOWN, VK_SPACE));
  EXPECT_FALSE(Ends(WM_KEYUP, VK_SPACE));
  EXPECT_FALSE(Ends(WM_MOUSEMOVE, 0, MAKELPARAM(400, 300)));
  EXPECT_FALSE(Ends(WM_LBUTTONDOWN));
  EXPECT_TRUE(Ends(WM_LBUTTONUP));
  EXPECT_TRUE(Ends(WM_RBUTTONDOWN));
  EXPECT_TRUE(Ends(WM_RBUTTONUP));
  EXPECT_TRUE(Ends(WM_MBUTTONDOWN));
  EXPECT_FALSE(Ends(WM_MBUTTONUP));
  EXPECT_FALSE(Ends(WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA)));
  EXPECT_FALSE(Ends(WM_SYSKEYDOWN, VK_MENU));
  EXPECT_FALSE(Ends(WM_SYSKEYDOWN, VK_F10));
  EXPECT_FALSE(Ends(WM_ACTIVATEAPP, TRUE));
  EXPECT_TRUE(Ends(WM_ACTIVATEAPP, FALSE));
  EXPECT_FALSE(Ends(WM_POWERBROADCAST, PBT_APMRESUMESUSPEND));
  EXPECT_TRUE(Ends(WM_POWERBROADCAST, PBT_APMSUSPEND));
  EXPECT_EQ(SendMessageA(saverWindow, WM_ERASEBKGND, 0, 0), 1);
  EXPECT_TRUE(IsWindow(saverWindow));
  EXPECT_TRUE(Ends(WM_QUIT));
  // A key still ends the run when something other than the scene is the current screen state.
  currentScreenState = nullptr;
  EXPECT_TRUE(Ends(WM_KEYDOWN, 'A'));
  EXPECT_TRUE(Ends(WM_LBUTTONUP));
}

TEST_F(SaverWindow, FullScreenSwallowsExactlyTheFourSystemCommands) {
  StartFullScreen();
  const LPARAM altDown = LPARAM(1) << 29;
  // Alt+F4 reaches the window as SC_CLOSE through the default procedure, and stops there.
  EXPECT_FALSE(Ends(WM_SYSKEYDOWN, VK_F1 + 3, altDown));
  for (WPARAM command : {SC_NEXTWINDOW, SC_PREVWINDOW, SC_CLOSE, SC_SCREENSAVE}) {
    EXPECT_FALSE(Ends(WM_SYSCOMMAND, command)) << command;
  }
  EXPECT_TRUE(IsWindow(saverWindow));
  // One more in the low bits is no longer swallowed: the default procedure closes the window.
  EXPECT_TRUE(Ends(WM_SYSCOMMAND, SC_CLOSE + 1));
  EXPECT_FALSE(IsWindow(saverWindow));
}

TEST_F(SaverWindow, ActivationRestartsTheFrameClock) {
  StartFullScreen();
  lastFrameTime = timeGetTime() - 5000;
  frameDeltaMs = 5000;
  frameDelta = 5000.0f;
  SendMessageA(saverWindow, WM_ACTIVATE, WA_INACTIVE, 0);
  EXPECT_EQ(frameDeltaMs, 5000u);
  SendMessageA(saverWindow, WM_ACTIVATE, WA_CLICKACTIVE, 0);
  EXPECT_EQ(frameDeltaMs, 0u);
  EXPECT_EQ(frameDelta, 0.0f);
  EXPECT_LT(timeGetTime() - lastFrameTime, 1000u);
}

TEST_F(SaverWindow, PreviewIgnoresInputAndEndsWithItsWindow) {
  StartPreview();
  EXPECT_EQ(GetParent(saverWindow), host);
  EXPECT_FALSE(Ends(WM_KEYDOWN, VK_ESCAPE));
  EXPECT_FALSE(Ends(WM_LBUTTONUP));
  EXPECT_FALSE(Ends(WM_RBUTTONDOWN));
  EXPECT_FALSE(Ends(WM_MBUTTONDOWN));
  EXPECT_FALSE(Ends(WM_ACTIVATEAPP, FALSE));
  EXPECT_FALSE(Ends(WM_POWERBROADCAST, PBT_APMSUSPEND));
  EXPECT_EQ(SendMessageA(saverWindow, WM_ACTIVATEAPP, FALSE, 0), 0);
  // The host closing its preview destroys our child with it.
  quitRequested = false;
  DestroyWindow(host);
  EXPECT_TRUE(quitRequested);
  EXPECT_FALSE(IsWindow(saverWindow));
}

TEST_F(SaverWindow, PreviewWaitsForItsTimerThenPaintsThePictureOrDarkness) {
  StartPreview();
  previewWaiting = true;
  PostMessageA(saverWindow, WM_USER, 0, 0);
  MSG msg;
  while (previewWaiting && GetMessageA(&msg, saverWindow, 0, 0) > 0) DispatchMessageA(&msg);
  EXPECT_FALSE(previewWaiting);
  EXPECT_FALSE(KillTimer(saverWindow, 1));  // the handler already killed it

  Win32Window* hostRecord = Win32FindWindow(host);
  ASSERT_NE(hostRecord, nullptr);
  for (int i = 0; i < 40 * 30; i++) hostRecord->surface[i] = 0xFFFFFF;
  previewDC = CreateCompatibleDC(nullptr);
  SendMessageA(saverWindow, WM_PAINT, 0, 0);
  EXPECT_EQ(hostRecord->surface[0], 0u);  // no picture: a dark pane
  EXPECT_EQ(hostRecord->surface[40 * 30 - 1], 0u);

  Win32GdiObject* picture = Win32NewGdiObject(Win32GdiKind::Bitmap);
  ASSERT_NE(picture, nullptr);
  picture->width = 40;
  picture->height = 30;
  picture->pixels = static_cast<uint32_t*>(calloc(40 * 30, 4));
  picture->pixels[0] = 0x123456;
  picture->pixels[40 * 30 - 1] = 0xABCDEF;
  previewBitmap = static_cast<HBITMAP>(picture->handle);
  SendMessageA(saverWindow, WM_PAINT, 0, 0);
  EXPECT_EQ(hostRecord->surface[0], 0x123456u);
  EXPECT_EQ(hostRecord->surface[40 * 30 - 1], 0xABCDEFu);
  DeleteDC(previewDC);
  previewDC = nullptr;
}

}  // namespace
