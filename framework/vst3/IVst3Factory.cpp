#include "framework/vst3/IVst3Factory.h"

#include <cstring>
#include <mutex>

#include "common/CopyText.h"
#include "framework/ConstructionLock.h"
#include "framework/vst3/IEffectVST3.h"
#include "framework/vst3/IVst3EditorView.h"

using namespace vst3;

namespace {

// Guards the factory's existence: its making, its last release, and the
// calls that reach it without a reference of their own.
std::mutex& FactoryLock() {
  static std::mutex lock;
  return lock;
}
IVst3Factory* gFactory = nullptr;  // under FactoryLock

// Constructs the lock while the library loads, before any host thread can
// call into it.
const bool kFactoryLockReady = (FactoryLock(), true);

// What the three forms of the class's description share: cleared, the id,
// any number of instances, an audio effect.
template <class Info>
void FillClassBasics(Info* info, const Uid& cid) {
  std::memset(info, 0, sizeof *info);
  std::memcpy(info->cid, cid.bytes, sizeof info->cid);
  info->cardinality = kManyInstances;
  CopyTextBounded(info->category, sizeof info->category, kVstAudioEffectClass);
}

}  // namespace

IVst3Factory* IVst3Factory::Get(const IVst3ClassDef& def) {
  (void)kFactoryLockReady;
  std::lock_guard<std::mutex> guard(FactoryLock());
  if (gFactory) {
    gFactory->addRef();
  } else {
    gFactory = new IVst3Factory(def);
  }
  return gFactory;
}

Linux::IRunLoop* Vst3ContextRunLoop() {
  IVst3Factory* factory = nullptr;
  {
    std::lock_guard<std::mutex> guard(FactoryLock());
    if (gFactory) {
      factory = gFactory;
      factory->addRef();
    }
  }
  if (!factory) return nullptr;
  Linux::IRunLoop* loop = factory->ContextRunLoop();
  factory->release();
  return loop;
}

IVst3Factory::IVst3Factory(const IVst3ClassDef& def)
    : mDef(def), mCid(MakeUid(def.cid[0], def.cid[1], def.cid[2], def.cid[3])) {
  // As the plug-in shows it, without its "v".
  char shown[sizeof mVersion + 1];
  FormatVersion(def.config.version, shown, sizeof shown);
  CopyTextBounded(mVersion, sizeof mVersion, shown + 1);
}

IVst3Factory::~IVst3Factory() { setHostContext(nullptr); }

// ---- FUnknown -------------------------------------------------------------------------------------

tresult PLUGIN_API IVst3Factory::queryInterface(const TUID id, void** obj) {
  if (!obj) return kInvalidArgument;
  if (AnswerUnknown<IPluginFactory>(id, this, obj) || AnswerInterface<IPluginFactory>(id, this, obj) ||
      AnswerInterface<IPluginFactory2>(id, this, obj) || AnswerInterface<IPluginFactory3>(id, this, obj)) {
    return kResultOk;
  }
  *obj = nullptr;
  return kNoInterface;
}

uint32 PLUGIN_API IVst3Factory::addRef() { return mRefs.Add(); }

// The last release, and the factory's making, take turns under the lock, so
// that Get never hands out a factory being deleted.
uint32 PLUGIN_API IVst3Factory::release() {
  std::lock_guard<std::mutex> guard(FactoryLock());
  const uint32 count = mRefs.Drop();
  if (count == 0) {
    if (gFactory == this) gFactory = nullptr;
    delete this;
  }
  return count;
}

// ---- the class list -----------------------------------------------------------------------------

tresult PLUGIN_API IVst3Factory::getFactoryInfo(PFactoryInfo* info) {
  if (!info) return kInvalidArgument;
  std::memset(info, 0, sizeof *info);
  CopyTextBounded(info->vendor, sizeof info->vendor, mDef.config.makerName);
  CopyTextBounded(info->url, sizeof info->url, mDef.url);
  CopyTextBounded(info->email, sizeof info->email, mDef.email);
  info->flags = PFactoryInfo::kUnicode;
  return kResultOk;
}

int32 PLUGIN_API IVst3Factory::countClasses() { return 1; }

tresult PLUGIN_API IVst3Factory::getClassInfo(int32 index, PClassInfo* info) {
  if (!info || index != 0) return kInvalidArgument;
  FillClassBasics(info, mCid);
  CopyTextBounded(info->name, sizeof info->name, mDef.config.effectName);
  return kResultOk;
}

tresult PLUGIN_API IVst3Factory::getClassInfo2(int32 index, PClassInfo2* info) {
  if (!info || index != 0) return kInvalidArgument;
  FillClassBasics(info, mCid);
  CopyTextBounded(info->name, sizeof info->name, mDef.config.effectName);
  info->classFlags = 0;
  CopyTextBounded(info->subCategories, sizeof info->subCategories, mDef.subCategories);
  CopyTextBounded(info->vendor, sizeof info->vendor, mDef.config.makerName);
  CopyTextBounded(info->version, sizeof info->version, mVersion);
  CopyTextBounded(info->sdkVersion, sizeof info->sdkVersion, kVstVersionString);
  return kResultOk;
}

tresult PLUGIN_API IVst3Factory::getClassInfoUnicode(int32 index, PClassInfoW* info) {
  if (!info || index != 0) return kInvalidArgument;
  FillClassBasics(info, mCid);
  CopyToUtf16(info->name, kClassNameSize, mDef.config.effectName);
  info->classFlags = 0;
  CopyTextBounded(info->subCategories, sizeof info->subCategories, mDef.subCategories);
  CopyToUtf16(info->vendor, kClassVendorSize, mDef.config.makerName);
  CopyToUtf16(info->version, kClassVersionSize, mVersion);
  CopyToUtf16(info->sdkVersion, kClassVersionSize, kVstVersionString);
  return kResultOk;
}

// ---- instances ------------------------------------------------------------------------------------

// 1. The class id must be ours (16 raw bytes).
// 2. The object is made (one reference, ours) and asked for the interface
//    (a second reference, the caller's).
// 3. Ours is dropped: the caller holds the only one, or the object is gone.
tresult PLUGIN_API IVst3Factory::createInstance(FIDString cid, FIDString iid, void** obj) {
  if (!obj) return kInvalidArgument;
  *obj = nullptr;
  if (!iid || !UidMatches(cid, mCid)) return kNoInterface;
  IEffectVST3* effect;
  {
    ILockGuard guard(ConstructionLock());
    effect = IEffectVST3::Create(mDef);
  }
  if (!effect) return kInternalError;
  const tresult result = effect->queryInterface(iid, obj);
  effect->release();
  return result;
}

tresult PLUGIN_API IVst3Factory::setHostContext(FUnknown* context) {
  if (context) context->addRef();
  FUnknown* old = nullptr;
  {
    ILockGuard guard(ConstructionLock());
    old = mContext;
    mContext = context;
  }
  if (old) old->release();
  return kResultOk;
}

Linux::IRunLoop* IVst3Factory::ContextRunLoop() {
  FUnknown* context = nullptr;
  {
    ILockGuard guard(ConstructionLock());
    context = mContext;
    if (context) context->addRef();
  }
  if (!context) return nullptr;
  void* loop = nullptr;
  if (context->queryInterface(Linux::IRunLoop::iid.bytes, &loop) != kResultOk) loop = nullptr;
  context->release();
  return static_cast<Linux::IRunLoop*>(loop);
}
