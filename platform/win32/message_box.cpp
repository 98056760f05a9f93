// user32's MessageBoxA. Always said on stderr, so headless runs and logs show every message; with a
// display it is also shown as a modal box over its owner.
#include <windows.h>

#include <SDL.h>

#include <cstdio>

#include "platform/win32/win32_display.h"
#include "platform/win32/win32_internal.h"

namespace {

Uint32 BoxKind(UINT type) {
  switch (type & 0xF0) {
    case MB_ICONERROR: return SDL_MESSAGEBOX_ERROR;
    case MB_ICONWARNING: return SDL_MESSAGEBOX_WARNING;
    default: return SDL_MESSAGEBOX_INFORMATION;
  }
}

SDL_Window* OwnerWindow(HWND owner) {
  Win32Window* top = Win32TopLevelOf(Win32FindWindow(owner));
  return top != nullptr ? top->sdlWindow : nullptr;
}

}  // namespace

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  const char* title = caption != nullptr ? caption : "Error";
  const char* message = text != nullptr ? text : "";
  std::fprintf(stderr, "%s: %s\n", title, message);
  std::fflush(stderr);
  if (Win32HasDisplay()) SDL_ShowSimpleMessageBox(BoxKind(type), title, message, OwnerWindow(owner));
  return IDOK;
}
