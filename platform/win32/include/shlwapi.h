// Stand-in for shlwapi on Linux: the one string search the saver uses.
#pragma once
#include <windows.h>
// Case-insensitive (ASCII) substring search; returns the first match in `text` or null.
LPSTR StrStrIA(LPCSTR text, LPCSTR search);
