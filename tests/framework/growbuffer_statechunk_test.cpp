// The growable buffer, the owning list and the state chunk.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <vector>

#include "framework/GrowBuffer.h"
#include "framework/OwnedList.h"
#include "framework/StateChunk.h"

namespace {

std::vector<uint8_t> Bytes(const StateChunk& c) {
  const uint8_t* p = c.GetBytes();
  return p ? std::vector<uint8_t>(p, p + c.Size()) : std::vector<uint8_t>();
}

// ---- GrowBuffer ---------------------------------------------------------------

TEST(GrowBuffer, FourBytesWithPageGranularityTake4000) {
  GrowBuffer b(4096);
  EXPECT_NE(b.Resize(4), nullptr);
  EXPECT_EQ(b.Size(), 4);
  EXPECT_EQ(b.Capacity(), 4096 - 96);
}

TEST(GrowBuffer, CapacityRules) {
  GrowBuffer page(4096);
  page.Resize(4);
  page.Resize(4000);
  EXPECT_EQ(page.Capacity(), 4000);  // fits: only the size changes
  page.Resize(4001);
  // e = 4096; (4001 + 96 + 4096) / 4096 * 4096 - 96 = 8096
  EXPECT_EQ(page.Capacity(), 8096);
  page.Resize(100000);
  // e = 50000 -> 49152; (100000 + 96 + 49152) = 149248 -> 147456 - 96
  EXPECT_EQ(page.Capacity(), 147456 - 96);

  GrowBuffer text(128);
  text.Resize(10);
  EXPECT_EQ(text.Capacity(), 10 + 128);
  text.Resize(1000);
  EXPECT_EQ(text.Capacity(), 1000 + 500);
}

TEST(GrowBuffer, ExtraIsCappedAtFourMegabytes) {
  GrowBuffer b(4096);
  b.Resize(20000000);
  // e = 10000000 limited to 4194304; (20000000 + 96 + 4194304) / 4096 * 4096 - 96
  EXPECT_EQ(b.Capacity(), (20000000 + 96 + 4194304) / 4096 * 4096 - 96);
  EXPECT_EQ(b.Size(), 20000000);
}

TEST(GrowBuffer, KeepsContentsWhenGrowing) {
  GrowBuffer b(128);
  auto* p = static_cast<char*>(b.Resize(5));
  std::memcpy(p, "hello", 5);
  p = static_cast<char*>(b.Resize(100000));
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(std::memcmp(p, "hello", 5), 0);
}

TEST(GrowBuffer, ZeroAndNegativeSizes) {
  GrowBuffer b;
  EXPECT_EQ(b.Resize(0), nullptr);
  EXPECT_EQ(b.Size(), 0);
  EXPECT_EQ(b.Capacity(), 0);
  b.Resize(10);
  EXPECT_EQ(b.Resize(-3), nullptr);
  EXPECT_EQ(b.Size(), 0);
  EXPECT_EQ(b.Capacity(), 4000);  // no shrink asked for
  b.Resize(10);
  EXPECT_EQ(b.Resize(0, true), nullptr);
  EXPECT_EQ(b.Capacity(), 0);  // shrinking to 0 frees
  EXPECT_EQ(b.Data(), nullptr);
}

TEST(GrowBuffer, SameSizeChangesNothing) {
  GrowBuffer b;
  void* p = b.Resize(16);
  EXPECT_EQ(b.Resize(16), p);
  EXPECT_EQ(b.Resize(16, true), p);
  EXPECT_EQ(b.Capacity(), 4000);
}

TEST(GrowBuffer, ShrinksOnlyWhenAskedAndWellBelowCapacity) {
  GrowBuffer b(4096);
  b.Resize(100000);
  const int big = b.Capacity();
  b.Resize(90000, true);  // above capacity / 2: stays
  EXPECT_EQ(b.Capacity(), big);
  b.Resize(100, false);
  EXPECT_EQ(b.Capacity(), big);
  b.Resize(100000);
  auto* p = static_cast<uint8_t*>(b.Data());
  for (int i = 0; i < 100; ++i) p[i] = static_cast<uint8_t>(i);
  p = static_cast<uint8_t*>(b.Resize(100, true));
  EXPECT_EQ(b.Capacity(), 4000);
  EXPECT_EQ(b.Size(), 100);
  for (int i = 0; i < 100; ++i) ASSERT_EQ(p[i], i);
}

TEST(GrowBuffer, UnrepresentableSizeFailsAndKeepsEverything) {
  for (int granularity : {4096, 128}) {
    GrowBuffer b(granularity);
    auto* p = static_cast<char*>(b.Resize(3));
    std::memcpy(p, "abc", 3);
    const int cap = b.Capacity();
    EXPECT_EQ(b.Resize(INT_MAX), nullptr) << granularity;
    EXPECT_EQ(b.Resize(INT_MAX - 50), nullptr) << granularity;
    EXPECT_EQ(b.Size(), 3);
    EXPECT_EQ(b.Capacity(), cap);
    EXPECT_EQ(b.Data(), p);
    EXPECT_EQ(std::memcmp(b.Data(), "abc", 3), 0);
  }
}

// ---- OwnedList ----------------------------------------------------------------

struct Tracked {
  explicit Tracked(std::vector<int>* log, int id) : log(log), id(id) {}
  ~Tracked() { log->push_back(id); }
  std::vector<int>* log;
  int id;
};

TEST(OwnedList, GetAndDeleteLastToFirst) {
  std::vector<int> deleted;
  {
    OwnedList<Tracked> list;
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.Get(0), nullptr);
    for (int i = 0; i < 1000; ++i) ASSERT_NE(list.Add(new Tracked(&deleted, i)), nullptr);
    EXPECT_EQ(list.Count(), 1000);
    EXPECT_EQ(list.Get(999)->id, 999);
    EXPECT_EQ(list.Get(1000), nullptr);
    EXPECT_EQ(list.Get(-1), nullptr);
  }
  ASSERT_EQ(deleted.size(), 1000u);
  for (int i = 0; i < 1000; ++i) EXPECT_EQ(deleted[i], 999 - i);
}

