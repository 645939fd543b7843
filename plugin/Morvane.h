#pragma once
#include <atomic>
#include <cstdint>

#include "editor/EditorGraphics.h"
#include "framework/vst2/IEffectVST.h"
#include "plugin/EditorLayout.h"
#include "plugin/EnvelopeFollower.h"
#include "plugin/MorvaneDefinition.h"
#include "plugin/ShaperKernel.h"
#include "plugin/SidechainFilter.h"

class IBitmapTextControl;

// The transient shaper. Per channel a side-chain detection signal feeds five
// envelope followers: a fast one running ahead of a slow one measures the
// attack, a long-tailed one above a short-tailed one the sustain. Each amount
// becomes a gain in dB scaled by "Attack" or "Sustain", optionally linked
// across the channels; an output gain follows, and a peak follower drives the
// overload lamp.
class Morvane : public IEffectVST {
public:
  using EParam = morvane::EParam;
  static constexpr EParam kAttack = morvane::kAttack;
  static constexpr EParam kSustain = morvane::kSustain;
  static constexpr EParam kAttackLink = morvane::kAttackLink;
  static constexpr EParam kAttackLength = morvane::kAttackLength;
  static constexpr EParam kGain = morvane::kGain;
  static constexpr EParam kScHpf = morvane::kScHpf;
  static constexpr EParam kSustainLink = morvane::kSustainLink;
  static constexpr EParam kSustainLength = morvane::kSustainLength;
  static constexpr int kNumParams = morvane::kNumParams;
  static constexpr int32_t kVersion = morvane::kVersion;
  static constexpr int32_t kUniqueID = morvane::kUniqueID;

  // The editor: 578 x 299 pixels, redrawn 25 times a second.
  static constexpr int kEditorWidth = layout::kEditorWidth;
  static constexpr int kEditorHeight = layout::kEditorHeight;
  static constexpr int kEditorFrameRate = 25;

  // makeEditor makes the editor's graphics object: the platform's own for
  // hosts; tests and tools may choose another (an off-screen one), or none
  // (null: the plug-in then has no editor).
  explicit Morvane(audioMasterCallback hostCallback, EditorGraphicsMaker makeEditor = MakeEditorGraphics);
  ~Morvane() override;

  // [any thread, instance lock held] Turns the parameter's current value into
  // the signal path's values. Takes the instance lock itself.
  void ParamChanged(int paramIdx) override;
  // [audio] Shapes nFrames frames of inputs[0..1] into outputs[0..1]. The
  // inputs are never written; inputs and outputs may be the same buffers.
  // Follower and filter states carry over from block to block.
  void ProcessBlock(double** inputs, double** outputs, int nFrames) override;

  // The editor's graphics object (owned by the base as its editor); null
  // when the plug-in was made without an editor.
  IGraphics* Graphics() const { return static_cast<IGraphics*>(GetEditor()); }

  // [ui] The overload lamp, without the instance lock: the overload
  // follower's latest value (the lamp lights at 1.0), and the clearing of the
  // output peaks held since the lamp last drew.
  double LampValue() const { return mLampValue.load(std::memory_order_relaxed); }
  void ClearHeldPeaks() {
    mPeakL.store(0.0, std::memory_order_relaxed);
    mPeakR.store(0.0, std::memory_order_relaxed);
    mPeaksCleared.store(true, std::memory_order_relaxed);
  }
  // [audio] For a format that relays the lamp to its host, after it read the
  // lamp value for nFrames more frames of audio: the held output peaks are
  // cleared once per editor frame of audio, as the editor's lamp clears them
  // when it draws, so the lamp goes dark again after an overload.
  void ClearHeldPeaksPerEditorFrame(int nFrames) {
    mFramesSincePeaksCleared += nFrames;
    if (mFramesSincePeaksCleared >= GetSampleRate() / kEditorFrameRate) {
      ClearHeldPeaks();
      mFramesSincePeaksCleared = 0.0;
    }
  }

protected:
  // Shows a lamp value that another instance's signal path measured, on an
  // instance that only shows the editor (a format whose host relays it).
  void ShowLampValue(double value) { mLampValue.store(value, std::memory_order_relaxed); }

  // The editor's value texts for "Attack" and "Sustain"; not owned (the
  // editor's graphics object owns its controls). Null while there is no editor.
  IBitmapTextControl* mAttackText = nullptr;
  IBitmapTextControl* mSustainText = nullptr;

private:
  enum EChannel { kLeft = 0, kRight = 1, kNumChannels = 2 };

  double mGain = 1.0;        // linear output gain
  double mAttackDb = 0.0;    // dB per unit of attack amount
  double mSustainDb = 0.0;   // dB per unit of sustain amount
  double mAttackLink = 0.0;  // 0..1, links the attack amounts and the levels
  double mSustainLink = 0.0; // 0..1

  dsp::AttRelEnvelope* mFastEnv[kNumChannels] = {};
  dsp::AttRelEnvelope* mShortTailEnv[kNumChannels] = {};
  dsp::AttRelEnvelope* mSlowEnv[kNumChannels] = {};
  dsp::AttRelEnvelope* mLongTailEnv[kNumChannels] = {};
  dsp::AttRelEnvelope* mLevelEnv[kNumChannels] = {};
  SidechainFilter* mSidechainFilter = nullptr;  // shared by both channels
  dsp::AttRelEnvelope* mOverloadEnv = nullptr;

  dsp::FollowerStates mStates;
  double mOverloadState = 0.001;
  // Shared with the lamp on the editor's thread, which reads the lamp value
  // and clears the peaks without the instance lock.
  std::atomic<double> mPeakL{0.0};
  std::atomic<double> mPeakR{0.0};
  std::atomic<double> mLampValue{0.0};
  std::atomic<bool> mPeaksCleared{false};  // set by the lamp, taken up by the next frame
  double mFramesSincePeaksCleared = 0.0;   // ClearHeldPeaksPerEditorFrame's count (audio thread)
  static_assert(std::atomic<double>::is_always_lock_free && std::atomic<bool>::is_always_lock_free,
                "the audio thread takes no lock but the instance lock");

  dsp::ShaperScratch mScratch;  // working storage of ProcessBlock
};
