// advapi32's registry calls (placeholder until the .reg file store lands).
#include <windows.h>

LSTATUS RegOpenKeyExA(HKEY, LPCSTR, DWORD, REGSAM, PHKEY) { return ERROR_FILE_NOT_FOUND; }
LSTATUS RegCreateKeyExA(HKEY, LPCSTR, DWORD, LPSTR, DWORD, REGSAM, const void*, PHKEY, LPDWORD) {
  return ERROR_ACCESS_DENIED;
}
LSTATUS RegQueryValueExA(HKEY, LPCSTR, LPDWORD, LPDWORD, LPBYTE, LPDWORD) {
  return ERROR_FILE_NOT_FOUND;
}
LSTATUS RegSetValueExA(HKEY, LPCSTR, DWORD, DWORD, const BYTE*, DWORD) {
  return ERROR_INVALID_HANDLE;
}
LSTATUS RegDeleteValueA(HKEY, LPCSTR) { return ERROR_INVALID_HANDLE; }
LSTATUS RegCloseKey(HKEY) { return ERROR_SUCCESS; }
