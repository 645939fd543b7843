// The growable buffer, the owning list and the state chunk, as their callers
// use them: contents kept across growth, failures that leave everything as it
// was, and the byte layout stored chunks depend on.
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

// Appending byte by byte keeps every byte written and reallocates only now
// and then: a chunk or list that grows one value at a time stays cheap.
TEST(GrowBuffer, GrowingKeepsTheContentsAndReallocatesRarely) {
  for (int granularity : {GrowBuffer::kDefaultGranularity, GrowBuffer::kTextGranularity}) {
    GrowBuffer b(granularity);
    int reallocations = 0;
    for (int n = 1; n <= 200000; ++n) {
      const int cap = b.Capacity();
      auto* p = static_cast<uint8_t*>(b.Resize(n));
      ASSERT_NE(p, nullptr) << granularity << " " << n;
      ASSERT_EQ(b.Size(), n);
      ASSERT_GE(b.Capacity(), n);
      p[n - 1] = static_cast<uint8_t>(n * 7);
      if (b.Capacity() != cap) ++reallocations;
    }
    EXPECT_LT(reallocations, 40) << granularity;
    const auto* p = static_cast<const uint8_t*>(b.Data());
    for (int n = 1; n <= 200000; ++n) ASSERT_EQ(p[n - 1], static_cast<uint8_t>(n * 7)) << granularity << " " << n;
  }
}

// Memory is given back only when the caller allows it; until then a buffer
// shrunk and grown again within its capacity stays where it is (the audio
// thread relies on that to allocate nothing).
TEST(GrowBuffer, ShrinksOnlyWhenAllowedAndKeepsTheContents) {
  GrowBuffer b;
  auto* p = static_cast<uint8_t*>(b.Resize(100000));
  for (int i = 0; i < 100; ++i) p[i] = static_cast<uint8_t>(i);
  const int cap = b.Capacity();
  EXPECT_EQ(b.Resize(100), p);
  EXPECT_EQ(b.Capacity(), cap);
  EXPECT_EQ(b.Resize(100000), p);
  EXPECT_EQ(b.Resize(100000, true), p);  // the same size changes nothing

  p = static_cast<uint8_t*>(b.Resize(100, true));
  EXPECT_LT(b.Capacity(), cap);
  EXPECT_EQ(b.Size(), 100);
  for (int i = 0; i < 100; ++i) ASSERT_EQ(p[i], i);

  EXPECT_EQ(b.Resize(-3), nullptr);  // a negative size counts as 0
  EXPECT_EQ(b.Size(), 0);
  EXPECT_EQ(b.Resize(0), nullptr);
  EXPECT_EQ(b.Data(), p);  // kept for the next growth
  EXPECT_EQ(b.Resize(10), p);
  EXPECT_EQ(b.Resize(0, true), nullptr);
  EXPECT_EQ(b.Data(), nullptr);
  EXPECT_EQ(b.Capacity(), 0);
}

