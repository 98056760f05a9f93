// advapi32's registry calls over text files in the REGEDIT4 export format.
//
// The user's file ($VESPERGLEN_REGISTRY, else $XDG_CONFIG_HOME/vesperglen/registry.reg, else
// ~/.config/vesperglen/registry.reg) takes every write. HKEY_LOCAL_MACHINE is machine-wide: what
// the user's file lacks is read from the machine file installed with the program
// ($VESPERGLEN_MACHINE_REGISTRY, else the first of <exe dir>/share/vesperglen/registry.reg,
// <exe dir>/../share/vesperglen/registry.reg, /etc/vesperglen/registry.reg).
//
// Each call reads the files afresh and each write replaces the user's file atomically (temporary
// file, flush, sync, rename), keeping every key and value it holds. A file that cannot be read or
// parsed counts as holding no keys, is said once on stderr, and is never written over.
// Key paths and value names compare without regard to ASCII case, as on Windows.
#include <windows.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win32/command_options.h"

// Defined in process.cpp.
std::string Win32ExecutableDir();

namespace {

struct RegValue {
  std::string name;  // "" is the default value, written as @
  DWORD type;
  std::vector<BYTE> data;
};

struct RegKey {
  std::string path;  // with its root, e.g. HKEY_LOCAL_MACHINE\software\...
  std::vector<RegValue> values;
};

enum class FileState { Missing, Loaded, Unusable };

struct RegFile {
  FileState state = FileState::Missing;
  std::vector<RegKey> keys;
};

struct OpenKey {
  bool used;
  bool machineWide;
  std::string path;
};

constexpr int kMaxOpenKeys = 64;
OpenKey openKeys[kMaxOpenKeys];

// ---- Names ------------------------------------------------------------------------------

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

bool SameName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); i++) {
    if (Lower(a[i]) != Lower(b[i])) return false;
  }
  return true;
}

// True when key is path itself or lies below it.
bool IsAtOrBelow(const std::string& key, const std::string& path) {
  if (key.size() < path.size() || !SameName(key.substr(0, path.size()), path)) return false;
  return key.size() == path.size() || key[path.size()] == '\\';
}

const char* RootName(HKEY key) {
  if (key == HKEY_CLASSES_ROOT) return "HKEY_CLASSES_ROOT";
  if (key == HKEY_CURRENT_USER) return "HKEY_CURRENT_USER";
  if (key == HKEY_LOCAL_MACHINE) return "HKEY_LOCAL_MACHINE";
  if (key == HKEY_USERS) return "HKEY_USERS";
  return nullptr;
}

OpenKey* FindOpenKey(HKEY key) {
  for (OpenKey& open : openKeys) {
    if (open.used && reinterpret_cast<HKEY>(&open) == key) return &open;
  }
  return nullptr;
}

// The full path of subKey below key, without doubled or trailing separators.
bool ResolvePath(HKEY key, LPCSTR subKey, std::string* path, bool* machineWide) {
  if (const char* root = RootName(key)) {
    *path = root;
    *machineWide = key == HKEY_LOCAL_MACHINE;
  } else if (OpenKey* open = FindOpenKey(key)) {
    *path = open->path;
    *machineWide = open->machineWide;
  } else {
    return false;
  }
  std::string part;
  for (const char* p = subKey != nullptr ? subKey : "";; p++) {
    if (*p == '\\' || *p == '\0') {
      if (!part.empty()) *path += "\\" + part;
      part.clear();
      if (*p == '\0') break;
    } else {
      part += *p;
    }
  }
  return true;
}

// ---- Files ------------------------------------------------------------------------------

std::string EnvironmentPath(const char* variable) {
  const char* value = std::getenv(variable);
  return value != nullptr ? value : "";
}

bool FileExists(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0;
}

std::string UserFilePath() {
  std::string path = EnvironmentPath("VESPERGLEN_REGISTRY");
  if (!path.empty()) return path;
  std::string config = EnvironmentPath("XDG_CONFIG_HOME");
  if (config.empty()) config = EnvironmentPath("HOME") + "/.config";
  return config + "/vesperglen/registry.reg";
}

// Empty when there is none.
std::string MachineFilePath() {
  std::string path = EnvironmentPath("VESPERGLEN_MACHINE_REGISTRY");
  if (!path.empty()) return path;
  std::string exeDir = Win32ExecutableDir();
  const std::string candidates[] = {exeDir + "/share/vesperglen/registry.reg",
                                    exeDir + "/../share/vesperglen/registry.reg",
                                    "/etc/vesperglen/registry.reg"};
  for (const std::string& candidate : candidates) {
    if (FileExists(candidate)) return candidate;
  }
  return "";
}

