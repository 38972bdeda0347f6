// SPDX-License-Identifier: MIT
// The replay file: a header (magic, format version, game version, data
// checksum, checksum interval), the records as tag bytes with variable-length
// integers (clock readings as differences from the previous reading of the
// same clock, so a frame costs a few bytes), and a trailer with the record
// count and a checksum of everything before it. The reader trusts nothing:
// a file that is cut short, altered or foreign is refused, never half-read.
#include "replay_codec.h"

#include <cstring>

namespace host {
namespace replay {

namespace {

const char kMagic[8] = {'G', 'L', 'R', 'B', 'R', 'P', 'L', 'Y'};
constexpr uint8_t kEndTag = 0xFF;
constexpr size_t kMaxVersionLength = 64;
constexpr uint64_t kMaxFileContent = 1 << 20;
constexpr uint8_t kLastEventType = static_cast<uint8_t>(EventType::PadButton);

const char* const kKindNames[] = {"?",
                                  "event pump",
                                  "input event",
                                  "performance counter",
                                  "millisecond clock",
                                  "host clock",
                                  "window focus",
                                  "window minimised",
                                  "desktop mode",
                                  "sound device",
                                  "frame mark",
                                  "frame mark with checksum",
                                  "saved file"};

uint64_t ZigZag(int64_t v) {
  return (static_cast<uint64_t>(v) << 1) ^ static_cast<uint64_t>(v >> 63);
}
int64_t UnZigZag(uint64_t u) {
  return static_cast<int64_t>(u >> 1) ^ -static_cast<int64_t>(u & 1);
}

bool IsClock(Kind k) {
  return k == Kind::Counter || k == Kind::Milliseconds || k == Kind::Ticks;
}

// Bounded reading of the bytes; any overrun or bad value sets `bad`.
struct Reader {
  const uint8_t* p = nullptr;
  const uint8_t* end = nullptr;
  bool bad = false;

