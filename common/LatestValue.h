#pragma once
// A hand-off of the latest value from one writer thread to one reader thread
// that never blocks either: the writer fills its own slot and publishes it,
// the reader takes the newest published slot when there is one. Values the
// reader never took are simply replaced (only the latest counts). Three
// slots: the writer's, the reader's and the one in between, whose index
// travels through one atomic together with a "fresh" mark.
//
// One writer at a time (callers serialise writers, with the instance lock for
// example) and one reader at a time.
#include <atomic>
#include <cstdint>

template <class T>
class LatestValue {
public:
  LatestValue() = default;
  LatestValue(const LatestValue&) = delete;
  LatestValue& operator=(const LatestValue&) = delete;

  // [writer] The slot to fill before Publish; the reader never sees it meanwhile.
  T& WriteSlot() { return mSlots[mWrite]; }
  // [writer] Hands the filled slot over.
  void Publish() { mWrite = mMiddle.exchange(static_cast<uint8_t>(mWrite | kFresh), std::memory_order_acq_rel) & kIndex; }

  // [reader] Takes the newest published value, if one came since the last
  // Take; true when one did.
  bool Take() {
    if (!(mMiddle.load(std::memory_order_acquire) & kFresh)) return false;
    mRead = mMiddle.exchange(mRead, std::memory_order_acq_rel) & kIndex;
    return true;
  }
  // [reader] The value last taken.
  const T& Read() const { return mSlots[mRead]; }
  T& ReadSlot() { return mSlots[mRead]; }

private:
  static constexpr uint8_t kIndex = 3;
  static constexpr uint8_t kFresh = 4;

  T mSlots[3] = {};
  uint8_t mWrite = 0;
  uint8_t mRead = 1;
  std::atomic<uint8_t> mMiddle{2};
};