// Each problem with a file is said once, not at every call that reads it. The table is fixed:
// a file rewritten with ever new faults would otherwise grow it without end, so once it is full
// nothing more is said.
constexpr int kMaxReportedProblems = 32;
char reportedProblems[kMaxReportedProblems][256];
int reportedProblemCount = 0;

void ReportOnce(const std::string& path, const std::string& problem) {
  char message[sizeof reportedProblems[0]];
  std::snprintf(message, sizeof message, "%s: %s", path.c_str(), problem.c_str());
  for (int i = 0; i < reportedProblemCount; i++) {
    if (std::strcmp(reportedProblems[i], message) == 0) return;
  }
  if (reportedProblemCount == kMaxReportedProblems) return;
  std::strcpy(reportedProblems[reportedProblemCount++], message);
  std::fprintf(stderr, "registry: %s\n", message);
}

// ---- Parsing ----------------------------------------------------------------------------

// Parsing works on views of the file's text: a settings file is read at every call, and a
// copy per line and field cost more than the parse itself.
using Text = std::string_view;

// Parses a quoted string at text[*i] (on the opening quote), with \\ and \" escapes.
bool ParseQuoted(Text text, size_t* i, std::string* out) {
  if (*i >= text.size() || text[*i] != '"') return false;
  out->clear();
  for (size_t p = *i + 1; p < text.size(); p++) {
    char c = text[p];
    if (c == '"') {
      *i = p + 1;
      return true;
    }
    if (c == '\\') {
      if (++p >= text.size()) return false;
      c = text[p];
    }
    *out += c;
  }
  return false;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = Lower(c);
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// "aa,bb,..." (spaces allowed, may be empty) into bytes.
bool ParseHexBytes(Text text, std::vector<BYTE>* out) {
  out->clear();
  out->reserve(text.size() / 3 + 1);
  size_t i = 0;
  auto skipSpace = [&] { while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) i++; };
  skipSpace();
  if (i == text.size()) return true;
  for (;;) {
    if (i + 1 >= text.size()) return false;
    int high = HexDigit(text[i]);
    int low = HexDigit(text[i + 1]);
    if (high < 0 || low < 0) return false;
    out->push_back(BYTE(high * 16 + low));
    i += 2;
    skipSpace();
    if (i == text.size()) return true;
    if (text[i++] != ',') return false;
    skipSpace();
  }
}

bool ParseData(Text text, RegValue* value) {
  size_t i = 0;
  if (!text.empty() && text[0] == '"') {
    std::string s;
    if (!ParseQuoted(text, &i, &s) || i != text.size()) return false;
    value->type = REG_SZ;
    value->data.assign(s.begin(), s.end());
    value->data.push_back(0);
    return true;
  }
  if (text.compare(0, 6, "dword:") == 0) {
    if (text.size() != 14) return false;
    DWORD number = 0;
    for (size_t p = 6; p < 14; p++) {
      int digit = HexDigit(text[p]);
      if (digit < 0) return false;
      number = number * 16 + DWORD(digit);
    }
    value->type = REG_DWORD;
    value->data = {BYTE(number), BYTE(number >> 8), BYTE(number >> 16), BYTE(number >> 24)};
    return true;
  }
  if (text.compare(0, 4, "hex:") == 0) {
    value->type = REG_BINARY;
    return ParseHexBytes(text.substr(4), &value->data);
  }
  if (text.compare(0, 4, "hex(") == 0) {
    size_t close = text.find("):", 4);
    if (close == Text::npos || close == 4 || close > 12) return false;
    DWORD type = 0;
    for (size_t p = 4; p < close; p++) {
      int digit = HexDigit(text[p]);
      if (digit < 0) return false;
      type = type * 16 + DWORD(digit);
    }
    value->type = type;
    return ParseHexBytes(text.substr(close + 2), &value->data);
  }
  return false;
}

bool ParseValueLine(Text line, RegValue* value) {
  size_t i = 0;
  if (line[0] == '@') {
    value->name.clear();
    i = 1;
  } else if (!ParseQuoted(line, &i, &value->name)) {
    return false;
  }
  if (i >= line.size() || line[i] != '=') return false;
  return ParseData(line.substr(i + 1), value);
}

Text Trimmed(Text text) {
  size_t start = text.find_first_not_of(" \t\r");
  if (start == Text::npos) return {};
  size_t end = text.find_last_not_of(" \t\r");
  return text.substr(start, end - start + 1);
}

