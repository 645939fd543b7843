#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "common/CpuFeatures.h"
#include "plugin/FastExp.h"
#include "plugin/FastExpVector.h"

namespace {

TEST(FastExp, MatchesTheLibraryWithinAFewUlps) {
  std::mt19937_64 rng(20261208);
  std::uniform_real_distribution<double> dist(-700.0, 700.0);
  std::uniform_real_distribution<double> small(-5.0, 5.0);
  // Odd length: the vector tail is handled too.
  std::vector<double> in(10007), out(in.size());
  for (size_t i = 0; i < in.size(); ++i) in[i] = (i % 2) ? dist(rng) : small(rng);
  dsp::ExpArray(in.data(), out.data(), static_cast<int>(in.size()));
  for (size_t i = 0; i < in.size(); ++i) {
    const double want = std::exp(in[i]);
    ASSERT_NEAR(out[i], want, want * 1e-15) << "x = " << in[i];
    ASSERT_EQ(out[i], dsp::Exp(in[i])) << "x = " << in[i];
  }
}

// Arguments across the whole range and beyond, with a NaN at index 5.
std::vector<double> WideRangeArguments() {
  std::mt19937_64 rng(7);
  std::uniform_real_distribution<double> dist(-750.0, 750.0);
  std::vector<double> in(999);
  for (double& x : in) x = dist(rng);
  in[5] = std::nan("");
  return in;
}

// got has want's bits, NaN where the argument is NaN.
void ExpectSameBits(const std::vector<double>& in, const std::vector<double>& got, const std::vector<double>& want,
                    const char* code) {
  EXPECT_TRUE(std::isnan(got[5])) << code;
  for (size_t i = 0; i < in.size(); ++i) {
    if (i == 5) continue;
    ASSERT_EQ(got[i], want[i]) << code << ", x = " << in[i];
  }
}

// The code the dispatcher takes at the current limit.
const char* CodeName() { return CpuHasAvx512() ? "AVX-512 code" : CpuHasAvx2() ? "AVX2 code" : "generic code"; }

// Every code path the dispatcher can choose on this processor, narrowest
// first, gives the generic code's bits.
TEST(FastExp, GenericAndWideRegisterCodeGiveTheSameBits) {
  const std::vector<double> in = WideRangeArguments();
  std::vector<double> generic(in.size());
  LimitCpuLevel(CpuLevel::kGeneric);
  dsp::ExpArray(in.data(), generic.data(), static_cast<int>(in.size()));
  EXPECT_TRUE(std::isnan(generic[5]));
  for (CpuLevel level : {CpuLevel::kAvx2, CpuLevel::kAvx512}) {
    std::vector<double> wide(in.size());
    LimitCpuLevel(level);
    dsp::ExpArray(in.data(), wide.data(), static_cast<int>(in.size()));
    ExpectSameBits(in, wide, generic, CodeName());
  }
  LimitCpuLevel(CpuLevel::kAvx512);
}

// Within +-700 the kernel's shortcut, which adds k to the exponent bits
// instead of multiplying by two powers of two, gives the same bits.
TEST(FastExp, ShortcutNearZeroGivesTheSameBits) {
  std::mt19937_64 rng(11);
  std::uniform_real_distribution<double> dist(-dsp::kNearLimit, dsp::kNearLimit);
  std::vector<double> xs = {-dsp::kNearLimit, dsp::kNearLimit, 0.0, -0.0, 1e-300, -1e-300};
  for (int i = 0; i < 20000; ++i) xs.push_back(i % 2 ? dist(rng) : dist(rng) * 1e-3);
  for (double x : xs) {
    const dsp::V2d v{x, -x};
    const dsp::V2d full = dsp::ExpV<dsp::V2d, dsp::V2u>(v);
    const dsp::V2d near = dsp::ExpNearV<dsp::V2d, dsp::V2u>(v);
    ASSERT_EQ(near[0], full[0]) << "x = " << x;
    ASSERT_EQ(near[1], full[1]) << "x = " << -x;
  }
}

TEST(FastExp, EdgesOfTheRange) {
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_EQ(dsp::Exp(0.0), 1.0);
  EXPECT_EQ(dsp::Exp(-0.0), 1.0);
  EXPECT_EQ(dsp::Exp(710.0), inf);
  EXPECT_EQ(dsp::Exp(1e300), inf);
  EXPECT_EQ(dsp::Exp(inf), inf);
  EXPECT_EQ(dsp::Exp(-746.0), 0.0);
  EXPECT_EQ(dsp::Exp(-inf), 0.0);
  EXPECT_TRUE(std::isnan(dsp::Exp(std::nan(""))));
  EXPECT_NEAR(dsp::Exp(709.7), std::exp(709.7), std::exp(709.7) * 1e-15);
  EXPECT_NEAR(dsp::Exp(-708.3), std::exp(-708.3), std::exp(-708.3) * 1e-15);
}

TEST(FastExp, WorksInPlaceForEveryLength) {
  for (int n = 0; n <= 19; ++n) {
    std::vector<double> data(static_cast<size_t>(n) + 1, 123.0);
    for (int i = 0; i < n; ++i) data[static_cast<size_t>(i)] = 0.25 * i - 2.0;
    dsp::ExpArray(data.data(), data.data(), n);
    for (int i = 0; i < n; ++i) {
      EXPECT_NEAR(data[static_cast<size_t>(i)], std::exp(0.25 * i - 2.0), 1e-14) << n << ":" << i;
    }
    EXPECT_EQ(data[static_cast<size_t>(n)], 123.0) << "wrote past the end, n = " << n;
  }
}

}  // namespace