// ---- StateChunk ---------------------------------------------------------------

TEST(StateChunk, PutAndGetRoundTrip) {
  StateChunk c;
  EXPECT_EQ(c.GetBytes(), nullptr);
  EXPECT_EQ(c.Put(int32_t{-7}), 4);
  EXPECT_EQ(c.Put(uint8_t{200}), 5);
  EXPECT_EQ(c.Put(2.5), 13);
  EXPECT_EQ(c.PutBytes("xyz", 3), 16);
  EXPECT_EQ(c.PutStr("name"), 24);
  EXPECT_EQ(c.PutStr(""), 28);
  EXPECT_EQ(c.PutBytes("q", 0), 28);
  EXPECT_EQ(c.PutBytes(nullptr, 5), 28);

  int32_t i = 0;
  uint8_t u = 0;
  double d = 0;
  char s[16];
  EXPECT_EQ(c.Get(&i, 0), 4);
  EXPECT_EQ(i, -7);
  EXPECT_EQ(c.Get(&u, 4), 5);
  EXPECT_EQ(u, 200);
  EXPECT_EQ(c.Get(&d, 5), 13);
  EXPECT_EQ(d, 2.5);
  EXPECT_EQ(c.GetStr(s, sizeof s, 16), 24);
  EXPECT_STREQ(s, "name");
  EXPECT_EQ(c.GetStr(s, sizeof s, 24), 28);
  EXPECT_STREQ(s, "");
}

TEST(StateChunk, LittleEndianBytes) {
  StateChunk c;
  c.Put(int32_t{0x01020304});
  c.Put(1.0);
  c.PutStr("-");
  const std::vector<uint8_t> want = {0x04, 0x03, 0x02, 0x01, 0, 0, 0, 0, 0, 0, 0xF0, 0x3F, 1, 0, 0, 0, '-'};
  EXPECT_EQ(Bytes(c), want);
}

TEST(StateChunk, ReadsPastTheEndFailAndLeaveTheValue) {
  StateChunk c;
  c.Put(int32_t{5});
  int32_t i = 99;
  double d = 7.0;
  uint8_t u = 3;
  EXPECT_EQ(c.Get(&i, 1), -1);
  EXPECT_EQ(i, 99);
  EXPECT_EQ(c.Get(&d, 0), -1);
  EXPECT_EQ(d, 7.0);
  EXPECT_EQ(c.Get(&u, 4), -1);
  EXPECT_EQ(u, 3);
  EXPECT_EQ(c.Get(&i, -1), -1);
  EXPECT_EQ(c.Get(&u, -5), -1);
  EXPECT_EQ(c.Get(&i, INT_MAX), -1);
  EXPECT_EQ(c.Get(&i, INT_MAX - 2), -1);
  EXPECT_EQ(c.Get(&u, 3), 4);
}

TEST(StateChunk, GetStrZeroLength) {
  StateChunk c;
  c.Put(int32_t{0});
  char s[8] = "junk";
  EXPECT_EQ(c.GetStr(s, sizeof s, 0), 4);
  EXPECT_STREQ(s, "");
}