// Splits into logical lines: a line ending in a backslash (hex data) goes on in the next one.
std::vector<std::string> LogicalLines(Text content) {
  std::vector<std::string> lines;
  std::string current;
  size_t start = 0;
  while (start <= content.size()) {
    size_t end = content.find('\n', start);
    if (end == Text::npos) end = content.size();
    Text line = Trimmed(content.substr(start, end - start));
    bool continued = !line.empty() && line.back() == '\\' && line[0] != '[';
    if (continued) line.remove_suffix(1);
    current += current.empty() ? line : Trimmed(line);
    if (!continued) {
      lines.push_back(std::move(current));
      current.clear();
    }
    start = end + 1;
  }
  if (!current.empty()) lines.push_back(std::move(current));
  return lines;
}

RegKey* FindKey(RegFile* file, const std::string& path) {
  for (RegKey& key : file->keys) {
    if (SameName(key.path, path)) return &key;
  }
  return nullptr;
}

// Returns an empty string when the text parses, else what is wrong with it.
std::string ParseRegText(const std::string& content, RegFile* file) {
  std::vector<std::string> lines = LogicalLines(content);
  size_t first = 0;
  while (first < lines.size() && lines[first].empty()) first++;
  Text header = first < lines.size() ? Text(lines[first]) : Text();
  if (header.compare(0, 3, "\xEF\xBB\xBF") == 0) header.remove_prefix(3);
  if (header != "REGEDIT4" && header != "Windows Registry Editor Version 5.00") {
    return "not a REGEDIT4 file (first line must be REGEDIT4)";
  }
  RegKey* current = nullptr;
  for (size_t n = first + 1; n < lines.size(); n++) {
    const std::string& line = lines[n];
    if (line.empty() || line[0] == ';') continue;
    auto where = [n] { return "line " + std::to_string(n + 1) + ": "; };
    if (line[0] == '[') {
      if (line.back() != ']' || line.size() < 3 || line[1] == '-') {
        return where() + "unsupported key line " + line;
      }
      std::string path = line.substr(1, line.size() - 2);
      current = FindKey(file, path);
      if (current == nullptr) {
        file->keys.push_back(RegKey{std::move(path), {}});
        current = &file->keys.back();
      }
      continue;
    }
    RegValue value;
    if (current == nullptr) return where() + "value outside a key";
    if (!ParseValueLine(line, &value)) return where() + "cannot read " + line;
    current->values.push_back(std::move(value));
  }
  return "";
}

RegFile LoadRegFile(const std::string& path) {
  RegFile file;
  if (path.empty()) return file;
  FILE* stream = std::fopen(path.c_str(), "rb");
  if (stream == nullptr) {
    if (errno != ENOENT) {
      ReportOnce(path, std::strerror(errno));
      file.state = FileState::Unusable;
    }
    return file;
  }
  std::string content;
  char chunk[4096];
  size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, stream)) > 0) content.append(chunk, got);
  bool readError = std::ferror(stream) != 0;
  std::fclose(stream);
  std::string problem = readError ? "read error" : ParseRegText(content, &file);
  if (!problem.empty()) {
    ReportOnce(path, problem + "; ignored and left untouched");
    file.keys.clear();
    file.state = FileState::Unusable;
    return file;
  }
  file.state = FileState::Loaded;
  return file;
}

// ---- Writing ----------------------------------------------------------------------------

std::string Quoted(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out + "\"";
}

// A REG_SZ that round-trips as "text": one terminating zero, no other zero, no line breaks.
bool IsPlainString(const RegValue& value) {
  const std::vector<BYTE>& d = value.data;
  if (value.type != REG_SZ || d.empty() || d.back() != 0) return false;
  for (size_t i = 0; i + 1 < d.size(); i++) {
    if (d[i] == 0 || d[i] == '\r' || d[i] == '\n') return false;
  }
  return true;
}

std::string HexData(const std::string& prefix, const std::vector<BYTE>& data) {
  std::string out = prefix;
  size_t column = out.size();
  char byte[4];
  for (size_t i = 0; i < data.size(); i++) {
    std::snprintf(byte, sizeof byte, "%02x", data[i]);
    out += byte;
    column += 2;
    if (i + 1 < data.size()) {
      out += ',';
      column++;
      if (column > 76) {
        out += "\\\n  ";
        column = 2;
      }
    }
  }
  return out;
}

