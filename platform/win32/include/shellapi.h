// Stand-in for shell32's ShellExecuteA on Linux: "open" hands the file or address to xdg-open
// (started with an argument vector, never a shell, and not waited for).
#pragma once
#include <windows.h>
HINSTANCE ShellExecuteA(HWND owner, LPCSTR operation, LPCSTR file, LPCSTR parameters,
                        LPCSTR directory, INT showCommand);
