#include "framework/ConstructionLock.h"

// A function-local static is constructed exactly once even when several
// threads arrive together.
ILock& ConstructionLock() {
  static ILock lock;
  return lock;
}

namespace {

// Constructs the lock while the library loads.
const bool kConstructionLockReady = (ConstructionLock(), true);

}  // namespace
