#include "framework/StateChunk.h"

#include <cstring>

const uint8_t* StateChunk::GetBytes() const {
  return mBytes.Size() > 0 ? static_cast<const uint8_t*>(mBytes.Data()) : nullptr;
}

uint8_t* StateChunk::GetBytes() {
  return mBytes.Size() > 0 ? static_cast<uint8_t*>(mBytes.Data()) : nullptr;
}

void StateChunk::Clear() { mBytes.Resize(0); }

int StateChunk::Resize(int n) {
  const int old = mBytes.Size();
  if (n < 0) n = 0;
  mBytes.Resize(n);
  const int now = mBytes.Size();
  if (now > old) std::memset(static_cast<uint8_t*>(mBytes.Data()) + old, 0, static_cast<size_t>(now - old));
  return old;
}

int StateChunk::PutBytes(const void* bytes, int n) {
  const int old = mBytes.Size();
  if (n <= 0 || !bytes) return old;
  const int64_t want = static_cast<int64_t>(old) + n;
  if (want > INT32_MAX) return old;
  if (!mBytes.Resize(static_cast<int>(want)) || mBytes.Size() != want) return mBytes.Size();
  std::memcpy(static_cast<uint8_t*>(mBytes.Data()) + old, bytes, static_cast<size_t>(n));
  return mBytes.Size();
}

int StateChunk::Put(int32_t v) { return PutBytes(&v, sizeof v); }
int StateChunk::Put(uint8_t v) { return PutBytes(&v, sizeof v); }
int StateChunk::Put(double v) { return PutBytes(&v, sizeof v); }

int StateChunk::PutStr(const char* text) {
  const size_t len = text ? std::strlen(text) : 0;
  if (len > static_cast<size_t>(INT32_MAX - 4)) return Size();
  const int old = Size();
  const int32_t n = static_cast<int32_t>(len);
  if (Put(n) != old + 4) return Size();
  if (n == 0) return Size();
  if (PutBytes(text, n) != old + 4 + n) {
    Resize(old);  // a half-written string would misread every value after it
    return Size();
  }
  return Size();
}

namespace {
// Position after a value of `bytes` bytes at startPos, or -1.
int EndOf(int startPos, int64_t bytes, int size) {
  if (startPos < 0 || bytes < 0) return -1;
  const int64_t end = static_cast<int64_t>(startPos) + bytes;
  return end <= size ? static_cast<int>(end) : -1;
}
}  // namespace

int StateChunk::Get(int32_t* v, int startPos) const {
  const int end = EndOf(startPos, sizeof *v, Size());
  if (end < 0 || !v) return -1;
  std::memcpy(v, GetBytes() + startPos, sizeof *v);
  return end;
}

int StateChunk::Get(uint8_t* v, int startPos) const {
  const int end = EndOf(startPos, sizeof *v, Size());
  if (end < 0 || !v) return -1;
  *v = GetBytes()[startPos];
  return end;
}

int StateChunk::Get(double* v, int startPos) const {
  const int end = EndOf(startPos, sizeof *v, Size());
  if (end < 0 || !v) return -1;
  std::memcpy(v, GetBytes() + startPos, sizeof *v);
  return end;
}

int StateChunk::GetStr(char* out, int outSize, int startPos) const {
  const bool canWrite = out && outSize > 0;
  if (canWrite) out[0] = '\0';
  int32_t n = 0;
  const int textPos = Get(&n, startPos);
  if (textPos < 0 || n < 0) return -1;
  const int end = EndOf(textPos, n, Size());
  if (end < 0) return -1;
  if (canWrite && n > 0) {
    const int copy = n < outSize - 1 ? n : outSize - 1;
    std::memcpy(out, GetBytes() + textPos, static_cast<size_t>(copy));
    out[copy] = '\0';
  }
  return end;
}

void StateChunk::StartChunk(StateChunk& chunk) {
  chunk.Clear();
  chunk.Put(kMagic);
  chunk.Put(kFormatVersion);
}

int StateChunk::ReadChunkHeader(const StateChunk& chunk, int* pos) {
  if (!pos) return 0;
  int32_t magic = 0;
  const int afterMagic = chunk.Get(&magic, *pos);
  if (afterMagic < 0 || magic != kMagic) return 0;
  int32_t version = 0;
  const int afterVersion = chunk.Get(&version, afterMagic);
  if (afterVersion < 0) {
    *pos = -1;
    return 0;
  }
  *pos = afterVersion;
  return version;
}
