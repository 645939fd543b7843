#pragma once
// Helpers of the VST 3 adapter: reference counts and interface answers,
// UTF-16 texts, and whole reads and writes of a host's stream.
#include <atomic>

#include "framework/vst3/Vst3Base.h"

namespace vst3 {

// An object's reference count, starting at 1 for its creator. Atomic: hosts
// add and drop references from their audio thread too.
class RefCount {
 public:
  uint32 Add() { return mCount.fetch_add(1, std::memory_order_relaxed) + 1; }
  // The count after dropping one: the object deletes itself at 0.
  uint32 Drop() { return mCount.fetch_sub(1, std::memory_order_acq_rel) - 1; }

 private:
  std::atomic<uint32> mCount{1};
};

// queryInterface's answer for interface I of object: when id is I's id,
// stores the I sub-object in *obj with a reference and returns true.
template <class I, class T>
bool AnswerInterface(const TUID id, T* object, void** obj) {
  if (!UidMatches(id, I::iid)) return false;
  *obj = static_cast<I*>(object);
  object->addRef();
  return true;
}

// The FUnknown answer, given through the one base (Via) chosen for it, so
// that every query of FUnknown gives the same pointer. Also answers id2
// (IPluginBase, say) with that base when given.
template <class Via, class T>
bool AnswerUnknown(const TUID id, T* object, void** obj, const Uid* id2 = nullptr) {
  if (!UidMatches(id, FUnknown::iid) && !(id2 && UidMatches(id, *id2))) return false;
  *obj = static_cast<Via*>(object);
  object->addRef();
  return true;
}

// An id's text: its words l1 to l4 as 32 upper-case hexadecimal digits, the
// same on every system, read from its 16 bytes in this system's order.
// text receives 33 bytes with the NUL.
void UidText(const int8* bytes, char* text);

// Writes UTF-8 text into dest as NUL-terminated UTF-16 of at most
// destUnits - 1 units, cut at a character. Bytes that are no UTF-8 become
// U+FFFD. A null text writes "".
void CopyToUtf16(char16* dest, int destUnits, const char* text);

// Reads NUL-terminated UTF-16 text (at most maxUnits units) into dest as
// NUL-terminated UTF-8 of at most destSize - 1 bytes, cut at a character.
// Unpaired surrogates become U+FFFD. A null text reads as "".
void CopyFromUtf16(char* dest, int destSize, const char16* text, int maxUnits);

// Reads up to size bytes from the stream's position, calling read until they
// came or the stream gives no more; the bytes read.
int32 ReadStream(IBStream* stream, void* buffer, int32 size);

// Writes size bytes at the stream's position, calling write until all went
// or the stream takes no more; whether all went.
bool WriteStream(IBStream* stream, const void* buffer, int32 size);

}  // namespace vst3
