// Linux process entry: hands the command line to the system's WinMain, as the Windows loader does.
// The options of an X screen-saver hack are the platform's (platform/win32/command_options.h).
#include <windows.h>

#include <cstdio>

#include "platform/win32/command_options.h"

int WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR commandLine, int showCommand);
void Win32SetArguments(int argc, char** argv);

int main(int argc, char** argv) {
  Win32SetArguments(argc, argv);
  const Win32Options& options = Win32CommandLineOptions();
  if (options.help) {
    std::fputs(Win32OptionsHelp(), stdout);
    return 0;
  }
  if (options.error != nullptr) {
    std::fprintf(stderr, "vesperglen: %s is not understood (see --help)\n", options.error);
    return 1;
  }
  return WinMain(GetModuleHandleA(nullptr), nullptr, GetCommandLineA(), SW_SHOWNORMAL);
}
