// One key array of the in-memory key index: a sequence of 32-bit record
// numbers addressed by position, kept in blocks so that an insertion or
// removal moves at most one block's entries instead of the whole array (the
// file keeps it as one flat array).
//   FirstWhere(pred) is the first position whose entry satisfies pred, for a
//   pred that is false up to some position and true from there on (the
//   binary search of the index); size() when none does.
//   FirstWhereFenced does the same, keeping for each block the key value of
//   its last entry (its fence, filled on first use by `fill` and dropped
//   whenever that entry changes), so that the search among blocks compares
//   in memory.
//   Key bytes: with a key width w (SetKeyWidth), a block may also hold the
//   first w bytes of every entry's key beside its record numbers, filled for
//   the whole block on first use (FirstWhereKeyed), kept by insertions that
//   bring their entry's bytes and by removals, dropped by insertions that do
//   not. A search then compares in memory and reads a record only where the
//   w bytes cannot decide. Blocks hold fewer entries the wider the key, so
//   that an insertion moves a bounded number of bytes.
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
  void insert(uint32_t pos, int32_t value) { Insert(pos, value, nullptr); }
  // An insertion that keeps the block's key bytes: `key` holds the entry's
  // first KeyWidth() key bytes.
  void insert(uint32_t pos, int32_t value, const char* key) { Insert(pos, value, key); }
  void erase(uint32_t pos);
  void clear();
  void assign(const int32_t* values, uint32_t n);
  // Appends the entries as 32-bit little-endian values.
  void AppendTo(std::string& out) const;
  // The blocks in order, for writing them where the host is little-endian.
  const std::vector<std::vector<int32_t>>& Blocks() const { return blocks_; }
  // The first position holding value, scanning from `from`; size() when absent.
  uint32_t Find(int32_t value, uint32_t from = 0) const;

  // Sets the width of the key bytes kept per entry (0: none) and drops all
  // kept bytes; the sequence is emptied.
  void SetKeyWidth(uint32_t width);
  uint32_t KeyWidth() const { return width_; }
  // The kept key bytes of the entry at pos; null when its block has none.
  const char* KeyAt(uint32_t pos) const;
  // Block b's key area, sized for its entries, for a caller that fills it
  // while walking the block (the bytes count as kept from then on).
  char* KeyArea(size_t b);
  void DropKeys(size_t b) {
    if (b < keys_.size()) keys_[b].clear();
    if (b < last_ok_.size()) last_ok_[b] = 0;
  }

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
    return InBlock(lo, [&](size_t i) { return pred(blocks_[lo][i]); });
  }

  // pred(r, key) as in FirstWhere, `r` pointing at the entry's record
  // number (read only where needed) and `key` at its kept bytes or null;
  // `fill(recnos, n, out)` writes the key bytes of n entries (false when
  // they cannot be had: the block then goes without). The search among
  // blocks compares their last entries' bytes, kept side by side.
  template <class Pred, class Fill>
  uint32_t FirstWhereKeyed(Pred pred, Fill fill) const {
    size_t lo = 0, hi = blocks_.size();
    while (lo < hi) {
      size_t mid = lo + (hi - lo) / 2;
      const std::vector<int32_t>& b = blocks_[mid];
      if (pred(b.data() + b.size() - 1, LastKey(mid, fill))) hi = mid;
      else lo = mid + 1;
    }
    if (lo == blocks_.size()) return size_;
    hint_ = lo;  // the caller reads the entry found next
    const char* k = Keys(lo, fill);
    const std::vector<int32_t>& b = blocks_[lo];
    auto at = [&](size_t i) { return pred(b.data() + i, k ? k + i * width_ : nullptr); };
    if (!k) return InBlock(lo, at);
    return InBlock(lo, at, [&](size_t i) { __builtin_prefetch(k + i * width_); });
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
    return InBlock(lo, [&](size_t i) { return pred(blocks_[lo][i]); });
  }

 private:
  size_t BlockOf(uint32_t pos) const;
  void Insert(uint32_t pos, int32_t value, const char* key);
  // Moves the start of every block after b by delta.
  void Shift(size_t b, int32_t delta);
  void DropFence(size_t b) {
    fence_ok_[b] = 0;
    last_ok_[b] = 0;
  }
  bool HasKeys(size_t b) const { return width_ && keys_[b].size() == blocks_[b].size() * width_; }

  // Block b's key bytes, filled on first use; null when they cannot be had.
  template <class Fill>
  const char* Keys(size_t b, Fill& fill) const {
    if (!width_) return nullptr;
    std::vector<char>& k = keys_[b];
    const std::vector<int32_t>& rs = blocks_[b];
    if (k.size() != rs.size() * width_) {
      k.resize(rs.size() * width_);
      if (!fill(rs.data(), rs.size(), k.data())) {
        k.clear();
        return nullptr;
      }
    }
    return k.data();
  }

  // The kept bytes of block b's last entry, from the side-by-side copy;
  // null when the block has none.
  template <class Fill>
  const char* LastKey(size_t b, Fill& fill) const {
    if (!width_) return nullptr;
    char* last = lasts_.data() + b * width_;
    if (last_ok_[b]) return last;
    const char* k = Keys(b, fill);
    if (!k) return nullptr;
    std::copy(k + (blocks_[b].size() - 1) * width_, k + blocks_[b].size() * width_, last);
    last_ok_[b] = 1;
    return last;
  }

  // The first entry of block `lo` satisfying at(i), whose last entry does.
  // `fetch(i)` asks for what at(i) reads: both entries that may be compared
  // next are fetched while one is compared, so that the search does not
  // wait for memory at every step.
  template <class At, class Fetch = void (*)(size_t)>
  uint32_t InBlock(size_t lo, At at, Fetch fetch = [](size_t) {}) const {
    if (lo == blocks_.size()) return size_;
    size_t l = 0, h = blocks_[lo].size() - 1;  // the last entry satisfies pred
    while (l < h) {
      size_t mid = l + (h - l) / 2;
      fetch(l + (mid - l) / 2);
      fetch(mid + 1 + (h - mid - 1) / 2);
      if (at(mid)) h = mid;
      else l = mid + 1;
    }
    return starts_[lo] + uint32_t(l);
  }

  size_t block_max_ = 512;
  uint32_t width_ = 0;
  std::vector<std::vector<int32_t>> blocks_;
  mutable std::vector<std::vector<char>> keys_;  // per block: width_ bytes per entry, or empty
  mutable std::vector<char> lasts_;             // per block: the kept bytes of its last entry
  mutable std::vector<uint8_t> last_ok_;        // per block: whether lasts_ holds them
  mutable std::vector<std::string> fences_;      // per block: the key value of its last entry
  mutable std::vector<uint8_t> fence_ok_;
  std::vector<uint32_t> starts_;  // position of each block's first entry
  mutable size_t hint_ = 0;       // the block of the last position asked for
  uint32_t size_ = 0;
};

}  // namespace eng
