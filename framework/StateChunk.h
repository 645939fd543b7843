#pragma once
#include <cstdint>
#include "framework/GrowBuffer.h"

// Append-only byte container for plug-in state, read by position. Values are
// stored in native (little-endian) byte order. A read position of -1 means
// the data ran out; every reader stops at the first negative position.
class StateChunk {
public:
  static constexpr int32_t kMagic = 0x70666674;          // bytes 74 66 66 70
  static constexpr int32_t kFormatVersion = 0x00010000;  // bytes 00 00 01 00
  static constexpr int kHeaderSize = 8;

  StateChunk() = default;

  int Size() const { return mBytes.Size(); }
  // The bytes, or null when empty.
  const uint8_t* GetBytes() const;
  uint8_t* GetBytes();
  void Clear();
  // Sets the size to n; bytes gained are zero. Returns the previous size.
  int Resize(int n);

  // Append; each returns the new size (unchanged when the buffer could not grow).
  int Put(int32_t v);
  int Put(uint8_t v);
  int Put(double v);
  int PutBytes(const void* bytes, int n);
  // Appends the int32 length of the text, then its characters without the NUL.
  int PutStr(const char* text);

  // Read at startPos; each returns the position after the value, or -1 (value
  // untouched) when startPos is negative or the value does not fit.
  int Get(int32_t* v, int startPos) const;
  int Get(uint8_t* v, int startPos) const;
  int Get(double* v, int startPos) const;
  // Reads an int32 length n and then n characters into out (outSize bytes,
  // always NUL-terminated, cut to fit). Returns the position after the text, or
  // -1 when the length cannot be read, is negative, or the text does not fit in
  // the chunk; out is then "". A length of 0 gives "" and the position + 4.
  int GetStr(char* out, int outSize, int startPos) const;

  // Clear, then the magic and the format version.
  static void StartChunk(StateChunk& chunk);
  // Reads the header at *pos. Returns the format version and moves *pos past
  // the header; returns 0 and leaves *pos when the magic is missing; returns 0
  // and sets *pos to -1 when the magic is there but the version is cut off.
  static int ReadChunkHeader(const StateChunk& chunk, int* pos);

private:
  GrowBuffer mBytes{GrowBuffer::kDefaultGranularity};
};
