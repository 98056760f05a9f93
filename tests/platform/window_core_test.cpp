// The window subset's Win32 semantics: creation and destruction order, the queue's order and
// filters, timers, the paint cycle and what DefWindowProcA does with close requests.
#include <gtest/gtest.h>
#include <windows.h>

#include <csignal>
#include <string>
#include <vector>

#include "platform/win32/win32_internal.h"

namespace {

struct Logged {
  HWND window;
  UINT message;
  WPARAM wParam;
};

std::vector<Logged> logged;
bool validateOnPaint = true;

LRESULT CALLBACK LoggingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  logged.push_back({window, message, wParam});
  if (message == WM_PAINT && !validateOnPaint) return 0;
  return DefWindowProcA(window, message, wParam, lParam);
}

class WindowCore : public ::testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = LoggingProc;
    wc.lpszClassName = "TestLogging";
    RegisterClassA(&wc);
    logged.clear();
    validateOnPaint = true;
  }
  void TearDown() override {
    for (HWND w : created) DestroyWindow(w);
    UnregisterClassA("TestLogging", nullptr);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
  }
  HWND Make(DWORD style, HWND parent, int x = 0, int y = 0, int width = 100, int height = 80) {
    HWND w = CreateWindowExA(0, "TestLogging", "title", style, x, y, width, height, parent, nullptr, nullptr, nullptr);
    if (parent == nullptr) created.push_back(w);
    return w;
  }
  std::vector<UINT> MessagesTo(HWND window) {
    std::vector<UINT> result;
    for (const Logged& l : logged) {
      if (l.window == window) result.push_back(l.message);
    }
    return result;
  }
  std::vector<HWND> created;
};

TEST_F(WindowCore, CreationAndDestructionFollowWin32Order) {
  HWND top = Make(WS_POPUP, nullptr);
  HWND child = Make(WS_CHILD | WS_VISIBLE, top, 10, 10, 20, 20);
  ASSERT_NE(top, nullptr);
  ASSERT_NE(child, nullptr);
  std::vector<UINT> start = MessagesTo(child);
  ASSERT_GE(start.size(), 2u);
  EXPECT_EQ(start[0], UINT(WM_NCCREATE));
  EXPECT_EQ(start[1], UINT(WM_CREATE));
  char text[16];
  EXPECT_EQ(GetWindowTextA(top, text, sizeof text), 5);
  EXPECT_STREQ(text, "title");
  EXPECT_EQ(GetParent(child), top);

  logged.clear();
  EXPECT_FALSE(UnregisterClassA("TestLogging", nullptr));  // windows of the class still exist
  EXPECT_TRUE(DestroyWindow(top));
  std::vector<std::pair<HWND, UINT>> order;
  for (const Logged& l : logged) {
    if (l.message == WM_DESTROY || l.message == WM_NCDESTROY) order.push_back({l.window, l.message});
  }
  std::vector<std::pair<HWND, UINT>> expected = {
      {top, WM_DESTROY}, {child, WM_DESTROY}, {child, WM_NCDESTROY}, {top, WM_NCDESTROY}};
  EXPECT_EQ(order, expected);
  EXPECT_FALSE(IsWindow(top));
  EXPECT_FALSE(IsWindow(child));

  // A stale handle stays invalid: it is never handed out again, nor taken for a host window.
  HWND again = Make(WS_POPUP, nullptr);
  EXPECT_NE(again, top);
  EXPECT_NE(again, child);
  EXPECT_EQ(Make(WS_CHILD, child), nullptr);
}

TEST_F(WindowCore, QueueKeepsOrderHonoursFiltersAndEndsWithQuit) {
  HWND a = Make(WS_POPUP, nullptr);
  HWND b = Make(WS_POPUP, nullptr);
  PostMessageA(a, WM_USER + 1, 1, 0);
  PostMessageA(b, WM_USER + 2, 2, 0);
  PostMessageA(a, WM_USER + 3, 3, 0);
  PostQuitMessage(7);

  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, b, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, UINT(WM_USER + 2));
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_USER + 3, WM_USER + 3, PM_NOREMOVE));
  EXPECT_EQ(msg.wParam, 3u);
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, UINT(WM_USER + 1));
  ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), TRUE);
  EXPECT_EQ(msg.message, UINT(WM_USER + 3));
  // The quit message comes after the posted ones, whatever the window filter.
  EXPECT_EQ(GetMessageA(&msg, a, 0, 0), FALSE);
  EXPECT_EQ(msg.message, UINT(WM_QUIT));
  EXPECT_EQ(msg.wParam, 7u);
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_FALSE(PostMessageA(reinterpret_cast<HWND>(uintptr_t(1) << 40), WM_USER, 0, 0));
}

