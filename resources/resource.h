// Resource ids shared by the resource script, the settings dialog and the Linux dialog builder.
#pragma once

#define IDD_SETTINGS 107
#define IDI_VESPERGLEN 109

#define IDC_LINK 1005
#define IDC_SCENE_TIME 1012
#define IDC_VOLUME 1014
#define IDC_DAY_CYCLE 1002
#define IDC_SHOW_TIME 1003
#define IDC_MUSIC 1004
#define IDC_SOUNDS 1015
#define IDC_START_SCENE 1016

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
