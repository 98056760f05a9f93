// Existing X11 windows we draw into: the preview host named by `/p N` and the window a Linux
// screen-saver daemon hands over (XSCREENSAVER_WINDOW, -window-id N, -root). They are drawn into
// with Xlib on a connection of our own, so SDL never takes over a window that belongs to another
// program. Xlib and its shared-memory extension are loaded at run time through SDL, which already
// depends on them, so the build needs nothing more.
//
// A present costs no round trip: window sizes follow ConfigureNotify, pictures go through MIT-SHM
// when the server offers it (plain XPutImage otherwise), and the black bars are drawn only after
// the window was exposed or resized.
#include <SDL.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <poll.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/win32/win32_display.h"
#include "platform/win32/win32_internal.h"
#include "platform/win32/x11_pixels.h"
#include "platform/win32/command_options.h"

namespace {

constexpr int kMaxHostWindows = 8;
constexpr int kMaxSharedFrames = 4;
constexpr int kCompletionWaitMs = 100;

struct Xlib {
  bool tried;
  void* library;
  void* extensions;
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
  decltype(&XCreateImage) createImage;
  decltype(&XFillRectangle) fillRectangle;
  decltype(&XSetForeground) setForeground;
  decltype(&XShmQueryExtension) shmQueryExtension;
  decltype(&XShmGetEventBase) shmGetEventBase;
  decltype(&XShmCreateImage) shmCreateImage;
  decltype(&XShmAttach) shmAttach;
  decltype(&XShmDetach) shmDetach;
  decltype(&XShmPutImage) shmPutImage;
  bool sharedMemory;  // the server offers MIT-SHM and we could load it
  int completionEvent;
};

// One window we draw into, with the image that carries its pictures.
struct HostWindow {
  unsigned long id;  // 0: free slot
  int width, height;
  int depth;
  Visual* visual;
  PixelLayout layout;
  bool barsDirty;
  bool drawable;  // a visual we can convert to
  GC gc;
  XImage* image;  // the fit rectangle's size
  XShmSegmentInfo segment;
  bool shared;
  char* plainPixels;  // the image's memory when it is not shared
  bool awaitingCompletion;  // the server may still be reading the shared image
};

Xlib xlib;
HostWindow hosts[kMaxHostWindows];

// Back buffers the device draws straight into memory the server reads: presenting one copies
// nothing on our side.
struct SharedFrame {
  XImage* image;  // null: a free slot; its data are the frame's pixels
  XShmSegmentInfo segment;
};
SharedFrame sharedFrames[kMaxSharedFrames];
bool xError = false;

int RecordError(Display*, XErrorEvent*) {
  xError = true;
  return 0;
}

// An X error for a bad window id would otherwise end the process through Xlib's default handler.
struct TrapErrors {
  TrapErrors() : previous(xlib.setErrorHandler(RecordError)) { xError = false; }
  ~TrapErrors() { xlib.setErrorHandler(previous); }
  int (*previous)(Display*, XErrorEvent*);
};

template <typename F>
bool Load(void* library, F* function, const char* name) {
  *function = reinterpret_cast<F>(SDL_LoadFunction(library, name));
  return *function != nullptr;
}

bool LoadSharedMemory() {
  xlib.extensions = SDL_LoadObject("libXext.so.6");
  void* e = xlib.extensions;
  if (e == nullptr) return false;
  bool loaded = Load(e, &xlib.shmQueryExtension, "XShmQueryExtension") &&
                Load(e, &xlib.shmGetEventBase, "XShmGetEventBase") &&
                Load(e, &xlib.shmCreateImage, "XShmCreateImage") && Load(e, &xlib.shmAttach, "XShmAttach") &&
                Load(e, &xlib.shmDetach, "XShmDetach") && Load(e, &xlib.shmPutImage, "XShmPutImage");
  if (!loaded || !xlib.shmQueryExtension(xlib.display)) return false;
  xlib.completionEvent = xlib.shmGetEventBase(xlib.display) + ShmCompletion;
  return std::getenv("VESPERGLEN_NO_SHM") == nullptr;
}

bool OpenXlib() {
  if (xlib.tried) return xlib.display != nullptr;
  xlib.tried = true;
  if (!Win32HasDisplay() || std::strcmp(SDL_GetCurrentVideoDriver(), "x11") != 0) return false;
  xlib.library = SDL_LoadObject("libX11.so.6");
  void* l = xlib.library;
  if (l == nullptr) return false;
  bool loaded = Load(l, &xlib.openDisplay, "XOpenDisplay") &&
                Load(l, &xlib.getWindowAttributes, "XGetWindowAttributes") &&
                Load(l, &xlib.setErrorHandler, "XSetErrorHandler") && Load(l, &xlib.sync, "XSync") &&
                Load(l, &xlib.selectInput, "XSelectInput") && Load(l, &xlib.pending, "XPending") &&
                Load(l, &xlib.nextEvent, "XNextEvent") && Load(l, &xlib.createGC, "XCreateGC") &&
                Load(l, &xlib.freeGC, "XFreeGC") && Load(l, &xlib.putImage, "XPutImage") &&
                Load(l, &xlib.flush, "XFlush") && Load(l, &xlib.createImage, "XCreateImage") &&
                Load(l, &xlib.fillRectangle, "XFillRectangle") && Load(l, &xlib.setForeground, "XSetForeground");
  if (loaded) xlib.display = xlib.openDisplay(nullptr);
  if (xlib.display != nullptr) xlib.sharedMemory = LoadSharedMemory();
  return xlib.display != nullptr;
}

HostWindow* FindHost(unsigned long id) {
  for (HostWindow& host : hosts) {
    if (host.id == id && id != 0) return &host;
  }
  return nullptr;
}

// The image's memory is ours (shared segment or malloc), not Xlib's, and so is the segment record.
void DestroyImageShell(XImage* image) {
  image->data = nullptr;
  image->obdata = nullptr;
  XDestroyImage(image);
}

// A shared-memory segment of `bytes` attached to the server. Marked for removal at once, so it goes
// away with the last detach even if we crash. A server that refuses (a remote one) is asked no more.
bool AttachSegment(XShmSegmentInfo* segment, size_t bytes) {
  *segment = XShmSegmentInfo{};
  segment->shmid = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
  if (segment->shmid < 0) return false;
  segment->shmaddr = static_cast<char*>(shmat(segment->shmid, nullptr, 0));
  segment->readOnly = False;
  bool attached = false;
  if (segment->shmaddr != reinterpret_cast<char*>(-1)) {
    TrapErrors trap;
    attached = xlib.shmAttach(xlib.display, segment) != 0;
    xlib.sync(xlib.display, False);  // once per segment: a remote server refuses only here
    attached = attached && !xError;
  }
  shmctl(segment->shmid, IPC_RMID, nullptr);
  if (!attached) {
    if (segment->shmaddr != reinterpret_cast<char*>(-1)) shmdt(segment->shmaddr);
    *segment = XShmSegmentInfo{};
    xlib.sharedMemory = false;
  }
  return attached;
}

void DetachSegment(XShmSegmentInfo* segment) {
  {
    TrapErrors trap;
    xlib.shmDetach(xlib.display, segment);
    xlib.flush(xlib.display);
  }
  shmdt(segment->shmaddr);
  *segment = XShmSegmentInfo{};
}

void DropImage(HostWindow* host) {
  if (host->image == nullptr) return;
  if (host->shared) DetachSegment(&host->segment);
  DestroyImageShell(host->image);
  std::free(host->plainPixels);
  host->plainPixels = nullptr;
  host->image = nullptr;
  host->segment = XShmSegmentInfo{};
  host->shared = false;
  host->awaitingCompletion = false;
}

void ForgetHost(HostWindow* host) {
  DropImage(host);
  if (host->gc != nullptr) xlib.freeGC(xlib.display, host->gc);
  *host = HostWindow{};
}

void SayOnce(const char* format, int value) {
  static bool told = false;
  if (told) return;
  told = true;
  std::fprintf(stderr, format, value);
}

// The one round trip per window: its size, depth and visual, when it is first drawn into.
HostWindow* AdoptHost(unsigned long id) {
  if (!OpenXlib() || id == 0) return nullptr;
  if (HostWindow* known = FindHost(id)) return known;
  HostWindow* slot = nullptr;
  for (HostWindow& host : hosts) {
    if (host.id == 0 && slot == nullptr) slot = &host;
  }
  if (slot == nullptr) return nullptr;
  XWindowAttributes attributes;
  Status status;
  {
    TrapErrors trap;
    status = xlib.getWindowAttributes(xlib.display, Window(id), &attributes);
    xlib.selectInput(xlib.display, Window(id), StructureNotifyMask | ExposureMask);
    xlib.sync(xlib.display, False);
    if (status == 0 || xError) return nullptr;
  }
  *slot = HostWindow{};
  slot->id = id;
  slot->width = attributes.width;
  slot->height = attributes.height;
  slot->depth = attributes.depth;
  slot->visual = attributes.visual;
  slot->barsDirty = true;
  slot->drawable = attributes.visual != nullptr && attributes.visual->c_class == TrueColor &&
                   PixelLayoutFromMasks(attributes.visual->red_mask, attributes.visual->green_mask,
                                        attributes.visual->blue_mask, &slot->layout);
  if (!slot->drawable) {
    SayOnce("The X window's visual (depth %d) is not true colour; the saver cannot draw into it.\n",
            attributes.depth);
  }
  slot->gc = xlib.createGC(xlib.display, Window(id), 0, nullptr);
  return slot;
}

// An image of the window's visual over a new shared segment attached to the server; null if the
// server takes none.
XImage* CreateSegmentImage(const HostWindow* host, int width, int height, XShmSegmentInfo* segment) {
  XImage* image = xlib.shmCreateImage(xlib.display, host->visual, unsigned(host->depth), ZPixmap, nullptr,
                                      segment, unsigned(width), unsigned(height));
  if (image == nullptr) return nullptr;
  if (!AttachSegment(segment, size_t(image->bytes_per_line) * size_t(height))) {
    DestroyImageShell(image);
    return nullptr;
  }
  image->data = segment->shmaddr;
  return image;
}

XImage* CreateSharedImage(HostWindow* host, int width, int height) {
  XImage* image = CreateSegmentImage(host, width, height, &host->segment);
  host->shared = image != nullptr;
  return image;
}

XImage* CreatePlainImage(HostWindow* host, int width, int height) {
  XImage* image = xlib.createImage(xlib.display, host->visual, unsigned(host->depth), ZPixmap, 0, nullptr,
                                   unsigned(width), unsigned(height), 32, 0);
  if (image == nullptr) return nullptr;
  host->plainPixels = static_cast<char*>(std::malloc(size_t(image->bytes_per_line) * size_t(height)));
  image->data = host->plainPixels;
  if (image->data == nullptr) {
    DestroyImageShell(image);
    return nullptr;
  }
  return image;
}

bool EnsureImage(HostWindow* host, int width, int height) {
  if (host->image != nullptr && host->image->width == width && host->image->height == height) return true;
  DropImage(host);
  if (xlib.sharedMemory) host->image = CreateSharedImage(host, width, height);
  if (host->image == nullptr) host->image = CreatePlainImage(host, width, height);
  if (host->image == nullptr) return false;
  if (host->image->bits_per_pixel != 16 && host->image->bits_per_pixel != 32) {
    SayOnce("The X window's pixels are %d bits; the saver draws only into 16- and 32-bit pixels.\n",
            host->image->bits_per_pixel);
    DropImage(host);
    host->drawable = false;
    return false;
  }
  host->image->byte_order = LSBFirst;  // we write host order; Xlib swaps for a server that differs
  return true;
}

void HandleEvent(const XEvent& event) {
  if (event.type == xlib.completionEvent && xlib.sharedMemory) {
    const auto& done = reinterpret_cast<const XShmCompletionEvent&>(event);
    if (HostWindow* host = FindHost(done.drawable)) host->awaitingCompletion = false;
    return;
  }
  switch (event.type) {
    case ConfigureNotify:
      if (HostWindow* host = FindHost(event.xconfigure.window)) {
        host->barsDirty = host->barsDirty || host->width != event.xconfigure.width ||
                          host->height != event.xconfigure.height;
        host->width = event.xconfigure.width;
        host->height = event.xconfigure.height;
      }
      break;
    case Expose:
      if (HostWindow* host = FindHost(event.xexpose.window)) host->barsDirty = true;
      break;
    case DestroyNotify:
      if (HostWindow* host = FindHost(event.xdestroywindow.window)) ForgetHost(host);
      Win32X11WindowGone(event.xdestroywindow.window);
      break;
    default: break;
  }
}

void DrainEvents() {
  TrapErrors trap;
  while (xlib.pending(xlib.display) > 0) {
    XEvent event;
    xlib.nextEvent(xlib.display, &event);
    HandleEvent(event);
  }
}

// The shared image must not be written while the server still reads the last picture from it.
void AwaitCompletion(unsigned long id) {
  HostWindow* host = FindHost(id);
  for (int waited = 0; host != nullptr && host->awaitingCompletion && waited < kCompletionWaitMs; ++waited) {
    DrainEvents();
    host = FindHost(id);
    if (host == nullptr || !host->awaitingCompletion) break;
    pollfd descriptor = {Win32X11ConnectionFd(), POLLIN, 0};
    poll(&descriptor, 1, 1);
  }
  if (host != nullptr) host->awaitingCompletion = false;
}

void DrawBars(HostWindow* host, const Win32Rect& fit) {
  host->barsDirty = false;
  if (fit.width == host->width && fit.height == host->height) return;
  xlib.setForeground(xlib.display, host->gc, 0);  // black in every true-colour visual
  Window window = Window(host->id);
  int right = fit.x + fit.width, bottom = fit.y + fit.height;
  if (fit.y > 0) xlib.fillRectangle(xlib.display, window, host->gc, 0, 0, unsigned(host->width), unsigned(fit.y));
  if (bottom < host->height) {
    xlib.fillRectangle(xlib.display, window, host->gc, 0, bottom, unsigned(host->width), unsigned(host->height - bottom));
  }
  if (fit.x > 0) xlib.fillRectangle(xlib.display, window, host->gc, 0, fit.y, unsigned(fit.x), unsigned(fit.height));
  if (right < host->width) {
    xlib.fillRectangle(xlib.display, window, host->gc, right, fit.y, unsigned(host->width - right),
                       unsigned(fit.height));
  }
}

void FillImage(HostWindow* host, const uint32_t* pixels, int width, int height, int pitchBytes) {
  XImage* image = host->image;
  PixelImage out{reinterpret_cast<uint8_t*>(image->data), image->width, image->height, image->bytes_per_line,
                 image->bits_per_pixel / 8};
  PixelImage in{reinterpret_cast<uint8_t*>(const_cast<uint32_t*>(pixels)), width, height, pitchBytes, 4};
  ConvertScaled(in, out, host->layout);
}

SharedFrame* SharedFrameOf(const uint32_t* pixels) {
  for (SharedFrame& frame : sharedFrames) {
    if (frame.image != nullptr && frame.image->data == reinterpret_cast<const char*>(pixels)) return &frame;
  }
  return nullptr;
}

// A 24-bit true-colour visual in 32-bit pixels takes the frame's own pixels, its top byte unused.
bool TakesFramePixels(const HostWindow* host) { return host->depth == 24 && host->layout.plain; }

// The frame itself as the image to put, when it is a shared frame the server can show as it is.
XImage* SharedFrameImage(const HostWindow* host, const uint32_t* pixels, const Win32Rect& fit, int pitchBytes) {
  SharedFrame* frame = SharedFrameOf(pixels);
  if (frame == nullptr || !TakesFramePixels(host)) return nullptr;
  XImage* image = frame->image;
  bool asItIs = image->width == fit.width && image->height == fit.height && image->bytes_per_line == pitchBytes;
  return asItIs ? image : nullptr;
}

// "decimal or 0x hex", nothing else after the number.
unsigned long ParseWindowId(const char* text) {
  if (text == nullptr || *text == '\0') return 0;
  int base = (text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) ? 16 : 10;
  char* end = nullptr;
  unsigned long value = std::strtoul(text, &end, base);
  return (end != nullptr && *end == '\0') ? value : 0;
}

unsigned long RootWindowId() {
  if (!OpenXlib()) return 0;
  return RootWindow(xlib.display, DefaultScreen(xlib.display));
}

}  // namespace

