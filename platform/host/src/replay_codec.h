// SPDX-License-Identifier: MIT
// Internals of the replay file shared by its reader/writer and the session:
// the streaming encoder (the recorder writes as it goes) and the checksum.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "host/replay.h"

namespace host {
namespace replay {

constexpr uint32_t kFnvBasis = 2166136261u;
uint32_t Fnv1a(uint32_t hash, const void* data, size_t size);
void PutVar(std::vector<uint8_t>& out, uint64_t v);
size_t VarLength(uint64_t v);

// Appends the file's parts to a byte buffer; clock readings are written as
// differences from the previous reading of the same clock.
class Encoder {
 public:
  void Header(const ReplayFile& file, std::vector<uint8_t>& out);
  void Put(const Record& record, std::vector<uint8_t>& out);
  // `checksumSoFar` covers every byte written before the trailer.
  void Trailer(uint32_t checksumSoFar, std::vector<uint8_t>& out);

 private:
  int64_t lastClock_[3] = {0, 0, 0};
  uint64_t count_ = 0;
};

// Host's part of the session: the event pump records what it delivers, and
// while playing delivers the recorded events instead of the desktop's.
bool PlayingBack();
// Returns the event to deliver: a recording on a tool's clock stamps events
// with that clock's time, so that the same game records the same bytes.
Event NoteDeliveredEvent(const Event& event);
// Recording: a pump begins and ends. Playing: the recorded events of the
// next pump, handed one by one to `deliver`; returns how many.
// `waitMs` is the pump's: below 0 it waits for an event.
void BeginPump(int waitMs);
void EndPump();
int PlayPump(void (*deliver)(const Event&));

}  // namespace replay
}  // namespace host
