#include "platform/term_input.h"

#include "platform/term_text.h"
#include "platform/win_keys.h"

namespace plat {

namespace {

InputEvent KeyEvent(uint8_t vk, uint8_t mods, int typed = -1) {
  InputEvent ev;
  ev.vk = vk;
  ev.mods = mods;
  ev.typed = typed;
  return ev;
}

// The xterm modifier parameter: 1 + (Shift 1, Alt 2, Ctrl 4).
uint8_t ModsFromParam(int m) {
  if (m < 2) return 0;
  int bits = m - 1;
  uint8_t mods = 0;
  if (bits & 1) mods |= kModShift;
  if (bits & 2) mods |= kModAlt;
  if (bits & 4) mods |= kModCtrl;
  return mods;
}

// The key of "ESC [ n ~".
uint8_t TildeKey(int n) {
  switch (n) {
    case 1: case 7: return kVkHome;
    case 2: return kVkInsert;
    case 3: return kVkDelete;
    case 4: case 8: return kVkEnd;
    case 5: return kVkPrior;
    case 6: return kVkNext;
    case 11: case 12: case 13: case 14: case 15: return static_cast<uint8_t>(kVkF1 + n - 11);
    case 17: case 18: case 19: case 20: case 21: return static_cast<uint8_t>(kVkF1 + 5 + n - 17);
    case 23: case 24: return static_cast<uint8_t>(kVkF1 + 10 + n - 23);
    default: return 0;
  }
}

// The key of a final letter of "ESC [" or "ESC O".
uint8_t LetterKey(char f) {
  switch (f) {
    case 'A': return kVkUp;
    case 'B': return kVkDown;
    case 'C': return kVkRight;
    case 'D': return kVkLeft;
    case 'H': return kVkHome;
    case 'F': return kVkEnd;
    case 'P': return kVkF1;
    case 'Q': return kVkF1 + 1;
    case 'R': return kVkF1 + 2;
    case 'S': return kVkF1 + 3;
    case 'M': return kVkReturn;  // keypad Enter in application mode
    default: return 0;
  }
}

// Length of a UTF-8 sequence from its lead byte; 0 for a byte that cannot lead.
size_t Utf8Length(unsigned char c) {
  if ((c & 0xE0) == 0xC0) return 2;
  if ((c & 0xF0) == 0xE0) return 3;
  if ((c & 0xF8) == 0xF0) return 4;
  return 0;
}

}  // namespace

void TermInputDecoder::Feed(std::string_view bytes, uint64_t now_ms, std::vector<InputEvent>& out) {
  buf_.append(bytes);
  while (!buf_.empty()) {
    size_t used = 0;
    if (ParseOne(false, now_ms, out, used) == Parse::kIncomplete) return;
    buf_.erase(0, used);
  }
}

void TermInputDecoder::Flush(uint64_t now_ms, std::vector<InputEvent>& out) {
  while (!buf_.empty()) {
    size_t used = 0;
    ParseOne(true, now_ms, out, used);
    buf_.erase(0, used == 0 ? 1 : used);
  }
}

TermInputDecoder::Parse TermInputDecoder::ParseOne(bool final, uint64_t now_ms, std::vector<InputEvent>& out,
                                                   size_t& used) {
  const unsigned char b = static_cast<unsigned char>(buf_[0]);
  if (b != 0x1B) return ParseKey(0, false, final, out, used);
  if (buf_.size() < 2) {
    if (!final) return Parse::kIncomplete;
    out.push_back(KeyEvent(kVkEscape, 0));
    used = 1;
    return Parse::kDone;
  }
  const char second = buf_[1];
  if (second == '[') {
    Parse p = ParseCsi(now_ms, out, used);
    if (p == Parse::kIncomplete && final) {
      // Never completed: ESC was a key of its own, "[" follows as typed.
      out.push_back(KeyEvent(kVkEscape, 0));
      used = 1;
      return Parse::kDone;
    }
    return p;
  }
  if (second == 'O') {
    if (buf_.size() < 3) {
      if (!final) return Parse::kIncomplete;
      out.push_back(KeyEvent(kVkEscape, 0));
      used = 1;
      return Parse::kDone;
    }
    uint8_t vk = LetterKey(buf_[2]);
    if (vk) out.push_back(KeyEvent(vk, 0));
    used = 3;
    return Parse::kDone;
  }
  if (second == 0x1B) {
    out.push_back(KeyEvent(kVkEscape, 0));
    used = 1;
    return Parse::kDone;
  }
  // ESC and a key: Alt with that key.
  Parse p = ParseKey(1, true, final, out, used);
  if (p == Parse::kDone) used += 1;
  return p;
}

TermInputDecoder::Parse TermInputDecoder::ParseKey(size_t at, bool alt, bool final, std::vector<InputEvent>& out,
                                                   size_t& used) {
  const unsigned char b = static_cast<unsigned char>(buf_[at]);
  used = 1;
  const uint8_t alt_mod = alt ? kModAlt : 0;
  if (b >= 0x80) {
    size_t n = Utf8Length(b);
    if (n == 0) return Parse::kDone;  // a stray continuation byte
    if (buf_.size() - at < n) {
      if (!final) return Parse::kIncomplete;
      used = buf_.size() - at;  // cut short: dropped
      return Parse::kDone;
    }
    char32_t cp = b & (n == 2 ? 0x1F : n == 3 ? 0x0F : 0x07);
    for (size_t k = 1; k < n; ++k) {
      unsigned char c = static_cast<unsigned char>(buf_[at + k]);
      if ((c & 0xC0) != 0x80) return Parse::kDone;  // malformed: the lead byte is dropped
      cp = (cp << 6) | (c & 0x3F);
    }
    used = n;
    int byte = UnicodeToCp1252(cp);
    if (byte < 0 && !alt) {
      // Not in the code page: a key without a character, so that the
      // control being typed into can refuse it.
      out.push_back(KeyEvent(kVkUnmappedChar, 0));
      return Parse::kDone;
    }
    if (byte < 0x80) return Parse::kDone;  // an overlong form
    if (alt) out.push_back(KeyEvent(kVkOemChar, kModAlt));
    else out.push_back(KeyEvent(VkForChar(static_cast<uint8_t>(byte)), 0, byte));
    return Parse::kDone;
  }
  switch (b) {
    case 0x0D:
    case 0x0A: out.push_back(KeyEvent(kVkReturn, alt_mod)); return Parse::kDone;
    case 0x09: out.push_back(KeyEvent(kVkTab, alt_mod)); return Parse::kDone;
    case 0x08:
    case 0x7F: out.push_back(KeyEvent(kVkBack, alt_mod)); return Parse::kDone;
    case 0x1D: out.push_back(KeyEvent(kVkGroupSep, kModCtrl, 29)); return Parse::kDone;
    case 0x00: out.push_back(KeyEvent(kVkSpace, kModCtrl | alt_mod)); return Parse::kDone;
    default: break;
  }
  if (b >= 0x01 && b <= 0x1A) {
    out.push_back(KeyEvent(static_cast<uint8_t>('A' + b - 1), kModCtrl | alt_mod));
    return Parse::kDone;
  }
  if (b < 0x20) return Parse::kDone;  // other control bytes mean nothing here
  if (alt) {
    if (b >= '1' && b <= '9') out.push_back(KeyEvent(static_cast<uint8_t>(kVkF1 + b - '1'), 0));
    else if (b == '0') out.push_back(KeyEvent(static_cast<uint8_t>(kVkF1 + 9), 0));
    else out.push_back(KeyEvent(VkForChar(b), kModAlt));
    return Parse::kDone;
  }
  out.push_back(KeyEvent(VkForChar(b), 0, b));
  return Parse::kDone;
}

TermInputDecoder::Parse TermInputDecoder::ParseCsi(uint64_t now_ms, std::vector<InputEvent>& out, size_t& used) {
  // Linux console F1-F5: ESC [ [ A .. E.
  if (buf_.size() >= 3 && buf_[2] == '[') {
    if (buf_.size() < 4) return Parse::kIncomplete;
    char f = buf_[3];
    if (f >= 'A' && f <= 'E') out.push_back(KeyEvent(static_cast<uint8_t>(kVkF1 + f - 'A'), 0));
    used = 4;
    return Parse::kDone;
  }
  // X10 mouse: ESC [ M b x y, each byte offset by 32.
  if (buf_.size() >= 3 && buf_[2] == 'M') {
    if (buf_.size() < 6) return Parse::kIncomplete;
    int button = static_cast<unsigned char>(buf_[3]) - 32;
    int col = static_cast<unsigned char>(buf_[4]) - 33;
    int row = static_cast<unsigned char>(buf_[5]) - 33;
    used = 6;
    // X10 names no button on a release (button bits 3); the held one is meant.
    const bool release = (button & 3) == 3 && !(button & (32 | 64));
    Mouse(release ? (button & ~3) : button, col, row, !release, now_ms, out);
    return Parse::kDone;
  }
  size_t i = 2;
  char priv = 0;
  if (i < buf_.size() && (buf_[i] == '<' || buf_[i] == '?' || buf_[i] == '>' || buf_[i] == '=')) priv = buf_[i++];
  std::vector<int> params{0};
  for (;; ++i) {
    if (i >= buf_.size()) {
      if (i > 40) {  // far too long for any sequence we know: drop it
        used = i;
        return Parse::kDone;
      }
      return Parse::kIncomplete;
    }
    unsigned char c = static_cast<unsigned char>(buf_[i]);
    if (c >= '0' && c <= '9') {
      if (params.back() < 100000) params.back() = params.back() * 10 + (c - '0');
    } else if (c == ';') {
      params.push_back(0);
    } else if (c >= 0x20 && c <= 0x3F) {
      // other parameter or intermediate bytes: kept out of the numbers
    } else if (c >= 0x40 && c <= 0x7E) {
      break;
    } else {
      used = i;  // a byte that cannot be in a sequence ends it, unknown
      return Parse::kDone;
    }
  }
  const char f = buf_[i];
  used = i + 1;
  if (priv == '<') {
    if ((f == 'M' || f == 'm') && params.size() >= 3) Mouse(params[0], params[1] - 1, params[2] - 1, f == 'M', now_ms, out);
    return Parse::kDone;
  }
  if (priv) return Parse::kDone;
  const uint8_t mods = ModsFromParam(params.size() >= 2 ? params[1] : 0);
  if (f == '~') {
    uint8_t vk = TildeKey(params[0]);
    if (vk) out.push_back(KeyEvent(vk, mods));
    return Parse::kDone;
  }
  if (f == 'Z') {
    out.push_back(KeyEvent(kVkTab, static_cast<uint8_t>(mods | kModShift)));
    return Parse::kDone;
  }
  uint8_t vk = LetterKey(f);
  if (vk && vk != kVkReturn) out.push_back(KeyEvent(vk, mods));
  return Parse::kDone;
}

InputEvent TermInputDecoder::PointerEvent(InputEvent::Type type, int col, int row, uint8_t mods) const {
  InputEvent ev;
  ev.type = type;
  ev.mods = mods;
  ev.point = {col * cell_w_ + cell_w_ / 2, row * cell_h_ + cell_h_ / 2};
  return ev;
}

void TermInputDecoder::ClickHeld(std::vector<InputEvent>& out) {
  const Held h = held_;
  held_ = Held{};
  const bool dbl = h.col == last_col_ && h.row == last_row_ && h.ms - last_press_ms_ <= kDoubleClickMs;
  out.push_back(PointerEvent(dbl ? InputEvent::Type::kDblClick : InputEvent::Type::kClick, h.col, h.row, h.mods));
  // A third click starts over rather than making another double click.
  last_col_ = dbl ? -1 : h.col;
  last_row_ = dbl ? -1 : h.row;
  last_press_ms_ = h.ms;
}

void TermInputDecoder::Mouse(int button, int col, int row, bool press, uint64_t now_ms, std::vector<InputEvent>& out) {
  if (col < 0 || row < 0) return;
  uint8_t mods = 0;
  if (button & 4) mods |= kModShift;
  if (button & 8) mods |= kModAlt;
  if (button & 16) mods |= kModCtrl;
  const int which = button & 3;
  if (button & 64) {
    // The wheel: 64 up, 65 down; 66 and 67 (sideways) mean nothing here.
    if (press && !(button & 32) && which < 2) out.push_back(KeyEvent(which == 1 ? kVkDown : kVkUp, 0));
    return;
  }
  if (button & 32) {
    // Motion: followed only while the left button is held.
    if (which != 0 || !held_.down) return;
    if (!held_.dragging) {
      if (col == held_.col && row == held_.row) return;
      held_.dragging = true;
      out.push_back(PointerEvent(InputEvent::Type::kPress, held_.col, held_.row, held_.mods));
    }
    held_.to_col = col;
    held_.to_row = row;
    out.push_back(PointerEvent(InputEvent::Type::kMove, col, row, mods));
    return;
  }
  if (which == 2) {
    if (press) out.push_back(PointerEvent(InputEvent::Type::kRightClick, col, row, mods));
    return;
  }
  if (which != 0) return;  // the middle button
  if (press) {
    // A press while one is held: the terminal lost the release; the held
    // press counts as a click (or, after a drag, ends it where it was).
    if (held_.down) {
      if (held_.dragging) {
        out.push_back(PointerEvent(InputEvent::Type::kRelease, held_.to_col, held_.to_row, held_.mods));
        held_ = Held{};
      } else {
        ClickHeld(out);
      }
    }
    held_ = Held{true, false, col, row, mods, now_ms, col, row};
    return;
  }
  if (!held_.down) return;  // a release of a press made before we listened
  if (held_.dragging) {
    held_ = Held{};
    last_col_ = last_row_ = -1;
    out.push_back(PointerEvent(InputEvent::Type::kRelease, col, row, mods));
    return;
  }
  if (col == held_.col && row == held_.row) {
    ClickHeld(out);
    return;
  }
  // Released elsewhere without motion reports: pressed here, released there.
  out.push_back(PointerEvent(InputEvent::Type::kPress, held_.col, held_.row, held_.mods));
  held_ = Held{};
  last_col_ = last_row_ = -1;
  out.push_back(PointerEvent(InputEvent::Type::kRelease, col, row, mods));
}

}  // namespace plat
