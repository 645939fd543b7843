#include <cstdio>
#include <cstdint>
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

int IEffectBase::ParamValuesEnd(const StateChunk* chunk, int startPos) const {
  if (!chunk || startPos < 0) return -1;
  const int64_t end = startPos + static_cast<int64_t>(ParamCount()) * static_cast<int64_t>(sizeof(double));
  return end <= chunk->Size() ? static_cast<int>(end) : -1;
}

// The state's end is found before any value is set: a state that ends early
// changes nothing (a host would otherwise be told it was refused while half
// of it had been taken).
int IEffectBase::UnserializeParams(const StateChunk* chunk, int startPos) {
  ILockGuard guard(mLock);
  const int end = ParamValuesEnd(chunk, startPos);
  if (end < 0) return -1;
  int pos = startPos;
  for (int i = 0; i < ParamCount(); ++i) {
    IParameter* param = GetParam(i);
    double value = 0.0;
    pos = chunk->Get(&value, pos);
    param->Set(value);
    Trace("IEffectBase::UnserializeParams", __LINE__, "%d %s %f", i, param->NameForHost(), param->Value());
  }
  NotifyAllParams();
  return end;
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

int IEffectBase::BankEnd(const StateChunk* chunk, int startPos) const {
  int pos = chunk ? startPos : -1;
  for (int i = 0; i < PresetCount() && pos >= 0; ++i) {
    // A bank with fewer presets than the plug-in is incomplete.
    if (pos >= chunk->Size()) return -1;
    char name[sizeof(IPresetSlot::mName)];
    pos = chunk->GetStr(name, sizeof name, pos);
    uint8_t flag = 0;
    pos = chunk->Get(&flag, pos);
    if (pos >= 0 && flag != 0) pos = ParamValuesEnd(chunk, pos);
  }
  return pos;
}

// A bank is checked whole before anything is taken from it: one that ends
// early changes no preset, no name and no value.
int IEffectBase::UnserializePresets(const StateChunk* chunk, int startPos) {
  if (BankEnd(chunk, startPos) < 0) return -1;
  int pos = startPos;
  for (int i = 0; i < PresetCount() && pos >= 0; ++i) {
    IPresetSlot* preset = GetPreset(i);
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

bool IEffectBase::GetProgramChunk(StateChunk* chunk) {
  if (!chunk) return false;
  ILockGuard guard(mLock);
  StateChunk::StartChunk(*chunk);
  return SaveState(chunk) && chunk->Size() > 0;
}

bool IEffectBase::SetProgramChunk(const StateChunk& chunk) {
  ILockGuard guard(mLock);
  int pos = 0;
  StateChunk::ReadChunkHeader(chunk, &pos);
  if (LoadState(&chunk, pos) < 0) return false;
  ModifyCurrentPreset();
  RefreshParamControls();
  return true;
}
