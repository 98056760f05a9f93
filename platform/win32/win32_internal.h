// Platform-internal model of the Win32 window subset over SDL2. System code never includes this;
// the dialog and control layer, the Direct3D stand-in and the tests of platform/ do.
//
// Windows
//   A fixed table of `Win32Window` records. A handle is a counter value cast to HWND (1, 2, 3 ...,
//   never reused), so a stale handle is simply not found and IsWindow is false for it. A host window
//   named by its X11 id (the preview's parent) is adopted on first use as a "foreign" top-level
//   record whose handle is that id (Win32AdoptForeignWindow).
//   `rect` is relative to the parent's client area (top-level: screen). Top-level windows have no
//   drawn non-client area on Linux (the desktop's window manager draws frames), so their client
//   area is their whole rect; AdjustWindowRect and GetClientRect agree on that.
//   A top-level WS_POPUP window with WS_EX_TOPMOST is the saver's full-screen window: on a display it
//   becomes a borderless window covering the screen, its surface scaled to fit (aspect kept, black
//   bars), or draws into the X11 window a screen-saver daemon names. Other top-level windows get an
//   SDL window of exactly their size. Existing X11 windows are drawn into with Xlib, not SDL.
//
// Drawing
//   Every top-level window owns a surface: 32-bit pixels 0x00RRGGBB (the byte order of a 32-bit DIB),
//   rows top first, the size of its client area. GDI draws into it; a child draws into its top-level
//   surface at its offset, clipped to itself and its ancestors (Win32ClipToWindow). Drawing marks the
//   surface dirty; the message functions present dirty surfaces before they wait or report an empty
//   queue, and Win32PresentSurface does it at once. Headless the surfaces exist all the same, so tests
//   can read pixels.
//
// Painting
//   InvalidateRect grows a window's update rectangle. When no posted message, input or quit is
//   pending, GetMessageA/PeekMessageA hand out WM_PAINT for windows with an update region, parents
//   before children, as Windows does. BeginPaint sends WM_ERASEBKGND when erasing was asked, validates
//   and returns a DC clipped to the update rectangle; EndPaint releases it.
//
// Input
//   SDL events become posted messages: mouse messages go to the capture window (SetCapture), else the
//   deepest visible, enabled window under the cursor, in its client coordinates; keys go to the focus
//   window (SetFocus), else the active top-level window. SIGINT/SIGTERM post WM_QUIT.
//
// Who defines what: the window core (window.cpp, message_queue.cpp, timer.cpp, sdl_events.cpp,
// gdi.cpp, bitmap_file.cpp, display.cpp) defines every user32/gdi32 call of windows.h except the
// dialog calls (DialogBoxParamA, EndDialog, IsDialogMessageA, GetDlgItem, GetDlgCtrlID,
// SendDlgItemMessageA, Set/GetDlgItemTextA, CheckDlgButton, IsDlgButtonChecked) and DrawTextA.
//
// Tables never grow; creation past their size fails the way the real call reports failure.
#pragma once
#include <windows.h>
#include <cstdint>

#include "platform/win32/win32_display.h"

struct SDL_Window;
struct SDL_Renderer;
struct SDL_Texture;

constexpr int kMaxWindowClasses = 64;
constexpr int kMaxWindows = 512;
constexpr int kMaxDcs = 64;
constexpr int kMaxGdiObjects = 1024;
constexpr int kMaxWindowText = 512;
constexpr int kMaxClassName = 64;

struct Win32Class {
  bool used;
  char name[kMaxClassName];
  UINT style;
  WNDPROC proc;
  HINSTANCE instance;
  HICON icon;
  HCURSOR cursor;
  HBRUSH background;
};