  uint8_t Byte() {
    if (p >= end) {
      bad = true;
      return 0;
    }
    return *p++;
  }
  uint64_t Var() {
    uint64_t v = 0;
    for (int shift = 0; shift < 64; shift += 7) {
      uint8_t b = Byte();
      v |= static_cast<uint64_t>(b & 0x7F) << shift;
      if (!(b & 0x80)) return v;
    }
    bad = true;
    return 0;
  }
  int64_t Signed() { return UnZigZag(Var()); }
  int32_t Int32() {
    int64_t v = Signed();
    if (v < INT32_MIN || v > INT32_MAX) bad = true;
    return static_cast<int32_t>(v);
  }
  uint32_t U32() {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(Byte()) << (8 * i);
    return v;
  }
};

void PutU32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void PutEvent(std::vector<uint8_t>& out, const Event& e) {
  out.push_back(static_cast<uint8_t>(e.type));
  PutVar(out, e.time);
  PutVar(out, e.key);
  PutVar(out, e.mods);
  out.push_back(static_cast<uint8_t>((e.repeat ? 1 : 0) | (e.down ? 2 : 0)));
  out.push_back(e.button);
  for (int32_t v : {e.device, e.a, e.b, e.dx, e.dy}) PutVar(out, ZigZag(v));
  size_t length = strnlen(e.text, sizeof e.text - 1);
  out.push_back(static_cast<uint8_t>(length));
  out.insert(out.end(), e.text, e.text + length);
}

bool GetEvent(Reader& r, Event& e) {
  e = Event();
  uint8_t type = r.Byte();
  if (type == 0 || type > kLastEventType) return false;
  e.type = static_cast<EventType>(type);
  uint64_t time = r.Var(), key = r.Var(), mods = r.Var();
  if (time > UINT32_MAX || key > UINT16_MAX || mods > UINT16_MAX) return false;
  e.time = static_cast<uint32_t>(time);
  e.key = static_cast<uint16_t>(key);
  e.mods = static_cast<uint16_t>(mods);
  uint8_t flags = r.Byte();
  if (flags > 3) return false;
  e.repeat = flags & 1;
  e.down = (flags & 2) != 0;
  e.button = r.Byte();
  for (int32_t* v : {&e.device, &e.a, &e.b, &e.dx, &e.dy}) *v = r.Int32();
  uint8_t length = r.Byte();
  if (length >= sizeof e.text || r.bad || static_cast<size_t>(r.end - r.p) < length) return false;
  std::memcpy(e.text, r.p, length);
  r.p += length;
  return !r.bad;
}

}  // namespace

void PutVar(std::vector<uint8_t>& out, uint64_t v) {
  while (v >= 0x80) {
    out.push_back(static_cast<uint8_t>(v | 0x80));
    v >>= 7;
  }
  out.push_back(static_cast<uint8_t>(v));
}

uint32_t Fnv1a(uint32_t hash, const void* data, size_t size) {
  const uint8_t* p = static_cast<const uint8_t*>(data);
  for (size_t i = 0; i < size; ++i) hash = (hash ^ p[i]) * 16777619u;
  return hash;
}

const char* KindName(Kind kind) {
  size_t k = static_cast<size_t>(kind);
  return k < sizeof kKindNames / sizeof kKindNames[0] ? kKindNames[k] : "?";
}

void Encoder::Header(const ReplayFile& file, std::vector<uint8_t>& out) {
  out.insert(out.end(), kMagic, kMagic + sizeof kMagic);
  out.push_back(static_cast<uint8_t>(file.formatVersion));
  out.push_back(static_cast<uint8_t>(file.formatVersion >> 8));
  size_t length = file.gameVersion.size() < kMaxVersionLength ? file.gameVersion.size() : kMaxVersionLength;
  out.push_back(static_cast<uint8_t>(length));
  out.insert(out.end(), file.gameVersion.begin(), file.gameVersion.begin() + length);
  PutU32(out, file.dataChecksum);
  PutVar(out, file.checkInterval);
}

void Encoder::Put(const Record& r, std::vector<uint8_t>& out) {
  ++count_;
  out.push_back(static_cast<uint8_t>(r.kind));
  if (IsClock(r.kind)) {
    int64_t& last = lastClock_[static_cast<size_t>(r.kind) - static_cast<size_t>(Kind::Counter)];
    PutVar(out, ZigZag(static_cast<int64_t>(static_cast<uint64_t>(r.value) - static_cast<uint64_t>(last))));
    last = r.value;
  } else if (r.kind == Kind::Event) {
    PutEvent(out, r.event);
  } else if (r.kind == Kind::DesktopMode) {
    for (int v : {r.mode.w, r.mode.h, r.mode.refresh, r.mode.bitsPerPixel}) PutVar(out, ZigZag(v));
  } else if (r.kind == Kind::FrameCheck) {
    PutU32(out, static_cast<uint32_t>(r.value));
  } else if (r.kind == Kind::File) {
    PutVar(out, r.value != 0);
    PutVar(out, r.content.size());
    out.insert(out.end(), r.content.begin(), r.content.end());
  } else if (r.kind != Kind::Frame) {
    PutVar(out, static_cast<uint64_t>(r.value));
  }
}

void Encoder::Trailer(uint32_t checksumSoFar, std::vector<uint8_t>& out) {
  out.push_back(kEndTag);
  PutVar(out, count_);
  // The checksum covers the end tag and count too.
  PutU32(out, Fnv1a(checksumSoFar, out.data() + out.size() - (1 + VarLength(count_)), 1 + VarLength(count_)));
}

size_t VarLength(uint64_t v) {
  size_t n = 1;
  while (v >= 0x80) v >>= 7, ++n;
  return n;
}

std::vector<uint8_t> WriteReplay(const ReplayFile& file) {
  std::vector<uint8_t> out;
  Encoder encoder;
  encoder.Header(file, out);
  for (const Record& r : file.records) encoder.Put(r, out);
  encoder.Trailer(Fnv1a(kFnvBasis, out.data(), out.size()), out);
  return out;
}

namespace {

bool Refuse(std::string* why, const std::string& reason) {
  if (why) *why = reason;
  return false;
}

// One record after its tag; false for a value out of its range.
bool GetRecord(Reader& r, Kind kind, int64_t lastClock[3], Record& out) {
  out = Record();
  out.kind = kind;
  if (IsClock(kind)) {
    int64_t& last = lastClock[static_cast<size_t>(kind) - static_cast<size_t>(Kind::Counter)];
    last = static_cast<int64_t>(static_cast<uint64_t>(last) + static_cast<uint64_t>(r.Signed()));
    out.value = last;
    return !r.bad;
  }
  switch (kind) {
    case Kind::Event:
      return GetEvent(r, out.event);
    case Kind::DesktopMode:
      for (int* v : {&out.mode.w, &out.mode.h, &out.mode.refresh, &out.mode.bitsPerPixel}) *v = r.Int32();
      return !r.bad;
    case Kind::FrameCheck:
      out.value = r.U32();
      return !r.bad;
    case Kind::Frame:
      return true;
    case Kind::File: {
      out.value = static_cast<int64_t>(r.Var());
      const uint64_t length = r.Var();
      if (r.bad || out.value > 1 || length > kMaxFileContent || length > static_cast<uint64_t>(r.end - r.p))
        return false;
      out.content.assign(reinterpret_cast<const char*>(r.p), static_cast<size_t>(length));
      r.p += length;
      return true;
    }
    case Kind::Focus:
    case Kind::Minimized:
    case Kind::SoundDevice:
      out.value = static_cast<int64_t>(r.Var());
      return !r.bad && out.value <= 1;
    case Kind::Pump:
      out.value = static_cast<int64_t>(r.Var());
      return !r.bad;
    default:
      return false;
  }
}

}  // namespace

bool ReadReplay(const uint8_t* data, size_t size, ReplayFile* out, std::string* why) {
  *out = ReplayFile();
  if (size < sizeof kMagic + 2 || std::memcmp(data, kMagic, sizeof kMagic) != 0)
    return Refuse(why, "not a Glorbs3D replay file");
  Reader r{data + sizeof kMagic, data + size};
  const uint8_t low = r.Byte();  // two statements: the order of reading matters
  out->formatVersion = static_cast<uint16_t>(low | (r.Byte() << 8));
  if (out->formatVersion != kFormatVersion)
    return Refuse(why, "replay format version " + std::to_string(out->formatVersion) +
                           ", this program reads " + std::to_string(kFormatVersion));
  // The trailer: end tag, record count, and the checksum of all before it.
  if (size < 5) return Refuse(why, "the replay file is cut short");
  const uint8_t* tail = data + size - 4;
  Reader sum{tail, data + size};
  if (sum.U32() != Fnv1a(kFnvBasis, data, size - 4))
    return Refuse(why, "the replay file is damaged or cut short (its checksum does not match)");
  r.end = tail;
  size_t length = r.Byte();
  if (r.bad || length > kMaxVersionLength || static_cast<size_t>(r.end - r.p) < length)
    return Refuse(why, "the replay file's header is damaged");
  out->gameVersion.assign(reinterpret_cast<const char*>(r.p), length);
  r.p += length;
  out->dataChecksum = r.U32();
  uint64_t interval = r.Var();
  if (r.bad || interval == 0 || interval > 1000000) return Refuse(why, "the replay file's header is damaged");
  out->checkInterval = static_cast<uint32_t>(interval);
  int64_t lastClock[3] = {0, 0, 0};
  uint64_t pumpedEvents = 0;
  while (true) {
    uint8_t tag = r.Byte();
    if (r.bad) return Refuse(why, "the replay file ends without its end mark");
    if (tag == kEndTag) break;
    Record record;
    if (!GetRecord(r, static_cast<Kind>(tag), lastClock, record))
      return Refuse(why, "damaged record " + std::to_string(out->records.size()) + " in the replay file");
    // A pump's end counts the events it delivered since the previous one.
    if (record.kind == Kind::Event) ++pumpedEvents;
    if (record.kind == Kind::Pump) {
      if (static_cast<uint64_t>(record.value) != pumpedEvents)
        return Refuse(why, "damaged record " + std::to_string(out->records.size()) + " in the replay file");
      pumpedEvents = 0;
    }
    out->records.push_back(record);
  }
  uint64_t count = r.Var();
  if (r.bad || r.p != r.end || count != out->records.size() || pumpedEvents != 0)
    return Refuse(why, "the replay file's end mark is damaged");
  return true;
}

}  // namespace replay
}  // namespace host
