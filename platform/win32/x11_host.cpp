// Existing X11 windows we draw into: the preview host named by `/p N` and the window a Linux
// screen-saver daemon hands over (XSCREENSAVER_WINDOW, -window-id N). Xlib is loaded at run time
// through SDL, which already depends on it, so the build needs nothing more.
#include <SDL.h>
#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/win32/win32_display.h"
#include "platform/win32/win32_internal.h"

namespace {

struct Xlib {
  bool tried;
  void* library;
  Display* display;  // our own connection, so host events never mix with SDL's
  decltype(&XOpenDisplay) openDisplay;
  decltype(&XGetWindowAttributes) getWindowAttributes;
  decltype(&XSetErrorHandler) setErrorHandler;
  decltype(&XSync) sync;
  decltype(&XSelectInput) selectInput;
  decltype(&XPending) pending;
  decltype(&XNextEvent) nextEvent;
};

Xlib xlib;
bool badWindow = false;

int RecordError(Display*, XErrorEvent*) {
  badWindow = true;
  return 0;
}

template <typename F>
bool Load(F* function, const char* name) {
  *function = reinterpret_cast<F>(SDL_LoadFunction(xlib.library, name));
  return *function != nullptr;
}

bool OpenXlib() {
  if (xlib.tried) return xlib.display != nullptr;
  xlib.tried = true;
  if (!Win32HasDisplay() || std::strcmp(SDL_GetCurrentVideoDriver(), "x11") != 0) return false;
  xlib.library = SDL_LoadObject("libX11.so.6");
  if (xlib.library == nullptr) return false;
  bool loaded = Load(&xlib.openDisplay, "XOpenDisplay") && Load(&xlib.getWindowAttributes, "XGetWindowAttributes") &&
                Load(&xlib.setErrorHandler, "XSetErrorHandler") && Load(&xlib.sync, "XSync") &&
                Load(&xlib.selectInput, "XSelectInput") && Load(&xlib.pending, "XPending") &&
                Load(&xlib.nextEvent, "XNextEvent");
  if (loaded) xlib.display = xlib.openDisplay(nullptr);
  return xlib.display != nullptr;
}

// An X error for a bad window id would otherwise end the process through Xlib's default handler.
bool Attributes(unsigned long id, XWindowAttributes* attributes) {
  if (!OpenXlib() || id == 0) return false;
  badWindow = false;
  auto previous = xlib.setErrorHandler(RecordError);
  Status status = xlib.getWindowAttributes(xlib.display, Window(id), attributes);
  xlib.sync(xlib.display, False);
  xlib.setErrorHandler(previous);
  return status != 0 && !badWindow;
}

// "decimal or 0x hex", nothing else after the number.
unsigned long ParseWindowId(const char* text) {
  if (text == nullptr || *text == '\0') return 0;
  int base = (text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) ? 16 : 10;
  char* end = nullptr;
  unsigned long value = std::strtoul(text, &end, base);
  return (end != nullptr && *end == '\0') ? value : 0;
}

unsigned long WindowIdFromCommandLine() {
  FILE* file = std::fopen("/proc/self/cmdline", "rb");
  if (file == nullptr) return 0;
  static char arguments[8192];
  size_t size = std::fread(arguments, 1, sizeof arguments - 1, file);
  std::fclose(file);
  arguments[size] = '\0';
  for (size_t i = 0; i < size; i += std::strlen(arguments + i) + 1) {
    const char* argument = arguments + i;
    bool named = std::strcmp(argument, "-window-id") == 0 || std::strcmp(argument, "--window-id") == 0;
    size_t next = i + std::strlen(argument) + 1;
    if (named && next < size) return ParseWindowId(arguments + next);
    if (std::strncmp(argument, "--window-id=", 12) == 0) return ParseWindowId(argument + 12);
  }
  return 0;
}

}  // namespace

unsigned long Win32SaverHostWindowId() {
  unsigned long id = WindowIdFromCommandLine();
  if (id == 0) id = ParseWindowId(std::getenv("XSCREENSAVER_WINDOW"));
  return id;
}

bool Win32X11WindowSize(unsigned long id, int* width, int* height) {
  XWindowAttributes attributes;
  if (!Attributes(id, &attributes)) return false;
  *width = attributes.width;
  *height = attributes.height;
  return true;
}

void Win32WatchX11Window(unsigned long id) {
  if (!OpenXlib()) return;
  auto previous = xlib.setErrorHandler(RecordError);
  xlib.selectInput(xlib.display, Window(id), StructureNotifyMask);
  xlib.sync(xlib.display, False);
  xlib.setErrorHandler(previous);
}

SDL_Window* Win32BorrowX11Window(unsigned long id) {
  int width, height;
  if (!Win32X11WindowSize(id, &width, &height)) {
    std::fprintf(stderr, "No X11 window 0x%lx to draw into; using a window of our own.\n", id);
    return nullptr;
  }
  return SDL_CreateWindowFrom(reinterpret_cast<const void*>(uintptr_t(id)));
}

void Win32PollForeignWindows() {
  if (xlib.display == nullptr) return;
  while (xlib.pending(xlib.display) > 0) {
    XEvent event;
    xlib.nextEvent(xlib.display, &event);
    if (event.type != DestroyNotify) continue;
    HWND handle = reinterpret_cast<HWND>(uintptr_t(event.xdestroywindow.window));
    Win32Window* window = Win32FindWindow(handle);
    if (window != nullptr && window->foreign) Win32DestroyForeignWindow(window);
  }
}
