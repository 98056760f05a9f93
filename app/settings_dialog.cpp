#include "app/settings_dialog.h"

#include <commctrl.h>

#include <cstdio>

#include "app/app_state.h"
#include "app/hyperlink.h"
#include "app/settings.h"
#include "resources/resource.h"

HWND settingsDialog;

namespace {

const char* const kSceneChangeTimes[] = {"30 sec", "1 min",  "2 min",   "3 min",
                                         "5 min",  "10 min", "eternity"};
const char* const kSceneNames[] = {"first scene", "second scene", "third scene",
                                   "fourth scene", "fifth scene", "sixth scene",
                                   "seventh scene", "eighth scene"};
const int kSceneNameCount = 8;

void AddComboItems(int id, const char* const* items, int count, int selection) {
  for (int i = 0; i < count; i++)
    SendDlgItemMessageA(settingsDialog, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(items[i]));
  SendDlgItemMessageA(settingsDialog, id, CB_SETCURSEL, static_cast<WPARAM>(selection), 0);
}

void SetUpLink() {
  HWND link = GetDlgItem(settingsDialog, IDC_LINK);
  SetWindowTextA(link, link1);
  SendMessageA(link, HLM_SETADDRESS, reinterpret_cast<WPARAM>(link1), 0);
  SetCurrentDirectoryA(installDir);
  HANDLE picture = LoadImageA(nullptr, "ad1.bmp", IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE);
  SendMessageA(link, HLM_SETPICTURE, reinterpret_cast<WPARAM>(picture), 0);
}

void SetCaption() {
  char caption[kNameSize + 16];
  const char* name = displayName[0] ? displayName : programName;
  std::snprintf(caption, sizeof(caption), "%s properties", name);
  SetWindowTextA(settingsDialog, caption);
}

void Check(int id, uint8_t value) {
  CheckDlgButton(settingsDialog, id, value ? BST_CHECKED : BST_UNCHECKED);
}

uint8_t IsChecked(int id) { return IsDlgButtonChecked(settingsDialog, id) == BST_CHECKED ? 1 : 0; }

int32_t Selection(int id) {
  return static_cast<int32_t>(SendDlgItemMessageA(settingsDialog, id, CB_GETCURSEL, 0, 0));
}

void InitDialog(HWND dialog) {
  settingsDialog = dialog;
  SetUpLink();
  SetCaption();
  AddComboItems(IDC_SCENE_TIME, kSceneChangeTimes, 7, settings.sceneChangeTime);
  int sceneCount = extendedSettings.sceneCount;
  AddComboItems(IDC_START_SCENE, kSceneNames, sceneCount < kSceneNameCount ? sceneCount : kSceneNameCount,
                settings.startScene);
  Check(IDC_DAY_CYCLE, settings.dayCycle);
  Check(IDC_SHOW_TIME, settings.showTime);
  Check(IDC_MUSIC, settings.music);
  Check(IDC_SOUNDS, settings.sounds);
  SendDlgItemMessageA(dialog, IDC_VOLUME, TBM_SETPOS, TRUE, settings.volume);
}

void StoreControls() {
  settings.sceneChangeTime = Selection(IDC_SCENE_TIME);
  settings.startScene = Selection(IDC_START_SCENE);
  settings.volume = static_cast<int32_t>(SendDlgItemMessageA(settingsDialog, IDC_VOLUME, TBM_GETPOS, 0, 0));
  settings.dayCycle = IsChecked(IDC_DAY_CYCLE);
  settings.showTime = IsChecked(IDC_SHOW_TIME);
  settings.music = IsChecked(IDC_MUSIC);
  settings.sounds = IsChecked(IDC_SOUNDS);
  SaveSettings();
}

}  // namespace

INT_PTR CALLBACK SettingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      InitDialog(dialog);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) {
        StoreControls();
        EndDialog(settingsDialog, 0);
      } else if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(settingsDialog, 0);
      }
      return TRUE;
    default:
      return FALSE;
  }
}
