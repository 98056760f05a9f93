// Dialog 107 as one table, read both by the resource compiler (vesperglen.rc) and by the Linux
// dialog builder, so the two platforms cannot drift apart. Kept to plain numbers and literals:
// the resource compiler's preprocessor sees this file too.
//
// SETTINGS_DIALOG_CONTROL(text, id, class, style, x, y, width, height), in dialog units and in
// tab order. Styles are written out whole (WS_CHILD | WS_VISIBLE included) so that no reader
// has to add implied bits.
#include "resource.h"

#define SETTINGS_DIALOG_STYLE 0x80C808C8
#define SETTINGS_DIALOG_WIDTH 252
#define SETTINGS_DIALOG_HEIGHT 199
#define SETTINGS_DIALOG_FONT_POINTS 8
#define SETTINGS_DIALOG_FONT "MS Shell Dlg"
#define SETTINGS_DIALOG_CAPTION "Dialog"

#define SETTINGS_DIALOG_CONTROLS \
  SETTINGS_DIALOG_CONTROL("OK", 1, "Button", 0x50010001, 198, 8, 50, 14) \
  SETTINGS_DIALOG_CONTROL("Cancel", 2, "Button", 0x50010000, 198, 25, 50, 14) \
  SETTINGS_DIALOG_CONTROL("Scene change time:", IDC_STATIC, "Static", 0x50020000, 12, 24, 95, 10) \
  SETTINGS_DIALOG_CONTROL("Parameters", IDC_STATIC, "Button", 0x50000007, 7, 7, 185, 132) \
  SETTINGS_DIALOG_CONTROL("Visit us", IDC_STATIC, "Button", 0x50000007, 8, 144, 183, 49) \
  SETTINGS_DIALOG_CONTROL("Custom1", IDC_LINK, "Hyperlink", 0x50010000, 16, 155, 168, 33) \
  SETTINGS_DIALOG_CONTROL("", IDC_SCENE_TIME, "ComboBox", 0x50210002, 114, 24, 65, 132) \
  SETTINGS_DIALOG_CONTROL("", IDC_VOLUME, "msctls_trackbar32", 0x50010005, 69, 41, 114, 22) \
  SETTINGS_DIALOG_CONTROL("Sound Volume:", IDC_STATIC, "Static", 0x50020000, 12, 46, 55, 11) \
  SETTINGS_DIALOG_CONTROL("Change of morning, day and evening:", IDC_DAY_CYCLE, "Button", 0x50010023, \
                          11, 62, 168, 15) \
  SETTINGS_DIALOG_CONTROL("Show time:", IDC_SHOW_TIME, "Button", 0x50010023, 11, 76, 168, 16) \
  SETTINGS_DIALOG_CONTROL("Music:", IDC_MUSIC, "Button", 0x50010023, 11, 111, 168, 12) \
  SETTINGS_DIALOG_CONTROL("Sounds:", IDC_SOUNDS, "Button", 0x50010023, 11, 124, 168, 10) \
  SETTINGS_DIALOG_CONTROL("Start Background:", IDC_STATIC, "Static", 0x50020000, 12, 94, 92, 11) \
  SETTINGS_DIALOG_CONTROL("", IDC_START_SCENE, "ComboBox", 0x50210003, 108, 93, 72, 106)
