#include "data/index_seal.h"

#include <cstring>
#include <string>

namespace eng {

namespace {

constexpr char kSealTag[] = "user.ixseal";
constexpr char kSealMagic[8] = {'I', 'X', 'S', 'E', 'A', 'L', 0, 1};

constexpr uint64_t kP1 = 0x9E3779B185EBCA87ull;
constexpr uint64_t kP2 = 0xC2B2AE3D27D4EB4Full;

uint64_t Rotl(uint64_t v, int s) { return (v << s) | (v >> (64 - s)); }

uint64_t Load64(const char* p) {
  uint64_t v;
  std::memcpy(&v, p, 8);
  return v;
}

uint64_t Round(uint64_t acc, uint64_t v) { return Rotl(acc + v * kP2, 31) * kP1; }

// The bytes of the record file as they are now, hashed; false when they
// cannot be had through the mapping.
bool RecordsHash(DataRecordFile& records, uint64_t* hash, int64_t* count) {
  *count = records.Count();
  if (*count < 0) return false;
  const size_t n = size_t(*count) * records.RecordLength();
  const char* p = n ? records.File().View(0, n) : "";
  if (!p) return false;
  *hash = ContentHash(std::string_view(p, n));
  return true;
}

std::string SealOf(std::string_view bytes, uint64_t records_hash, int64_t count) {
  std::string seal(kSealMagic, 8);
  const uint64_t v[3] = {ContentHash(bytes), records_hash, uint64_t(count)};
  seal.append(reinterpret_cast<const char*>(v), sizeof v);
  return seal;
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
  uint64_t hash;
  int64_t count;
  if (!RecordsHash(records, &hash, &count)) return false;
  return index.SetTag(kSealTag, SealOf(bytes, hash, count));
}

bool IndexSealHolds(const BlockFile& index, std::string_view bytes, DataRecordFile& records) {
  std::string seal;
  if (!index.GetTag(kSealTag, &seal) || seal.size() != 32 || std::memcmp(seal.data(), kSealMagic, 8) != 0)
    return false;
  // The cheap parts first: the record count, then the index's own bytes.
  if (Load64(seal.data() + 24) != uint64_t(records.Count()) || Load64(seal.data() + 8) != ContentHash(bytes))
    return false;
  uint64_t hash;
  int64_t count;
  if (!RecordsHash(records, &hash, &count)) return false;
  return seal == SealOf(bytes, hash, count);
}

}  // namespace eng