std::string ValueText(const RegValue& value) {
  std::string line = value.name.empty() ? "@=" : Quoted(value.name) + "=";
  if (IsPlainString(value)) {
    return line + Quoted(std::string(value.data.begin(), value.data.end() - 1));
  }
  if (value.type == REG_DWORD && value.data.size() == 4) {
    char number[16];
    const std::vector<BYTE>& d = value.data;
    std::snprintf(number, sizeof number, "dword:%08x",
                  unsigned(d[0] | d[1] << 8 | d[2] << 16 | unsigned(d[3]) << 24));
    return line + number;
  }
  if (value.type == REG_BINARY) return HexData(line + "hex:", value.data);
  char prefix[16];
  std::snprintf(prefix, sizeof prefix, "hex(%x):", unsigned(value.type));
  return HexData(line + prefix, value.data);
}

std::string RegText(const RegFile& file) {
  std::string text = "REGEDIT4\n";
  for (const RegKey& key : file.keys) {
    text += "\n[" + key.path + "]\n";
    for (const RegValue& value : key.values) text += ValueText(value) + "\n";
  }
  return text;
}

bool MakeFolders(const std::string& filePath) {
  for (size_t slash = filePath.find('/', 1); slash != std::string::npos;
       slash = filePath.find('/', slash + 1)) {
    std::string folder = filePath.substr(0, slash);
    if (mkdir(folder.c_str(), 0755) != 0 && errno != EEXIST) return false;
  }
  return true;
}

bool WriteAll(int fd, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += size_t(n);
  }
  return true;
}

// A crash or a full disk leaves either the old file or the new one, never half of one.
bool SaveRegFile(const std::string& path, const RegFile& file) {
  std::string temporary = path + ".tmp." + std::to_string(getpid());
  if (!MakeFolders(path)) {
    std::fprintf(stderr, "registry: cannot create the folder of %s: %s\n", path.c_str(),
                 std::strerror(errno));
    return false;
  }
  int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  bool ok = fd >= 0 && WriteAll(fd, RegText(file)) && fsync(fd) == 0;
  int savedErrno = errno;
  if (fd >= 0 && close(fd) != 0) ok = false;
  if (ok && std::rename(temporary.c_str(), path.c_str()) == 0) return true;
  if (ok) savedErrno = errno;
  std::fprintf(stderr, "registry: cannot write %s: %s\n", path.c_str(), std::strerror(savedErrno));
  unlink(temporary.c_str());
  return false;
}

// ---- Lookups ----------------------------------------------------------------------------

bool KeyExists(const RegFile& file, const std::string& path) {
  for (const RegKey& key : file.keys) {
    if (IsAtOrBelow(key.path, path)) return true;
  }
  return false;
}

// Machine-wide keys the user's file lacks come from the machine file.
bool KeyVisible(const std::string& path, bool machineWide) {
  return KeyExists(LoadRegFile(UserFilePath()), path) ||
         (machineWide && KeyExists(LoadRegFile(MachineFilePath()), path));
}

const RegValue* FindValue(RegFile* file, const std::string& path, const std::string& name) {
  RegKey* key = FindKey(file, path);
  if (key == nullptr) return nullptr;
  for (const RegValue& value : key->values) {
    if (SameName(value.name, name)) return &value;
  }
  return nullptr;
}

// Applies change to the user's file and saves it; refuses to touch a file it could not read.
template <typename Change>
LSTATUS ChangeUserFile(Change change) {
  std::string path = UserFilePath();
  RegFile file = LoadRegFile(path);
  if (file.state == FileState::Unusable) return ERROR_ACCESS_DENIED;
  LSTATUS status = change(&file);
  if (status != ERROR_SUCCESS) return status;
  return SaveRegFile(path, file) ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}

LSTATUS HandOut(const std::string& path, bool machineWide, PHKEY result) {
  for (OpenKey& open : openKeys) {
    if (!open.used) {
      open = OpenKey{true, machineWide, path};
      *result = reinterpret_cast<HKEY>(&open);
      return ERROR_SUCCESS;
    }
  }
  return ERROR_OUTOFMEMORY;
}

}  // namespace

LSTATUS RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD, REGSAM, PHKEY result) {
  if (result == nullptr) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  std::string path;
  bool machineWide;
  if (!ResolvePath(key, subKey, &path, &machineWide)) return ERROR_INVALID_HANDLE;
  bool exists = KeyVisible(path, machineWide);
  return exists ? HandOut(path, machineWide, result) : ERROR_FILE_NOT_FOUND;
}

