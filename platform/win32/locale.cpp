// kernel32's local time and GetTimeFormatA on Linux. The user's locale comes from the
// environment the way POSIX programs take it (LC_ALL, then LC_TIME, then LANG); its time
// format (nl_langinfo T_FMT) is turned into a Windows time picture ("h:mm:ss tt"), so a format
// given by the caller and the TIME_* flags go through one formatter.
#include <windows.h>

#include <langinfo.h>
#include <locale.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "record.h"

namespace {

// Missing from the header because the system never asks for it.
constexpr DWORD kNoMinutesOrSeconds = 0x00000001;

const char* EnvironmentLocaleName() {
  const char* const kVariables[] = {"LC_ALL", "LC_TIME", "LANG"};
  for (const char* variable : kVariables) {
    const char* value = std::getenv(variable);
    if (value != nullptr && value[0] != '\0') return value;
  }
  return "C";
}

// Kept between calls (formatted every frame); reloaded when the environment names another one.
locale_t TimeLocale() {
  static std::string loadedName;
  static locale_t loaded = nullptr;
  const char* name = EnvironmentLocaleName();
  if (loaded != nullptr && loadedName == name) return loaded;
  locale_t fresh = newlocale(LC_TIME_MASK, name, nullptr);
  // A locale that is not installed falls back to C, as setlocale callers end up with.
  if (fresh == nullptr) fresh = newlocale(LC_TIME_MASK, "C", nullptr);
  if (fresh == nullptr) return loaded != nullptr ? loaded : LC_GLOBAL_LOCALE;
  if (loaded != nullptr) freelocale(loaded);
  loaded = fresh;
  loadedName = name;
  return loaded;
}

void AppendQuoted(std::string* picture, char c) {
  if (c == '\'') {
    picture->append("''''");
  } else {
    picture->push_back('\'');
    picture->push_back(c);
    picture->push_back('\'');
  }
}

void AppendPicture(std::string* picture, const char* format, locale_t locale, int depth);

// One strftime conversion; `unpadded` comes from glibc's '-' and '_' flags.
void AppendConversion(std::string* picture, char conversion, bool unpadded, locale_t locale, int depth) {
  switch (conversion) {
    case 'H': picture->append(unpadded ? "H" : "HH"); break;
    case 'k': picture->append("H"); break;
    case 'I': picture->append(unpadded ? "h" : "hh"); break;
    case 'l': picture->append("h"); break;
    case 'M': picture->append(unpadded ? "m" : "mm"); break;
    case 'S': picture->append(unpadded ? "s" : "ss"); break;
    case 'p':
    case 'P': picture->append("tt"); break;
    case 'T': picture->append("HH':'mm':'ss"); break;
    case 'R': picture->append("HH':'mm"); break;
    case 'r': AppendPicture(picture, nl_langinfo_l(T_FMT_AMPM, locale), locale, depth + 1); break;
    case 't': AppendQuoted(picture, '\t'); break;
    case '%': AppendQuoted(picture, '%'); break;
    default: break;  // dates, zones and the like have no place in a time picture
  }
}

void AppendPicture(std::string* picture, const char* format, locale_t locale, int depth) {
  if (format == nullptr || depth > 2) return;
  for (const char* p = format; *p != '\0'; p++) {
    if (*p != '%') {
      AppendQuoted(picture, *p);
      continue;
    }
    bool unpadded = false;
    while (p[1] == '-' || p[1] == '_' || p[1] == '0' || p[1] == '^' || p[1] == '#') {
      unpadded = unpadded || p[1] == '-' || p[1] == '_';
      p++;
    }
    if (p[1] == 'E' || p[1] == 'O') p++;
    if (p[1] == '\0') return;
    p++;
    AppendConversion(picture, *p, unpadded, locale, depth);
  }
}

std::string TwoDigits(int value, bool padded) {
  std::string text = std::to_string(value);
  return padded && value < 10 ? "0" + text : text;
}

std::string Marker(const SYSTEMTIME& time, int length, locale_t locale) {
  const char* marker = nl_langinfo_l(time.wHour < 12 ? AM_STR : PM_STR, locale);
  std::string text = marker != nullptr ? marker : "";
  return length == 1 ? text.substr(0, 1) : text;
}

bool Dropped(char element, DWORD flags) {
  if (element == 't') return (flags & TIME_NOTIMEMARKER) != 0;
  if (element == 's') return (flags & (TIME_NOSECONDS | kNoMinutesOrSeconds)) != 0;
  if (element == 'm') return (flags & kNoMinutesOrSeconds) != 0;
  return false;
}

std::string FormatElement(char element, int length, const SYSTEMTIME& time, DWORD flags, locale_t locale) {
  bool padded = length > 1;
  if (element == 'h' && (flags & TIME_FORCE24HOURFORMAT)) element = 'H';
  switch (element) {
    case 'H': return TwoDigits(time.wHour, padded);
    case 'h': return TwoDigits(time.wHour % 12 == 0 ? 12 : time.wHour % 12, padded);
    case 'm': return TwoDigits(time.wMinute, padded);
    case 's': return TwoDigits(time.wSecond, padded);
    default: return Marker(time, length, locale);
  }
}

// Windows picture rules: h hh H HH m mm s ss t tt, quoted literals with '' for a quote, any
// other character as it stands. A dropped element takes the separator in front of it along
// (or the one after it, when it leads).
std::string FormatPicture(const char* picture, const SYSTEMTIME& time, DWORD flags, locale_t locale) {
  std::string out;
  std::string pending;
  bool anyEmitted = false;
  bool dropNextSeparator = false;
  for (const char* p = picture; *p != '\0';) {
    char c = *p;
    if (c == '\'') {
      for (p++; *p != '\0'; p++) {
        if (*p == '\'' && p[1] != '\'') break;
        if (*p == '\'') p++;
        pending.push_back(*p);
      }
      if (*p == '\'') p++;
      continue;
    }
    if (c != 'h' && c != 'H' && c != 'm' && c != 's' && c != 't') {
      pending.push_back(c);
      p++;
      continue;
    }
    int run = 0;
    while (p[run] == c) run++;
    p += run;
    if (Dropped(c, flags)) {
      pending.clear();
      if (!anyEmitted) dropNextSeparator = true;
      continue;
    }
    if (!dropNextSeparator) out += pending;
    pending.clear();
    dropNextSeparator = false;
    out += FormatElement(c, run > 1 ? 2 : 1, time, flags, locale);
    anyEmitted = true;
  }
  if (!dropNextSeparator) out += pending;
  return out;
}

bool ValidTime(const SYSTEMTIME& time) {
  return time.wHour <= 23 && time.wMinute <= 59 && time.wSecond <= 59 && time.wMilliseconds <= 999;
}

}  // namespace

