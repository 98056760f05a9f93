// The dialog templates of the program's resources, built from the same table the resource
// compiler reads.
#include <cstdlib>

#include "platform/win32/dialog.h"
#include "resources/settings_dialog_template.h"

namespace {

#define SETTINGS_DIALOG_CONTROL(text, id, cls, style, x, y, cx, cy) {text, id, cls, style, x, y, cx, cy},
const Win32DialogControl kSettingsControls[] = {SETTINGS_DIALOG_CONTROLS};
#undef SETTINGS_DIALOG_CONTROL

const Win32DialogTemplate kTemplates[] = {
    {IDD_SETTINGS, SETTINGS_DIALOG_STYLE, SETTINGS_DIALOG_CAPTION, SETTINGS_DIALOG_FONT,
     SETTINGS_DIALOG_FONT_POINTS, SETTINGS_DIALOG_WIDTH, SETTINGS_DIALOG_HEIGHT, kSettingsControls,
     static_cast<int>(sizeof(kSettingsControls) / sizeof(kSettingsControls[0]))},
};

int ResourceIdOf(LPCSTR name) {
  if (IS_INTRESOURCE(name)) return static_cast<int>(reinterpret_cast<ULONG_PTR>(name));
  if (name[0] == '#') return std::atoi(name + 1);
  return -1;
}

}  // namespace

const Win32DialogTemplate* Win32FindDialogTemplate(LPCSTR name) {
  if (!name) return nullptr;
  int id = ResourceIdOf(name);
  for (const Win32DialogTemplate& dialogTemplate : kTemplates)
    if (dialogTemplate.resourceId == id) return &dialogTemplate;
  return nullptr;
}