LSTATUS RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD, LPSTR, DWORD, REGSAM, const void*,
                        PHKEY result, LPDWORD disposition) {
  if (result == nullptr) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  std::string path;
  bool machineWide;
  if (!ResolvePath(key, subKey, &path, &machineWide)) return ERROR_INVALID_HANDLE;
  bool exists = KeyVisible(path, machineWide);
  if (!exists) {
    LSTATUS status = ChangeUserFile([&](RegFile* file) {
      file->keys.push_back(RegKey{path, {}});
      return LSTATUS(ERROR_SUCCESS);
    });
    if (status != ERROR_SUCCESS) return status;
  }
  if (disposition != nullptr) *disposition = exists ? REG_OPENED_EXISTING_KEY : REG_CREATED_NEW_KEY;
  return HandOut(path, machineWide, result);
}

LSTATUS RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD, LPDWORD type, LPBYTE data,
                         LPDWORD dataSize) {
  OpenKey* open = FindOpenKey(key);
  if (open == nullptr) return ERROR_INVALID_HANDLE;
  if (data != nullptr && dataSize == nullptr) return ERROR_INVALID_PARAMETER;
  std::string name = valueName != nullptr ? valueName : "";
  RegFile user = LoadRegFile(UserFilePath());
  RegFile machine;
  const RegValue* value = FindValue(&user, open->path, name);
  if (value == nullptr && open->machineWide) {
    machine = LoadRegFile(MachineFilePath());
    value = FindValue(&machine, open->path, name);
  }
  if (value == nullptr) return ERROR_FILE_NOT_FOUND;
  if (type != nullptr) *type = value->type;
  DWORD needed = DWORD(value->data.size());
  if (dataSize == nullptr) return ERROR_SUCCESS;
  if (data != nullptr && *dataSize < needed) {
    *dataSize = needed;
    return ERROR_MORE_DATA;
  }
  if (data != nullptr && needed > 0) std::memcpy(data, value->data.data(), needed);
  *dataSize = needed;
  if (data != nullptr && SameName(name, "settings")) {
    Win32PatchReadSettings(data, needed);
    const RegValue* fit = FindValue(&user, open->path, "fit");
    if (fit == nullptr && open->machineWide) {
      if (machine.keys.empty()) machine = LoadRegFile(MachineFilePath());
      fit = FindValue(&machine, open->path, "fit");
    }
    if (fit != nullptr) Win32ApplyStoredFit(std::string(fit->data.begin(), fit->data.end()).c_str());
  }
  return ERROR_SUCCESS;
}

LSTATUS RegSetValueExA(HKEY key, LPCSTR valueName, DWORD, DWORD type, const BYTE* data,
                       DWORD dataSize) {
  OpenKey* open = FindOpenKey(key);
  if (open == nullptr) return ERROR_INVALID_HANDLE;
  if (data == nullptr && dataSize > 0) return ERROR_INVALID_PARAMETER;
  RegValue value{valueName != nullptr ? valueName : "", type,
                 std::vector<BYTE>(data, data + (data != nullptr ? dataSize : 0))};
  if (SameName(value.name, "settings")) Win32UnpatchWrittenSettings(value.data.data(), uint32_t(value.data.size()));
  return ChangeUserFile([&](RegFile* file) {
    RegKey* target = FindKey(file, open->path);
    if (target == nullptr) {
      file->keys.push_back(RegKey{open->path, {}});
      target = &file->keys.back();
    }
    for (RegValue& existing : target->values) {
      if (SameName(existing.name, value.name)) {
        existing.type = value.type;
        existing.data = value.data;
        return LSTATUS(ERROR_SUCCESS);
      }
    }
    target->values.push_back(value);
    return LSTATUS(ERROR_SUCCESS);
  });
}

LSTATUS RegDeleteValueA(HKEY key, LPCSTR valueName) {
  OpenKey* open = FindOpenKey(key);
  if (open == nullptr) return ERROR_INVALID_HANDLE;
  std::string name = valueName != nullptr ? valueName : "";
  return ChangeUserFile([&](RegFile* file) {
    RegKey* target = FindKey(file, open->path);
    if (target != nullptr) {
      for (size_t i = 0; i < target->values.size(); i++) {
        if (SameName(target->values[i].name, name)) {
          target->values.erase(target->values.begin() + long(i));
          return LSTATUS(ERROR_SUCCESS);
        }
      }
    }
    return LSTATUS(ERROR_FILE_NOT_FOUND);
  });
}

LSTATUS RegCloseKey(HKEY key) {
  if (RootName(key) != nullptr) return ERROR_SUCCESS;
  OpenKey* open = FindOpenKey(key);
  if (open == nullptr) return ERROR_INVALID_HANDLE;
  *open = OpenKey{};
  return ERROR_SUCCESS;
}
