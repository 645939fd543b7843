#pragma once
#include <cstdint>

#include "framework/GrowBuffer.h"

// An owning list of object pointers kept in a GrowBuffer. Get returns null
// outside the list; destruction deletes the elements from the last to the
// first.
template <class T>
class OwnedList {
public:
  OwnedList() = default;
  ~OwnedList() { DeleteAll(); }
  OwnedList(const OwnedList&) = delete;
  OwnedList& operator=(const OwnedList&) = delete;

  int Count() const { return mBuf.Size() / static_cast<int>(sizeof(T*)); }

  T* Get(int idx) const {
    if (idx < 0 || idx >= Count()) return nullptr;
    return static_cast<T**>(mBuf.Data())[idx];
  }

  // Appends obj and takes ownership. Returns obj, or null (after deleting obj)
  // when the list could not grow.
  T* Add(T* obj) {
    const int n = Count();
    const int64_t bytes = (static_cast<int64_t>(n) + 1) * static_cast<int64_t>(sizeof(T*));
    if (bytes > INT32_MAX || !mBuf.Resize(static_cast<int>(bytes)) || mBuf.Size() != bytes) {
      delete obj;
      return nullptr;
    }
    static_cast<T**>(mBuf.Data())[n] = obj;
    return obj;
  }

  void DeleteAll() {
    for (int i = Count() - 1; i >= 0; --i) delete static_cast<T**>(mBuf.Data())[i];
    mBuf.Resize(0);
  }

private:
  GrowBuffer mBuf{GrowBuffer::kDefaultGranularity};
};
