#pragma once
// The LV2 plug-in side of the adapter: one instance per host instantiation,
// running a plug-in object of the framework through its IEffectBase.
//
// The host's sequence (thread tags: framework/ThreadTags.h):
//   1. instantiate [ui]: the object is made (CreateLv2Effect), told the
//      sample rate and, when the host gives one through opts:options, the
//      block length (bufsz:maxBlockLength, else bufsz:nominalBlockLength);
//      every parameter is applied once, as a VST2 host's effOpen does.
//   2. connect_port, activate [ui], then run [audio] per block: at the start
//      of each run the control inputs whose value changed since the last run
//      are set (plain units) and applied, the audio runs through
//      ProcessHostSingle, and the meters are read into their ports. run takes
//      only the instance lock and allocates nothing.
//   3. state save (may meet run) and restore [ui]: one property, the program
//      chunk (IEffectBase::GetProgramChunk), as atom:Chunk, POD and portable.
//      A restored state is taken whole or refused whole; after it the next
//      run applies every control input again, so the ports decide, as hosts
//      set them after restoring.
//   4. deactivate, cleanup [ui].
#include <lv2/core/lv2.h>

class IEffectBase;

// The descriptor lv2_descriptor hands out. [any thread]
const LV2_Descriptor* Lv2PluginDescriptor();

// Defined by the plug-in: the object an instance runs, made without a host
// callback and without an editor; null when it cannot be made. [ui]
IEffectBase* CreateLv2Effect();
// Defined by the plug-in: after each run of nFrames frames, the value of
// each meter (Lv2Description::nMeters of them) into values.
// [audio, instance lock held]
void ReadLv2Meters(IEffectBase* effect, int nFrames, float* values);
