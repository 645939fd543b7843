#pragma once
// [any thread] Serialises the making of plug-in instances across the host's
// threads, in every format's entry: the plug-in's constructors share the
// process's image caches. Made while the library loads, before any host
// thread can call an entry point, and destroyed when it is unloaded.
#include "framework/Lock.h"

ILock& ConstructionLock();
