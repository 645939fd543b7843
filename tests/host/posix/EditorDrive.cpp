#include "tests/host/EditorDrive.h"

namespace hosttest {

bool DriveEditor(AEffect*, const KnobGesture&, EditorSession*, std::string* failure) {
  if (failure) *failure = "no editor window is driven on this platform";
  return false;
}

}  // namespace hosttest
