#include "platform/msgbox_headless.h"

#include <cstdlib>

namespace plat {

namespace {

// Code points of bytes 0x80-0x9F; 0 marks the bytes the code page leaves undefined.
constexpr char32_t kHigh[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

}  // namespace

std::string Cp1252ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (char ch : bytes) {
    unsigned char c = static_cast<unsigned char>(ch);
    char32_t cp = c;
    if (c >= 0x80 && c < 0xA0) cp = kHigh[c - 0x80] ? kHigh[c - 0x80] : U'\uFFFD';
    AppendUtf8(out, cp);
  }
  return out;
}

MsgAnswer HeadlessMsgBox::SafeDefault(MsgButtons buttons) {
  if (MsgButtonsOffer(buttons, MsgAnswer::kCancel)) return MsgAnswer::kCancel;
  if (MsgButtonsOffer(buttons, MsgAnswer::kNo)) return MsgAnswer::kNo;
  return MsgAnswer::kOk;
}

void HeadlessMsgBox::Write(const MsgBoxRequest& r, const char* note) const {
  if (!err_) return;
  std::string line = "[message box] " + Cp1252ToUtf8(r.caption) + " | " + Cp1252ToUtf8(r.text) +
                     " | kind " + std::to_string(r.kind) + ", " + std::string(MsgButtonsName(r.style.buttons)) +
                     ", icon " + std::string(MsgIconName(r.style.icon)) + " | " + note + "\n";
  std::fwrite(line.data(), 1, line.size(), err_);
  std::fflush(err_);
}

MsgAnswer HeadlessMsgBox::Show(const MsgBoxRequest& r) {
  MsgAnswer answer;
  if (mode_ == Mode::kBatch) {
    answer = SafeDefault(r.style.buttons);
    Write(r, ("answered " + std::string(MsgAnswerName(answer))).c_str());
  } else if (script_.empty()) {
    Write(r, "no scripted answer left: the run stops");
    std::abort();
  } else {
    answer = script_.front();
    script_.pop_front();
  }
  log_.push_back(MsgBoxLogEntry{std::string(r.caption), std::string(r.text), r.kind, r.style, r.owner, answer});
  return answer;
}

}  // namespace plat
