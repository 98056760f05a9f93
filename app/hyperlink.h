// The "Hyperlink" window class: shows a picture or one line of text and opens its address with
// the shell when clicked. State lives in a process-wide table keyed by window handle.
#pragma once
#include <windows.h>

constexpr UINT HLM_SETADDRESS = WM_USER + 1;  // wParam: zero-terminated address; returns 1
constexpr UINT HLM_SETPICTURE = WM_USER + 3;  // wParam: HBITMAP or null; returns 1

constexpr int kMaxLinkControls = 255;
constexpr int kLinkAddressSize = 255;  // 254 characters and the terminating zero
constexpr int kLinkTextSize = 257;     // 256 characters and the terminating zero

struct HyperlinkControl {
  HWND window;
  HDC dc;
  HBITMAP picture;  // not owned
  RECT clientRect;
  char address[kLinkAddressSize];
  char text[kLinkTextSize];
};

extern HDC linkBitmapDC;
extern HyperlinkControl* linkControls[kMaxLinkControls];
extern int linkControlCount;

ATOM RegisterHyperlinkClass();
LRESULT CALLBACK HyperlinkWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void DrawHyperlink(HyperlinkControl* control);
