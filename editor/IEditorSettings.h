#pragma once
// The editor's settings of one user, kept in a small file of their own and
// not in the plug-in's state, so that presets move between screens:
//   Linux:   $XDG_CONFIG_HOME/<maker>/<product>.ini, else ~/.config/...
//   Windows: %APPDATA%\<maker>\<product>.ini
// The file holds
//   [Editor]
//   Zoom=Automatic | 100 | 150 | 200
// A file that cannot be read or written is passed over quietly. [ui]

// The zoom the user chose, in percent; 0 for automatic, or when there is no
// file, no such line or no value that is understood.
int ReadZoomSetting(const char* maker, const char* product);
// Writes the choice (0 for automatic); false when the file cannot be written.
bool WriteZoomSetting(const char* maker, const char* product, int percent);
