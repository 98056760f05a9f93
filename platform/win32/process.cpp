// kernel32's process calls over POSIX: the command line, the module, the current directory,
// the last error and ending the process.
#include <windows.h>

#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/win32/command_options.h"

namespace {

std::string commandLine;
std::string executablePath;
thread_local DWORD lastError = ERROR_SUCCESS;

// Any non-null value will do: nothing dereferences an instance handle.
HMODULE const kModuleHandle = reinterpret_cast<HMODULE>(static_cast<uintptr_t>(0x400000));

std::string ExecutablePath(const char* argv0) {
  char path[PATH_MAX];
  ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  if (length > 0) return std::string(path, size_t(length));
  if (argv0 != nullptr && realpath(argv0, path) != nullptr) return path;
  return argv0 != nullptr ? argv0 : "";
}

// Copies text into a caller's buffer the way the Win32 string getters do: when it fits, the
// length without the terminator; otherwise the needed size with the terminator.
DWORD CopyOut(const std::string& text, LPSTR buffer, DWORD size) {
  if (buffer == nullptr || size <= text.size()) return DWORD(text.size() + 1);
  std::memcpy(buffer, text.c_str(), text.size() + 1);
  return DWORD(text.size());
}

std::string ToPosixPath(LPCSTR path) {
  std::string converted(path);
  for (char& c : converted) {
    if (c == '\\') c = '/';
  }
  return converted;
}

}  // namespace

void Win32SetArguments(int argc, char** argv) {
  executablePath = ExecutablePath(argc > 0 ? argv[0] : nullptr);
  if (argc > 1) Win32SetCommandLineOptions(Win32ParseOptions(argc - 1, argv + 1));
  commandLine.clear();
  for (int i = 0; i < argc; i++) {
    if (i > 0) commandLine += ' ';
    bool quote = std::strchr(argv[i], ' ') != nullptr || argv[i][0] == '\0';
    if (quote) commandLine += '"';
    commandLine += argv[i];
    if (quote) commandLine += '"';
  }
}

// The folder of the running executable, without a trailing separator.
std::string Win32ExecutableDir() {
  if (executablePath.empty()) executablePath = ExecutablePath(nullptr);
  size_t slash = executablePath.rfind('/');
  return slash == std::string::npos ? std::string(".") : executablePath.substr(0, slash);
}

LPSTR GetCommandLineA(void) { return commandLine.data(); }

HMODULE GetModuleHandleA(LPCSTR moduleName) {
  if (moduleName == nullptr) return kModuleHandle;
  SetLastError(ERROR_FILE_NOT_FOUND);
  return nullptr;
}

DWORD GetModuleFileNameA(HMODULE, LPSTR fileName, DWORD size) {
  if (executablePath.empty()) executablePath = ExecutablePath(nullptr);
  if (size == 0) return 0;
  // Win32 cuts the path and returns the buffer size when it does not fit.
  size_t length = executablePath.size() < size ? executablePath.size() : size - 1;
  std::memcpy(fileName, executablePath.data(), length);
  fileName[length] = '\0';
  if (length < executablePath.size()) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return size;
  }
  return DWORD(length);
}

BOOL SetCurrentDirectoryA(LPCSTR path) {
  if (path == nullptr || path[0] == '\0') {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (chdir(ToPosixPath(path).c_str()) != 0) {
    SetLastError(errno == EACCES ? ERROR_ACCESS_DENIED : ERROR_FILE_NOT_FOUND);
    return FALSE;
  }
  return TRUE;
}

DWORD GetCurrentDirectoryA(DWORD bufferLength, LPSTR buffer) {
  char path[PATH_MAX];
  if (getcwd(path, sizeof path) == nullptr) return 0;
  return CopyOut(path, buffer, bufferLength);
}

void ExitProcess(UINT exitCode) {
  std::fflush(stdout);
  std::fflush(stderr);
  _exit(int(exitCode));
}

void Sleep(DWORD milliseconds) { usleep(useconds_t(milliseconds) * 1000); }

DWORD GetLastError(void) { return lastError; }
void SetLastError(DWORD error) { lastError = error; }

void OutputDebugStringA(LPCSTR text) {
  if (text != nullptr) std::fputs(text, stderr);
}
