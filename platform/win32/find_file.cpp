// The _findfirst family over POSIX directories. A search keeps its directory stream open between
// calls; the handle is the slot's index in a fixed table.
#include <io.h>

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <string>
#include <sys/stat.h>

namespace {

constexpr int kMaxSearches = 16;

struct FileSearch {
  DIR* directory = nullptr;
  std::string folder;   // with a trailing '/', or empty for the current directory
  std::string pattern;  // the name part, with its wildcards
};

FileSearch searches[kMaxSearches];

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// '*' any run of characters, '?' any one; letters compared without case as on Windows.
bool MatchesWildcard(const char* pattern, const char* name) {
  const char* starPattern = nullptr;
  const char* starName = nullptr;
  while (*name != '\0') {
    if (*pattern == '*') {
      starPattern = ++pattern;
      starName = name;
    } else if (*pattern == '?' || (*pattern != '\0' && LowerAscii(*pattern) == LowerAscii(*name))) {
      ++pattern;
      ++name;
    } else if (starPattern != nullptr) {
      pattern = starPattern;
      name = ++starName;
    } else {
      return false;
    }
  }
  while (*pattern == '*') ++pattern;
  return *pattern == '\0';
}

bool FillData(const FileSearch& search, const char* name, _finddata_t* data) {
  struct stat info;
  const std::string path = search.folder + name;
  if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
  if (std::strlen(name) >= sizeof data->name) return false;
  std::strcpy(data->name, name);
  data->attrib = (info.st_mode & S_IWUSR) ? _A_NORMAL : _A_RDONLY;
  if (name[0] == '.') data->attrib |= _A_HIDDEN;
  data->time_create = info.st_ctime;
  data->time_access = info.st_atime;
  data->time_write = info.st_mtime;
  data->size = static_cast<unsigned long>(info.st_size);
  return true;
}

bool NextMatch(FileSearch& search, _finddata_t* data) {
  while (dirent* entry = readdir(search.directory)) {
    if (MatchesWildcard(search.pattern.c_str(), entry->d_name) && FillData(search, entry->d_name, data)) {
      return true;
    }
  }
  return false;
}

FileSearch* SearchOf(intptr_t handle) {
  if (handle < 0 || handle >= kMaxSearches || searches[handle].directory == nullptr) return nullptr;
  return &searches[handle];
}

}  // namespace

intptr_t _findfirst(const char* pattern, struct _finddata_t* data) {
  int slot = 0;
  while (slot < kMaxSearches && searches[slot].directory != nullptr) ++slot;
  if (pattern == nullptr || data == nullptr || slot == kMaxSearches) {
    errno = EINVAL;
    return -1;
  }
  std::string text(pattern);
  for (char& c : text) {
    if (c == '\\') c = '/';
  }
  FileSearch& search = searches[slot];
  const size_t slash = text.rfind('/');
  search.folder = slash == std::string::npos ? "" : text.substr(0, slash + 1);
  search.pattern = slash == std::string::npos ? text : text.substr(slash + 1);
  search.directory = opendir(search.folder.empty() ? "." : search.folder.c_str());
  if (search.directory != nullptr && NextMatch(search, data)) return slot;
  _findclose(slot);
  errno = ENOENT;
  return -1;
}

int _findnext(intptr_t handle, struct _finddata_t* data) {
  FileSearch* search = SearchOf(handle);
  if (search == nullptr || data == nullptr) {
    errno = EINVAL;
    return -1;
  }
  if (NextMatch(*search, data)) return 0;
  errno = ENOENT;
  return -1;
}

int _findclose(intptr_t handle) {
  if (handle < 0 || handle >= kMaxSearches) {
    errno = EINVAL;
    return -1;
  }
  FileSearch& search = searches[handle];
  if (search.directory != nullptr) closedir(search.directory);
  search = FileSearch();
  return 0;
}
