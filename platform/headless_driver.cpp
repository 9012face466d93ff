#include "platform/headless_driver.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "platform/compositor.h"
#include "platform/win_dump.h"
#include "platform/win_keys.h"

namespace plat {

namespace {

constexpr char32_t kHigh[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

ScriptStep Input(InputEvent ev, std::string text) {
  ScriptStep s;
  s.ev = ev;
  s.text = std::move(text);
  return s;
}

InputEvent ClickEvent(InputEvent::Type type, Point px) {
  InputEvent ev;
  ev.type = type;
  ev.point = px;
  return ev;
}

Point CellCentre(int col, int row) {
  Metrics m;
  return {col * m.cell_w + m.cell_w / 2, row * m.cell_h + m.cell_h / 2};
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  return s;
}

bool ParseInt(std::string_view s, int& out) {
  s = Trim(s);
  if (s.empty() || s.size() > 9) return false;
  int v = 0;
  for (char c : s) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    v = v * 10 + (c - '0');
  }
  out = v;
  return true;
}

bool ParsePair(std::string_view s, int& a, int& b) {
  size_t comma = s.find(',');
  return comma != std::string_view::npos && ParseInt(s.substr(0, comma), a) && ParseInt(s.substr(comma + 1), b);
}

bool ParseQuoted(std::string_view s, std::string& out) {
  s = Trim(s);
  if (s.size() < 2 || s.front() != '"' || s.back() != '"') return false;
  s = s.substr(1, s.size() - 2);
  // Plain runs are UTF-8; escaped bytes are code page 1252 already.
  std::string run, converted;
  out.clear();
  auto flush = [&]() {
    if (!Utf8ToCp1252(run, converted)) return false;
    out += converted;
    run.clear();
    return true;
  };
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '\\') {
      run += s[i];
      continue;
    }
    if (++i >= s.size()) return false;
    if (s[i] == '"' || s[i] == '\\') {
      run += s[i];
    } else if (s[i] == 'x') {
      if (i + 2 >= s.size()) return false;
      char h1 = s[i + 1], h2 = s[i + 2];
      if (!std::isxdigit(static_cast<unsigned char>(h1)) || !std::isxdigit(static_cast<unsigned char>(h2))) return false;
      if (!flush()) return false;
      char hex[3] = {h1, h2, 0};
      out += static_cast<char>(std::strtol(hex, nullptr, 16));
      i += 2;
    } else {
      return false;
    }
  }
  return flush();
}

bool ParseAnswer(std::string_view s, MsgAnswer& a) {
  s = Trim(s);
  const std::pair<const char*, MsgAnswer> names[] = {{"OK", MsgAnswer::kOk},     {"Cancel", MsgAnswer::kCancel},
                                                     {"Yes", MsgAnswer::kYes},   {"No", MsgAnswer::kNo},
                                                     {"Retry", MsgAnswer::kRetry}};
  for (const auto& [name, value] : names) {
    std::string_view n(name);
    if (n.size() != s.size()) continue;
    bool eq = true;
    for (size_t i = 0; i < n.size(); ++i)
      eq = eq && std::tolower(static_cast<unsigned char>(n[i])) == std::tolower(static_cast<unsigned char>(s[i]));
    if (eq) {
      a = value;
      return true;
    }
  }
  return false;
}

}  // namespace

