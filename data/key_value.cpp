#include "data/key_value.h"

#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

// The text's real length: it may end early at a zero byte.
int TextLength(const char* text, int textLength) {
  if (text == nullptr || textLength <= 0) return 0;
  const void* zero = std::memchr(text, 0, size_t(textLength));
  return zero != nullptr ? int(static_cast<const char*>(zero) - text) : textLength;
}

// First occurrence of key in text[0 .. length), or -1.
int FindKey(const char* text, int length, const char* key) {
  int keyLength = int(std::strlen(key));
  if (keyLength == 0) return length >= 0 ? 0 : -1;
  for (int i = 0; i + keyLength <= length; i++) {
    if (text[i] == key[0] && std::memcmp(text + i, key, size_t(keyLength)) == 0) return i;
  }
  return -1;
}

// Length of the decimal number (sign, digits, fraction, exponent) at the start of text, after
// leading white space; 0 when there is none. Hexadecimal, "inf" and "nan" are not numbers here.
int DecimalPrefix(const char* text) {
  int i = 0;
  while (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r')) i++;
  int start = i;
  if (text[i] == '+' || text[i] == '-') i++;
  int digits = 0;
  while (text[i] >= '0' && text[i] <= '9') i++, digits++;
  if (text[i] == '.') {
    i++;
    while (text[i] >= '0' && text[i] <= '9') i++, digits++;
  }
  if (digits == 0) return 0;
  if (text[i] == 'e' || text[i] == 'E') {
    int e = i + 1;
    if (text[e] == '+' || text[e] == '-') e++;
    if (text[e] >= '0' && text[e] <= '9') {
      while (text[e] >= '0' && text[e] <= '9') e++;
      i = e;
    }
  }
  return i > start ? i : 0;
}

}  // namespace

char* GetTextValue(char* destination, int destinationSize, const char* text, int textLength,
                   const char* key) {
  if (destinationSize <= 0) return nullptr;
  destination[0] = '\0';
  int length = TextLength(text, textLength);
  int found = FindKey(text, length, key);
  if (found < 0) return nullptr;
  int start = found + int(std::strlen(key));
  int end = start;
  while (end < length && text[end] != '\r') end++;
  int copied = end - start;
  if (copied > destinationSize - 1) copied = destinationSize - 1;
  if (copied > 0) std::memcpy(destination, text + start, size_t(copied));
  destination[copied] = '\0';
  return destination;
}

int GetIntValue(const char* text, int textLength, const char* key) {
  char value[32];
  GetTextValue(value, sizeof value, text, textLength, key);
  int numberEnd = DecimalPrefix(value);
  if (numberEnd == 0) return 0;
  value[numberEnd] = '\0';
  double number = std::strtod(value, nullptr);
  if (number >= double(INT_MAX)) return INT_MAX;
  if (number <= double(INT_MIN)) return INT_MIN;
  return int(number);
}
