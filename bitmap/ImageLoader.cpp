#include "bitmap/ImageLoader.h"

// Constant-initialised, so entries linked by static initialisers find it ready.
ImageLoaderEntry* gImageLoaders = nullptr;
