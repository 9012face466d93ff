#include "data/index_seal.h"

#include <time.h>

#include <cstring>
#include <string>

namespace eng {

namespace {

constexpr char kSealTag[] = "user.ixseal";
constexpr char kSealMagic[8] = {'I', 'X', 'S', 'E', 'A', 'L', 0, 2};

constexpr uint64_t kP1 = 0x9E3779B185EBCA87ull;
constexpr uint64_t kP2 = 0xC2B2AE3D27D4EB4Full;

uint64_t Rotl(uint64_t v, int s) { return (v << s) | (v >> (64 - s)); }

uint64_t Load64(const char* p) {
  uint64_t v;
  std::memcpy(&v, p, 8);
  return v;
}

uint64_t Round(uint64_t acc, uint64_t v) { return Rotl(acc + v * kP2, 31) * kP1; }

int64_t SystemCoarseNow() {
  timespec t;
  ::clock_gettime(CLOCK_REALTIME_COARSE, &t);
  return int64_t(t.tv_sec) * 1000000000 + t.tv_nsec;
}

int64_t (*g_now)() = &SystemCoarseNow;

// The seal: magic, the index bytes' hash, the record count, then the record
// file's device, inode, size, modification and change times.
constexpr size_t kSealSize = 64;

std::string SealOf(std::string_view bytes, int64_t count, const BlockFile::Stamp& st) {
  std::string seal(kSealMagic, 8);
  const uint64_t v[7] = {ContentHash(bytes), uint64_t(count),       st.device,          st.inode,
                         uint64_t(st.size),  uint64_t(st.modified_ns), uint64_t(st.changed_ns)};
  seal.append(reinterpret_cast<const char*>(v), sizeof v);
  return seal;
}

// The step of the file system's clock as far as a time shows it: a time
// with no digits below the second comes from a file system that keeps whole
// seconds (or hundredths, and so on).
int64_t StepOf(int64_t ns) {
  int64_t step = 1;
  while (step < 1000000000 && ns % (step * 10) == 0) step *= 10;
  return step;
}

}  // namespace

uint64_t ContentHash(std::string_view bytes) {
  // Four lanes of 8-byte words, so that the multiplications overlap.
  const char* p = bytes.data();
  size_t n = bytes.size();
  uint64_t a = kP1 + kP2, b = kP2, c = 0, d = 0 - kP1;
  // Each lane step (xor, multiply by an odd number, rotate) is one to one,
  // so a change to any one word always changes its lane.
  for (; n >= 32; p += 32, n -= 32) {
    a = Rotl((a ^ Load64(p)) * kP1, 29);
    b = Rotl((b ^ Load64(p + 8)) * kP1, 29);
    c = Rotl((c ^ Load64(p + 16)) * kP1, 29);
    d = Rotl((d ^ Load64(p + 24)) * kP1, 29);
  }
  uint64_t h = Rotl(a, 1) + Rotl(b, 7) + Rotl(c, 12) + Rotl(d, 18) + uint64_t(bytes.size());
  for (; n >= 8; p += 8, n -= 8) h = Rotl(h ^ Round(0, Load64(p)), 27) * kP1 + kP2;
  for (; n > 0; ++p, --n) h = Rotl(h ^ (uint8_t(*p) * kP1), 11) * kP2;
  h ^= h >> 33;
  h *= kP2;
  h ^= h >> 29;
  return h;
}

bool IndexSealWrite(BlockFile& index, std::string_view bytes, DataRecordFile& records) {
  BlockFile::Stamp st;
  const int64_t count = records.Count();
  if (count < 0 || !records.File().GetStamp(&st)) return false;
  // A change within the clock's present step could leave the change time
  // as it is now: no seal until the clock has moved on.
  if (st.changed_ns + StepOf(st.changed_ns) > g_now()) return false;
  return index.SetTag(kSealTag, SealOf(bytes, count, st));
}

bool IndexSealHolds(const BlockFile& index, std::string_view bytes, DataRecordFile& records) {
  std::string seal;
  if (!index.GetTag(kSealTag, &seal) || seal.size() != kSealSize || std::memcmp(seal.data(), kSealMagic, 8) != 0)
    return false;
  BlockFile::Stamp st;
  const int64_t count = records.Count();
  if (count < 0 || !records.File().GetStamp(&st)) return false;
  return seal == SealOf(bytes, count, st);
}

bool IndexSealRemove(BlockFile& index) {
  bool was = false;
  if (!index.RemoveTag(kSealTag, &was)) return false;
  return !was || index.Sync();
}

void IndexSealSetClock(int64_t (*now_ns)()) { g_now = now_ns ? now_ns : &SystemCoarseNow; }

}  // namespace eng
