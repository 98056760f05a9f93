// Existing X11 windows we draw into: the preview host named by `/p N` and the window a Linux
// screen-saver daemon hands over (XSCREENSAVER_WINDOW, -window-id N). They are drawn into with
// Xlib on a connection of our own, so SDL never takes over a window that belongs to another program.
// Xlib is loaded at run time through SDL, which already depends on it, so the build needs nothing
// more.
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
  decltype(&XCreateGC) createGC;
  decltype(&XFreeGC) freeGC;
  decltype(&XPutImage) putImage;
  decltype(&XFlush) flush;
  decltype(&XInitImage) initImage;
};

// The picture scaled to the host window, kept between presents.
struct HostPicture {
  uint32_t* pixels;
  int width, height;
};

Xlib xlib;
HostPicture hostPicture;
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
                Load(&xlib.nextEvent, "XNextEvent") && Load(&xlib.createGC, "XCreateGC") &&
                Load(&xlib.freeGC, "XFreeGC") && Load(&xlib.putImage, "XPutImage") && Load(&xlib.flush, "XFlush") &&
                Load(&xlib.initImage, "XInitImage");
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

namespace {

bool EnsureHostPicture(int width, int height) {
  if (hostPicture.width == width && hostPicture.height == height) return true;
  std::free(hostPicture.pixels);
  hostPicture.pixels = static_cast<uint32_t*>(std::malloc(size_t(width) * size_t(height) * 4));
  hostPicture.width = hostPicture.pixels != nullptr ? width : 0;
  hostPicture.height = hostPicture.pixels != nullptr ? height : 0;
  return hostPicture.pixels != nullptr;
}

// Nearest-neighbour scaling into the centred fit rectangle; black elsewhere.
void ScaleToFit(const uint32_t* pixels, int width, int height, int pitchBytes) {
  int outW = hostPicture.width, outH = hostPicture.height;
  int fitW = outW, fitH = int(int64_t(height) * outW / width);
  if (fitH > outH) {
    fitH = outH;
    fitW = int(int64_t(width) * outH / height);
  }
  int left = (outW - fitW) / 2, top = (outH - fitH) / 2;
  for (int y = 0; y < outH; y++) {
    uint32_t* out = hostPicture.pixels + size_t(y) * size_t(outW);
    bool inside = y >= top && y < top + fitH;
    const uint32_t* row = nullptr;
    if (inside) row = reinterpret_cast<const uint32_t*>(reinterpret_cast<const char*>(pixels) +
                                                        size_t(int64_t(y - top) * height / fitH) * size_t(pitchBytes));
    for (int x = 0; x < outW; x++) {
      bool in = inside && x >= left && x < left + fitW;
      out[x] = in ? (row[int64_t(x - left) * width / fitW] & 0xFFFFFF) : 0;
    }
  }
}

}  // namespace

void Win32X11Present(unsigned long id, const uint32_t* pixels, int width, int height, int pitchBytes) {
  XWindowAttributes attributes;
  if (pixels == nullptr || width <= 0 || height <= 0 || !Attributes(id, &attributes)) return;
  // Our pixels are 32-bit 0x00RRGGBB: only a true-colour visual of depth 24 or 32 takes them as they are.
  if ((attributes.depth != 24 && attributes.depth != 32) || attributes.width <= 0 || attributes.height <= 0) return;
  if (!EnsureHostPicture(attributes.width, attributes.height)) return;
  ScaleToFit(pixels, width, height, pitchBytes);
  XImage image = {};
  image.width = hostPicture.width;
  image.height = hostPicture.height;
  image.format = ZPixmap;
  image.data = reinterpret_cast<char*>(hostPicture.pixels);
  image.byte_order = LSBFirst;
  image.bitmap_unit = 32;
  image.bitmap_bit_order = LSBFirst;
  image.bitmap_pad = 32;
  image.depth = attributes.depth;
  image.bytes_per_line = hostPicture.width * 4;
  image.bits_per_pixel = 32;
  image.red_mask = 0xFF0000;
  image.green_mask = 0x00FF00;
  image.blue_mask = 0x0000FF;
  if (xlib.initImage(&image) == 0) return;
  badWindow = false;
  auto previous = xlib.setErrorHandler(RecordError);
  GC gc = xlib.createGC(xlib.display, Window(id), 0, nullptr);
  xlib.putImage(xlib.display, Window(id), gc, &image, 0, 0, 0, 0, unsigned(image.width), unsigned(image.height));
  xlib.freeGC(xlib.display, gc);
  xlib.sync(xlib.display, False);
  xlib.setErrorHandler(previous);
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