bool Utf8ToCp1252(std::string_view in, std::string& out) {
  out.clear();
  for (size_t i = 0; i < in.size();) {
    unsigned char c = static_cast<unsigned char>(in[i]);
    char32_t cp;
    size_t n;
    if (c < 0x80) {
      cp = c;
      n = 1;
    } else if ((c & 0xE0) == 0xC0) {
      cp = c & 0x1F;
      n = 2;
    } else if ((c & 0xF0) == 0xE0) {
      cp = c & 0x0F;
      n = 3;
    } else {
      return false;
    }
    if (i + n > in.size()) return false;
    for (size_t k = 1; k < n; ++k) {
      unsigned char cc = static_cast<unsigned char>(in[i + k]);
      if ((cc & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (cc & 0x3F);
    }
    i += n;
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
      out += static_cast<char>(cp);
      continue;
    }
    bool found = false;
    for (int k = 0; k < 32; ++k) {
      if (kHigh[k] != 0 && kHigh[k] == cp) {
        out += static_cast<char>(0x80 + k);
        found = true;
        break;
      }
    }
    if (!found) return false;
  }
  return true;
}

// ---------------------------------------------------------------- Script

Script& Script::Key(std::string_view name) {
  InputEvent ev;
  if (!ParseKeyName(name, ev.vk, ev.mods)) {
    ev.type = InputEvent::Type::kUnknown;
    ScriptStep s = Input(ev, "key " + std::string(name) + " (unknown key)");
    steps.push_back(s);
    return *this;
  }
  steps.push_back(Input(ev, "key " + KeyName(ev.vk, ev.mods)));
  return *this;
}

Script& Script::Type(std::string_view text) {
  for (char ch : text) {
    InputEvent ev;
    ev.typed = static_cast<unsigned char>(ch);
    ev.vk = VkForChar(static_cast<uint8_t>(ch));
    if (ch == 29) ev.mods = kModCtrl;
    steps.push_back(Input(ev, std::string("type ") + ch));
  }
  return *this;
}

Script& Script::Click(int id) {
  InputEvent ev;
  ev.type = InputEvent::Type::kClick;
  ev.by_id = true;
  ev.id = id;
  steps.push_back(Input(ev, "click id=" + std::to_string(id)));
  return *this;
}

Script& Script::ClickCell(int col, int row) {
  steps.push_back(Input(ClickEvent(InputEvent::Type::kClick, CellCentre(col, row)),
                        "click cell=" + std::to_string(col) + "," + std::to_string(row)));
  return *this;
}

Script& Script::ClickAt(Point px) {
  steps.push_back(Input(ClickEvent(InputEvent::Type::kClick, px),
                        "click px=" + std::to_string(px.x) + "," + std::to_string(px.y)));
  return *this;
}

Script& Script::RightClickCell(int col, int row) {
  steps.push_back(Input(ClickEvent(InputEvent::Type::kRightClick, CellCentre(col, row)),
                        "rclick cell=" + std::to_string(col) + "," + std::to_string(row)));
  return *this;
}

Script& Script::DblClickCell(int col, int row) {
  steps.push_back(Input(ClickEvent(InputEvent::Type::kDblClick, CellCentre(col, row)),
                        "dblclick cell=" + std::to_string(col) + "," + std::to_string(row)));
  return *this;
}

Script& Script::Wait(uint64_t ms) {
  ScriptStep s;
  s.wait = true;
  s.ms = ms;
  s.text = "wait " + std::to_string(ms) + "ms";
  steps.push_back(s);
  return *this;
}

Script& Script::Answer(MsgAnswer answer) {
  InputEvent ev;
  ev.type = InputEvent::Type::kAnswer;
  ev.answer = answer;
  steps.push_back(Input(ev, "answer " + std::string(MsgAnswerName(answer))));
  return *this;
}

Script& Script::Menu(int id) {
  InputEvent ev;
  ev.type = InputEvent::Type::kMenuPick;
  ev.id = id;
  steps.push_back(Input(ev, "menu id=" + std::to_string(id)));
  return *this;
}

Script& Script::Close() {
  InputEvent ev;
  ev.type = InputEvent::Type::kClose;
  steps.push_back(Input(ev, "close"));
  return *this;
}

bool Script::Parse(std::string_view text, Script& out, std::string& error) {
  int line_no = 0;
  while (!text.empty()) {
    size_t nl = text.find('\n');
    std::string_view line = Trim(text.substr(0, nl));
    text = nl == std::string_view::npos ? std::string_view() : text.substr(nl + 1);
    ++line_no;
    if (line.empty() || line.front() == '#') continue;
    size_t sp = line.find(' ');
    std::string_view verb = line.substr(0, sp);
    std::string_view arg = sp == std::string_view::npos ? std::string_view() : Trim(line.substr(sp + 1));
    bool ok = false;
    int a = 0, b = 0;
    if (verb == "key") {
      InputEvent ev;
      ok = ParseKeyName(arg, ev.vk, ev.mods);
      if (ok) out.Key(arg);
    } else if (verb == "type") {
      std::string s;
      ok = ParseQuoted(arg, s);
      if (ok) out.Type(s);
    } else if (verb == "click" || verb == "rclick" || verb == "dblclick") {
      InputEvent::Type type = verb == "click" ? InputEvent::Type::kClick
                              : verb == "rclick" ? InputEvent::Type::kRightClick
                                                 : InputEvent::Type::kDblClick;
      if (arg.substr(0, 3) == "id=" && type == InputEvent::Type::kClick) {
        ok = ParseInt(arg.substr(3), a);
        if (ok) out.Click(a);
      } else if (arg.substr(0, 5) == "cell=") {
        ok = ParsePair(arg.substr(5), a, b);
        if (ok) out.steps.push_back(Input(ClickEvent(type, CellCentre(a, b)), std::string(line)));
      } else if (arg.substr(0, 3) == "px=") {
        ok = ParsePair(arg.substr(3), a, b);
        if (ok) out.steps.push_back(Input(ClickEvent(type, {a, b}), std::string(line)));
      }
    } else if (verb == "wait") {
      std::string_view n = arg;
      if (n.size() > 2 && n.substr(n.size() - 2) == "ms") n.remove_suffix(2);
      ok = ParseInt(n, a);
      if (ok) out.Wait(static_cast<uint64_t>(a));
    } else if (verb == "answer") {
      MsgAnswer ans;
      ok = ParseAnswer(arg, ans);
      if (ok) out.Answer(ans);
    } else if (verb == "close") {
      ok = arg.empty();
      if (ok) out.Close();
    } else if (verb == "menu") {
      ok = arg.substr(0, 3) == "id=" && ParseInt(arg.substr(3), a);
      if (ok) out.Menu(a);
    }
    if (!ok) {
      error = "script line " + std::to_string(line_no) + ": cannot read \"" + std::string(line) + "\"";
      return false;
    }
  }
  return true;
}

// ---------------------------------------------------------------- front end

void HeadlessFrontEnd::Append(const Script& script) {
  steps_.insert(steps_.end(), script.steps.begin(), script.steps.end());
}

bool HeadlessFrontEnd::Poll(InputEvent& ev) {
  if (steps_.empty() || steps_.front().wait) return false;
  ev = steps_.front().ev;
  log_.push_back(steps_.front().text);
  steps_.pop_front();
  return true;
}

bool HeadlessFrontEnd::Wait(uint64_t deadline_ms) {
  ++waits_;
  if (steps_.empty()) return false;
  ScriptStep& s = steps_.front();
  if (!s.wait) return true;
  const uint64_t end = now_ + s.ms;
  if (deadline_ms < end) {
    // A timer falls inside the wait: stop there, keep the rest of the wait.
    uint64_t to = deadline_ms > now_ ? deadline_ms : now_;
    s.ms = end - to;
    now_ = to;
    return true;
  }
  now_ = end;
  log_.push_back(s.text);
  steps_.pop_front();
  return true;
}

// ---------------------------------------------------------------- driver

HeadlessDriver::HeadlessDriver(Metrics metrics) : ws_(&input_, metrics), msgbox_(ws_) {}

void HeadlessDriver::Run(std::string_view script_text) {
  Script s;
  std::string error;
  if (!Script::Parse(script_text, s, error)) {
    ws_.Stall(error);
    return;
  }
  input_.Append(s);
}

std::string HeadlessDriver::Dump() const { return DumpWindows(ws_); }

std::string HeadlessDriver::Snapshot() const { return Compose(ws_).Snapshot(); }

}  // namespace plat
