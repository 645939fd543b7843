#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "plugin/EnvelopeFollower.h"

namespace {

using dsp::AttRelEnvelope;
using dsp::EnvelopeDetector;

constexpr double kInstantMs = 2.2250738585072014e-308;

TEST(EnvelopeDetector, CoefficientTableAt44100) {
  struct Row {
    double ms;
    double coef;
  };
  const Row rows[] = {
      {kInstantMs, 0.0},
      {0.1, 0.7971141629458125},
      {1, 0.9775794252591526},
      {2, 0.988726162928418},
      {7, 0.9967658501715917},
      {10, 0.9977349953069204},
      {15, 0.99848942626933},
      {22, 0.9989698156881484},
      {35, 0.9993523316288649},
      {75, 0.9996977025416011},
      {100, 0.9997732683378947},
      {150, 0.9998488398461045},
      {500, 0.9999546495544397},
      {600, 0.9999622078192067},
      {750, 0.9999697661411038},
      {850, 0.9999733230182353},
  };
  for (const Row& row : rows) {
    EnvelopeDetector det(row.ms);
    EXPECT_DOUBLE_EQ(det.coef(), row.coef) << row.ms << " ms";
    det.setTimeMs(1.0);
    det.setTimeMs(row.ms);
    EXPECT_DOUBLE_EQ(det.coef(), row.coef) << row.ms << " ms, set later";
  }
}

TEST(EnvelopeDetector, InstantTimeAndZeroProductGiveExactlyZero) {
  EnvelopeDetector det(kInstantMs);
  EXPECT_EQ(det.coef(), 0.0);
  det.setTimeMs(0.0);
  EXPECT_EQ(det.coef(), 0.0);
  det.setTimeMs(10.0);
  det.setRate(0.0);
  EXPECT_EQ(det.coef(), 0.0);
}

TEST(AttRelEnvelope, NewObjectRunsAt10And100MsAt44100) {
  AttRelEnvelope env;
  EXPECT_EQ(env.attackMs(), 10.0);
  EXPECT_EQ(env.releaseMs(), 100.0);
  EXPECT_EQ(env.rate(), 44100.0);
  EXPECT_DOUBLE_EQ(env.attackCoef(), 0.9977349953069204);
  EXPECT_DOUBLE_EQ(env.releaseCoef(), 0.9997732683378947);
}

TEST(AttRelEnvelope, SetRateRecomputesBothCoefficients) {
  AttRelEnvelope env;
  env.setRate(48000.0);
  EXPECT_EQ(env.rate(), 48000.0);
  EXPECT_DOUBLE_EQ(env.attackCoef(), std::exp(-1000.0 / 480000.0));
  EXPECT_DOUBLE_EQ(env.releaseCoef(), std::exp(-1000.0 / 4800000.0));
  // Times set afterwards use the stored rate.
  env.setAttackMs(20.0);
  EXPECT_DOUBLE_EQ(env.attackCoef(), std::exp(-1000.0 / 960000.0));
}

TEST(AttRelEnvelope, InstantAttackReachesTheInputInOneStep) {
  AttRelEnvelope env;
  env.setAttackMs(kInstantMs);
  env.setReleaseMs(35.0);
  env.setRate(44100.0);
  EXPECT_EQ(env.follow(0.001, 0.5), 0.5);
  // Falling input decays with the release coefficient.
  EXPECT_DOUBLE_EQ(env.follow(0.5, 0.0), 0.5 * 0.9993523316288649);
}

TEST(AttRelEnvelope, FollowStepUsesAttackWhenRisingAndReleaseOtherwise) {
  AttRelEnvelope env;
  const double a = env.attackCoef();
  const double r = env.releaseCoef();
  EXPECT_EQ(env.follow(0.25, 1.0), (0.25 - 1.0) * a + 1.0);
  EXPECT_EQ(env.follow(1.0, 0.25), (1.0 - 0.25) * r + 0.25);
  // Equal input and state: the release branch, and the state does not move.
  EXPECT_EQ(env.follow(0.3, 0.3), 0.3);
  env.setReleaseMs(0.0);  // release coefficient 0: any release step lands on x
  EXPECT_EQ(env.follow(0.3, 0.3), 0.3);
  EXPECT_EQ(env.follow(0.3, 0.1), 0.1);
  // A NaN input takes the release branch.
  EXPECT_TRUE(std::isnan(env.follow(0.3, std::nan(""))));
}

}  // namespace
