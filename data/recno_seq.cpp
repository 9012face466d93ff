#include "data/recno_seq.h"

#include <bit>
#include <cstring>

namespace eng {

size_t RecNoSeq::BlockOf(uint32_t pos) const {
  // The last block that starts at or before pos.
  auto it = std::upper_bound(starts_.begin(), starts_.end(), pos);
  return size_t(it - starts_.begin()) - 1;
}

void RecNoSeq::Restart(size_t from) {
  starts_.resize(blocks_.size());
  fences_.resize(blocks_.size());
  prefixes_.resize(blocks_.size());
  fence_ok_.resize(blocks_.size());
  uint32_t p = from == 0 ? 0 : starts_[from - 1] + uint32_t(blocks_[from - 1].size());
  for (size_t i = from; i < blocks_.size(); ++i) {
    starts_[i] = p;
    p += uint32_t(blocks_[i].size());
  }
}

int32_t RecNoSeq::at(uint32_t pos) const {
  size_t b = BlockOf(pos);
  return blocks_[b][pos - starts_[b]];
}

void RecNoSeq::insert(uint32_t pos, int32_t value) { Insert(pos, value, nullptr); }

void RecNoSeq::insert(uint32_t pos, int32_t value, uint64_t prefix) { Insert(pos, value, &prefix); }

void RecNoSeq::Insert(uint32_t pos, int32_t value, const uint64_t* prefix) {
  if (blocks_.empty()) {
    blocks_.emplace_back(1, value);
    size_ = 1;
    Restart(0);
    DropFence(0);
    prefixes_[0].clear();
    if (prefix) prefixes_[0].push_back(*prefix);
    return;
  }
  size_t b = pos >= size_ ? blocks_.size() - 1 : BlockOf(pos);
  std::vector<int32_t>& blk = blocks_[b];
  std::vector<uint64_t>& px = prefixes_[b];
  size_t at = pos - starts_[b];
  if (at >= blk.size()) DropFence(b);  // a new last entry
  if (px.size() == blk.size() && prefix) px.insert(px.begin() + at, *prefix);
  else px.clear();
  blk.insert(blk.begin() + at, value);
  ++size_;
  if (blk.size() > kBlockMax) {
    std::vector<int32_t> tail(blk.begin() + kBlockMax / 2, blk.end());
    blk.resize(kBlockMax / 2);
    std::vector<uint64_t> ptail;
    if (px.size() > kBlockMax / 2) {
      ptail.assign(px.begin() + kBlockMax / 2, px.end());
      px.resize(kBlockMax / 2);
    }
    blocks_.insert(blocks_.begin() + b + 1, std::move(tail));
    prefixes_.insert(prefixes_.begin() + b + 1, std::move(ptail));
    // The tail keeps the old last entry and its fence; the head has a new one.
    fences_.insert(fences_.begin() + b + 1, fences_[b]);
    fence_ok_.insert(fence_ok_.begin() + b + 1, fence_ok_[b]);
    DropFence(b);
  }
  Restart(b);
}

void RecNoSeq::erase(uint32_t pos) {
  size_t b = BlockOf(pos);
  std::vector<int32_t>& blk = blocks_[b];
  size_t at = pos - starts_[b];
  if (at + 1 == blk.size()) DropFence(b);  // the last entry goes
  std::vector<uint64_t>& px = prefixes_[b];
  if (px.size() == blk.size()) px.erase(px.begin() + at);
  else px.clear();
  blk.erase(blk.begin() + at);
  --size_;
  if (blk.empty()) {
    blocks_.erase(blocks_.begin() + b);
    fences_.erase(fences_.begin() + b);
    fence_ok_.erase(fence_ok_.begin() + b);
    prefixes_.erase(prefixes_.begin() + b);
  }
  if (b > 0) --b;
  Restart(std::min(b, blocks_.size()));
}

void RecNoSeq::clear() {
  blocks_.clear();
  starts_.clear();
  fences_.clear();
  fence_ok_.clear();
  prefixes_.clear();
  size_ = 0;
}

void RecNoSeq::assign(const int32_t* values, uint32_t n) {
  clear();
  for (uint32_t i = 0; i < n; i += kBlockMax / 2) {
    uint32_t m = std::min<uint32_t>(kBlockMax / 2, n - i);
    blocks_.emplace_back(values + i, values + i + m);
  }
  size_ = n;
  Restart(0);
  std::fill(fence_ok_.begin(), fence_ok_.end(), 0);
}

void RecNoSeq::AppendTo(std::string& out) const {
  for (const auto& b : blocks_) {
    size_t at = out.size();
    out.resize(at + b.size() * 4);
    if constexpr (std::endian::native == std::endian::little) {
      std::memcpy(out.data() + at, b.data(), b.size() * 4);
    } else {
      for (size_t i = 0; i < b.size(); ++i) {
        uint32_t v = uint32_t(b[i]);
        for (int k = 0; k < 4; ++k) out[at + i * 4 + k] = char((v >> (8 * k)) & 0xFF);
      }
    }
  }
}

uint32_t RecNoSeq::Find(int32_t value, uint32_t from) const {
  if (from >= size_) return size_;
  size_t b = BlockOf(from);
  size_t i = from - starts_[b];
  for (; b < blocks_.size(); ++b, i = 0) {
    const auto& blk = blocks_[b];
    auto it = std::find(blk.begin() + i, blk.end(), value);
    if (it != blk.end()) return starts_[b] + uint32_t(it - blk.begin());
  }
  return size_;
}

}  // namespace eng
