// The saver's own window, of the class "D3D": a topmost pop-up covering the display in full-screen
// mode, a child of the host's preview window in preview mode. Its procedure decides which input and
// which system events end the saver.
#pragma once
#include <windows.h>

constexpr char kSaverWindowClass[] = "D3D";

// Registers the class and creates the window (hiding the cursor first in full screen); stores the
// handle in saverWindow. False when no window could be created.
bool CreateSaverWindow();
LRESULT CALLBACK SaverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