struct Win32Window {
  HWND handle;  // null: free slot
  int classIndex;  // into win32Classes; -1 for a foreign window
  WNDPROC proc;
  HWND parent;  // null for top-level windows
  HWND owner;  // top-level windows created with a parent handle (GetParent reports it)
  DWORD style;
  DWORD exStyle;
  LONG_PTR id;  // GWLP_ID (the HMENU argument of a child)
  HINSTANCE instance;
  char text[kMaxWindowText];
  RECT rect;  // relative to the parent's client area; top-level: screen
  bool foreign;  // adopted host window, not created by us
  bool destroying;  // WM_DESTROY sent, record about to be freed

  // Set/GetWindowLongPtrA slots.
  LONG_PTR userData;  // GWLP_USERDATA
  LONG_PTR msgResult;  // DWLP_MSGRESULT (dialogs)

  // For the dialog and control layer; the window core only clears them.
  DLGPROC dialogProc;
  LONG_PTR dialogData;
  HFONT font;  // WM_SETFONT
  void* controlData;  // owned by the control's procedure, freed by it on WM_NCDESTROY

  // Paint cycle.
  RECT updateRect;  // client coordinates; empty when valid
  bool eraseBackground;

  // Top-level only.
  SDL_Window* sdlWindow;  // null headless or for a child
  unsigned long x11Window;  // an existing X11 window drawn into instead of an SDL window; 0 if none
  SDL_Renderer* renderer;
  SDL_Texture* texture;
  int textureWidth, textureHeight;
  uint32_t* surface;  // client-sized, 0x00RRGGBB
  int surfaceWidth, surfaceHeight;
  bool surfaceDirty;
  bool showsFrames;  // the Direct3D stand-in presents into it; exposure re-shows its last frame only
  int framesOnSurface;  // frames go to the SDL window surface: their fit size (w * 65536 + h), else 0
};

// What a GDI handle stands for.
enum class Win32GdiKind { Free, Bitmap, Brush, Font, Pen };

struct Win32GdiObject {
  HGDIOBJ handle;
  Win32GdiKind kind;
  bool stock;  // DeleteObject leaves stock objects alone
  COLORREF color;  // brush, pen
  bool nullBrush;  // NULL_BRUSH paints nothing
  uint32_t* pixels;  // bitmap: 0x00RRGGBB, rows top first
  int width, height;
  int bitsPixel;  // as loaded, for GetObjectA
  int fontIndex;  // font: meaning given by the text layer
  int fontHeight;  // font: pixel height asked for
  int fontWeight;
};

struct Win32Dc {
  HDC handle;  // null: free slot
  HWND window;  // window DC; null for a memory DC
  bool memory;  // CreateCompatibleDC
  bool fromBeginPaint;
  bool ownDc;  // CS_OWNDC: the window's one DC, kept until the window is destroyed
  HGDIOBJ bitmap;  // memory DC: selected bitmap (a 1x1 stock one at creation, as in GDI)
  HGDIOBJ brush;
  HGDIOBJ font;
  HGDIOBJ pen;
  COLORREF textColor;
  COLORREF bkColor;
  int bkMode;
  bool hasPaintClip;  // BeginPaint: drawing is limited to the update rectangle
  RECT paintClip;  // client coordinates
};

// Where a DC's drawing lands: pixels, pitch in pixels, the DC origin in those pixels and the clip
// rectangle in pixel coordinates (already intersected with the target's bounds). Pixels are null when
// the target has nothing to draw into (a memory DC with its stock 1x1 bitmap still has one pixel).
struct Win32DrawTarget {
  uint32_t* pixels;
  int width, height;  // of the whole pixel buffer; pitch is `width`
  POINT origin;  // logical (0,0) of the DC
  RECT clip;  // in buffer pixels
};

extern Win32Class win32Classes[kMaxWindowClasses];
extern Win32Window win32Windows[kMaxWindows];
extern Win32Dc win32Dcs[kMaxDcs];
extern Win32GdiObject win32GdiObjects[kMaxGdiObjects];

// ---- Display --------------------------------------------------------------------------------
// Frames the Direct3D stand-in has shown (Win32ShowFrame calls), headless ones included.
extern unsigned win32FramesShown;
// Starts SDL video once when a display exists; harmless headless. Installs the signal handlers.
void Win32InitVideo();

