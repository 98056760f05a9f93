// The display side of the window subset: SDL video, SDL windows for top-level windows, showing
// surfaces and presented frames scaled to fit, the cursor and the screen metrics.
#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <unistd.h>

#include "platform/win32/win32_display.h"
#include "platform/win32/win32_internal.h"
#include "platform/win32/x11_pixels.h"

namespace {

constexpr int kHeadlessScreenWidth = 800;
constexpr int kHeadlessScreenHeight = 600;

enum class VideoState { Unknown, Headless, Ready };
VideoState videoState = VideoState::Unknown;
int cursorCounter = 0;

bool DisplayNamed() {
  const char* driver = std::getenv("SDL_VIDEODRIVER");
  if (driver != nullptr && std::strcmp(driver, "dummy") == 0) return false;
  const char* x11 = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  return (x11 != nullptr && x11[0] != '\0') || (wayland != nullptr && wayland[0] != '\0');
}

// Frames go to the window's own surface (SDL's X11 framebuffer, shared memory) unless a GPU can
// scale and show them: a renderer over a software OpenGL costs more than the copy it replaces.
bool FramesUseRenderer() {
  static int choice = -1;
  if (choice >= 0) return choice == 1;
  const char* driver = std::getenv("SDL_RENDER_DRIVER");
  const char* software = std::getenv("LIBGL_ALWAYS_SOFTWARE");
  bool gpu = access("/dev/dri/renderD128", R_OK | W_OK) == 0 && (software == nullptr || software[0] == '\0');
  choice = (driver != nullptr && driver[0] != '\0') || gpu ? 1 : 0;
  return choice == 1;
}

bool EnsureRenderer(Win32Window* window) {
  if (window->renderer != nullptr) return true;
  window->renderer = SDL_CreateRenderer(window->sdlWindow, -1, 0);
  if (window->renderer == nullptr) {
    window->renderer = SDL_CreateRenderer(window->sdlWindow, -1, SDL_RENDERER_SOFTWARE);
  }
  return window->renderer != nullptr;
}

bool EnsureTexture(Win32Window* window, int width, int height) {
  if (window->texture != nullptr && window->textureWidth == width && window->textureHeight == height) return true;
  if (window->texture != nullptr) SDL_DestroyTexture(window->texture);
  window->texture = SDL_CreateTexture(window->renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING,
                                      width, height);
  window->textureWidth = window->texture != nullptr ? width : 0;
  window->textureHeight = window->texture != nullptr ? height : 0;
  return window->texture != nullptr;
}

void RenderTexture(Win32Window* window) {
  int outputWidth = 0, outputHeight = 0;
  SDL_GetRendererOutputSize(window->renderer, &outputWidth, &outputHeight);
  Win32Rect fit = Win32FitInside(outputWidth, outputHeight, window->textureWidth, window->textureHeight);
  SDL_Rect destination = {fit.x, fit.y, fit.width, fit.height};
  SDL_SetRenderDrawColor(window->renderer, 0, 0, 0, 255);
  SDL_RenderClear(window->renderer);
  SDL_RenderCopy(window->renderer, window->texture, nullptr, &destination);
  SDL_RenderPresent(window->renderer);
}

// SDL lets a window have a renderer or a surface, not both: the full-screen window keeps to the
// one chosen for its frames.
bool UsesWindowSurface(const Win32Window* window) {
  return Win32IsFullScreenWindow(window) && !FramesUseRenderer() && window->renderer == nullptr;
}

// Copies a frame into the window's own surface, centred with black bars; scaled only when the
// frame does not already have its fit rectangle's size.
bool ShowFrameOnWindowSurface(Win32Window* window, const uint32_t* pixels, int width, int height, int pitchBytes) {
  SDL_Surface* surface = SDL_GetWindowSurface(window->sdlWindow);
  if (surface == nullptr || SDL_LockSurface(surface) != 0) return false;
  Win32Rect fit = Win32FitInside(surface->w, surface->h, width, height);
  if (window->framesOnSurface != fit.width * 65536 + fit.height) {
    // New size: the bars are drawn once, then only the picture is copied.
    for (int y = 0; y < surface->h; ++y) std::memset(static_cast<uint8_t*>(surface->pixels) + y * surface->pitch, 0,
                                                     size_t(surface->w) * surface->format->BytesPerPixel);
    window->framesOnSurface = fit.width * 65536 + fit.height;
  }
  PixelLayout layout;
  const SDL_PixelFormat* f = surface->format;
  bool known = (f->BytesPerPixel == 2 || f->BytesPerPixel == 4) &&
               PixelLayoutFromMasks(f->Rmask, f->Gmask, f->Bmask, &layout);
  if (known) {
    PixelImage in{reinterpret_cast<uint8_t*>(const_cast<uint32_t*>(pixels)), width, height, pitchBytes, 4};
    PixelImage out{static_cast<uint8_t*>(surface->pixels) + fit.y * surface->pitch + fit.x * f->BytesPerPixel,
                   fit.width, fit.height, surface->pitch, f->BytesPerPixel};
    ConvertScaled(in, out, layout);
  }
  SDL_UnlockSurface(surface);
  if (!known) return false;
  SDL_Rect changed = {fit.x, fit.y, fit.width, fit.height};
  SDL_UpdateWindowSurfaceRects(window->sdlWindow, &changed, 1);
  return true;
}

void ShowPixels(Win32Window* window, const uint32_t* pixels, int width, int height, int pitchBytes) {
  if (window->x11Window != 0 && pixels != nullptr) {
    Win32X11Present(window->x11Window, pixels, width, height, pitchBytes);
    return;
  }
  if (window->sdlWindow == nullptr || pixels == nullptr || width <= 0 || height <= 0) return;
  if (UsesWindowSurface(window) && ShowFrameOnWindowSurface(window, pixels, width, height, pitchBytes)) return;
  if (!EnsureRenderer(window) || !EnsureTexture(window, width, height)) return;
  SDL_UpdateTexture(window->texture, nullptr, pixels, pitchBytes);
  RenderTexture(window);
}

void SetVsync(Win32Window* window, bool on) {
  static int current = -1;
  if (current == int(on)) return;
  current = int(on);
  SDL_RenderSetVSync(window->renderer, on ? 1 : 0);
}

SDL_Window* CreateFullScreenWindow(Win32Window* window) {
  unsigned long host = Win32SaverHostWindowId();
  int width, height;
  if (host != 0) {
    if (Win32X11WindowSize(host, &width, &height)) {
      window->x11Window = host;
      return nullptr;
    }
    std::fprintf(stderr, "No X11 window 0x%lx to draw into; using a window of our own.\n", host);
  }
  SDL_DisplayMode mode = {};
  SDL_GetDesktopDisplayMode(0, &mode);
  Uint32 flags = SDL_WINDOW_HIDDEN | SDL_WINDOW_BORDERLESS | SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_ALWAYS_ON_TOP;
  return SDL_CreateWindow(window->text, 0, 0, mode.w, mode.h, flags);
}

SDL_Window* CreatePlainWindow(Win32Window* window) {
  Uint32 flags = SDL_WINDOW_HIDDEN;
  if ((window->style & WS_CAPTION) != WS_CAPTION) flags |= SDL_WINDOW_BORDERLESS;
  if ((window->exStyle & WS_EX_TOPMOST) != 0) flags |= SDL_WINDOW_ALWAYS_ON_TOP;
  if ((window->style & WS_POPUP) != 0 && (window->style & WS_CAPTION) == 0) flags |= SDL_WINDOW_POPUP_MENU;
  int width = window->rect.right - window->rect.left, height = window->rect.bottom - window->rect.top;
  return SDL_CreateWindow(window->text, window->rect.left, window->rect.top, width > 0 ? width : 1,
                          height > 0 ? height : 1, flags);
}

// Not every display makes the present wait for the retrace (software renderers, servers without
// vsync, X11 host windows drawn with Xlib), and an unpaced saver would spin a core. So presents that
// ask for the retrace are also held to the display's refresh rate here; where vsync works, the
// present has already waited and this sleeps little or not at all.
void PaceToRefreshRate() {
  static uint64_t nextTick = 0;
  SDL_DisplayMode mode = {};
  int rate = SDL_GetDesktopDisplayMode(0, &mode) == 0 && mode.refresh_rate > 0 ? mode.refresh_rate : 60;
  const uint64_t frequency = SDL_GetPerformanceFrequency();
  const uint64_t period = frequency / uint64_t(rate);
  uint64_t now = SDL_GetPerformanceCounter();
  if (nextTick > now && nextTick - now <= period) {
    SDL_Delay(Uint32((nextTick - now) * 1000 / frequency));
    now = SDL_GetPerformanceCounter();
  }
  nextTick = (nextTick > now && nextTick - now <= period ? nextTick : now) + period;
}

}  // namespace

