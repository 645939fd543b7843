#pragma once
// Where a user's settings file lives, per platform (editor/posix, editor/win):
// the folder is made when the file is opened for writing. [ui]
#include <cstdio>
#include <string>

// The path of <maker>/<product>.ini in the user's settings folder (UTF-8);
// empty when the platform cannot tell where that is.
std::string SettingsFilePath(const char* maker, const char* product);
// Opens the file for reading, or for writing (making its folder first);
// null when that fails.
std::FILE* OpenSettingsFile(const std::string& path, bool forWriting);