unsigned long Win32SaverHostWindowId() {
  const Win32Options& options = Win32CommandLineOptions();
  // The daemon's window stands in for the root window (it covers it), as for every hack.
  unsigned long id = ParseWindowId(options.windowId);
  if (id == 0) id = ParseWindowId(std::getenv("XSCREENSAVER_WINDOW"));
  if (id == 0 && options.root) id = RootWindowId();
  return id;
}

bool Win32X11WindowSize(unsigned long id, int* width, int* height) {
  HostWindow* host = AdoptHost(id);
  if (host == nullptr) return false;
  *width = host->width;
  *height = host->height;
  return true;
}

void Win32WatchX11Window(unsigned long id) { AdoptHost(id); }

int Win32X11ConnectionFd() { return xlib.display != nullptr ? ConnectionNumber(xlib.display) : -1; }

void Win32X11Present(unsigned long id, const uint32_t* pixels, int width, int height, int pitchBytes) {
  if (pixels == nullptr || width <= 0 || height <= 0) return;
  AwaitCompletion(id);
  HostWindow* host = AdoptHost(id);
  if (host == nullptr || !host->drawable || host->width <= 0 || host->height <= 0) return;
  Win32Rect fit = Win32FitInside(host->width, host->height, width, height);
  if (fit.width <= 0 || fit.height <= 0) return;
  XImage* image = SharedFrameImage(host, pixels, fit, pitchBytes);
  const bool direct = image != nullptr;
  if (!direct) {
    if (!EnsureImage(host, fit.width, fit.height)) return;
    FillImage(host, pixels, width, height, pitchBytes);
    image = host->image;
  }
  TrapErrors trap;
  if (host->barsDirty) DrawBars(host, fit);
  Window window = Window(host->id);
  if (direct || host->shared) {
    xlib.shmPutImage(xlib.display, window, host->gc, image, 0, 0, fit.x, fit.y, unsigned(fit.width),
                     unsigned(fit.height), True);
    host->awaitingCompletion = true;
  } else {
    xlib.putImage(xlib.display, window, host->gc, image, 0, 0, fit.x, fit.y, unsigned(fit.width),
                  unsigned(fit.height));
  }
  xlib.flush(xlib.display);
  // The next frame is drawn into these very pixels.
  if (direct) AwaitCompletion(id);
}

