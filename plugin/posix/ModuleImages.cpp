#include "plugin/ModuleImages.h"

#include "bitmap/posix/EmbeddedResources.h"

namespace bm {
extern EmbeddedResourceTable gMorvaneImages;  // generated from plugin/resources/img
}

void RegisterModuleImages() {
  static const bool registered = (bm::AddEmbeddedResources(&bm::gMorvaneImages), true);
  (void)registered;
}
