#include "data/recno_seq.h"

#include <bit>
#include <cstring>

namespace eng {

namespace {

// Key bytes an insertion may move inside one block.
constexpr size_t kBlockKeyBytes = 8192;

}  // namespace

size_t RecNoSeq::BlockOf(uint32_t pos) const {
  // A walk asks for neighbouring positions: the block of the last one first.
  size_t h = hint_;
  if (h < blocks_.size() && pos >= starts_[h] && pos - starts_[h] < blocks_[h].size()) return h;
  if (h + 1 < blocks_.size() && pos >= starts_[h + 1] && pos - starts_[h + 1] < blocks_[h + 1].size())
    return hint_ = h + 1;
  // The last block that starts at or before pos.
  auto it = std::upper_bound(starts_.begin(), starts_.end(), pos);
  hint_ = size_t(it - starts_.begin()) - 1;
  return hint_;
}

void RecNoSeq::Shift(size_t b, int32_t delta) {
  uint32_t* s = starts_.data();
  for (size_t i = b + 1, n = starts_.size(); i < n; ++i) s[i] += uint32_t(delta);
}

int32_t RecNoSeq::at(uint32_t pos) const {
  size_t b = BlockOf(pos);
  return blocks_[b][pos - starts_[b]];
}

const char* RecNoSeq::KeyAt(uint32_t pos) const {
  if (!width_ || pos >= size_) return nullptr;
  size_t b = BlockOf(pos);
  return HasKeys(b) ? keys_[b].data() + size_t(pos - starts_[b]) * width_ : nullptr;
}

char* RecNoSeq::KeyArea(size_t b) {
  if (!width_ || b >= blocks_.size()) return nullptr;
  keys_[b].resize(blocks_[b].size() * width_);
  last_ok_[b] = 0;  // the caller rewrites the bytes
  return keys_[b].data();
}

void RecNoSeq::SetKeyWidth(uint32_t width) {
  clear();
  width_ = width;
  size_t m = width ? kBlockKeyBytes / width : 512;
  block_max_ = std::clamp<size_t>(m & ~size_t(1), 64, 512);
}

void RecNoSeq::Insert(uint32_t pos, int32_t value, const char* key) {
  if (blocks_.empty()) {
    blocks_.emplace_back(1, value);
    keys_.emplace_back();
    if (key && width_) keys_[0].assign(key, key + width_);
    fences_.emplace_back();
    fence_ok_.push_back(0);
    lasts_.assign(width_, 0);
    last_ok_.assign(1, 0);
    starts_.push_back(0);
    size_ = 1;
    return;
  }
  size_t b = pos >= size_ ? blocks_.size() - 1 : BlockOf(pos);
  std::vector<int32_t>& blk = blocks_[b];
  std::vector<char>& kb = keys_[b];
  size_t at = pos - starts_[b];
  if (at >= blk.size()) DropFence(b);  // a new last entry
  if (width_) {
    if (key && kb.size() == blk.size() * width_) kb.insert(kb.begin() + at * width_, key, key + width_);
    else kb.clear();
  }
  blk.insert(blk.begin() + at, value);
  ++size_;
  Shift(b, 1);
  if (blk.size() > block_max_) {
    const size_t half = block_max_ / 2;
    std::vector<int32_t> tail(blk.begin() + half, blk.end());
    blk.resize(half);
    std::vector<char> ktail;
    if (!kb.empty()) {
      ktail.assign(kb.begin() + half * width_, kb.end());
      kb.resize(half * width_);
    }
    blocks_.insert(blocks_.begin() + b + 1, std::move(tail));
    keys_.insert(keys_.begin() + b + 1, std::move(ktail));
    starts_.insert(starts_.begin() + b + 1, starts_[b] + uint32_t(half));
    // The tail keeps the old last entry and its fence; the head has a new one.
    std::string fence = std::move(fences_[b]);
    const uint8_t fence_ok = fence_ok_[b];
    fences_.insert(fences_.begin() + b + 1, std::move(fence));
    fence_ok_.insert(fence_ok_.begin() + b + 1, fence_ok);
    const uint8_t last_ok = last_ok_[b];
    last_ok_.insert(last_ok_.begin() + b + 1, last_ok);
    const std::vector<char> last(lasts_.begin() + b * width_, lasts_.begin() + (b + 1) * width_);
    lasts_.insert(lasts_.begin() + (b + 1) * width_, last.begin(), last.end());
    fences_[b].clear();
    DropFence(b);
  }
}

void RecNoSeq::erase(uint32_t pos) {
  size_t b = BlockOf(pos);
  std::vector<int32_t>& blk = blocks_[b];
  size_t at = pos - starts_[b];
  if (at + 1 == blk.size()) DropFence(b);  // the last entry goes
  std::vector<char>& kb = keys_[b];
  if (HasKeys(b)) kb.erase(kb.begin() + at * width_, kb.begin() + (at + 1) * width_);
  else kb.clear();
  blk.erase(blk.begin() + at);
  --size_;
  Shift(b, -1);
  if (blk.empty()) {
    blocks_.erase(blocks_.begin() + b);
    keys_.erase(keys_.begin() + b);
    fences_.erase(fences_.begin() + b);
    fence_ok_.erase(fence_ok_.begin() + b);
    last_ok_.erase(last_ok_.begin() + b);
    lasts_.erase(lasts_.begin() + b * width_, lasts_.begin() + (b + 1) * width_);
    starts_.erase(starts_.begin() + b);
  }
}

void RecNoSeq::clear() {
  blocks_.clear();
  keys_.clear();
  starts_.clear();
  fences_.clear();
  fence_ok_.clear();
  lasts_.clear();
  last_ok_.clear();
  hint_ = 0;
  size_ = 0;
}

void RecNoSeq::assign(const int32_t* values, uint32_t n) {
  clear();
  const size_t half = block_max_ / 2;
  for (uint32_t i = 0; i < n; i += uint32_t(half)) {
    uint32_t m = std::min<uint32_t>(uint32_t(half), n - i);
    blocks_.emplace_back(values + i, values + i + m);
    starts_.push_back(i);
  }
  size_ = n;
  keys_.resize(blocks_.size());
  fences_.resize(blocks_.size());
  fence_ok_.assign(blocks_.size(), 0);
  lasts_.assign(blocks_.size() * width_, 0);
  last_ok_.assign(blocks_.size(), 0);
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
