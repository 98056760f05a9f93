// The entry code: WinMain (in entry.cpp) tells the run mode and drives start-up, the main loop
// and shut-down.
#pragma once
#include "app/app_state.h"

// Takes the command line as GetCommandLineA gives it (program path first, quoted or not); sets
// programName and, where the switch carries a number, parentWindow.
RunMode ParseCommandLine(const char* commandLine);
// Teardown of a Preview or FullScreen run.
void ShutdownApp();
