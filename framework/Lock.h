#pragma once
// A re-entrant lock: the same thread may enter it again while holding it.
// One implementation per platform (a critical section on Windows, a recursive
// pthread mutex elsewhere), chosen by the build.

class ILock {
public:
  ILock();
  ~ILock();
  ILock(const ILock&) = delete;
  ILock& operator=(const ILock&) = delete;

  void Enter();
  void Leave();

private:
  struct Impl;
  Impl* mImpl;
};

// Holds a lock for the lifetime of a scope.
class ILockGuard {
public:
  explicit ILockGuard(ILock& lock) : mLock(lock) { mLock.Enter(); }
  ~ILockGuard() { mLock.Leave(); }
  ILockGuard(const ILockGuard&) = delete;
  ILockGuard& operator=(const ILockGuard&) = delete;

private:
  ILock& mLock;
};
