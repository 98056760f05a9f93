// comctl32's initialisation: the trackbar class is the only common control the program uses, and
// it is registered with the other built-in classes.
#include <commctrl.h>

#include "platform/win32/dialog.h"

void InitCommonControls(void) { Win32RegisterControlClasses(); }

BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* init) {
  if (!init || init->dwSize != sizeof(INITCOMMONCONTROLSEX)) return FALSE;
  Win32RegisterControlClasses();
  return TRUE;
}
