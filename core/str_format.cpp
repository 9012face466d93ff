#include "core/str_format.h"

#include <string>

#include "core/err_register.h"
#include "core/scratch_arena.h"
#include "core/str_emit.h"

namespace eng {

namespace {

// An output that refuses to grow past limit + 1 bytes.
class Out {
 public:
  explicit Out(uint16_t limit) : limit_(limit) {}
  bool Put(std::string_view s) {
    if (s.size() > size_t(limit_) + 1 - buf_.size()) {
      buf_.append(s.substr(0, size_t(limit_) + 1 - buf_.size()));
      return false;
    }
    buf_.append(s);
    return buf_.size() <= limit_;
  }
  bool Fill(char c, size_t n) {
    while (n--)
      if (!Put(std::string_view(&c, 1))) return false;
    return true;
  }
  const std::string& str() const { return buf_; }

 private:
  uint16_t limit_;
  std::string buf_;
};

struct Conversion {
  bool left = false;
  bool zero = false;
  uint32_t width = 0;
  bool has_prec = false;
  uint32_t prec = 0;
};

// Digits of a width or precision, saturating well above any text length.
uint32_t ReadCount(std::string_view f, size_t& i) {
  uint32_t n = 0;
  while (i < f.size() && f[i] >= '0' && f[i] <= '9') {
    n = n * 10 + uint32_t(f[i++] - '0');
    if (n > 0x1FFFF) n = 0x1FFFF;
  }
  return n;
}

std::string Decimal(int64_t v, const Conversion& sp, std::string& sign) {
  uint64_t m = v < 0 ? 0 - uint64_t(v) : uint64_t(v);
  if (v < 0) sign = "-";
  std::string d;
  do {
    d.insert(d.begin(), char('0' + m % 10));
    m /= 10;
  } while (m);
  if (sp.has_prec && sp.prec == 0 && v == 0) d.clear();
  if (sp.has_prec && d.size() < sp.prec) d.insert(0, sp.prec - d.size(), '0');
  return d;
}

bool Pad(Out& out, const Conversion& sp, std::string_view sign, std::string_view body, bool numeric) {
  size_t len = sign.size() + body.size();
  size_t pad = sp.width > len ? sp.width - len : 0;
  if (sp.left) return out.Put(sign) && out.Put(body) && out.Fill(' ', pad);
  if (numeric && sp.zero && !sp.has_prec) return out.Put(sign) && out.Fill('0', pad) && out.Put(body);
  return out.Fill(' ', pad) && out.Put(sign) && out.Put(body);
}

}  // namespace

StrPair StrFormat(uint16_t limit, StrPair format, std::initializer_list<FmtArg> args) {
  if (!format.ok()) return format;
  std::string_view f = format.view();
  const FmtArg* next = args.begin();
  Out out(limit);
  bool fits = true;
  size_t i = 0;
  while (fits && i < f.size()) {
    if (f[i] != '%') {
      size_t j = f.find('%', i);
      if (j == std::string_view::npos) j = f.size();
      fits = out.Put(f.substr(i, j - i));
      i = j;
      continue;
    }
    size_t start = i++;
    Conversion sp;
    while (i < f.size() && (f[i] == '-' || f[i] == '0')) (f[i++] == '-' ? sp.left : sp.zero) = true;
    sp.width = ReadCount(f, i);
    if (i < f.size() && f[i] == '.') {
      ++i;
      sp.has_prec = true;
      sp.prec = ReadCount(f, i);
    }
    char conv = i < f.size() ? f[i] : '\0';
    if (conv == '%' && i == start + 1) {
      fits = out.Put("%");
      ++i;
      continue;
    }
    if (conv != 's' && conv != 'i' && conv != 'd') {
      // Not ours: copied as it stands, taking no argument.
      size_t end = i < f.size() ? i + 1 : i;
      fits = out.Put(f.substr(start, end - start));
      i = end;
      continue;
    }
    ++i;
    const FmtArg* a = next != args.end() ? next++ : nullptr;
    if (!a || (a->is_text && !a->text.ok())) {
      fits = Pad(out, sp, {}, {}, false);
    } else if (a->is_text) {
      std::string_view t = a->text.view();
      if (conv == 's' && sp.has_prec && t.size() > sp.prec) t = t.substr(0, sp.prec);
      fits = Pad(out, sp, {}, t, false);
    } else if (conv == 's') {
      Conversion plain = sp;
      plain.has_prec = false;
      std::string sign;
      std::string d = Decimal(a->num, plain, sign);
      fits = Pad(out, sp, {}, sign + d, false);
    } else {
      std::string sign;
      std::string d = Decimal(a->num, sp, sign);
      fits = Pad(out, sp, sign, d, true);
    }
  }
  if (!fits || out.str().size() > limit) return StrFail(ErrRecord(kModFormatStrings, kStStringTooLong));
  return StrEmit(out.str());
}

}  // namespace eng
