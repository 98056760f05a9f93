#include "app/entry.h"

#include <windows.h>

#include <climits>
#include <cstdio>
#include <cstring>

#include "app/frame_driver.h"
#include "app/frame_clock.h"
#include "app/hyperlink.h"
#include "app/saver_window.h"
#include "app/screen_state.h"
#include "app/settings.h"
#include "app/settings_dialog.h"
#include "math/scalar.h"
#include "render/device.h"
#include "resources/resource.h"

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Reads the digits at text as a window handle. Saturates instead of overflowing like atol would.
HWND ReadWindowNumber(const char* text) {
  unsigned long value = 0;
  for (; IsDigit(*text); text++) {
    value = value * 10 + unsigned(*text - '0');
    if (value > LONG_MAX) value = LONG_MAX;
  }
  return reinterpret_cast<HWND>(static_cast<uintptr_t>(value));
}

const char* SkipToDigit(const char* text) {
  while (*text != '\0' && !IsDigit(*text)) text++;
  return text;
}

// Splits the program path off the command line; returns where parsing goes on.
const char* ProgramPath(const char* commandLine, const char** pathStart, const char** pathEnd) {
  const char* p = commandLine;
  char terminator = ' ';
  if (*p == '"') {
    terminator = '"';
    p++;
  }
  *pathStart = p;
  while (*p != '\0' && *p != terminator) p++;
  *pathEnd = p;
  return *p == terminator ? p + 1 : p;
}

// The file name without folder and extension, cut to what programName holds.
void SetProgramName(const char* pathStart, const char* pathEnd) {
  const char* name = pathStart;
  for (const char* p = pathStart; p < pathEnd; p++) {
    if (*p == '\\' || *p == '/' || *p == ':') name = p + 1;
  }
  const char* end = pathEnd;
  for (const char* p = name; p < pathEnd; p++) {
    if (*p == '.') end = p;
  }
  size_t length = size_t(end - name);
  if (length > sizeof programName - 1) length = sizeof programName - 1;
  std::memcpy(programName, name, length);
  programName[length] = '\0';
}

void SetWindowPlacement() {
  windowRect = RECT{0, 0, 0, 0};
  if (runMode == FullScreen) {
    windowWidth = 800;
    windowHeight = 600;
    fullScreen = true;
    return;
  }
  RECT client = {0, 0, 0, 0};
  GetClientRect(parentWindow, &client);
  AdjustWindowRect(&client, WS_CHILD | WS_VISIBLE, FALSE);
  windowRect.left = client.left;
  windowRect.top = client.top;
  windowWidth = client.right - client.left;
  windowHeight = client.bottom - client.top;
  fullScreen = false;
}

void EnterDataDir() {
  std::snprintf(dataDir, sizeof dataDir, "%s\\Data\\", installDir);
  SetCurrentDirectoryA(dataDir);
}

}  // namespace

RunMode ParseCommandLine(const char* commandLine) {
  const char *pathStart, *pathEnd;
  const char* p = ProgramPath(commandLine, &pathStart, &pathEnd);
  SetProgramName(pathStart, pathEnd);
  while (*p != '\0' && *p != '/' && *p != '-') p++;
  if (*p == '\0') return Configure;
  char mode = p[1];
  if (mode == 'c' || mode == 'C') {
    const char* digits = SkipToDigit(p + 1);
    parentWindow = *digits != '\0' ? ReadWindowNumber(digits) : nullptr;
    return Configure;
  }
  if (mode == 'p' || mode == 'P') {
    const char* digits = SkipToDigit(p + 1);
    if (*digits != '\0') parentWindow = ReadWindowNumber(digits);
    return Preview;
  }
  return FullScreen;
}

namespace {

// The preview picture is shown only after a 500 ms wait, pumping the saver window's messages
// meanwhile. A window that goes away during the wait ends it too, instead of waiting forever.
void StartPreview() {
  previewBitmap = static_cast<HBITMAP>(LoadImageA(nullptr, "preview.bmp", IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
  previewDC = CreateCompatibleDC(nullptr);
  previewWaiting = true;
  PostMessageA(saverWindow, WM_USER, 0, 0);
  while (previewWaiting) {
    MSG msg;
    BOOL got = GetMessageA(&msg, saverWindow, 0, 0);
    if (got == 0) PostQuitMessage(0);
    if (got <= 0) return;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

void RunMainLoop() {
  while (!quitRequested) {
    MSG msg;
    if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        quitRequested = true;
      } else {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
      }
    } else if (runMode == FullScreen) {
      RunFrame();
    }
  }
}

}  // namespace

void ShutdownApp() {
  ReleaseDevice();
  ShutdownScene();
  if (IsWindow(saverWindow)) DestroyWindow(saverWindow);
  UnregisterClassA(kSaverWindowClass, GetModuleHandleA(nullptr));
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  currentScreenState = &sceneState;
  BuildSettingsKeyPath();
  RegisterHyperlinkClass();
  runMode = ParseCommandLine(GetCommandLineA());
  LoadSettings();
  if (runMode == Configure) {
    DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_SETTINGS), parentWindow,
                    SettingsDialogProc, 0);
    return 0;
  }
  SetWindowPlacement();
  prefer32Bit = true;
  waitForVerticalSync = true;
  EnterDataDir();
  if (!CreateSaverWindow()) return 0;
  if (runMode == Preview) StartPreview();
  if (runMode == FullScreen) {
    BuildSqrtTable();
    if (!InitDevice(saverWindow)) return 0;
    DrawBlankFrame();
    if (!InitScene()) return 0;
  }
  ShowWindow(saverWindow, SW_SHOWNORMAL);
  StartFrameClock();
  RunMainLoop();
  ShutdownApp();
  ShowCursor(TRUE);
  SaveSettings();
  return 0;
}
