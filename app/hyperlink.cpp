#include "app/hyperlink.h"

#include <commctrl.h>
#include <shellapi.h>

#include <cstdlib>
#include <cstring>

HDC linkBitmapDC;
HyperlinkControl* linkControls[kMaxLinkControls];
int linkControlCount;

namespace {

const COLORREF kLinkColor = RGB(0, 0, 200);
const COLORREF kHoverColor = RGB(200, 0, 0);
const DWORD kHoverTimeMs = 5;

HyperlinkControl* FindLinkControl(HWND window) {
  for (int i = 0; i < linkControlCount; i++)
    if (linkControls[i]->window == window) return linkControls[i];
  return nullptr;
}

void RemoveLinkControl(HyperlinkControl* control) {
  int slot = 0;
  while (slot < linkControlCount && linkControls[slot] != control) slot++;
  if (slot == linkControlCount) return;
  for (int i = slot; i + 1 < linkControlCount; i++) linkControls[i] = linkControls[i + 1];
  linkControlCount--;
  linkControls[linkControlCount] = nullptr;
}

// Texts longer than their field are cut rather than allowed to run past it: link1 may hold one
// character more than the address field.
void CopyBounded(char* destination, int size, const char* source) {
  if (!source) source = "";
  std::strncpy(destination, source, size - 1);
  destination[size - 1] = 0;
}

void RequestHoverAndLeave(HWND window) {
  TRACKMOUSEEVENT track = {};
  track.cbSize = sizeof(track);
  track.dwFlags = TME_HOVER | TME_LEAVE;
  track.hwndTrack = window;
  track.dwHoverTime = kHoverTimeMs;
  _TrackMouseEvent(&track);
}

void CreateLinkControl(HWND window) {
  if (linkControlCount >= kMaxLinkControls) return;
  HyperlinkControl* control = static_cast<HyperlinkControl*>(std::calloc(1, sizeof(HyperlinkControl)));
  if (!control) return;
  linkControls[linkControlCount++] = control;
  RequestHoverAndLeave(window);
  control->window = window;
  control->dc = GetDC(window);
  SetTextColor(control->dc, kLinkColor);
  SetBkMode(control->dc, TRANSPARENT);
  SelectObject(control->dc, GetStockObject(ANSI_VAR_FONT));
  GetClientRect(window, &control->clientRect);
}

// The DC is the window's own (CS_OWNDC) and goes with the window, so it is not released here.
void DestroyLinkControl(HyperlinkControl* control) {
  RemoveLinkControl(control);
  std::free(control);
}

void RedrawInColor(HyperlinkControl* control, COLORREF color) {
  SetTextColor(control->dc, color);
  DrawHyperlink(control);
}

}  // namespace

ATOM RegisterHyperlinkClass() {
  WNDCLASSA windowClass = {};
  // An own DC keeps the colour, mode and font set at creation for every later paint.
  windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_OWNDC;
  windowClass.lpfnWndProc = HyperlinkWindowProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.hIcon = LoadIconA(nullptr, IDI_WINLOGO);
  windowClass.hCursor = LoadCursorA(nullptr, IDC_HAND);
  windowClass.lpszClassName = "Hyperlink";
  ATOM atom = RegisterClassA(&windowClass);
  linkBitmapDC = CreateCompatibleDC(nullptr);
  return atom;
}

void DrawHyperlink(HyperlinkControl* control) {
  const RECT& rect = control->clientRect;
  if (control->picture) {
    SelectObject(linkBitmapDC, control->picture);
    BitBlt(control->dc, 0, 0, rect.right - rect.left, rect.bottom - rect.top, linkBitmapDC, 0, 0,
           SRCCOPY);
    return;
  }
  RECT textRect = rect;
  DrawTextA(control->dc, control->text, -1, &textRect, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
}

LRESULT CALLBACK HyperlinkWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CREATE) {
    CreateLinkControl(window);
    return DefWindowProcA(window, message, wParam, lParam);
  }
  HyperlinkControl* control = FindLinkControl(window);
  if (!control) return DefWindowProcA(window, message, wParam, lParam);
  switch (message) {
    case WM_DESTROY:
      DestroyLinkControl(control);
      break;
    case WM_SETTEXT:
      CopyBounded(control->text, kLinkTextSize, reinterpret_cast<const char*>(lParam));
      return 1;
    case WM_PAINT:
      DrawHyperlink(control);
      break;
    case WM_MOUSEMOVE:
      RequestHoverAndLeave(window);
      break;
    case WM_MOUSEHOVER:
      RedrawInColor(control, kHoverColor);
      break;
    case WM_MOUSELEAVE:
      RedrawInColor(control, kLinkColor);
      break;
    case WM_LBUTTONDOWN:
      ShellExecuteA(nullptr, "open", control->address, nullptr, nullptr, SW_SHOWNORMAL);
      break;
    case HLM_SETADDRESS:
      CopyBounded(control->address, kLinkAddressSize, reinterpret_cast<const char*>(wParam));
      return 1;
    case HLM_SETPICTURE:
      control->picture = reinterpret_cast<HBITMAP>(wParam);
      return 1;
    default:
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}
