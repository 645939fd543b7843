#include "framework/Lock.h"

#include <windows.h>

struct ILock::Impl {
  CRITICAL_SECTION section;
};

ILock::ILock() : mImpl(new Impl) { InitializeCriticalSection(&mImpl->section); }

ILock::~ILock() {
  DeleteCriticalSection(&mImpl->section);
  delete mImpl;
}

void ILock::Enter() { EnterCriticalSection(&mImpl->section); }

void ILock::Leave() { LeaveCriticalSection(&mImpl->section); }