// ---- Windows --------------------------------------------------------------------------------
Win32Window* Win32FindWindow(HWND window);
Win32Class* Win32FindClass(const char* name);
Win32Window* Win32TopLevelOf(Win32Window* window);
// Offset of the window's client area inside its top-level surface.
POINT Win32OffsetInTopLevel(Win32Window* window);
// The window's client rectangle in top-level surface pixels, clipped by every ancestor; empty when
// nothing of it can be seen.
RECT Win32ClipToWindow(Win32Window* window);
// True when the window and all its ancestors are visible.
bool Win32IsShown(Win32Window* window);
// Adopts an X11 window (the preview host) as a foreign top-level record; null when the handle is
// neither ours nor an existing X11 window. Headless it is adopted with the size of a preview pane.
Win32Window* Win32AdoptForeignWindow(HWND window);
// The deepest visible, enabled window under `point` (top-level surface pixels); `clientPoint` gets
// the point in its client coordinates.
HWND Win32WindowFromPoint(Win32Window* topLevel, POINT point, POINT* clientPoint);
// The top-level window of an SDL window id, or null.
Win32Window* Win32WindowFromSdlId(uint32_t sdlWindowId);

// ---- Painting and surfaces --------------------------------------------------------------------
// Copies the top-level surface to its SDL window now (scaled to fit for the full-screen window).
void Win32PresentSurface(Win32Window* topLevel);
// Presents every dirty top-level surface.
void Win32PresentDirtySurfaces();
// Marks the surface behind a window DC dirty after drawing through it; memory DCs are ignored.
void Win32MarkDcDrawn(HDC dc);
// The window (or its top-level ancestor) with a pending update region, parents first; null if none.
HWND Win32NextWindowToPaint();

// ---- GDI ------------------------------------------------------------------------------------
Win32Dc* Win32FindDc(HDC dc);
// Frees the DC a CS_OWNDC window kept for its life; called when the window's record goes.
void Win32FreeOwnDc(HWND window);
Win32GdiObject* Win32FindGdiObject(HGDIOBJ object);
// A new GDI object of `kind` (fields zeroed), or null when the table is full.
Win32GdiObject* Win32NewGdiObject(Win32GdiKind kind);
// Where drawing through `dc` lands; false when the DC is unknown.
bool Win32GetDrawTarget(HDC dc, Win32DrawTarget* target);
// COLORREF (0x00BBGGRR) to surface pixel (0x00RRGGBB) and back.
uint32_t Win32PixelFromColor(COLORREF color);
COLORREF Win32ColorFromPixel(uint32_t pixel);
// Fills a rectangle in DC logical coordinates, clipped; marks the surface drawn.
void Win32FillDcRect(HDC dc, const RECT& rect, uint32_t pixel);

// ---- Messages ---------------------------------------------------------------------------------
// Moves pending SDL events into the queue as messages and turns a caught signal into WM_QUIT.
void Win32PumpEvents();
// Removes posted messages, timers and paint state of a window being destroyed.
void Win32ForgetWindowMessages(HWND window);
// The window that gets keys: the focus window, else the active top-level window.
HWND Win32KeyboardTarget();
// The window that SetCapture named, or null.
HWND Win32CaptureWindow();
// Clears capture, focus and activation state that names a destroyed window.
void Win32ForgetWindowInput(HWND window);
// Makes `topLevel` the active window (WM_ACTIVATEAPP when the process was inactive, WM_ACTIVATE).
void Win32Activate(HWND topLevel);
// The process lost activation to another program (WM_ACTIVATE WA_INACTIVE, WM_ACTIVATEAPP 0).
void Win32DeactivateApp();
// Runs the destruction cascade for a window we did not create (the preview host went away).
void Win32DestroyForeignWindow(Win32Window* window);
// The X window `id` was destroyed: a foreign window record of it is destroyed, and a window of ours
// that drew into it (the saver on an XScreenSaver window) is sent WM_CLOSE; neither draws into it
// again.
void Win32X11WindowGone(unsigned long id);

