// user32's MessageBoxA. Always said on stderr, so headless runs and logs show every message.
#include <windows.h>

#include <cstdio>

int MessageBoxA(HWND, LPCSTR text, LPCSTR caption, UINT) {
  std::fprintf(stderr, "%s: %s\n", caption != nullptr ? caption : "Error",
               text != nullptr ? text : "");
  std::fflush(stderr);
  return IDOK;
}
