// Sees the interface as a file that includes the Windows headers first does:
// they define cdecl as an empty macro. The host callback must still be the
// same type here as everywhere else; on 32-bit x86 a different type is a
// different function name, and the adapter test would not link.
#define cdecl
#include "framework/vst2/VstDefs.h"

VstIntPtr CallHostWithWindowsMacros(audioMasterCallback callback, AEffect* effect, VstInt32 opcode) {
  return callback(effect, opcode, 0, 0, nullptr, 0.0f);
}