TEST(GrowBuffer, UnrepresentableSizeFailsAndKeepsEverything) {
  for (int granularity : {GrowBuffer::kDefaultGranularity, GrowBuffer::kTextGranularity}) {
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

// Little-endian values; a text is its int32 length and its characters without
// the NUL. Each Put returns the new size, each Get the position after the value.
TEST(StateChunk, ValuesRoundTripInTheStoredLayout) {
  StateChunk c;
  EXPECT_EQ(c.GetBytes(), nullptr);
  EXPECT_EQ(c.Put(int32_t{0x01020304}), 4);
  EXPECT_EQ(c.Put(uint8_t{200}), 5);
  EXPECT_EQ(c.Put(1.0), 13);
  EXPECT_EQ(c.PutStr("-"), 18);
  EXPECT_EQ(c.PutStr(""), 22);
  EXPECT_EQ(c.PutBytes("xyz", 3), 25);
  EXPECT_EQ(c.PutBytes("q", 0), 25);
  EXPECT_EQ(c.PutBytes(nullptr, 5), 25);
  const std::vector<uint8_t> want = {4, 3, 2, 1, 200, 0, 0, 0, 0, 0, 0, 0xF0, 0x3F,
                                     1, 0, 0, 0, '-', 0, 0, 0, 0, 'x', 'y', 'z'};
  EXPECT_EQ(Bytes(c), want);

  int32_t i = 0;
  uint8_t u = 0;
  double d = 0;
  char s[16] = "junk";
  EXPECT_EQ(c.Get(&i, 0), 4);
  EXPECT_EQ(i, 0x01020304);
  EXPECT_EQ(c.Get(&u, 4), 5);
  EXPECT_EQ(u, 200);
  EXPECT_EQ(c.Get(&d, 5), 13);
  EXPECT_EQ(d, 1.0);
  EXPECT_EQ(c.GetStr(s, sizeof s, 13), 18);
  EXPECT_STREQ(s, "-");
  std::strcpy(s, "junk");
  EXPECT_EQ(c.GetStr(s, sizeof s, 18), 22);
  EXPECT_STREQ(s, "");
}

TEST(StateChunk, ReadsPastTheEndGiveMinusOneAndLeaveTheValue) {
  StateChunk c;
  c.Put(int32_t{5});
  int32_t i = 99;
  double d = 7.0;
  uint8_t u = 3;
  EXPECT_EQ(c.Get(&i, 1), -1);
  EXPECT_EQ(c.Get(&d, 0), -1);
  EXPECT_EQ(c.Get(&u, 4), -1);
  EXPECT_EQ(i, 99);
  EXPECT_EQ(d, 7.0);
  EXPECT_EQ(u, 3);
  EXPECT_EQ(c.Get(&i, -1), -1);
  EXPECT_EQ(c.Get(&u, -5), -1);
  EXPECT_EQ(c.Get(&i, INT_MAX), -1);
  EXPECT_EQ(c.Get(&i, INT_MAX - 2), -1);
  EXPECT_EQ(c.Get(&u, 3), 4);
}

TEST(StateChunk, StringsWithBadLengthsReadAsMinusOne) {
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
  EXPECT_EQ(c.GetStr(s, sizeof s, 0), -1);  // the length itself is cut off
  EXPECT_EQ(c.GetStr(s, sizeof s, -1), -1);
}

TEST(StateChunk, LongStringsAreCutToTheBufferAndSkippedWhole) {
  StateChunk c;
  c.PutStr("abcdefghij");
  c.Put(uint8_t{9});
  char s[4];
  EXPECT_EQ(c.GetStr(s, sizeof s, 0), 14);
  EXPECT_STREQ(s, "abc");
  EXPECT_EQ(c.GetStr(nullptr, 0, 0), 14);
  uint8_t u = 0;
  EXPECT_EQ(c.Get(&u, 14), 15);
  EXPECT_EQ(u, 9);
}

TEST(StateChunk, ResizeZeroesGainedBytesAndRefusedGrowthKeepsTheSize) {
  StateChunk c;
  c.Put(int32_t{-1});
  EXPECT_EQ(c.Resize(2), 4);  // returns the previous size
  EXPECT_EQ(c.Resize(6), 2);
  EXPECT_EQ(Bytes(c), (std::vector<uint8_t>{0xFF, 0xFF, 0, 0, 0, 0}));
  EXPECT_EQ(c.Resize(-4), 6);
  EXPECT_EQ(c.Size(), 0);
  EXPECT_EQ(c.GetBytes(), nullptr);

  c.Put(int32_t{1});
  EXPECT_EQ(c.Resize(INT_MAX), 4);
  EXPECT_EQ(c.Size(), 4);
  char dummy = 0;
  EXPECT_EQ(c.PutBytes(&dummy, INT_MAX - 2), 4);  // 4 + n overflows int32
  EXPECT_EQ(c.Put(2.0), 12);
  c.Clear();
  EXPECT_EQ(c.Size(), 0);
}

// The header: magic 74 66 66 70, then the format version. A chunk without the
// magic reads as version 0 from where it started; one cut off inside the
// version stops the reader.
TEST(StateChunk, Header) {
  StateChunk c;
  c.Put(3.0);
  StateChunk::StartChunk(c);
  EXPECT_EQ(Bytes(c), (std::vector<uint8_t>{0x74, 0x66, 0x66, 0x70, 0x00, 0x00, 0x01, 0x00}));
  int pos = 0;
  EXPECT_EQ(StateChunk::ReadChunkHeader(c, &pos), 0x10000);
  EXPECT_EQ(pos, 8);
  EXPECT_EQ(StateChunk::ReadChunkHeader(c, nullptr), 0);

  StateChunk atOffset;
  atOffset.Put(uint8_t{0});
  atOffset.Put(StateChunk::kMagic);
  atOffset.Put(int32_t{0x20000});
  pos = 1;
  EXPECT_EQ(StateChunk::ReadChunkHeader(atOffset, &pos), 0x20000);
  EXPECT_EQ(pos, 9);

  for (const char* bytes : {"abcdefgh", "tf"}) {
    StateChunk noMagic;
    noMagic.PutBytes(bytes, static_cast<int>(std::strlen(bytes)));
    pos = 0;
    EXPECT_EQ(StateChunk::ReadChunkHeader(noMagic, &pos), 0) << bytes;
    EXPECT_EQ(pos, 0) << bytes;
  }

  StateChunk cutOff;
  cutOff.Put(StateChunk::kMagic);
  cutOff.PutBytes("\x00\x00", 2);
  pos = 0;
  EXPECT_EQ(StateChunk::ReadChunkHeader(cutOff, &pos), 0);
  EXPECT_EQ(pos, -1);
}

}  // namespace
