#include "apps/truvesca/amount_words.h"

#include <algorithm>

#include "core/cp1252.h"
#include "core/dec_value.h"
#include "core/fn_builtins_detail.h"
#include "core/fn_call.h"
#include "core/scratch_arena.h"
#include "core/str_items.h"
#include "core/sys_vars.h"

namespace eng::truvesca {

namespace {

// One word table: comma lists of keys and of their words, the text that
// follows a units word when no key fits, and what a "%s" in a word becomes
// when the digit after the key is not 0.
struct WordTable {
  std::string_view keys;
  std::string_view words;
  std::string_view after;
  std::string_view filler;
};

constexpr WordTable kHundreds{"1,5,7,9,100", "ciento,quinientos,setecientos,novecientos,cien", "cientos", ""};
constexpr WordTable kTens{
    "1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,20",
    "dieci,veinti,treinta%s,cuarenta%s,cincuenta%s,sesenta%s,setenta%s,ochenta%s,noventa%s,diez,once,doce,"
    "trece,catorce,quince,veinte",
    "", " y "};
constexpr WordTable kUnits{"1,2,3,4,5,6,7,8,9", "uno,dos,tres,cuatro,cinco,seis,siete,ocho,nueve", "", ""};

constexpr std::string_view kThousand = "mil";
constexpr std::string_view kMillions = "millones";
constexpr auto kOneMillion = Cp1252("un millón");
constexpr std::string_view kAnd = " con ";
constexpr std::string_view kNegative = " negativas ";
constexpr size_t kMaxDigits = 12;

// Item n (from 0) of a comma list; empty when absent.
std::string_view ItemAt(std::string_view list, size_t n) {
  size_t start = 0;
  for (size_t i = 0; i < n; ++i) {
    start = list.find(',', start);
    if (start == std::string_view::npos) return {};
    ++start;
  }
  size_t end = list.find(',', start);
  return list.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
}

// The position (from 0) of a key in a comma list, or -1.
int KeyIndex(std::string_view list, std::string_view key) {
  int i = 0;
  for (size_t start = 0;; ++i) {
    size_t end = list.find(',', start);
    std::string_view item = list.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
    if (item == key) return i;
    if (end == std::string_view::npos) return -1;
    start = end + 1;
  }
}

// The magnitude whose digit (counted from the right) a step covering the
// digits r down to r - used + 1 holds; 0 for none.
int MagnitudeDigit(size_t r, size_t used) {
  for (int m : {10, 7, 4})
    if (r >= size_t(m) && r - used + 1 <= size_t(m)) return m;
  return 0;
}

}  // namespace

TxtnGroup TxtnGroupWords(std::string_view keys, std::string_view words, std::string_view digits,
                         std::string_view after, std::string_view filler) {
  TxtnGroup g;
  for (size_t len = std::min<size_t>(3, digits.size()); len > 0; --len) {
    int k = KeyIndex(keys, digits.substr(0, len));
    if (k < 0) continue;
    std::string word(ItemAt(words, size_t(k)));
    if (size_t at = word.find("%s"); at != std::string::npos) {
      bool filled = digits.size() > len && digits[len] != '0';
      word.replace(at, 2, filled ? filler : std::string_view());
    }
    g.word = std::move(word);
    g.used = static_cast<uint16_t>(len);
    return g;
  }
  if (digits.empty() || digits[0] < '1' || digits[0] > '9') return g;
  g.word = ItemAt(kUnits.words, size_t(digits[0] - '1'));
  if (!after.empty()) {
    g.word += ' ';
    g.word += after;
  }
  return g;
}

bool TxtnIntegerWords(std::string_view digits, std::string* out) {
  out->clear();
  size_t lead = digits.find_first_not_of('0');
  digits = lead == std::string_view::npos ? std::string_view() : digits.substr(lead);
  const size_t n = digits.size();
  if (n > kMaxDigits) return false;
  bool after_tens_word = false;
  for (size_t pos = 0; pos < n;) {
    const size_t r = n - pos;
    const WordTable& t = r % 3 == 0 ? kHundreds : r % 3 == 2 ? kTens : kUnits;
    const size_t look = r % 3 == 0 ? 3 : r % 3 == 2 ? 2 : 1;
    TxtnGroup g = TxtnGroupWords(t.keys, t.words, digits.substr(pos, look), t.after, t.filler);
    int m = MagnitudeDigit(r, g.used);
    std::string_view magnitude = m == 7 ? kMillions : m ? kThousand : std::string_view();
    // The thousands of a number of millions are named only when there are
    // some: a million is "un millón", not "un millón mil".
    if (m == 4 && n >= 7 && digits.substr(n - 6, 3) == "000") magnitude = {};
    // A number that starts with a lone 1 at a magnitude says the magnitude
    // alone: "mil", "un millón", "mil millones".
    if (pos == 0 && size_t(m) == r && digits[0] == '1') {
      g.word.clear();
      if (m == 7) magnitude = kOneMillion.view();
    }
    if (!g.word.empty()) {
      // A units word closes the tens word before it: dieci-seis, veinti-uno,
      // cuarenta y cinco.
      if (!(&t == &kUnits && after_tens_word) && !out->empty()) *out += ' ';
      *out += g.word;
    }
    if (!magnitude.empty()) {
      if (!out->empty()) *out += ' ';
      *out += magnitude;
    }
    after_tens_word = &t == &kTens && !g.word.empty();
    pos += g.used;
  }
  return true;
}

Status TxtnNumberWords(int64_t value, std::string* out) {
  out->clear();
  if (value != 0) {
    ScratchScope scope;
    std::string text = DecFormat(value, DecPrecis()).str();
    if (!text.empty() && text[0] == '-') text.erase(0, 1);
    size_t point = text.find('.');
    std::string_view whole = std::string_view(text).substr(0, point);
    std::string decimals = point == std::string::npos ? std::string() : text.substr(point + 1);
    std::string words;
    if (!TxtnIntegerWords(whole, &words)) return kStDataOutBound;
    if (!decimals.empty()) {
      int dx = SysVarGet(kVarDx);
      if (dx > 0 && decimals.size() < size_t(dx)) decimals.append(size_t(dx) - decimals.size(), '0');
      std::string decimal_words;
      if (!TxtnIntegerWords(decimals, &decimal_words)) return kStDataOutBound;
      if (!decimal_words.empty()) words = words.empty() ? decimal_words : words + std::string(kAnd) + decimal_words;
    }
    if (value < 0) words += kNegative;
    *out = std::move(words);
  }
  SysVarSet(kVarUser03, 0);
  return kOk;
}

size_t TxtnBreakPos(std::string_view text, int width) {
  if (width <= 0 || size_t(width) >= text.size()) return text.size();
  size_t p = text.substr(0, size_t(width)).rfind(' ');
  if (p != std::string_view::npos) return p;
  // A word longer than the width comes whole; so does a rest without blanks,
  // which would otherwise never be printed.
  p = text.find(' ');
  return p == std::string_view::npos ? text.size() : p;
}

std::string TxtnNextPiece(std::string_view text, int width) {
  size_t start = SysVarBits(kVarUser03);
  std::string_view rest = start < text.size() ? text.substr(start) : std::string_view();
  size_t c = TxtnBreakPos(rest, width);
  size_t next = std::min<size_t>(std::min(start, text.size()) + c + 1, 0xFFFF);
  SysVarSet(kVarUser03, width > 0 ? static_cast<int16_t>(next) : int16_t{0});
  return std::string(rest.substr(0, c));
}

namespace {

Status FnTxtn(FnArgs& a) {
  if (Status s = FnArgCount(a, 1, 2)) return s;
  if (a.Count() == 2) {
    FnIntArg width = FnArgInt(a, 2, 0);
    if (width.status) return width.status;
    StrPair text = FnArgStr(a, 1, StrPair{});
    if (!text.ok()) return StrError(text);
    return fn::ResultText(a, TxtnNextPiece(text.view(), width.value));
  }
  FnArg v = FnArgValue(a, 1, StrPair{}, kFnArgNum);
  if (v.status) return v.status;
  if (v.type == kFnArgText) return kStIncompatibleTypes;
  std::string words;
  if (Status s = TxtnNumberWords(fn::NumOf(v.value), &words)) return s;
  return fn::ResultText(a, words);
}

}  // namespace

Status TxtnRegister() { return FnRegister(StrOf("FN$TXTN"), &FnTxtn); }

}  // namespace eng::truvesca
