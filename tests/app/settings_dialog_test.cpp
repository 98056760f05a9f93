#include "app/settings_dialog.h"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <memory>
#include <string>

#include "app/app_state.h"
#include "app/hyperlink.h"
#include "app/settings.h"
#include "platform/win32/dialog.h"
#include "resources/resource.h"
#include "support/temp_files.h"

namespace {

// A scratch installation folder named by the machine registry, and an empty user registry.
class SettingsDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    userEnv = std::make_unique<ScopedEnv>("VESPERGLEN_REGISTRY", dir.File("user.reg").c_str());
    machineEnv = std::make_unique<ScopedEnv>("VESPERGLEN_MACHINE_REGISTRY", dir.File("machine.reg").c_str());
    WriteTextFile(dir.File("machine.reg"),
                  "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\software\\quarvix\\screensavers\\Vesperglen]\n"
                  "\"dir\"=\"" + dir.Path() + "\"\n");
    WriteTextFile(dir.File("links.txt"), "link1=https://example.org/vesperglen\r\n");
    settings = Settings{};
    extendedSettings = ExtendedSettings{};
    displayName[0] = 0;
    std::strcpy(programName, "saver");
    if (!linkBitmapDC) RegisterHyperlinkClass();
    BuildSettingsKeyPath();
    LoadSettings();
  }
  void TearDown() override {
    if (IsWindow(dialog)) DestroyWindow(dialog);
  }

  void Open() {
    dialog = Win32CreateDialog(Win32FindDialogTemplate(MAKEINTRESOURCEA(IDD_SETTINGS)), nullptr,
                               SettingsDialogProc, 0);
    ASSERT_NE(dialog, nullptr);
  }
  LRESULT Item(int id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return SendDlgItemMessageA(dialog, id, message, wParam, lParam);
  }
  // A key as the modal loop hands it over: to the focus window, through IsDialogMessageA.
  void Key(WPARAM key) {
    for (UINT message : {WM_KEYDOWN, WM_KEYUP}) {
      MSG msg = {GetFocus(), message, key, 0, 0, {}};
      IsDialogMessageA(dialog, &msg);
    }
  }
  void Click(int id) {
    HWND item = GetDlgItem(dialog, id);
    SendMessageA(item, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    SendMessageA(item, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
  }
  // Changes every control the way a user would: keyboard for the lists and the trackbar, mouse
  // and Space for the check boxes.
  void ChangeEverything() {
    SetFocus(GetDlgItem(dialog, IDC_SCENE_TIME));
    Key(VK_DOWN);
    Key(VK_DOWN);
    SetFocus(GetDlgItem(dialog, IDC_VOLUME));
    Key(VK_PRIOR);
    Key(VK_LEFT);
    Click(IDC_DAY_CYCLE);
    Click(IDC_SHOW_TIME);
    SetFocus(GetDlgItem(dialog, IDC_MUSIC));
    Key(VK_SPACE);
  }
  std::string StoredFile() { return ReadTextFile(dir.File("user.reg")); }

  TempDir dir;
  CurrentDirGuard keepCurrentDir;
  std::unique_ptr<ScopedEnv> userEnv, machineEnv;
  HWND dialog = nullptr;
};

TEST_F(SettingsDialogTest, ShowsTheDefaultsWhenNothingIsStored) {
  Open();
  char text[64];
  ASSERT_EQ(Item(IDC_SCENE_TIME, CB_GETCURSEL), 0);
  Item(IDC_SCENE_TIME, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(text));
  EXPECT_STREQ(text, "30 sec");
  EXPECT_EQ(Item(IDC_SCENE_TIME, CB_GETCOUNT), 7);
  EXPECT_EQ(Item(IDC_VOLUME, TBM_GETPOS), 80);
  EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_DAY_CYCLE), UINT(BST_UNCHECKED));
  EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_SHOW_TIME), UINT(BST_CHECKED));
  EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_MUSIC), UINT(BST_CHECKED));
  EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_SOUNDS), UINT(BST_CHECKED));
  // sceneCount 1: one scene to start with.
  EXPECT_EQ(Item(IDC_START_SCENE, CB_GETCOUNT), 1);
  EXPECT_EQ(Item(IDC_START_SCENE, CB_GETCURSEL), 0);
  Item(IDC_START_SCENE, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(text));
  EXPECT_STREQ(text, "first scene");
  // No display name: the program's name titles the dialog.
  GetWindowTextA(dialog, text, sizeof text);
  EXPECT_STREQ(text, "saver properties");
}