bool Win32HasDisplay() {
  Win32InitVideo();
  return videoState == VideoState::Ready;
}

void Win32InitVideo() {
  if (videoState != VideoState::Unknown) return;
  videoState = VideoState::Headless;
  Win32InstallSignalHandlers();
  if (!DisplayNamed()) return;
  // Our own handlers turn SIGINT/SIGTERM into WM_QUIT; SDL's would only make SDL_QUIT events.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
  SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
  // The window surface is then X11's own shared-memory image, not a texture of a GL renderer.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0) videoState = VideoState::Ready;
}

void Win32CreateSdlWindow(Win32Window* window) {
  if (!Win32HasDisplay() || window->parent != nullptr || window->foreign) return;
  window->sdlWindow = Win32IsFullScreenWindow(window) ? CreateFullScreenWindow(window) : CreatePlainWindow(window);
}

void Win32SetSdlWindowTopmost(Win32Window* window, bool topmost) {
  if (window->sdlWindow != nullptr) SDL_SetWindowAlwaysOnTop(window->sdlWindow, topmost ? SDL_TRUE : SDL_FALSE);
}

void Win32DestroySdlWindow(Win32Window* window) {
  if (window->texture != nullptr) SDL_DestroyTexture(window->texture);
  if (window->renderer != nullptr) SDL_DestroyRenderer(window->renderer);
  if (window->sdlWindow != nullptr) SDL_DestroyWindow(window->sdlWindow);
  window->texture = nullptr;
  window->renderer = nullptr;
  window->framesOnSurface = 0;
  window->sdlWindow = nullptr;
}