// Recorded runs start from a fixed local time and move with the virtual clock, so two recordings
// of the same run are identical and the clock in the frames keeps step with the animation.
static timespec RecordedRunTime() {
  tm start{};
  start.tm_year = 2026 - 1900;
  start.tm_mon = 5;
  start.tm_mday = 21;
  start.tm_hour = 10;
  start.tm_min = 8;
  start.tm_isdst = -1;
  int64_t ms = int64_t(VirtualClockNow());
  timespec now{};
  now.tv_sec = mktime(&start) + time_t(ms / 1000);
  now.tv_nsec = long(ms % 1000) * 1000000;
  return now;
}

void GetLocalTime(LPSYSTEMTIME time) {
  timespec now;
  if (VirtualClockActive()) {
    now = RecordedRunTime();
  } else {
    clock_gettime(CLOCK_REALTIME, &now);
  }
  tm local;
  localtime_r(&now.tv_sec, &local);
  time->wYear = WORD(local.tm_year + 1900);
  time->wMonth = WORD(local.tm_mon + 1);
  time->wDayOfWeek = WORD(local.tm_wday);
  time->wDay = WORD(local.tm_mday);
  time->wHour = WORD(local.tm_hour);
  time->wMinute = WORD(local.tm_min);
  time->wSecond = WORD(local.tm_sec);
  time->wMilliseconds = WORD(now.tv_nsec / 1000000);
}

int GetTimeFormatA(LCID, DWORD flags, const SYSTEMTIME* time, LPCSTR format, LPSTR timeText, int size) {
  SYSTEMTIME now;
  if (time == nullptr) {
    GetLocalTime(&now);
    time = &now;
  }
  if (size < 0 || (size > 0 && timeText == nullptr) || !ValidTime(*time)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  // Every LCID means the environment's locale: Linux has no mapping from LCIDs.
  locale_t locale = TimeLocale();
  std::string picture;
  if (format != nullptr) {
    picture = format;
  } else {
    AppendPicture(&picture, nl_langinfo_l(T_FMT, locale), locale, 0);
  }
  std::string text = FormatPicture(picture.c_str(), *time, flags, locale);
  int needed = int(text.size()) + 1;
  if (size == 0) return needed;
  if (size < needed) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::memcpy(timeText, text.c_str(), size_t(needed));
  return needed;
}
