// The files an installer would place beside the data: the link list, the dialog's link
// picture, the preview picture, the icon, and the machine-wide registry values.
#pragma once
#include <string>

#include "content.h"

bool WriteLinks(const std::string& installDir);
bool WriteLinkPicture(const std::string& installDir, const Content& content);
bool WritePreviewPicture(const std::string& dataDir, const Content& content);
bool WriteIconFile(const std::string& path, const Content& content);
// REGEDIT4 text for HKEY_LOCAL_MACHINE; "settings" is left to the user.
bool WriteRegistry(const std::string& path, const std::string& installDir, const Content& content);
extern const char* const kMusicName;