void Win32ShowSdlWindow(Win32Window* window, bool show) {
  if (window->sdlWindow == nullptr) return;
  if (!show) {
    SDL_HideWindow(window->sdlWindow);
    return;
  }
  // Whether the window covers the screen was settled when it was made; losing topmost status
  // later (after a device reset) does not shrink it to its rectangle.
  if ((SDL_GetWindowFlags(window->sdlWindow) & SDL_WINDOW_FULLSCREEN) == 0) {
    int width = window->rect.right - window->rect.left, height = window->rect.bottom - window->rect.top;
    SDL_SetWindowSize(window->sdlWindow, width > 0 ? width : 1, height > 0 ? height : 1);
    SDL_SetWindowPosition(window->sdlWindow, window->rect.left, window->rect.top);
  }
  SDL_ShowWindow(window->sdlWindow);
  SDL_RaiseWindow(window->sdlWindow);
  window->surfaceDirty = true;
}

void Win32SyncTitle(Win32Window* window) {
  if (window->sdlWindow != nullptr) SDL_SetWindowTitle(window->sdlWindow, window->text);
}

Win32Window* Win32WindowFromSdlId(uint32_t sdlWindowId) {
  if (sdlWindowId == 0) return nullptr;
  for (Win32Window& window : win32Windows) {
    if (window.handle != nullptr && window.sdlWindow != nullptr && SDL_GetWindowID(window.sdlWindow) == sdlWindowId) {
      return &window;
    }
  }
  return nullptr;
}

POINT Win32SurfacePointFromSdl(Win32Window* topLevel, int x, int y) {
  if (topLevel->sdlWindow == nullptr || topLevel->surfaceWidth <= 0) return POINT{x, y};
  int windowWidth = 0, windowHeight = 0;
  SDL_GetWindowSize(topLevel->sdlWindow, &windowWidth, &windowHeight);
  Win32Rect fit = Win32FitInside(windowWidth, windowHeight, topLevel->surfaceWidth, topLevel->surfaceHeight);
  if (fit.width <= 0 || fit.height <= 0) return POINT{x, y};
  return POINT{LONG(int64_t(x - fit.x) * topLevel->surfaceWidth / fit.width),
               LONG(int64_t(y - fit.y) * topLevel->surfaceHeight / fit.height)};
}

