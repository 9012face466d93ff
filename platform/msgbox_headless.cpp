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

MsgAnswer HeadlessMsgBox::UnattendedAnswer(const MsgBoxRequest& r) {
  if (r.unattended != MsgAnswer::kFailed && MsgButtonsOffer(r.style.buttons, r.unattended)) return r.unattended;
  return SafeDefault(r.style.buttons);
}

std::string HeadlessMsgBox::Describe(std::string_view program, const MsgBoxRequest& r, MsgAnswer answer,
                                     std::string_view note) {
  // The text's lines (CR LF, LF or CR end a line), each without trailing
  // blanks; empty lines are left out.
  std::vector<std::string_view> lines;
  std::string_view text = r.text;
  while (!text.empty()) {
    size_t end = text.find_first_of("\r\n");
    std::string_view line = text.substr(0, end);
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.remove_suffix(1);
    if (!line.empty()) lines.push_back(line);
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1));
  }
  std::string out;
  if (!program.empty()) out.append(program).append(": ");
  std::string_view caption = r.caption;
  while (!caption.empty() && caption.back() == ' ') caption.remove_suffix(1);
  if ((r.own_caption || lines.empty()) && !caption.empty()) {
    out += Cp1252ToUtf8(caption);
    if (!lines.empty()) out += ": ";
  }
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) out += "\n  ";
    out += Cp1252ToUtf8(lines[i]);
  }
  if (r.style.buttons != MsgButtons::kOk && answer != MsgAnswer::kFailed) out.append(" -> ").append(MsgAnswerName(answer));
  out += '\n';
  if (!note.empty()) out.append("  (").append(note).append(")\n");
  return out;
}

void HeadlessMsgBox::Write(const MsgBoxRequest& r, MsgAnswer answer, std::string_view note) const {
  if (!err_) return;
  std::string line = Describe(program_, r, answer, note);
  std::fwrite(line.data(), 1, line.size(), err_);
  std::fflush(err_);
}

MsgAnswer HeadlessMsgBox::Show(const MsgBoxRequest& r) {
  MsgAnswer answer;
  if (mode_ == Mode::kBatch) {
    answer = UnattendedAnswer(r);
    Write(r, answer, {});
  } else if (script_.empty()) {
    Write(r, MsgAnswer::kFailed, "no scripted answer left: the run stops");
    std::abort();
  } else {
    answer = script_.front();
    script_.pop_front();
  }
  log_.push_back(MsgBoxLogEntry{std::string(r.caption), std::string(r.text), r.kind, r.style, r.owner, answer});
  return answer;
}

}  // namespace plat
