// Process-wide state of the entry code: the run mode, the windows and the folders. Plain globals,
// all zero at start, read and written only on the main thread.
#pragma once
#include <windows.h>

enum RunMode { Configure = 0, Preview = 1, FullScreen = 2 };

constexpr int kNameSize = 256;
// The installation folder (255 characters at most) followed by "\Data\".
constexpr int kDataDirSize = kNameSize + 8;

extern RunMode runMode;
// Dialog owner in Configure, preview host in Preview; null when the command line names none.
extern HWND parentWindow;
// The executable's file name without folder and extension, cut to 255 characters.
extern char programName[kNameSize];
extern char settingsKeyPath[kNameSize];
extern char dataDir[kDataDirSize];
// Only left and top are used; the size is windowWidth x windowHeight.
extern RECT windowRect;
extern int windowWidth;
extern int windowHeight;
extern bool fullScreen;
extern bool prefer32Bit;
extern bool waitForVerticalSync;
// Ends the main loop; set by the window procedure and the scene's key handler, never cleared.
extern bool quitRequested;
extern HBITMAP previewBitmap;
extern HDC previewDC;
extern bool previewWaiting;
extern HWND saverWindow;