void Win32PresentSurface(Win32Window* topLevel) {
  topLevel->surfaceDirty = false;
  if (topLevel->showsFrames) {
    // The last presented frame stands until the next one; GDI drawing does not cover it.
    if (topLevel->texture != nullptr) RenderTexture(topLevel);
    if (topLevel->framesOnSurface != 0 && topLevel->sdlWindow != nullptr) SDL_UpdateWindowSurface(topLevel->sdlWindow);
    return;
  }
  ShowPixels(topLevel, topLevel->surface, topLevel->surfaceWidth, topLevel->surfaceHeight,
             topLevel->surfaceWidth * 4);
}

void Win32PresentDirtySurfaces() {
  for (Win32Window& window : win32Windows) {
    if (window.handle != nullptr && window.parent == nullptr && window.surfaceDirty) Win32PresentSurface(&window);
  }
}

unsigned win32FramesShown = 0;

void Win32ShowFrame(HWND window, const uint32_t* pixels, int width, int height, int pitchBytes,
                    bool waitForRetrace) {
  ++win32FramesShown;
  Win32Window* top = Win32TopLevelOf(Win32FindWindow(window));
  if (top == nullptr) return;
  if (top->x11Window != 0) {
    top->showsFrames = true;
    Win32X11Present(top->x11Window, pixels, width, height, pitchBytes);
    if (waitForRetrace) PaceToRefreshRate();
    return;
  }
  if (top->sdlWindow == nullptr) return;
  top->showsFrames = true;
  if (UsesWindowSurface(top) && ShowFrameOnWindowSurface(top, pixels, width, height, pitchBytes)) {
    if (waitForRetrace) PaceToRefreshRate();
    return;
  }
  if (!EnsureRenderer(top)) return;
  SetVsync(top, waitForRetrace);
  ShowPixels(top, pixels, width, height, pitchBytes);
  if (waitForRetrace && Win32HasDisplay()) PaceToRefreshRate();
}

uint32_t* Win32AllocateSharedFrame(HWND window, int width, int height) {
  Win32Window* top = Win32TopLevelOf(Win32FindWindow(window));
  if (top == nullptr || top->x11Window == 0) return nullptr;
  return Win32X11AllocateSharedFrame(top->x11Window, width, height);
}

void Win32FreeSharedFrame(uint32_t* pixels) { Win32X11FreeSharedFrame(pixels); }

bool Win32FramePlacement(HWND window, int logicalWidth, int logicalHeight, BackBufferPlacement* placement) {
  Win32Window* top = Win32TopLevelOf(Win32FindWindow(window));
  if (top == nullptr || logicalWidth <= 0 || logicalHeight <= 0) return false;
  int width = 0, height = 0;
  if (top->x11Window != 0) {
    if (!Win32X11WindowSize(top->x11Window, &width, &height)) return false;
  } else if (top->sdlWindow != nullptr) {
    SDL_GetWindowSize(top->sdlWindow, &width, &height);
  }
  if (width <= 0 || height <= 0) return false;
  *placement = Win32PlaceFrame(width, height, logicalWidth, logicalHeight, Win32FillsScreen());
  return true;
}

int GetSystemMetrics(int index) {
  SDL_DisplayMode mode = {};
  bool known = Win32HasDisplay() && SDL_GetDesktopDisplayMode(0, &mode) == 0;
  switch (index) {
    case SM_CXSCREEN: return known ? mode.w : kHeadlessScreenWidth;
    case SM_CYSCREEN: return known ? mode.h : kHeadlessScreenHeight;
    default: return 0;
  }
}

// The cursor shows while the counter is zero or more, as in Windows.
int ShowCursor(BOOL show) {
  cursorCounter += show ? 1 : -1;
  if (Win32HasDisplay()) SDL_ShowCursor(cursorCounter >= 0 ? SDL_ENABLE : SDL_DISABLE);
  return cursorCounter;
}