TEST_F(SettingsDialogTest, ListsAsManyScenesAsInstalledAndPrefersTheDisplayName) {
  extendedSettings.sceneCount = 12;  // beyond the eight names: the list stops at eight
  settings.startScene = 7;
  std::strcpy(displayName, "Vesperglen");
  Open();
  char text[64];
  EXPECT_EQ(Item(IDC_START_SCENE, CB_GETCOUNT), 8);
  Item(IDC_START_SCENE, CB_GETLBTEXT, Item(IDC_START_SCENE, CB_GETCURSEL), reinterpret_cast<LPARAM>(text));
  EXPECT_STREQ(text, "eighth scene");
  GetWindowTextA(dialog, text, sizeof text);
  EXPECT_STREQ(text, "Vesperglen properties");
}

TEST_F(SettingsDialogTest, CancelLeavesTheStoredBytesAlone) {
  settings.volume = 33;
  SaveSettings();
  std::string before = StoredFile();
  Open();
  ChangeEverything();
  Key(VK_ESCAPE);
  INT_PTR result = -5;
  EXPECT_TRUE(Win32DialogEnded(dialog, &result));
  EXPECT_EQ(result, 0);
  EXPECT_EQ(StoredFile(), before);
}

TEST_F(SettingsDialogTest, OkStoresWhatTheControlsShow) {
  Open();
  ChangeEverything();
  SetFocus(GetDlgItem(dialog, IDC_SOUNDS));
  Key(VK_RETURN);  // not a push button in focus: the default button, OK
  ASSERT_TRUE(Win32DialogEnded(dialog, nullptr));
  Settings stored = {};
  DWORD size = sizeof stored;
  ReadBinarySetting(settingsKeyPath, "settings", &stored, &size);
  ASSERT_EQ(size, sizeof stored);
  EXPECT_EQ(stored.sceneChangeTime, 2);
  EXPECT_EQ(stored.volume, 80 - 20 - 1);
  EXPECT_EQ(stored.dayCycle, 1);
  EXPECT_EQ(stored.showTime, 0);
  EXPECT_EQ(stored.music, 0);
  EXPECT_EQ(stored.sounds, 1);
  EXPECT_EQ(stored.startScene, 0);
}

TEST_F(SettingsDialogTest, OkStoresMinusOneForAListWithoutSelection) {
  settings.sceneChangeTime = 9;
  settings.startScene = 3;  // only one scene installed
  Open();
  EXPECT_EQ(Item(IDC_SCENE_TIME, CB_GETCURSEL), CB_ERR);
  SendMessageA(dialog, WM_COMMAND, IDOK, 0);
  Settings stored = {};
  DWORD size = sizeof stored;
  ReadBinarySetting(settingsKeyPath, "settings", &stored, &size);
  EXPECT_EQ(stored.sceneChangeTime, -1);
  EXPECT_EQ(stored.startScene, -1);
}

TEST_F(SettingsDialogTest, TheLinkShowsAndOpensLink1) {
  Open();
  HyperlinkControl* link = linkControls[linkControlCount - 1];
  EXPECT_EQ(link->window, GetDlgItem(dialog, IDC_LINK));
  EXPECT_STREQ(link->text, "https://example.org/vesperglen");
  EXPECT_STREQ(link->address, "https://example.org/vesperglen");
  EXPECT_EQ(link->picture, nullptr);  // no ad1.bmp in the installation folder
}

}  // namespace
