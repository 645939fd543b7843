#include "tests/host/EditorDrive.h"

namespace hosttest {

bool DriveEditor(AEffect*, const KnobGesture&, EditorSession*, std::string* failure) {
  if (failure) *failure = "no editor window is driven on this platform";
  return false;
}

bool RunUnloadCycles(const char*, const char*, int, int, UnloadCycles*, std::string* failure) {
  if (failure) *failure = "no unload cycles are run on this platform";
  return false;
}

}  // namespace hosttest
