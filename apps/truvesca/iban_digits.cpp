#include "apps/truvesca/iban_digits.h"

#include <array>

#include "core/dyn_strings.h"
#include "core/err_names.h"
#include "core/err_register.h"
#include "core/fn_builtins_detail.h"
#include "core/fn_call.h"
#include "core/str_case.h"
#include "core/string_lists.h"

namespace eng::truvesca {

namespace {

constexpr size_t kBankDigits = 4;
constexpr size_t kAccountDigits = 10;
constexpr size_t kCodeDigits = 20;
constexpr uint64_t kIbanDivisor = 97;

bool AllDigits(std::string_view t) {
  for (char c : t)
    if (c < '0' || c > '9') return false;
  return true;
}

std::string Upper(std::string_view t) {
  std::string s(t);
  for (char& c : s) c = AsciiUpper(c);
  return s;
}

// (a + b) mod m for a, b below m, without overflow.
uint64_t AddMod(uint64_t a, uint64_t b, uint64_t m) { return a >= m - b ? a - (m - b) : a + b; }

Status FnIban(FnArgs& a) {
  if (Status s = FnArgCount(a, 5, 5)) return s;
  std::array<std::string, 5> parts;
  for (uint16_t i = 5; i > 0; --i) {
    StrPair p = FnArgStr(a, i, StrPair{});
    if (!p.ok()) return StrError(p);
    parts[i - 1] = p.str();
  }
  std::string language = DynStrGet(sl::kSettings, sl::kLanguage).str();
  return fn::ResultText(a, IbanCode(parts[0], parts[1], parts[2], parts[3], parts[4], language));
}

Status FnMod(FnArgs& a) {
  if (Status s = FnArgCount(a, 1, 2)) return s;
  FnArg divisor = FnArgValue(a, 2, StrPair{}, kFnArgNum);
  if (divisor.status) return divisor.status;
  if (divisor.type == kFnArgText) return kStIncompatibleTypes;
  int64_t d = divisor.omitted ? int64_t(kIbanDivisor) : fn::WholeOf(divisor.value);
  StrPair text = FnArgStr(a, 1, StrPair{});
  if (!text.ok()) return StrError(text);
  std::string digits;
  if (d <= 0 || !IbanLettersToDigits(Upper(text.view()), &digits)) return kStDataError;
  return fn::ResultInt(a, int64_t(IbanModulo(digits, uint64_t(d))));
}

}  // namespace

int IbanWeight(int position) {
  int w = 1;
  for (int i = 0; i < position; ++i) w = w * 2 % 11;
  return w;
}

std::string IbanPadDigits(std::string_view text, size_t n) {
  if (text.empty() || text.size() > n || !AllDigits(text)) return std::string();
  return std::string(n - text.size(), '0') + std::string(text);
}

int IbanControlDigit(std::string_view digits) {
  std::string ten = std::string(digits.size() < kAccountDigits ? kAccountDigits - digits.size() : 0, '0');
  ten += digits;
  int sum = 0;
  for (int i = 0; i < int(kAccountDigits); ++i) sum += IbanWeight(i) * (ten[size_t(i)] - '0');
  int r = sum % 11;
  return r < 2 ? r : 11 - r;
}

std::string IbanAccountDigits(std::string_view bank, std::string_view branch, std::string_view account) {
  if (bank.size() != kBankDigits || branch.size() != kBankDigits || account.empty()) {
    ErrIncident(kOk, ErrCodeName(kStDataError), false);
    return std::string();
  }
  std::string office = std::string(bank) + std::string(branch);
  return {char('0' + IbanControlDigit(office)), char('0' + IbanControlDigit(account))};
}

bool IbanLettersToDigits(std::string_view text, std::string* out) {
  out->clear();
  for (char c : text) {
    if (c >= '0' && c <= '9') {
      *out += c;
    } else if (c >= 'A' && c <= 'Z') {
      *out += std::to_string(c - 'A' + 10);
    } else {
      return false;
    }
  }
  return true;
}

uint64_t IbanModulo(std::string_view digits, uint64_t divisor) {
  // Digit by digit: r = (r x 10 + d) mod divisor, which is the remainder of
  // the whole number for any divisor that fits 64 bits.
  uint64_t r = 0;
  for (char c : digits) {
    uint64_t r10 = 0;
    for (int i = 0; i < 10; ++i) r10 = AddMod(r10, r, divisor);
    r = AddMod(r10, uint64_t(c - '0') % divisor, divisor);
  }
  return r;
}

Status IbanCheckDigits(std::string_view country, std::string_view digits, std::string* out) {
  std::string c = Upper(country);
  if (digits.size() != kCodeDigits || !AllDigits(digits) || c.size() != 2) return kStDataError;
  for (char ch : c)
    if (ch < 'A' || ch > 'Z') return kStDataError;
  std::string number;
  IbanLettersToDigits(std::string(digits) + c + "00", &number);
  uint64_t check = 98 - IbanModulo(number, kIbanDivisor);
  *out = {char('0' + check / 10), char('0' + check % 10)};
  return kOk;
}

std::string IbanCode(std::string_view prefix, std::string_view bank, std::string_view branch,
                     std::string_view control, std::string_view account, std::string_view language) {
  std::string b = IbanPadDigits(bank, kBankDigits);
  std::string o = IbanPadDigits(branch, kBankDigits);
  std::string n = IbanPadDigits(account, kAccountDigits);
  std::string computed = IbanAccountDigits(b, o, n);
  std::string ctrl = control.empty() || control == computed ? computed : std::string();
  std::string p = Upper(prefix.empty() ? language : prefix);
  if (ctrl.size() != 2 || p.empty()) return std::string();
  std::string check;
  if (IbanCheckDigits(p.substr(0, 2), b + o + ctrl + n, &check)) return std::string();
  if (p.size() == 2) p += check;
  else if (p.substr(2, 2) != check) return std::string();
  if (p.size() != 4) return std::string();
  return p + ',' + b + ',' + o + ',' + ctrl + ',' + n;
}

Status IbanRegister() {
  if (Status s = FnRegister(StrOf("Iban$"), &FnIban)) return s;
  return FnRegister(StrOf("Mod"), &FnMod);
}

}  // namespace eng::truvesca