uint32_t* Win32X11AllocateSharedFrame(unsigned long id, int width, int height) {
  HostWindow* host = AdoptHost(id);
  if (host == nullptr || !xlib.sharedMemory || !host->drawable || !TakesFramePixels(host)) return nullptr;
  SharedFrame* slot = nullptr;
  for (SharedFrame& frame : sharedFrames) {
    if (frame.image == nullptr && slot == nullptr) slot = &frame;
  }
  if (slot == nullptr) return nullptr;
  XImage* image = CreateSegmentImage(host, width, height, &slot->segment);
  if (image == nullptr) return nullptr;
  // Drawn into as the device's rows of 32-bit pixels, so it must be laid out as those.
  if (image->bits_per_pixel != 32 || image->bytes_per_line != width * 4) {
    DetachSegment(&slot->segment);
    DestroyImageShell(image);
    return nullptr;
  }
  image->byte_order = LSBFirst;
  slot->image = image;
  return reinterpret_cast<uint32_t*>(image->data);
}

void Win32X11FreeSharedFrame(uint32_t* pixels) {
  SharedFrame* frame = SharedFrameOf(pixels);
  if (frame == nullptr) return;
  DetachSegment(&frame->segment);
  DestroyImageShell(frame->image);
  *frame = SharedFrame{};
}

void Win32PollForeignWindows() {
  if (xlib.display != nullptr) DrainEvents();
}
