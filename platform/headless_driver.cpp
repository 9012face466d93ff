#include "platform/headless_driver.h"

#include <algorithm>
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

Script& Script::PressCell(int col, int row) {
  steps.push_back(Input(ClickEvent(InputEvent::Type::kPress, CellCentre(col, row)),
                        "press cell=" + std::to_string(col) + "," + std::to_string(row)));
  return *this;
}

Script& Script::MoveCell(int col, int row) {
  steps.push_back(Input(ClickEvent(InputEvent::Type::kMove, CellCentre(col, row)),
                        "move cell=" + std::to_string(col) + "," + std::to_string(row)));
  return *this;
}

Script& Script::ReleaseCell(int col, int row) {
  steps.push_back(Input(ClickEvent(InputEvent::Type::kRelease, CellCentre(col, row)),
                        "release cell=" + std::to_string(col) + "," + std::to_string(row)));
  return *this;
}

Script& Script::DragCell(int col, int row, int to_col, int to_row) {
  return PressCell(col, row).MoveCell(to_col, to_row).ReleaseCell(to_col, to_row);
}

Script& Script::ExpectText(int id, std::string_view text) {
  ScriptStep s;
  s.check = ScriptStep::Check::kText;
  s.id = id;
  s.expected = std::string(text);
  s.text = "expect text id=" + std::to_string(id) + " \"" + s.expected + "\"";
  steps.push_back(s);
  return *this;
}

Script& Script::ExpectFocus(int id) {
  ScriptStep s;
  s.check = ScriptStep::Check::kFocus;
  s.id = id;
  s.text = "expect focus id=" + std::to_string(id);
  steps.push_back(s);
  return *this;
}

Script& Script::Snapshot(std::string_view rows, int first_row) {
  ScriptStep s;
  s.check = ScriptStep::Check::kSnapshot;
  s.row = first_row;
  s.expected = std::string(rows);
  if (s.expected.empty() || s.expected.back() != '\n') s.expected += '\n';
  s.text = first_row < 0 ? "snapshot" : "snapshot row=" + std::to_string(first_row);
  steps.push_back(s);
  return *this;
}

bool Script::Parse(std::string_view text, Script& out, std::string& error) {
  int line_no = 0;
  auto next_line = [&]() {
    size_t nl = text.find('\n');
    std::string_view line = Trim(text.substr(0, nl));
    text = nl == std::string_view::npos ? std::string_view() : text.substr(nl + 1);
    ++line_no;
    return line;
  };
  auto fail = [&](int at, std::string_view line) {
    error = "script line " + std::to_string(at) + ": cannot read \"" + std::string(line) + "\"";
    return false;
  };
  while (!text.empty()) {
    std::string_view line = next_line();
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
    } else if (verb == "press" || verb == "move" || verb == "release") {
      InputEvent::Type type = verb == "press" ? InputEvent::Type::kPress
                              : verb == "move" ? InputEvent::Type::kMove
                                               : InputEvent::Type::kRelease;
      Point p;
      if (arg.substr(0, 5) == "cell=") {
        ok = ParsePair(arg.substr(5), a, b);
        p = CellCentre(a, b);
      } else if (arg.substr(0, 3) == "px=") {
        ok = ParsePair(arg.substr(3), a, b);
        p = {a, b};
      }
      if (ok) out.steps.push_back(Input(ClickEvent(type, p), std::string(line)));
    } else if (verb == "drag") {
      size_t to = arg.find(" to=");
      int c = 0, r = 0;
      ok = arg.substr(0, 5) == "cell=" && to != std::string_view::npos && ParsePair(arg.substr(5, to - 5), a, b) &&
           ParsePair(arg.substr(to + 4), c, r);
      if (ok) out.DragCell(a, b, c, r);
    } else if (verb == "expect") {
      std::string_view what = arg.substr(0, arg.find(' '));
      std::string_view rest = what.size() < arg.size() ? Trim(arg.substr(what.size())) : std::string_view();
      if (what == "focus") {
        ok = rest.substr(0, 3) == "id=" && ParseInt(rest.substr(3), a);
        if (ok) out.ExpectFocus(a);
      } else if (what == "text" && rest.substr(0, 3) == "id=") {
        size_t sp = rest.find(' ');
        std::string value;
        ok = sp != std::string_view::npos && ParseInt(rest.substr(3, sp - 3), a) && ParseQuoted(rest.substr(sp), value);
        if (ok) out.ExpectText(a, value);
      }
    } else if (verb == "snapshot") {
      int first = -1;
      ok = arg.empty() || (arg.substr(0, 4) == "row=" && ParseInt(arg.substr(4), first));
      if (!ok) return fail(line_no, line);
      const int start = line_no;
      std::string rows;
      bool ended = false;
      while (!text.empty()) {
        std::string_view row = next_line();
        if (row == "end") {
          ended = true;
          break;
        }
        std::string converted;
        if (row.empty() || row.front() != '|' || !Utf8ToCp1252(row.substr(1), converted)) return fail(line_no, row);
        rows += converted;
        rows += '\n';
      }
      if (!ended) {
        error = "script line " + std::to_string(start) + ": the snapshot has no \"end\"";
        return false;
      }
      out.Snapshot(rows, first);
    }
    if (!ok) return fail(line_no, line);
  }
  return true;
}

