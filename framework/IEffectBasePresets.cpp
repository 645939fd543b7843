#include <cstdio>
#include <cstring>

#include "common/CopyText.h"
#include "framework/IEffectBase.h"
#include "framework/Trace.h"

namespace {

void CopyPresetName(IPresetSlot* preset, const char* name) {
  CopyTextBounded(preset->mName, sizeof preset->mName, name);
}

}  // namespace

bool IEffectBase::SerializeParams(StateChunk* chunk) {
  if (!chunk) return false;
  ILockGuard guard(mLock);
  for (int i = 0; i < ParamCount(); ++i) {
    IParameter* param = GetParam(i);
    const int before = chunk->Size();
    const int after = chunk->Put(param->Value());
    Trace("IEffectBase::SerializeParams", __LINE__, "%d %s %f", i, param->NameForHost(), param->Value());
    if (after != before + static_cast<int>(sizeof(double))) return false;
  }
  return true;
}

int IEffectBase::UnserializeParams(const StateChunk* chunk, int startPos) {
  ILockGuard guard(mLock);
  int pos = chunk ? startPos : -1;
  for (int i = 0; i < ParamCount() && pos >= 0; ++i) {
    IParameter* param = GetParam(i);
    double v = 0.0;
    pos = chunk->Get(&v, pos);
    param->Set(v);
    Trace("IEffectBase::UnserializeParams", __LINE__, "%d %s %f", i, param->NameForHost(), param->Value());
  }
  NotifyAllParams();
  return pos;
}

void IEffectBase::FillDefaultPresets(const char* name, int count) {
  for (int n = 0; n < count; ++n) {
    IPresetSlot* blank = nullptr;
    for (int i = 0; i < PresetCount() && !blank; ++i) {
      if (!GetPreset(i)->mInitialized) blank = GetPreset(i);
    }
    if (!blank) break;  // the remaining repetitions would find none either
    blank->mInitialized = true;
    CopyPresetName(blank, name ? name : "Empty");
    blank->mChunk.Clear();
    SaveState(&blank->mChunk);
  }
}

const char* IEffectBase::GetPresetName(int idx) const {
  const IPresetSlot* preset = GetPreset(idx);
  return preset ? preset->mName : "";
}

bool IEffectBase::LoadPreset(int idx) {
  IPresetSlot* preset = GetPreset(idx);
  if (!preset) return false;
  bool ok;
  if (preset->mInitialized) {
    ok = LoadState(&preset->mChunk, 0) > 0;
  } else {
    preset->mInitialized = true;
    int c = 0;
    for (int i = 0; i < PresetCount(); ++i) {
      if (std::strstr(GetPreset(i)->mName, "user preset")) ++c;
    }
    std::snprintf(preset->mName, sizeof preset->mName, "%s %d", "user preset", c + 1);
    preset->mChunk.Clear();
    ok = SaveState(&preset->mChunk);
  }
  if (ok) {
    mPresetIndex = idx;
    OnPresetsEdited();
    RefreshParamControls();
  }
  return ok;
}

void IEffectBase::ModifyCurrentPreset(const char* name) {
  IPresetSlot* preset = GetPreset(mPresetIndex);
  if (!preset) return;
  preset->mChunk.Clear();
  SaveState(&preset->mChunk);
  if (name && name[0]) CopyPresetName(preset, name);
}

bool IEffectBase::SerializePresets(StateChunk* chunk) {
  if (!chunk) return false;
  for (int i = 0; i < PresetCount(); ++i) {
    IPresetSlot* preset = GetPreset(i);
    const int before = chunk->Size();
    const int64_t nameBytes = 4 + static_cast<int64_t>(std::strlen(preset->mName));
    if (chunk->PutStr(preset->mName) != before + nameBytes) return false;
    const int afterName = chunk->Size();
    if (chunk->Put(static_cast<uint8_t>(preset->mInitialized ? 1 : 0)) != afterName + 1) return false;
    if (preset->mInitialized) {
      const int afterFlag = chunk->Size();
      const int n = preset->mChunk.Size();
      if (chunk->PutBytes(preset->mChunk.GetBytes(), n) != afterFlag + n) return false;
    }
  }
  return true;
}

int IEffectBase::UnserializePresets(const StateChunk* chunk, int startPos) {
  int pos = chunk ? startPos : -1;
  for (int i = 0; i < PresetCount() && pos >= 0; ++i) {
    IPresetSlot* preset = GetPreset(i);
    if (pos >= chunk->Size()) {
      // The bank holds fewer presets than the plug-in: the rest keep their names and states.
      pos = -1;
      break;
    }
    char name[sizeof preset->mName];
    pos = chunk->GetStr(name, sizeof name, pos);
    CopyPresetName(preset, pos >= 0 ? name : "");
    uint8_t flag = 0;
    pos = chunk->Get(&flag, pos);
    if (pos >= 0) preset->mInitialized = flag != 0;
    if (preset->mInitialized) {
      pos = LoadState(chunk, pos);
      if (pos > 0) {
        preset->mChunk.Clear();
        SaveState(&preset->mChunk);
      }
    }
  }
  LoadPreset(mPresetIndex);
  return pos;
}
