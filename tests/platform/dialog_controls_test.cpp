#include <SDL.h>
#include <commctrl.h>
#include <gtest/gtest.h>
#include <shellapi.h>

#include <vector>

#include "platform/win32/dialog.h"
#include "platform/win32/win32_internal.h"
#include "resources/resource.h"

namespace {

std::vector<UINT> commands;
std::vector<int> scrollCodes;

INT_PTR CALLBACK RecordingProc(HWND, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_COMMAND) commands.push_back(LOWORD(wParam) | HIWORD(wParam) << 16);
  if (message == WM_HSCROLL) scrollCodes.push_back(LOWORD(wParam));
  return message == WM_INITDIALOG ? TRUE : FALSE;
}

LRESULT CALLBACK PlainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

// The settings dialog's template with a procedure that only records what the controls report.
class DialogControlsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSA link = {};
    link.lpfnWndProc = PlainProc;
    link.lpszClassName = "Hyperlink";
    if (!Win32FindClass("Hyperlink")) RegisterClassA(&link);
    commands.clear();
    scrollCodes.clear();
    dialog = Win32CreateDialog(Win32FindDialogTemplate(MAKEINTRESOURCEA(IDD_SETTINGS)), nullptr,
                               RecordingProc, 0);
    ASSERT_NE(dialog, nullptr);
  }
  void TearDown() override {
    DestroyWindow(dialog);
    SDL_SetModState(KMOD_NONE);
  }
  void Key(WPARAM key) {
    for (UINT message : {WM_KEYDOWN, WM_KEYUP}) {
      MSG msg = {GetFocus(), message, key, 0, 0, {}};
      IsDialogMessageA(dialog, &msg);
    }
  }
  HWND Item(int id) { return GetDlgItem(dialog, id); }
  // A click at a point of the dialog, routed as the event pump does: to the capture window when
  // there is one, else to the window under the point.
  void ClickAt(POINT dialogPoint) {
    for (UINT message : {WM_LBUTTONDOWN, WM_LBUTTONUP}) {
      POINT client;
      HWND target = Win32CaptureWindow();
      if (target) {
        POINT offset = Win32OffsetInTopLevel(Win32FindWindow(target));
        client = {dialogPoint.x - offset.x, dialogPoint.y - offset.y};
      } else {
        target = Win32WindowFromPoint(Win32FindWindow(dialog), dialogPoint, &client);
      }
      SendMessageA(target, message, message == WM_LBUTTONDOWN ? MK_LBUTTON : 0,
                   MAKELPARAM(client.x, client.y));
    }
  }
  POINT CentreOf(int id) {
    RECT r = Win32FindWindow(Item(id))->rect;
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }

  HWND dialog = nullptr;
};

TEST_F(DialogControlsTest, LaysOutInDialogUnitsOfTheFont) {
  RECT client;
  GetClientRect(dialog, &client);
  RECT expected = Win32MapDialogRect(dialog, {0, 0, 252, 199});
  EXPECT_EQ(client.right, expected.right);
  EXPECT_EQ(client.bottom, expected.bottom);
  EXPECT_GT(client.right, 252);  // a real font: more than one pixel per unit
  RECT ok = Win32FindWindow(Item(IDOK))->rect;
  EXPECT_EQ(ok.left, Win32MapDialogRect(dialog, {198, 8, 0, 0}).left);
  // The combo box is only its field once its height from the template went to the drop list.
  RECT combo = Win32FindWindow(Item(IDC_SCENE_TIME))->rect;
  EXPECT_LT(combo.bottom - combo.top, Win32MapDialogRect(dialog, {0, 0, 0, 30}).bottom);
}

