#pragma once
// One-pole smoothing for the transient shaper. The classes hold coefficients
// only; the follower states live in the plug-in object, which applies the
// follow step to them.

namespace dsp {

// Turns one time constant (milliseconds) and one sample rate (Hz) into the
// smoothing coefficient exp(-1000 / (timeMs * rate)). A time whose quotient
// overflows to minus infinity, or a product of zero, gives a coefficient of
// exactly 0: the follower then takes its input at once.
class EnvelopeDetector {
public:
  static constexpr double kDefaultRate = 44100.0;

  explicit EnvelopeDetector(double timeMs);

  virtual ~EnvelopeDetector();
  virtual void setTimeMs(double ms);
  virtual double timeMs() const;
  virtual void setRate(double hz);
  virtual double rate() const;
  virtual void recomputeCoef();

  double coef() const { return mCoef; }

private:
  double mRate = kDefaultRate;
  double mTimeMs;
  double mCoef = 0.0;
};

// An attack detector for rising input and a release detector for falling
// input. New objects run at 10 ms attack and 100 ms release at 44100 Hz.
class AttRelEnvelope {
public:
  AttRelEnvelope();

  virtual ~AttRelEnvelope();
  virtual void setAttackMs(double ms);
  virtual double attackMs() const;
  virtual void setReleaseMs(double ms);
  virtual double releaseMs() const;
  virtual void setRate(double hz);  // attack first, then release
  virtual double rate() const;

  double attackCoef() const { return mAttack.coef(); }
  double releaseCoef() const { return mRelease.coef(); }

  // The follow step on a state s held by the caller, for an input x: the
  // attack coefficient while x rises above s, the release coefficient
  // otherwise (also when either is not a number). Difference, product, sum,
  // in this order.
  double follow(double s, double x) const { return Follow(s, x, attackCoef(), releaseCoef()); }

  // The same step with the coefficients given; T is double or a vector of
  // doubles (one follower per lane, chosen lane by lane). Always inlined: it
  // sits in the innermost loops.
  template <class T>
  [[gnu::always_inline]] static T Follow(T s, T x, T attackCoef, T releaseCoef) {
    return (s - x) * (x > s ? attackCoef : releaseCoef) + x;
  }

private:
  EnvelopeDetector mAttack{10.0};
  EnvelopeDetector mRelease{100.0};
};

}  // namespace dsp
