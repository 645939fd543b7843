#pragma once
// What the host offers both halves of a VST 3 plug-in: its application object
// (handed to initialize as the context), and the messages by which the
// processor and the controller may talk. Conventions as in Vst3Base.h.
//
// Messages carry nothing essential: parameters travel through the host, and
// the controller learns the processor's state from setComponentState.
// Sending one:
// 1. IHostApplication::createInstance with IMessage's id as both class id and
//    interface id;
// 2. setMessageID, then fill getAttributes();
// 3. the peer's notify;
// 4. release the message.
// Never from process(): a host's proxy drops messages sent off the UI thread.

#include "framework/vst3/Vst3Base.h"

namespace vst3 {

// The host, queried on initialize's context.
class IHostApplication : public FUnknown {
 public:
  // 3 [ui] fills the host's name.
  virtual tresult PLUGIN_API getName(String128 name) = 0;
  // 4 [ui] cid, iid: 16 raw bytes each. Makes a host object (IMessage,
  // IAttributeList) with a reference for the caller; kResultFalse for others.
  virtual tresult PLUGIN_API createInstance(const TUID cid, const TUID iid, void** obj) = 0;

  static constexpr Uid iid = MakeUid(0x58E595CC, 0xDB2D4969, 0x8B6AAF8C, 0x36A664E5);
};

// Optional on the context: which interfaces the host itself uses.
class IPlugInterfaceSupport : public FUnknown {
 public:
  // 3 [ui] kResultTrue when the host uses the plug-in interface iid.
  virtual tresult PLUGIN_API isPlugInterfaceSupported(const TUID iid) = 0;

  static constexpr Uid iid = MakeUid(0x4FB58B9E, 0x9EAA4E0F, 0xAB361C1C, 0xCCB56FEA);
};

// Named values of a message, owned by the message.
class IAttributeList : public FUnknown {
 public:
  typedef const char* AttrID;  // a value's name

  // 3 [ui] stores an integer under id.
  virtual tresult PLUGIN_API setInt(AttrID id, int64 value) = 0;
  // 4 [ui] reads the integer stored under id.
  virtual tresult PLUGIN_API getInt(AttrID id, int64* value) = 0;
  // 5 [ui] stores a double under id.
  virtual tresult PLUGIN_API setFloat(AttrID id, double value) = 0;
  // 6 [ui] reads the double stored under id.
  virtual tresult PLUGIN_API getFloat(AttrID id, double* value) = 0;
  // 7 [ui] stores a NUL-terminated UTF-16 text under id.
  virtual tresult PLUGIN_API setString(AttrID id, const TChar* string) = 0;
  // 8 [ui] copies the text stored under id into string; sizeInBytes is the buffer's size in bytes.
  virtual tresult PLUGIN_API getString(AttrID id, TChar* string, uint32 sizeInBytes) = 0;
  // 9 [ui] stores a copy of sizeInBytes bytes under id.
  virtual tresult PLUGIN_API setBinary(AttrID id, const void* data, uint32 sizeInBytes) = 0;
  // 10 [ui] points data at the bytes stored under id (owned by the list) and gives their size.
  virtual tresult PLUGIN_API getBinary(AttrID id, const void** data, uint32* sizeInBytes) = 0;

  static constexpr Uid iid = MakeUid(0x1E5F0AEB, 0xCC7F4533, 0xA2544011, 0x38AD5EE4);
};

// A message between processor and controller, made by the host.
class IMessage : public FUnknown {
 public:
  // 3 [ui] the message's name.
  virtual FIDString PLUGIN_API getMessageID() = 0;
  // 4 [ui] names the message.
  virtual void PLUGIN_API setMessageID(FIDString id) = 0;
  // 5 [ui] the message's values; borrowed, not addRef'ed.
  virtual IAttributeList* PLUGIN_API getAttributes() = 0;

  static constexpr Uid iid = MakeUid(0x936F033B, 0xC6C047DB, 0xBB0882F8, 0x13C1E613);
};

// One end of the link between processor and controller. The peer may be a
// host's proxy: never cast it to a class of ours.
class IConnectionPoint : public FUnknown {
 public:
  // 3 [ui] other: the peer, kept with addRef until disconnect or terminate.
  virtual tresult PLUGIN_API connect(IConnectionPoint* other) = 0;
  // 4 [ui] releases the peer connected before.
  virtual tresult PLUGIN_API disconnect(IConnectionPoint* other) = 0;
  // 5 [ui] message: borrowed for the call.
  virtual tresult PLUGIN_API notify(IMessage* message) = 0;

  static constexpr Uid iid = MakeUid(0x70A4156F, 0x6E6E4026, 0x989148BF, 0xAA60D8D1);
};

}  // namespace vst3
