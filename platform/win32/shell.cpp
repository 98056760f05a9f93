// ShellExecuteA: "open" hands the file or address to xdg-open. The opener is started with an
// argument vector (no shell, so nothing in the address is interpreted) and is not waited for: an
// intermediate child exits at once, leaving the opener to init, so no zombie is left behind.
#include <shellapi.h>

#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

namespace {

// ShellExecuteA reports success as a value above 32; these are its documented error values.
constexpr ULONG_PTR kFileNotFound = 2;
constexpr ULONG_PTR kOutOfResources = 0;
constexpr ULONG_PTR kNoAssociation = 31;
constexpr ULONG_PTR kStarted = 33;

HINSTANCE Result(ULONG_PTR value) { return reinterpret_cast<HINSTANCE>(value); }

}  // namespace

HINSTANCE ShellExecuteA(HWND, LPCSTR operation, LPCSTR file, LPCSTR, LPCSTR, INT) {
  if (operation && std::strcmp(operation, "open") != 0) return Result(kNoAssociation);
  if (!file || !file[0]) return Result(kFileNotFound);
  char opener[] = "xdg-open";
  char* arguments[] = {opener, const_cast<char*>(file), nullptr};
  pid_t child = fork();
  if (child < 0) return Result(kOutOfResources);
  if (child == 0) {
    if (fork() == 0) {
      execvp(opener, arguments);
      _exit(127);
    }
    _exit(0);
  }
  int status = 0;
  waitpid(child, &status, 0);
  return Result(kStarted);
}
