#include "framework/Lock.h"

#include <pthread.h>

struct ILock::Impl {
  pthread_mutex_t mutex;
};

ILock::ILock() : mImpl(new Impl) {
  pthread_mutexattr_t attr;
  pthread_mutexattr_init(&attr);
  pthread_mutexattr_settype(&attr, PTHREAD_MUTEX_RECURSIVE);
  pthread_mutex_init(&mImpl->mutex, &attr);
  pthread_mutexattr_destroy(&attr);
}

ILock::~ILock() {
  pthread_mutex_destroy(&mImpl->mutex);
  delete mImpl;
}

void ILock::Enter() { pthread_mutex_lock(&mImpl->mutex); }

void ILock::Leave() { pthread_mutex_unlock(&mImpl->mutex); }
