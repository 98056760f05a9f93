// shlwapi's StrStrIA.
#include <shlwapi.h>

#include <cctype>

namespace {

char Lower(char c) { return char(std::tolower(static_cast<unsigned char>(c))); }

bool StartsWithIgnoringCase(LPCSTR text, LPCSTR prefix) {
  for (; *prefix != '\0'; text++, prefix++) {
    if (Lower(*text) != Lower(*prefix)) return false;
  }
  return true;
}

}  // namespace

LPSTR StrStrIA(LPCSTR text, LPCSTR search) {
  if (text == nullptr || search == nullptr) return nullptr;
  for (LPCSTR p = text;; p++) {
    if (StartsWithIgnoringCase(p, search)) return const_cast<LPSTR>(p);
    if (*p == '\0') return nullptr;
  }
}