TEST_F(WindowCore, TimerTicksUntilKilledAndNeverPilesUp) {
  HWND w = Make(WS_POPUP, nullptr);
  EXPECT_NE(SetTimer(w, 1, 30, nullptr), 0u);
  DWORD start = GetTickCount();
  MSG msg;
  ASSERT_EQ(GetMessageA(&msg, w, 0, 0), TRUE);
  EXPECT_EQ(msg.message, UINT(WM_TIMER));
  EXPECT_EQ(msg.wParam, 1u);
  EXPECT_GE(GetTickCount() - start, 25u);
  // However long nobody asked, one tick is waiting, not several.
  Sleep(100);
  EXPECT_TRUE(PeekMessageA(&msg, w, WM_TIMER, WM_TIMER, PM_REMOVE));
  EXPECT_FALSE(PeekMessageA(&msg, w, WM_TIMER, WM_TIMER, PM_REMOVE));
  EXPECT_TRUE(KillTimer(w, 1));
  EXPECT_FALSE(KillTimer(w, 1));
  Sleep(40);
  EXPECT_FALSE(PeekMessageA(&msg, w, WM_TIMER, WM_TIMER, PM_REMOVE));
}

TEST_F(WindowCore, PaintRepeatsUntilValidatedAndReachesParentsFirst) {
  HWND top = Make(WS_POPUP | WS_VISIBLE, nullptr);
  HWND child = Make(WS_CHILD | WS_VISIBLE, top, 5, 5, 20, 20);
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, UINT(WM_PAINT));
  EXPECT_EQ(msg.hwnd, top);
  DispatchMessageA(&msg);
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.hwnd, child);
  DispatchMessageA(&msg);
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));

  validateOnPaint = false;
  InvalidateRect(child, nullptr, FALSE);
  for (int i = 0; i < 3; i++) {
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, UINT(WM_PAINT));
    DispatchMessageA(&msg);
  }
  ValidateRect(child, nullptr);
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(WindowCore, DefaultProcedureTurnsCloseRequestsIntoDestruction) {
  HWND byAltF4 = Make(WS_POPUP, nullptr);
  HWND bySysCommand = Make(WS_POPUP, nullptr);
  HWND byPlainF4 = Make(WS_POPUP, nullptr);
  const WPARAM f4 = VK_F1 + 3;
  const LPARAM altDown = LPARAM(1) << 29;
  logged.clear();
  SendMessageA(byAltF4, WM_SYSKEYDOWN, f4, altDown);
  SendMessageA(bySysCommand, WM_SYSCOMMAND, SC_CLOSE | 0x2, 0);  // the low bits are the system's
  SendMessageA(byPlainF4, WM_SYSKEYDOWN, f4, 0);
  EXPECT_FALSE(IsWindow(byAltF4));
  EXPECT_FALSE(IsWindow(bySysCommand));
  EXPECT_TRUE(IsWindow(byPlainF4));
  std::vector<UINT> seen = MessagesTo(byAltF4);
  std::vector<UINT> closing(seen.begin(), seen.begin() + 3);
  EXPECT_EQ(closing, (std::vector<UINT>{WM_SYSKEYDOWN, WM_SYSCOMMAND, WM_CLOSE}));
}

TEST_F(WindowCore, AWindowWhoseXWindowIsDestroyedClosesAndDrawsThereNoMore) {
  HWND saver = Make(WS_POPUP, nullptr);
  HWND other = Make(WS_POPUP, nullptr);
  Win32FindWindow(saver)->x11Window = 0x600001;
  Win32FindWindow(other)->x11Window = 0x600002;
  logged.clear();
  Win32X11WindowGone(0x600001);
  // Closed through the queue, as a close of the window itself: not from inside the X event.
  EXPECT_TRUE(IsWindow(saver));
  EXPECT_EQ(Win32FindWindow(saver)->x11Window, 0u);
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  EXPECT_FALSE(IsWindow(saver));
  std::vector<UINT> seen = MessagesTo(saver);
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen.front(), UINT(WM_CLOSE));
  EXPECT_TRUE(IsWindow(other));
  EXPECT_EQ(Win32FindWindow(other)->x11Window, 0x600002u);
}