// ---- Timers (between the core files) ----------------------------------------------------------
// Takes the first due timer for `window` (null: any) as a WM_TIMER message; reschedules it when
// `remove` is set.
bool Win32TakeDueTimer(HWND window, DWORD now, MSG* msg, bool remove);
// Milliseconds until the next timer is due, at most `limit`.
DWORD Win32TimeToNextTimer(DWORD now, DWORD limit);
void Win32KillWindowTimers(HWND window);

// ---- Display internals ---------------------------------------------------------------------
// Creates the SDL window for a new top-level record (hidden); nothing headless.
void Win32CreateSdlWindow(Win32Window* window);
// Keeps the SDL window above others or not, as WS_EX_TOPMOST now says.
void Win32SetSdlWindowTopmost(Win32Window* window, bool topmost);
void Win32DestroySdlWindow(Win32Window* window);
void Win32ShowSdlWindow(Win32Window* window, bool show);
// Maps a point in SDL window coordinates to the top-level surface (undoes scaling to fit).
POINT Win32SurfacePointFromSdl(Win32Window* topLevel, int x, int y);
// The X11 window the full-screen run draws into instead of its own (XSCREENSAVER_WINDOW,
// -window-id N, --window-id N); 0 when none.
unsigned long Win32SaverHostWindowId();
// Watches adopted X11 windows and destroys their records when they go away.
void Win32PollForeignWindows();
// The size of an existing X11 window; false when there is no such window (or no X display).
bool Win32X11WindowSize(unsigned long id, int* width, int* height);
// Starts watching an X11 window for its destruction.
void Win32WatchX11Window(unsigned long id);
// Shows 0x00RRGGBB pixels in an existing X11 window with black bars: as they are when they have the
// size of their own fit rectangle in it, else scaled to fit.
void Win32X11Present(unsigned long id, const uint32_t* pixels, int width, int height, int pitchBytes);
// The X side of Win32AllocateSharedFrame and Win32FreeSharedFrame.
uint32_t* Win32X11AllocateSharedFrame(unsigned long id, int width, int height);
void Win32X11FreeSharedFrame(uint32_t* pixels);
// The X11 connection's file descriptor, or -1 when there is none, so a wait can include it.
int Win32X11ConnectionFd();
// Sets the SDL window's title from the record's text.
void Win32SyncTitle(Win32Window* window);
// True for a WS_POPUP | WS_EX_TOPMOST top-level window: the saver's full-screen window.
bool Win32IsFullScreenWindow(const Win32Window* window);

// ---- Placing pictures -------------------------------------------------------------------------
struct Win32Rect {
  int x, y, width, height;
};
// The largest rectangle of the picture's aspect inside the output, centred.
Win32Rect Win32FitInside(int outputWidth, int outputHeight, int width, int height);
// The smallest rectangle of the picture's aspect covering the output, centred (reaches outside it).
Win32Rect Win32FillOutside(int outputWidth, int outputHeight, int width, int height);
// The back buffer for a `width` x `height` picture in the output: the fit rectangle's size, or with
// `fill` the output's size with the fill rectangle mapped onto it.
BackBufferPlacement Win32PlaceFrame(int outputWidth, int outputHeight, int width, int height, bool fill);
// Letterboxed (false, the default) or filling the screen, cropped (--fill, registry value "fit").
void Win32SetFillScreen(bool fill);
bool Win32FillsScreen();

// ---- Signals ----------------------------------------------------------------------------------
void Win32InstallSignalHandlers();
// True once per caught SIGINT/SIGTERM.
bool Win32TakeSignal();

// ---- Files -----------------------------------------------------------------------------------
// Decodes a Windows BMP file (8-bit palettised, 24 or 32 bits, bottom-up or top-down) into a new
// bitmap object; null when the file is missing, malformed or too large.
HBITMAP Win32LoadBitmapFile(const char* path);
