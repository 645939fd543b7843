#pragma once
// Probes of the instance lock for tests: whether an entry waits for the lock
// held by another thread, and whether a call finishes at all (a lock that is
// not re-entrant would deadlock it).
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "framework/Lock.h"

namespace morvane_test {

// Holds `lock` on this thread, calls `entry` on another and reports whether
// the entry waited: it did not finish while the lock was held, and finished
// once it was released.
inline bool WaitsForLock(ILock& lock, const std::function<void()>& entry) {
  std::atomic<bool> started{false};
  std::atomic<bool> finished{false};
  lock.Enter();
  std::thread other([&] {
    started = true;
    entry();
    finished = true;
  });
  while (!started) std::this_thread::yield();
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  const bool finishedWhileHeld = finished;
  lock.Leave();
  other.join();
  return !finishedWhileHeld && finished;
}

// Runs `call` on another thread; when it has not finished after `seconds`,
// it is taken to be deadlocked and the test program stops with a message,
// since a deadlocked thread can be neither joined nor cancelled.
inline void FinishesOrAbort(const char* what, const std::function<void()>& call, int seconds = 10) {
  struct State {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
  };
  auto state = std::make_shared<State>();
  std::thread([state, call] {
    call();
    std::lock_guard<std::mutex> g(state->mutex);
    state->finished = true;
    state->done.notify_all();
  }).detach();
  std::unique_lock<std::mutex> g(state->mutex);
  if (!state->done.wait_for(g, std::chrono::seconds(seconds), [&] { return state->finished; })) {
    std::fprintf(stderr, "%s did not finish within %d s: deadlocked\n", what, seconds);
    std::abort();
  }
}

}  // namespace morvane_test
