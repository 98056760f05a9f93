// The settings dialog (resource 107): shows the Settings record, stores it on OK.
#pragma once
#include <windows.h>

// The open dialog, remembered for the command handler; null before the first WM_INITDIALOG.
extern HWND settingsDialog;

INT_PTR CALLBACK SettingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
