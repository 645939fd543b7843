#pragma once

// Makes the plug-in's editor images reachable by resource id through the
// plug-in library's module handle: on platforms without module resources it
// links the table of images compiled into the library into the resource
// lookup (once per process); where the images are module resources there is
// nothing to do. [any thread]
void RegisterModuleImages();
