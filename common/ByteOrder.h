#pragma once
// Whether this machine stores a 32-bit word least significant byte first.
#include <cstdint>
#include <cstring>

inline bool LittleEndianMachine() {
  const uint32_t probe = 1;
  unsigned char first;
  std::memcpy(&first, &probe, 1);
  return first == 1;
}
