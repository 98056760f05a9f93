// Platform-internal: the dialog and control layer of the Win32 stand-in.
//
// Implements: dialog templates (the settings dialog's table in resources/), DialogBoxParamA with a
// modal loop, IsDialogMessageA keyboard navigation (Tab/Shift+Tab, arrows within a group, Enter =
// focused or default push button, Escape = IDCANCEL), and the standard controls the template
// uses: "Button" (push, default push, auto check box, group box), "Static", "ComboBox" (drop-down
// and drop-down list with a working drop list) and "msctls_trackbar32". Text is DejaVu Sans.
// Leaves out: typing into the edit field of a CBS_DROPDOWN combo box (typing a letter selects the
// first item starting with it), radio buttons, owner draw, dialog menus.
// Headless (no display) DialogBoxParamA refuses with a message on stderr and returns -1; tests
// create dialogs with Win32CreateDialog and drive them through messages.
#pragma once
#include <windows.h>
#include <cstdint>

// The built-in dialog class, as Windows names it.
#define WIN32_DIALOG_CLASS "#32770"

// Font size (em in pixels) of the dialog font and of the stock GUI fonts: 8 points at 96 dpi.
constexpr int kDialogFontEmPixels = 11;
constexpr int kMaxDialogControls = 64;

struct Win32DialogControl {
  const char* text;
  int id;
  const char* className;
  DWORD style;
  short x, y, width, height;  // dialog units
};

struct Win32DialogTemplate {
  int resourceId;
  DWORD style;
  const char* caption;
  const char* fontName;
  int fontPoints;
  short width, height;  // dialog units
  const Win32DialogControl* controls;
  int controlCount;
};

// The template of a resource id given as MAKEINTRESOURCE(id) or "#id"; null when unknown.
const Win32DialogTemplate* Win32FindDialogTemplate(LPCSTR name);

// Creates the dialog and its controls, sends WM_INITDIALOG and sets the first focus, without
// showing it or running a loop. Null when the template or a window cannot be made.
HWND Win32CreateDialog(const Win32DialogTemplate* dialogTemplate, HWND owner, DLGPROC proc,
                       LPARAM initParam);
// True once EndDialog was called for the dialog; `result` gets its result.
bool Win32DialogEnded(HWND dialog, INT_PTR* result);
// Dialog units to pixels for the dialog's font.
RECT Win32MapDialogRect(HWND dialog, RECT units);
// Moves the focus to the next (or previous) tab stop; the keyboard handler's Tab.
void Win32DialogTabFocus(HWND dialog, bool backwards);
// Moves the focus within the focus control's group; the keyboard handler's arrows.
void Win32DialogGroupFocus(HWND dialog, bool backwards);

// Hit-test codes and the capture notice, which the shared header leaves out.
#ifndef HTTRANSPARENT
#define HTTRANSPARENT (-1)
#endif
#ifndef HTCLIENT
#define HTCLIENT 1
#endif
#ifndef WM_CAPTURECHANGED
#define WM_CAPTURECHANGED 0x0215
#endif

// The window procedures of the built-in classes.
LRESULT CALLBACK Win32DialogWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK Win32ButtonWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK Win32StaticWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK Win32ComboBoxWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK Win32TrackbarWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Registers "Button", "Static", "ComboBox", "msctls_trackbar32" and the dialog class; idempotent.
void Win32RegisterControlClasses();

// ---- Painting helpers shared by the controls and DrawTextA --------------------------------------
// Em size in pixels of a font object (negative heights are em sizes, positive ones cell heights).
int Win32FontEmPixels(HGDIOBJ font);
// The font a control draws with: its WM_SETFONT font, else the stock GUI font.
HGDIOBJ Win32ControlFont(HWND window);
// Window colours of the controls, as surface pixels 0x00RRGGBB.
constexpr uint32_t kFacePixel = 0xF0F0F0;
constexpr uint32_t kTextPixel = 0x000000;
constexpr uint32_t kGrayTextPixel = 0x6D6D6D;
constexpr uint32_t kFieldPixel = 0xFFFFFF;
constexpr uint32_t kBorderPixel = 0x7A7A7A;
constexpr uint32_t kLightBorderPixel = 0xADADAD;
constexpr uint32_t kEtchPixel = 0xDCDCDC;
constexpr uint32_t kButtonPixel = 0xE1E1E1;
constexpr uint32_t kHighlightPixel = 0x0078D7;
constexpr uint32_t kHighlightTextPixel = 0xFFFFFF;
constexpr uint32_t kHotPixel = 0xE5F1FB;

void Win32PaintRect(HDC dc, RECT rect, uint32_t pixel);
void Win32PaintFrame(HDC dc, RECT rect, uint32_t pixel);
void Win32PaintFocusRect(HDC dc, RECT rect);
// Text in `rect` with DrawTextA's format flags, in the control's font.
void Win32PaintText(HDC dc, HWND window, const char* text, RECT rect, UINT format, uint32_t pixel);
int Win32TextWidth(HWND window, const char* text);
int Win32TextHeight(HWND window);
bool Win32PointInClient(HWND window, LPARAM lParam);
// The state record a control keeps in its window record, allocated zeroed on first use.
void* Win32ControlState(HWND window, size_t size);
// Frees it; controls call this on WM_NCDESTROY.
void Win32FreeControlState(HWND window);
// Sends WM_COMMAND with a notification code to the control's parent.
void Win32NotifyParent(HWND control, WORD code);
