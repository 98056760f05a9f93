#include "app/app_state.h"

RunMode runMode = Configure;
HWND parentWindow = nullptr;
char programName[kNameSize];
char settingsKeyPath[kNameSize];
char dataDir[kDataDirSize];
RECT windowRect;
int windowWidth = 0;
int windowHeight = 0;
bool fullScreen = false;
bool prefer32Bit = false;
bool waitForVerticalSync = false;
bool quitRequested = false;
HBITMAP previewBitmap = nullptr;
HDC previewDC = nullptr;
bool previewWaiting = false;
HWND saverWindow = nullptr;
