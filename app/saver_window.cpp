#include "app/saver_window.h"

#include "app/app_state.h"
#include "app/frame_clock.h"
#include "app/screen_state.h"

namespace {

constexpr int kIconResource = 109;
constexpr UINT_PTR kPreviewTimer = 1;
constexpr UINT kPreviewDelayMs = 500;

// Input ends a full-screen run; the preview ignores it.
bool IgnoresInput() { return runMode == Preview; }

// Only exactly these commands are swallowed: a value differing in the low bits passes on.
bool IsSwallowedCommand(WPARAM command) {
  return command == SC_NEXTWINDOW || command == SC_PREVWINDOW || command == SC_CLOSE || command == SC_SCREENSAVE;
}

void PaintPreview(HWND window) {
  HDC dc = GetDC(window);
  if (previewBitmap != nullptr) {
    SelectObject(previewDC, previewBitmap);
    BitBlt(dc, 0, 0, windowWidth, windowHeight, previewDC, 0, 0, SRCCOPY);
  } else {
    // No picture: a plain dark pane rather than whatever the host had drawn there.
    RECT pane = {0, 0, windowWidth, windowHeight};
    FillRect(dc, &pane, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  }
  ReleaseDC(window, dc);
}

// Mouse buttons that end the run call the screen state first, as key presses do.
LRESULT EndingButton(void (ScreenState::*handler)()) {
  if (IgnoresInput()) return 0;
  if (currentScreenState != nullptr) (currentScreenState->*handler)();
  quitRequested = true;
  return 0;
}

void OnKeyDown(WPARAM key) {
  if (currentScreenState != nullptr && currentScreenState == &sceneState) {
    currentScreenState->OnKeyDown(key);
  } else {
    quitRequested = true;
  }
}

}  // namespace

bool CreateSaverWindow() {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSEXA windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = SaverWindowProc;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(kIconResource));
  windowClass.hIconSm = windowClass.hIcon;
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  windowClass.lpszClassName = kSaverWindowClass;
  RegisterClassExA(&windowClass);

  DWORD exStyle = 0;
  DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
  if (fullScreen) {
    exStyle = WS_EX_TOPMOST | WS_EX_APPWINDOW;
    style = WS_POPUP;
    ShowCursor(FALSE);
  }
  saverWindow = CreateWindowExA(exStyle, kSaverWindowClass, programName, style, windowRect.left, windowRect.top,
                                windowWidth, windowHeight, fullScreen ? nullptr : parentWindow, nullptr,
                                instance, nullptr);
  return saverWindow != nullptr;
}

LRESULT CALLBACK SaverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SIZE: return 0;
    case WM_ERASEBKGND: return 1;
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE) ResetFrameClock();
      return 0;
    case WM_PAINT:
      if (runMode == Preview) PaintPreview(window);
      break;
    case WM_ACTIVATEAPP:
      if (IgnoresInput()) return 0;
      if (wParam == 0) quitRequested = true;
      break;
    case WM_KEYDOWN:
      if (!IgnoresInput()) OnKeyDown(wParam);
      return 0;
    case WM_KEYUP: return 0;
    case WM_SYSCOMMAND:
      if (runMode == FullScreen && IsSwallowedCommand(wParam)) return 0;
      break;
    case WM_TIMER:
      previewWaiting = false;
      KillTimer(window, kPreviewTimer);
      break;
    case WM_MOUSEMOVE:
      if (currentScreenState != nullptr) currentScreenState->OnMouseMove();
      return 0;
    case WM_LBUTTONDOWN:
      if (currentScreenState != nullptr) currentScreenState->OnLeftButtonDown();
      return 0;
    case WM_LBUTTONUP: return EndingButton(&ScreenState::OnLeftButtonUp);
    case WM_RBUTTONDOWN: return EndingButton(&ScreenState::OnRightButtonDown);
    case WM_RBUTTONUP: return EndingButton(&ScreenState::OnRightButtonUp);
    case WM_MBUTTONDOWN: return EndingButton(&ScreenState::OnMiddleButtonDown);
    case WM_POWERBROADCAST:
      if (IgnoresInput()) return 0;
      if (wParam == PBT_APMSUSPEND) quitRequested = true;
      break;
    case WM_DESTROY:
    case WM_QUIT: quitRequested = true; break;
    case WM_USER: SetTimer(window, kPreviewTimer, kPreviewDelayMs, nullptr); break;
    default: break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}
