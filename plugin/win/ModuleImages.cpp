#include "plugin/ModuleImages.h"

// The images are resources of the library (Morvane.rc), found through the
// module handle the library's initialisation entry records.
void RegisterModuleImages() {}