TEST(StateChunk, GetStrNegativeOrOversizedLengthFails) {
  for (int32_t n : {-1, INT32_MIN, 5, 0x7FFFFFF0, INT32_MAX, INT32_MAX - 3}) {
    StateChunk c;
    c.Put(n);
    c.PutBytes("abcd", 4);
    char s[8] = "junk";
    EXPECT_EQ(c.GetStr(s, sizeof s, 0), -1) << n;
    EXPECT_STREQ(s, "") << n;
  }
  StateChunk c;
  c.PutBytes("ab", 2);
  char s[8];
  EXPECT_EQ(c.GetStr(s, sizeof s, 0), -1);  // length cut off
  EXPECT_EQ(c.GetStr(s, sizeof s, -1), -1);
}

TEST(StateChunk, GetStrCutsLongTexts) {
  StateChunk c;
  c.PutStr("abcdefghij");
  c.Put(uint8_t{9});
  char s[4];
  EXPECT_EQ(c.GetStr(s, sizeof s, 0), 14);  // the whole text is skipped
  EXPECT_STREQ(s, "abc");
  EXPECT_EQ(c.GetStr(nullptr, 0, 0), 14);
  uint8_t u = 0;
  EXPECT_EQ(c.Get(&u, 14), 15);
  EXPECT_EQ(u, 9);
}

TEST(StateChunk, ResizeZeroesGainedBytes) {
  StateChunk c;
  c.Put(int32_t{-1});
  EXPECT_EQ(c.Resize(2), 4);
  EXPECT_EQ(c.Size(), 2);
  EXPECT_EQ(c.Resize(6), 2);
  EXPECT_EQ(Bytes(c), (std::vector<uint8_t>{0xFF, 0xFF, 0, 0, 0, 0}));
  EXPECT_EQ(c.Resize(-4), 6);
  EXPECT_EQ(c.Size(), 0);
  EXPECT_EQ(c.GetBytes(), nullptr);
  c.Put(uint8_t{1});
  c.Clear();
  EXPECT_EQ(c.Size(), 0);
}

TEST(StateChunk, FailedGrowthKeepsSize) {
  StateChunk c;
  c.Put(int32_t{1});
  EXPECT_EQ(c.Resize(INT_MAX), 4);
  EXPECT_EQ(c.Size(), 4);
  char dummy = 0;
  EXPECT_EQ(c.PutBytes(&dummy, INT_MAX - 2), 4);  // 4 + n overflows int32
  EXPECT_EQ(c.Size(), 4);
  EXPECT_EQ(c.Put(2.0), 12);
}

TEST(StateChunk, HeaderBytes) {
  StateChunk c;
  c.Put(3.0);
  StateChunk::StartChunk(c);
  EXPECT_EQ(Bytes(c), (std::vector<uint8_t>{0x74, 0x66, 0x66, 0x70, 0x00, 0x00, 0x01, 0x00}));
  int pos = 0;
  EXPECT_EQ(StateChunk::ReadChunkHeader(c, &pos), 0x10000);
  EXPECT_EQ(pos, 8);
}

TEST(StateChunk, ReadChunkHeaderWithoutMagic) {
  StateChunk c;
  c.PutBytes("abcdefgh", 8);
  int pos = 0;
  EXPECT_EQ(StateChunk::ReadChunkHeader(c, &pos), 0);
  EXPECT_EQ(pos, 0);
  StateChunk shortChunk;
  shortChunk.PutBytes("tf", 2);
  EXPECT_EQ(StateChunk::ReadChunkHeader(shortChunk, &pos), 0);
  EXPECT_EQ(pos, 0);
  EXPECT_EQ(StateChunk::ReadChunkHeader(c, nullptr), 0);
}

TEST(StateChunk, ReadChunkHeaderWithVersionCutOff) {
  StateChunk c;
  c.Put(StateChunk::kMagic);
  c.PutBytes("\x00\x00", 2);
  int pos = 0;
  EXPECT_EQ(StateChunk::ReadChunkHeader(c, &pos), 0);
  EXPECT_EQ(pos, -1);
}

TEST(StateChunk, ReadChunkHeaderAtAnOffset) {
  StateChunk c;
  c.Put(uint8_t{0});
  c.Put(StateChunk::kMagic);
  c.Put(int32_t{0x20000});
  int pos = 1;
  EXPECT_EQ(StateChunk::ReadChunkHeader(c, &pos), 0x20000);
  EXPECT_EQ(pos, 9);
}

}  // namespace
