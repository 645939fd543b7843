#include "plugin/EnvelopeFollower.h"

#include <cmath>

namespace dsp {

EnvelopeDetector::EnvelopeDetector(double timeMs) : mTimeMs(timeMs) { EnvelopeDetector::recomputeCoef(); }

EnvelopeDetector::~EnvelopeDetector() = default;

void EnvelopeDetector::setTimeMs(double ms) {
  mTimeMs = ms;
  recomputeCoef();
}

double EnvelopeDetector::timeMs() const { return mTimeMs; }

void EnvelopeDetector::setRate(double hz) {
  mRate = hz;
  recomputeCoef();
}

double EnvelopeDetector::rate() const { return mRate; }

void EnvelopeDetector::recomputeCoef() {
  const double product = mTimeMs * mRate;
  mCoef = std::exp(-1000.0 / product);
}

AttRelEnvelope::AttRelEnvelope() = default;

AttRelEnvelope::~AttRelEnvelope() = default;

void AttRelEnvelope::setAttackMs(double ms) { mAttack.setTimeMs(ms); }

double AttRelEnvelope::attackMs() const { return mAttack.timeMs(); }

void AttRelEnvelope::setReleaseMs(double ms) { mRelease.setTimeMs(ms); }

double AttRelEnvelope::releaseMs() const { return mRelease.timeMs(); }

void AttRelEnvelope::setRate(double hz) {
  mAttack.setRate(hz);
  mRelease.setRate(hz);
}

double AttRelEnvelope::rate() const { return mAttack.rate(); }

}  // namespace dsp
