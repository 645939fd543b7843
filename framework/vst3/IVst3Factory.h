#pragma once
// The module's factory: lists the plug-in's one class and makes its
// instances (IEffectVST3). Hosts reach it through the module's
// GetPluginFactory (Vst3Entry.cpp).
#include "framework/vst3/IVst3Plugin.h"
#include "framework/vst3/Vst3Support.h"
#include "framework/vst3/Vst3View.h"

class IVst3Factory final : public vst3::IPluginFactory3 {
public:
  // [any thread] The process's factory of the class def (the plug-in's
  // Vst3PluginClass) with a reference for the caller: made on the first
  // call, the same object while any reference to it lives.
  static IVst3Factory* Get(const IVst3ClassDef& def);

  IVst3Factory(const IVst3Factory&) = delete;
  IVst3Factory& operator=(const IVst3Factory&) = delete;

  vst3::tresult PLUGIN_API queryInterface(const vst3::TUID id, void** obj) override;
  vst3::uint32 PLUGIN_API addRef() override;
  vst3::uint32 PLUGIN_API release() override;

  vst3::tresult PLUGIN_API getFactoryInfo(vst3::PFactoryInfo* info) override;
  vst3::int32 PLUGIN_API countClasses() override;
  vst3::tresult PLUGIN_API getClassInfo(vst3::int32 index, vst3::PClassInfo* info) override;
  vst3::tresult PLUGIN_API createInstance(vst3::FIDString cid, vst3::FIDString iid, void** obj) override;
  vst3::tresult PLUGIN_API getClassInfo2(vst3::int32 index, vst3::PClassInfo2* info) override;
  vst3::tresult PLUGIN_API getClassInfoUnicode(vst3::int32 index, vst3::PClassInfoW* info) override;
  vst3::tresult PLUGIN_API setHostContext(vst3::FUnknown* context) override;

  // [ui] The run loop the host context offers, with a reference; null when none.
  vst3::Linux::IRunLoop* ContextRunLoop();

private:
  explicit IVst3Factory(const IVst3ClassDef& def);
  ~IVst3Factory();

  vst3::RefCount mRefs;
  const IVst3ClassDef& mDef;
  vst3::Uid mCid;
  char mVersion[32];               // "major.minor.patch"
  vst3::FUnknown* mContext = nullptr;  // held with a reference
};
