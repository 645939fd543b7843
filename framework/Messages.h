#pragma once
#include <cstdint>

// A MIDI message with its sample offset within the current block.
struct IMidiMessage {
  int32_t offset = 0;
  uint8_t status = 0;
  uint8_t data1 = 0;
  uint8_t data2 = 0;
};

// A system-exclusive message; the bytes belong to whoever sent it.
struct ISysExMessage {
  int32_t offset = 0;
  int32_t size = 0;
  const uint8_t* data = nullptr;
};

// Host-neutral transport and tempo record. The adapter overwrites only the
// fields for which the host supplies valid data.
struct ITransportInfo {
  double tempo = 0.0;
  double samplePos = 0.0;
  double ppqPos = 0.0;
  double lastBar = 0.0;
  double cycleStart = 0.0;
  double cycleEnd = 0.0;
  int32_t numerator = 0;
  int32_t denominator = 0;
  bool transportIsRunning = false;
  bool transportLoopEnabled = false;
};
