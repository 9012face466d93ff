#include "core/num_text.h"

#include <cstdint>
#include <string>

#include "core/scratch_arena.h"

namespace eng {

namespace {

bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }

// Builds the digit form into `work`; 146 when the integer part and the n
// decimals do not fit the 20 characters.
Status NormWork(StrPair text, int n, std::string& work, uint16_t& further) {
  work.clear();
  further = 0;
  if (n < 0) n = 0;
  size_t i = 0, len = text.len;
  while (i < len && (text.at(i) == ' ' || text.at(i) == '\t')) ++i;
  bool neg = i < len && text.at(i) == '-';
  if (neg) ++i;
  std::string whole, frac;
  while (i < len && IsDigit(text.at(i))) whole += text.ptr[i++];
  if (i < len && text.at(i) == '.') {
    ++i;
    while (i < len && IsDigit(text.at(i))) frac += text.ptr[i++];
  }
  if (i < len && text.at(i) == 'D') {
    ++i;
    size_t shift = 0;
    while (i < len && IsDigit(text.at(i))) {
      shift = shift * 10 + (text.at(i++) - '0');
      if (shift > kDecWorkChars) shift = kDecWorkChars + 1;  // cannot fit anyway
    }
    // The exponent moves the point: fraction digits join the integer part.
    if (frac.size() < shift) frac.append(shift - frac.size(), '0');
    whole += frac.substr(0, shift);
    frac.erase(0, shift);
  }
  if ((neg ? 1 : 0) + whole.size() + static_cast<size_t>(n) > kDecWorkChars) return kStStringTooLong;
  if (neg) work += '-';
  work += whole;
  std::string decimals = frac.substr(0, static_cast<size_t>(n));
  decimals.append(static_cast<size_t>(n) - decimals.size(), '0');
  work += decimals;
  for (size_t k = static_cast<size_t>(n); k < frac.size() && work.size() < kDecWorkChars; ++k) {
    work += frac[k];
    ++further;
  }
  return kOk;
}

// The value of the digit form; false when it lies outside the 64-bit range.
bool WorkValue(const std::string& work, int64_t& value) {
  size_t i = 0;
  bool neg = !work.empty() && work[0] == '-';
  if (neg) ++i;
  const uint64_t limit = neg ? uint64_t(INT64_MAX) + 1u : uint64_t(INT64_MAX);
  uint64_t v = 0;
  for (; i < work.size(); ++i) {
    unsigned d = static_cast<unsigned>(work[i] - '0');
    if (v > (limit - d) / 10) return false;
    v = v * 10 + d;
  }
  value = static_cast<int64_t>(neg ? 0 - v : v);
  return true;
}

}  // namespace

DecNorm DecNormText(StrPair text, int n) {
  if (!text.ok()) return {text, 0};
  std::string work;
  uint16_t further = 0;
  if (Status s = NormWork(text, n, work, further)) return {StrFail(s), 0};
  return {ScratchText(work), further};
}

Status DecParseText(StrPair text, DecValue* out) {
  *out = 0;
  if (!text.ok()) return StrError(text);
  std::string work;
  uint16_t further = 0;
  if (Status s = NormWork(text, DecPrecis(), work, further)) return s;
  // Rounding half away from zero at the further digits depends on the
  // first of them only; reading the value without them keeps a number at
  // the edge of the range from overflowing through digits it drops anyway.
  const size_t whole = work.size() - further;
  int64_t v = 0;
  if (!WorkValue(work.substr(0, whole), v)) return kStStringTooLong;
  if (further && work[whole] >= '5') {
    const bool neg = work[0] == '-';
    if (v == (neg ? INT64_MIN : INT64_MAX)) return kStStringTooLong;
    v += neg ? -1 : 1;
  }
  *out = v;
  return kOk;
}

DecValue DecFromText(StrPair text) {
  DecValue v = 0;
  DecParseText(text, &v);
  return v;
}

StrPair DecTextToValue(StrPair text) { return DecStoreValue(DecFromText(text)); }

}  // namespace eng
