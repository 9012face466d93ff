// One key array of the in-memory key index: a sequence of 32-bit record
// numbers addressed by position, kept in blocks of at most 512 entries so
// that an insertion or removal moves at most one block's entries instead of
// the whole array (the file keeps it as one flat array).
//   FirstWhere(pred) is the first position whose entry satisfies pred, for a
//   pred that is false up to some position and true from there on (the
//   binary search of the index); size() when none does.
//   FirstWhereFenced does the same, keeping for each block the key value of
//   its last entry (its fence, filled on first use by `fill` and dropped
//   whenever that entry changes), so that the search among blocks compares
//   in memory and reads records only inside the block it lands in.
//   FirstWherePrefixed also keeps, per block, the first 8 key bytes of every
//   entry beside its record number (filled for a whole block on first use,
//   kept by insertions that bring their entry's prefix, dropped by those
//   that do not), and hands them to the in-block test, which reads a record
//   only when the prefix cannot decide.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace eng {

class RecNoSeq {
 public:
  uint32_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  int32_t at(uint32_t pos) const;
  void insert(uint32_t pos, int32_t value);
  // An insertion that keeps the block's prefixes: `prefix` is the entry's.
  void insert(uint32_t pos, int32_t value, uint64_t prefix);
  void erase(uint32_t pos);
  void clear();
  void assign(const int32_t* values, uint32_t n);
  // Appends the entries as 32-bit little-endian values.
  void AppendTo(std::string& out) const;
  // The blocks in order, for writing them where the host is little-endian.
  const std::vector<std::vector<int32_t>>& Blocks() const { return blocks_; }
  // The first position holding value, scanning from `from`; size() when absent.
  uint32_t Find(int32_t value, uint32_t from = 0) const;

  template <class Pred, class FencePred, class Fill>
  uint32_t FirstWhereFenced(Pred pred, FencePred fence_pred, Fill fill) const {
    size_t lo = 0, hi = blocks_.size();
    while (lo < hi) {
      size_t mid = lo + (hi - lo) / 2;
      bool yes;
      if (fence_ok_[mid] || (fence_ok_[mid] = fill(blocks_[mid].back(), fences_[mid]))) yes = fence_pred(fences_[mid]);
      else yes = pred(blocks_[mid].back());
      if (yes) hi = mid;
      else lo = mid + 1;
    }
    return InBlock(lo, pred);
  }

  // pred(r, prefix) as in FirstWhereFenced; `prefix_of(r, &p)` gives an
  // entry's prefix (false when it cannot be had: the block then goes
  // without).
  template <class Pred, class FencePred, class Fill, class PrefixOf>
  uint32_t FirstWherePrefixed(Pred pred, FencePred fence_pred, Fill fill, PrefixOf prefix_of) const {
    size_t lo = 0, hi = blocks_.size();
    while (lo < hi) {
      size_t mid = lo + (hi - lo) / 2;
      bool yes;
      if (fence_ok_[mid] || (fence_ok_[mid] = fill(blocks_[mid].back(), fences_[mid]))) yes = fence_pred(fences_[mid]);
      else yes = pred(blocks_[mid].back(), nullptr);
      if (yes) hi = mid;
      else lo = mid + 1;
    }
    if (lo == blocks_.size()) return size_;
    const std::vector<int32_t>& b = blocks_[lo];
    std::vector<uint64_t>& px = prefixes_[lo];
    if (px.size() != b.size()) {
      px.resize(b.size());
      for (size_t i = 0; i < b.size(); ++i)
        if (!prefix_of(b[i], &px[i])) {
          px.clear();
          break;
        }
    }
    const uint64_t* pp = px.empty() ? nullptr : px.data();
    size_t l = 0, h = b.size() - 1;  // the last entry satisfies pred
    while (l < h) {
      size_t mid = l + (h - l) / 2;
      if (pred(b[mid], pp ? pp + mid : nullptr)) h = mid;
      else l = mid + 1;
    }
    return starts_[lo] + uint32_t(l);
  }

  template <class Pred>
  uint32_t FirstWhere(Pred pred) const {
    // Blocks: the first whose last entry satisfies pred.
    size_t lo = 0, hi = blocks_.size();
    while (lo < hi) {
      size_t mid = lo + (hi - lo) / 2;
      if (pred(blocks_[mid].back())) hi = mid;
      else lo = mid + 1;
    }
    return InBlock(lo, pred);
  }

 private:
  static constexpr size_t kBlockMax = 512;
  size_t BlockOf(uint32_t pos) const;
  void Insert(uint32_t pos, int32_t value, const uint64_t* prefix);
  void Restart(size_t from);
  void DropFence(size_t b) { fence_ok_[b] = 0; }

  // The first entry of block `lo` satisfying pred, whose last entry does.
  template <class Pred>
  uint32_t InBlock(size_t lo, Pred pred) const {
    if (lo == blocks_.size()) return size_;
    const std::vector<int32_t>& b = blocks_[lo];
    size_t l = 0, h = b.size() - 1;  // the last entry satisfies pred
    while (l < h) {
      size_t mid = l + (h - l) / 2;
      if (pred(b[mid])) h = mid;
      else l = mid + 1;
    }
    return starts_[lo] + uint32_t(l);
  }

  std::vector<std::vector<int32_t>> blocks_;
  mutable std::vector<std::string> fences_;  // per block: the key value of its last entry
  mutable std::vector<uint8_t> fence_ok_;
  // Per block: the prefix of each entry, or empty (not filled).
  mutable std::vector<std::vector<uint64_t>> prefixes_;
  std::vector<uint32_t> starts_;  // position of each block's first entry
  uint32_t size_ = 0;
};

}  // namespace eng