TEST_F(DialogControlsTest, KeyboardMovesFocusAndPressesButtons) {
  EXPECT_EQ(GetFocus(), Item(IDOK)) << "first tab stop";
  Key(VK_TAB);
  EXPECT_EQ(GetFocus(), Item(IDCANCEL));
  Key(VK_TAB);
  EXPECT_EQ(GetFocus(), Item(IDC_LINK)) << "statics and group boxes are no tab stops";
  SDL_SetModState(KMOD_LSHIFT);
  Key(VK_TAB);
  EXPECT_EQ(GetFocus(), Item(IDCANCEL));
  SDL_SetModState(KMOD_NONE);
  Key(VK_RETURN);  // Enter presses the focused push button, not the default one
  Key(VK_LEFT);    // arrows move within the group of push buttons
  EXPECT_EQ(GetFocus(), Item(IDOK));
  SetFocus(Item(IDC_DAY_CYCLE));
  Key(VK_DOWN);
  EXPECT_EQ(GetFocus(), Item(IDC_SHOW_TIME));
  Key(VK_SPACE);
  EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_SHOW_TIME), UINT(BST_CHECKED));
  Key(VK_RETURN);  // a check box in focus: the default button
  Key(VK_ESCAPE);
  std::vector<UINT> expected = {IDCANCEL, IDC_SHOW_TIME, IDOK, IDCANCEL};
  EXPECT_EQ(commands, expected);
}

TEST_F(DialogControlsTest, ComboBoxSelectsWithKeysAndTheDropList) {
  HWND combo = Item(IDC_START_SCENE);
  for (const char* name : {"alpha", "beta", "gamma"})
    SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
  EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), CB_ERR);
  EXPECT_EQ(SendMessageA(combo, CB_SETCURSEL, 5, 0), CB_ERR);
  SetFocus(combo);
  Key(VK_DOWN);
  Key(VK_DOWN);
  EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), 1);
  Key(VK_UP);
  Key(VK_UP);
  EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), 0) << "stops at the first item";
  ClickAt(CentreOf(IDC_START_SCENE));
  ASSERT_TRUE(SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0));
  // The third item of the list, which lies over the check boxes below the field.
  RECT field = Win32FindWindow(combo)->rect;
  int itemHeight = Win32TextHeight(combo) + 2;
  ClickAt({field.left + 10, field.bottom + 1 + itemHeight * 2 + itemHeight / 2});
  EXPECT_FALSE(SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0));
  EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), 2);
  EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_SOUNDS), UINT(BST_UNCHECKED)) << "the list took the click";
  ASSERT_FALSE(commands.empty());
  EXPECT_EQ(commands.back() >> 16, UINT(CBN_CLOSEUP));
}

TEST_F(DialogControlsTest, TrackbarClampsAndReportsMoves) {
  HWND trackbar = Item(IDC_VOLUME);
  EXPECT_EQ(SendMessageA(trackbar, TBM_GETRANGEMAX, 0, 0), 100);
  SendMessageA(trackbar, TBM_SETPOS, TRUE, 250);
  EXPECT_EQ(SendMessageA(trackbar, TBM_GETPOS, 0, 0), 100);
  SetFocus(trackbar);
  Key(VK_PRIOR);
  Key(VK_LEFT);
  EXPECT_EQ(SendMessageA(trackbar, TBM_GETPOS, 0, 0), 79);
  Key(VK_HOME);
  EXPECT_EQ(SendMessageA(trackbar, TBM_GETPOS, 0, 0), 0);
  EXPECT_EQ(GetFocus(), trackbar) << "the trackbar keeps the arrows";
  std::vector<int> expected = {TB_PAGEUP, TB_ENDTRACK, TB_LINEUP, TB_ENDTRACK, TB_TOP, TB_ENDTRACK};
  EXPECT_EQ(scrollCodes, expected);
}

TEST_F(DialogControlsTest, ClicksReachTheControlAboveItsGroupBox) {
  // The check boxes lie inside the "Parameters" group box, created before them.
  ClickAt(CentreOf(IDC_DAY_CYCLE));
  EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_DAY_CYCLE), UINT(BST_CHECKED));
  EXPECT_EQ(GetFocus(), Item(IDC_DAY_CYCLE));
}

TEST(ShellExecute, RefusesWhatItCannotOpen) {
  EXPECT_LE(reinterpret_cast<INT_PTR>(ShellExecuteA(nullptr, "open", "", nullptr, nullptr, SW_SHOWNORMAL)), 32);
  EXPECT_LE(reinterpret_cast<INT_PTR>(ShellExecuteA(nullptr, "print", "x", nullptr, nullptr, SW_SHOWNORMAL)), 32);
}

}  // namespace
