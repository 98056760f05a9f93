// Linux process entry: hands the command line to the system's WinMain, as the Windows loader does.
#include <windows.h>

int WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR commandLine, int showCommand);
void Win32SetArguments(int argc, char** argv);

int main(int argc, char** argv) {
  Win32SetArguments(argc, argv);
  return WinMain(GetModuleHandleA(nullptr), nullptr, GetCommandLineA(), SW_SHOWNORMAL);
}