// ---------------------------------------------------------------- front end

void HeadlessFrontEnd::Append(const Script& script) {
  steps_.insert(steps_.end(), script.steps.begin(), script.steps.end());
}

namespace {

// A byte string with control characters escaped, for failure reasons.
std::string Shown(std::string_view s) {
  std::string out;
  for (char c : s) {
    unsigned char u = static_cast<unsigned char>(c);
    if (u < 32) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%02X", u);
      out += buf;
    } else {
      out += c;
    }
  }
  return out;
}

std::string WithoutTrailingBlanks(std::string_view s) {
  size_t end = s.find_last_not_of(' ');
  return std::string(end == std::string_view::npos ? std::string_view() : s.substr(0, end + 1));
}

// The window with the id: in the active window first, then from the top of
// the stacking order down.
Hwnd FindById(const WinSystem& ws, int id) {
  if (Hwnd h = ws.FindChild(ws.Active(), id)) return h;
  const auto& z = ws.TopLevels();
  for (auto it = z.rbegin(); it != z.rend(); ++it) {
    if (Hwnd h = ws.FindChild(*it, id)) return h;
  }
  return kNoWindow;
}

}  // namespace

std::string HeadlessFrontEnd::RunCheck(const ScriptStep& step) const {
  if (!ws_) return "no window system to check";
  switch (step.check) {
    case ScriptStep::Check::kNone:
      return {};
    case ScriptStep::Check::kText: {
      Hwnd h = FindById(*ws_, step.id);
      if (!h) return "no window has id " + std::to_string(step.id);
      std::string found = ws_->GetText(h);
      if (found == step.expected) return {};
      return "the text is \"" + Shown(found) + "\"";
    }
    case ScriptStep::Check::kFocus: {
      Hwnd f = ws_->Focus();
      if (!ws_->IsWindow(f)) return "no window has the focus";
      if (ws_->Id(f) == step.id) return {};
      return "the focus is on id=" + std::to_string(ws_->Id(f)) + " (" + ws_->Rec(f)->class_name + ")";
    }
    case ScriptStep::Check::kSnapshot: {
      CellGrid grid = Compose(*ws_);
      std::vector<std::string> want;
      for (size_t at = 0; at < step.expected.size();) {
        size_t nl = step.expected.find('\n', at);
        if (nl == std::string::npos) nl = step.expected.size();
        want.push_back(WithoutTrailingBlanks(std::string_view(step.expected).substr(at, nl - at)));
        at = nl + 1;
      }
      const int first = step.row < 0 ? 0 : step.row;
      int last = first + static_cast<int>(want.size());  // one past the last row compared
      if (step.row < 0) last = std::max(last, grid.rows());
      std::string diff;
      for (int r = first; r < last; ++r) {
        size_t i = static_cast<size_t>(r - first);
        std::string expected = i < want.size() ? want[i] : std::string();
        std::string found = r < grid.rows() ? grid.Row(r) : std::string();
        if (r >= grid.rows() && i < want.size()) found = "(no such row)";
        if (expected == found) continue;
        diff += "\n  row " + std::to_string(r) + " expected |" + Shown(expected) + "\n  row " + std::to_string(r) +
                " found    |" + Shown(found);
      }
      if (diff.empty()) return {};
      return "the grid differs:" + diff;
    }
  }
  return {};
}

bool HeadlessFrontEnd::Poll(InputEvent& ev) {
  // Checks run here: everything the earlier steps caused has been handled.
  while (!steps_.empty() && steps_.front().check != ScriptStep::Check::kNone) {
    ScriptStep step = steps_.front();
    steps_.pop_front();
    log_.push_back(step.text);
    std::string why = RunCheck(step);
    if (why.empty()) continue;
    failures_.push_back(step.text + ": " + why);
    if (ws_) ws_->Stall("the script's check failed: " + failures_.back());
    return false;
  }
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

HeadlessDriver::HeadlessDriver(Metrics metrics) : ws_(&input_, metrics), msgbox_(ws_) { input_.Attach(&ws_); }

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
