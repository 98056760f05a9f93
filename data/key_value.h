// Lookups in key=value text (lines ending in CR LF). A key includes its '=' and is matched as a
// plain, case-sensitive substring anywhere in the text; the first match wins. The value runs
// from right after the key to the next carriage return or the end of the text.
//
// The text ends at textLength bytes or at its first zero byte, whichever comes first, so a
// buffer straight from LoadDataFile (no terminator) is never read past its end.
#pragma once

// Copies the value into destination (cut to destinationSize - 1 characters, always
// terminated) and returns destination; when the key is missing, destination becomes empty and
// the result is null.
char* GetTextValue(char* destination, int destinationSize, const char* text, int textLength,
                   const char* key);
// The value (at most 31 characters) read as a decimal number and truncated toward zero;
// 0 when the key is missing or the value is not a number. Clamped to the int range.
int GetIntValue(const char* text, int textLength, const char* key);