TEST_F(WindowCore, KeysBecomeCharactersAndSignalsBecomeQuit) {
  HWND w = Make(WS_POPUP | WS_VISIBLE, nullptr);
  MSG key = {w, WM_KEYDOWN, 'Q', 0, 0, {0, 0}};
  EXPECT_TRUE(TranslateMessage(&key));
  MSG down = {w, WM_KEYDOWN, VK_SHIFT, 0, 0, {0, 0}};
  EXPECT_FALSE(TranslateMessage(&down));
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, w, WM_CHAR, WM_CHAR, PM_REMOVE));
  EXPECT_EQ(msg.wParam, WPARAM('q'));

  std::raise(SIGTERM);
  bool quit = false;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) quit = true;
    DispatchMessageA(&msg);
  }
  EXPECT_TRUE(quit);
}

TEST_F(WindowCore, ActivationAndFocusFollowTheProcessAndItsWindows) {
  HWND a = Make(WS_POPUP | WS_VISIBLE, nullptr);
  HWND b = Make(WS_POPUP, nullptr);
  HWND child = Make(WS_CHILD | WS_VISIBLE, b, 0, 0, 10, 10);
  EXPECT_EQ(GetActiveWindow(), a);

  // Focusing a child of an inactive window activates its top-level window first.
  logged.clear();
  SetFocus(child);
  EXPECT_EQ(GetActiveWindow(), b);
  EXPECT_EQ(GetFocus(), child);
  bool aDeactivated = false;
  for (const Logged& l : logged) {
    if (l.window == a && l.message == WM_ACTIVATE && l.wParam == WA_INACTIVE) aDeactivated = true;
    EXPECT_NE(l.message, UINT(WM_ACTIVATEAPP));  // a switch inside the process is no app change
  }
  EXPECT_TRUE(aDeactivated);

  // Losing activation to another program tells every top-level window, once.
  logged.clear();
  Win32DeactivateApp();
  Win32DeactivateApp();
  int appOff = 0;
  for (const Logged& l : logged) {
    if (l.message == WM_ACTIVATEAPP && l.wParam == FALSE) appOff++;
  }
  EXPECT_EQ(appOff, 2);
  EXPECT_EQ(GetActiveWindow(), nullptr);
  EXPECT_EQ(GetFocus(), nullptr);

  // A destroyed window is forgotten as focus and active window.
  SetFocus(child);
  DestroyWindow(b);
  EXPECT_EQ(GetFocus(), nullptr);
  EXPECT_EQ(GetActiveWindow(), nullptr);
}

TEST_F(WindowCore, TopmostAndNotTopmostSetAndClearTheTopmostStyle) {
  HWND w = CreateWindowExA(WS_EX_TOPMOST, "TestLogging", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                           nullptr);
  ASSERT_NE(w, nullptr);
  created.push_back(w);
  auto topmost = [&] { return (GetWindowLongPtrA(w, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; };
  ASSERT_TRUE(topmost());
  EXPECT_TRUE(SetWindowPos(w, HWND_NOTOPMOST, 5, 6, 20, 30, SWP_SHOWWINDOW | SWP_FRAMECHANGED));
  EXPECT_FALSE(topmost());
  RECT rect;
  GetWindowRect(w, &rect);
  EXPECT_EQ(rect.left, 5);
  EXPECT_EQ(rect.bottom, 36);
  SetWindowPos(w, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  EXPECT_TRUE(topmost());
  SetWindowPos(w, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
  EXPECT_TRUE(topmost()) << "SWP_NOZORDER ignores where to insert";
  SetWindowPos(w, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  EXPECT_TRUE(topmost()) << "the top of the topmost band is still topmost";
  SetWindowPos(w, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  EXPECT_FALSE(topmost());
}

}  // namespace
