#include "output/report_template.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <deque>
#include <memory>
#include <unordered_map>
#include <utility>
#include <vector>

#include "core/arrays.h"
#include "core/def_lines.h"
#include "core/dyn_strings.h"
#include "core/err_register.h"
#include "core/exp_code.h"
#include "core/exp_eval.h"
#include "core/field_format.h"
#include "core/macros.h"
#include "core/module_parms.h"
#include "core/num_text.h"
#include "core/scratch_arena.h"
#include "core/str_build.h"
#include "core/str_keys.h"
#include "core/str_search.h"
#include "core/streams.h"
#include "core/string_lists.h"
#include "core/sys_vars.h"
#include "core/var_store.h"
#include "data/dict_query.h"
#include "data/file_ctrl.h"
#include "data/record_buffer.h"
#include "data/record_layer.h"
#include "data/record_search.h"

namespace eng {

namespace {

constexpr char kMarkFixed = 0x17, kMarkRelative = 0x18, kMarkBody = 0x19;
constexpr uint16_t kIncludeDepth = 16;
constexpr uint16_t kKeepOnSetup = kRptBody | kRptOverflow | 0x7F00;

ReportProgressFn g_progress = nullptr;

// Expressions of the running reports compiled once: a body line's fields and
// conditions are evaluated for every record. A compiled text gives what its
// text gives (core/exp_code.h); a text the compiler does not take is kept as
// null and evaluated as text. Forgotten when an outermost run starts, so that
// no compiled form outlives the runtime it was made in.
std::unordered_map<std::string, std::shared_ptr<const ExpCode>>& Compiled() {
  static std::unordered_map<std::string, std::shared_ptr<const ExpCode>> cache;
  return cache;
}

// Counts the times the compiled forms were forgotten: what was looked up
// under an earlier count is looked up again.
uint64_t g_compiled_run = 1;

const ExpCode* CodeOf(const std::string& text) {
  auto& cache = Compiled();
  auto it = cache.find(text);
  if (it == cache.end()) {
    ScratchScope scope;
    it = cache.emplace(text, ExpCompile(StrOf(text))).first;
  }
  return it->second.get();
}

// Counts the runs of what may change a report's state behind its back
// (expressions, macros, the progress service, nested bodies): what was
// looked up or checked under the same count still holds.
uint64_t g_ran = 0;

Status EvalTextCompiled(const std::string& text) {
  ++g_ran;
  const ExpCode* code = CodeOf(text);
  return code ? ExpCodeEvalText(*code) : ExpEvalText(StrOf(text));
}

std::string LineAt(uint16_t i) {
  StrPair p = DynStrGet(sl::kReportLines, i);
  return p.ok() ? std::string(p.view()) : std::string();
}

std::string Trim(std::string_view t) {
  size_t a = t.find_first_not_of(' ');
  if (a == std::string_view::npos) return {};
  size_t b = t.find_last_not_of(' ');
  return std::string(t.substr(a, b - a + 1));
}

// The layout of a line: from column 5, or after the first TAB of a conditional line.
std::string Layout(std::string_view line) {
  if (line.size() <= 5) return {};
  std::string_view rest = line.substr(5);
  if (ReportLineRowCol(line).row == 0) {
    size_t tab = rest.find('\t');
    return tab == std::string_view::npos ? std::string() : std::string(rest.substr(tab + 1));
  }
  return std::string(rest);
}

struct LineParts {
  std::string pieces, exprs, parms;
  bool marker = false;
};

// Part 0 before the role marker, part 1 after it up to " /" (trimmed), part
// 2 the parameters from " /" on. A line without a marker is all literal.
LineParts Parts(std::string_view line) {
  LineParts p;
  std::string layout = Layout(line);
  size_t m = layout.find_first_of(std::string_view("\x17\x18\x19", 3));
  if (m == std::string::npos) {
    p.pieces = layout;
    return p;
  }
  p.marker = true;
  p.pieces = layout.substr(0, m);
  size_t after = m + 1;
  if (after < layout.size() && layout[after] == layout[m]) ++after;
  std::string rest = layout.substr(after);
  size_t slash = std::string::npos;
  for (size_t at = StrFindTopLevel(rest, 0, " "); at != std::string::npos; at = StrFindTopLevel(rest, at + 1, " ")) {
    if (at + 1 < rest.size() && rest[at + 1] == '/') {
      slash = at;
      break;
    }
  }
  p.exprs = Trim(rest.substr(0, slash));
  if (slash != std::string::npos) p.parms = rest.substr(slash);
  return p;
}

// Splits at a separator outside quotes and parentheses.
std::vector<std::string> SplitTop(const std::string& text, char sep) {
  std::vector<std::string> out;
  size_t from = 0;
  for (;;) {
    size_t at = StrFindTopLevel(text, from, std::string_view(&sep, 1));
    out.push_back(text.substr(from, at == std::string::npos ? std::string::npos : at - from));
    if (at == std::string::npos) break;
    from = at + 1;
  }
  return out;
}

// Pieces are split at "|" outside quotes only (a mask may hold parentheses).
std::vector<std::string> SplitPieces(const std::string& text) {
  std::vector<std::string> out(1);
  char quote = 0;
  for (char c : text) {
    if (quote) {
      if (c == quote) quote = 0;
    } else if (c == '\'' || c == '"') {
      quote = c;
    } else if (c == '|') {
      out.emplace_back();
      continue;
    }
    out.back() += c;
  }
  return out;
}

// The edit mask of a piece prepared once when it is the same for every
// record: no short decimals form (",.", adapted to the decimals in effect)
// and no macro ("]"). Applying it gives what FmtApplyMask gives with the
// mask as FmtMaskFromType makes it.
struct MaskPlan {
  bool fixed = false;
  std::string mask;          // the mask as applied
  char first = 0;            // its first place character ("\\?#0"), 0 when it has none
  bool char_places = false;  // it holds "\\" or "?" places
  bool in_order = false;     // as a character mask, every place takes the value's next character
  bool all_hash = false;     // only "#" places: a whole number shows right-aligned
  std::string places;        // the character mask with its "\\ blanks \\" runs made places
  // An in-order mask in runs: literal text, then a count of places (either may be empty).
  std::vector<std::pair<std::string, size_t>> runs;
};

MaskPlan PlanMask(std::string_view piece) {
  MaskPlan p;
  if (piece.find(",.") != std::string_view::npos || piece.find(']') != std::string_view::npos) return p;
  ScratchScope scope;
  StrPair m = FmtMaskFromType(ScratchText(piece));
  // Quotes hide places from the formatter's search: such masks take the general way.
  if (!m.ok() || m.view().find_first_of("'\"") != std::string_view::npos) return p;
  p.fixed = true;
  p.mask.assign(m.view());
  const size_t at = p.mask.find_first_of("\\?#0");
  if (at == std::string::npos) return p;
  p.first = p.mask[at];
  p.all_hash = p.mask.find_first_not_of('#') == std::string::npos;
  p.char_places = p.mask.find_first_of("\\?") != std::string::npos;
  // A backslash, blanks and a backslash make as many character places.
  p.places = p.mask;
  for (size_t i = 0; i < p.places.size(); ++i) {
    if (p.places[i] != '\\') continue;
    size_t j = i + 1;
    while (j < p.places.size() && p.places[j] == ' ') ++j;
    if (j > i + 1 && j < p.places.size() && p.places[j] == '\\') {
      for (size_t x = i; x <= j; ++x) p.places[x] = '\\';
      i = j;
    }
  }
  p.in_order = p.places.find('?') == std::string::npos;
  if (p.in_order) {
    for (size_t i = 0; i < p.places.size();) {
      std::pair<std::string, size_t> run;
      while (i < p.places.size() && p.places[i] != '\\') run.first += p.places[i++];
      while (i < p.places.size() && p.places[i] == '\\') ++run.second, ++i;
      p.runs.push_back(std::move(run));
    }
  }
  return p;
}

// "0", or digits not starting with "0" after an optional "-".
bool IsWholeNumber(std::string_view v) {
  if (v == "0") return true;
  if (!v.empty() && v.front() == '-') v.remove_prefix(1);
  if (v.empty() || v.front() == '0') return false;
  return v.find_first_not_of("0123456789") == std::string_view::npos;
}

// Appends a value through a fixed mask (see MaskPlan).
Status ApplyPlan(const MaskPlan& p, std::string_view value, std::string& line) {
  if (!p.first) {
    line += p.mask;
    return kOk;
  }
  const bool hash_or_zero = p.first == '#' || p.first == '0';
  if (hash_or_zero && value.find_first_not_of(".-1234567890,D ") == std::string_view::npos) {
    size_t a = value.find_first_not_of(' '), b = value.find_last_not_of(' ');
    std::string_view trimmed = a == std::string_view::npos ? std::string_view() : value.substr(a, b - a + 1);
    if (p.all_hash && trimmed.size() < p.mask.size() && IsWholeNumber(trimmed)) {
      // What the number mask makes of it: the digits (and sign) right-aligned.
      line.append(p.mask.size() - trimmed.size(), ' ');
      line += trimmed;
      return kOk;
    }
    const FmtLocale& loc = FmtCurrentLocale();
    line += FmtNumberMaskString(p.mask, trimmed, loc.point, loc.separator, nullptr);
    return kOk;
  }
  if (hash_or_zero && !p.char_places) {
    line += p.mask;
    return kOk;
  }
  if (p.in_order) {
    // The runs make up the mask's length: the room is taken once, in blanks
    // for the places the value does not reach.
    const size_t at = line.size();
    line.resize(at + p.places.size(), ' ');
    char* out = line.data() + at;
    size_t next = 0;
    for (const auto& [literal, places] : p.runs) {
      std::memcpy(out, literal.data(), literal.size());
      out += literal.size();
      const size_t take = std::min(places, value.size() - next);
      if (take) std::memcpy(out, value.data() + next, take);
      out += places;
      next += take;
    }
    return kOk;
  }
  ScratchScope scope;
  StrPair r = FmtApplyMask(StrOf(p.mask), StrOf(value));
  if (!r.ok()) return StrError(r);
  line.append(r.view());
  return kOk;
}

// A line parameter looked up once: its unquoted value (empty when absent)
// and, for a short run of digits, the number it reads as.
struct LineParmValue {
  uint16_t n = 0;
  std::string text;
  bool literal = false;
  DecValue number = 0;
};

struct FieldRef;
struct FieldSource;

// A template line taken apart once: a pass prints the same lines for every
// record. Entries are checked against the line's text, so a nested report
// or a new template never sees another line's parts.
struct LineInfo {
  bool ready = false;
  std::string text;
  LineParts parts;
  // Shared, so that a line being printed keeps its parts without copying
  // them even when a nested report reuses the entry.
  std::shared_ptr<const std::vector<std::string>> pieces, exprs;
  // Per piece: its expression trimmed and its mask prepared.
  std::shared_ptr<const std::vector<std::string>> trimmed;
  std::shared_ptr<const std::vector<MaskPlan>> masks;
  std::vector<LineParmValue> parms;  // parameters looked up so far
  // For the line parameters (ATEND$ to WD): 1 + their place in parms, 0
  // while not looked up.
  std::array<uint8_t, kParmWd - kParmAtEnd + 1> parm_at{};
  // The compiled forms of the trimmed expressions (code, looked up) in the
  // run that looked them up.
  uint64_t code_run = 0;
  std::vector<std::pair<const ExpCode*, bool>> codes;
  // The field references of its empty expressions (FieldRefOf), for one
  // record file in one run.
  uint64_t refs_run = 0;
  uint16_t refs_file = 0;
  std::vector<const FieldRef*> refs;
  // Where each field comes from (LineSources), for one record file of so
  // many fields in one run.
  uint64_t sources_run = 0;
  uint16_t sources_file = 0, sources_fields = 0;
  std::shared_ptr<const std::vector<FieldSource>> sources;
  // No field of the line runs anything that could change the report's
  // lines: every source is a literal piece, a field read in place or a
  // number literal, and no piece holds a macro.
  bool quiet = false;
  // Its role marker (0 without one) and whether the marker is doubled.
  char mark = 0;
  bool doubled = false;
};

LineInfo& Info(uint16_t i) {
  static std::unordered_map<uint16_t, LineInfo> cache;
  // The entry of the line asked last (a body line is asked for several
  // times per record); entries are never removed, so the pointer holds.
  static uint16_t last_line = 0;
  static LineInfo* last = nullptr;
  StrPair p = DynStrGet(sl::kReportLines, i);
  std::string_view text = p.ok() ? p.view() : std::string_view();
  if (!last || last_line != i) {
    last = &cache[i];
    last_line = i;
  }
  LineInfo& e = *last;
  if (!e.ready || e.text != text) {
    e = LineInfo{};
    e.ready = true;
    e.text.assign(text);
    e.parts = Parts(e.text);
    e.pieces = std::make_shared<const std::vector<std::string>>(SplitPieces(e.parts.pieces));
    e.exprs = std::make_shared<const std::vector<std::string>>(
        e.parts.exprs.empty() ? std::vector<std::string>() : SplitTop(e.parts.exprs, ','));
    std::vector<std::string> trimmed;
    for (const std::string& x : *e.exprs) trimmed.push_back(Trim(x));
    e.trimmed = std::make_shared<const std::vector<std::string>>(std::move(trimmed));
    std::vector<MaskPlan> masks;
    for (const std::string& piece : *e.pieces) masks.push_back(PlanMask(piece));
    e.masks = std::make_shared<const std::vector<MaskPlan>>(std::move(masks));
    if (e.parts.marker) {
      const std::string layout = Layout(e.text);
      const size_t m = layout.find_first_of(std::string_view("\x17\x18\x19", 3));
      e.mark = layout[m];
      e.doubled = m + 1 < layout.size() && layout[m + 1] == e.mark;
    }
  }
  return e;
}

// A short run of digits: a literal the evaluator would read as that number.
bool IsDigitLiteral(std::string_view v) {
  if (v.empty() || v.size() > 4) return false;
  for (char c : v)
    if (c < '0' || c > '9') return false;
  return true;
}

// A parameter not found by ParmOf: looked up in the line's parameters once.
const LineParmValue& LookUpParm(LineInfo& info, uint16_t n) {
  const bool line_parm = n >= kParmAtEnd && n <= kParmWd;
  if (!line_parm) {
    for (const LineParmValue& v : info.parms)
      if (v.n == n) return v;
  }
  LineParmValue v;
  v.n = n;
  if (!info.parts.parms.empty()) {
    ScratchScope scope;
    StrPair t = StrKeyGetMode(StrOf(info.parts.parms), StrOf(ParmBaseName(n)), kKeyUnquoted);
    if (t.ok()) v.text.assign(t.view());
    if (IsDigitLiteral(v.text)) {
      // A plain number needs no evaluation; it is read as the evaluator reads it.
      v.literal = true;
      v.number = DecFromText(StrOf(v.text));
    }
  }
  info.parms.push_back(std::move(v));
  if (line_parm && info.parms.size() <= 0xFF) info.parm_at[n - kParmAtEnd] = static_cast<uint8_t>(info.parms.size());
  return info.parms.back();
}

// Looked up for every record: a parameter looked up before is found inline.
inline const LineParmValue& ParmOf(LineInfo& info, uint16_t n) {
  if (n >= kParmAtEnd && n <= kParmWd) {
    if (uint8_t at = info.parm_at[n - kParmAtEnd]) return info.parms[at - 1u];
  }
  return LookUpParm(info, n);
}

// A line parameter of the current line (unquoted value), or empty.
std::string LineParm(const ReportState& st, uint16_t n) { return ParmOf(Info(st.current), n).text; }

// A parameter that is no literal, evaluated as a number.
int EvalParmInt(const LineParmValue& p, int fallback, Status* status) {
  const std::string v = p.text;  // the evaluation may look up further parameters
  ScratchScope scope;
  Status s = EvalTextCompiled(v);
  if (s >= kStFirstError) {
    if (status) *status = s;
    return fallback;
  }
  if (s != 0) return fallback;
  DecValue d = NumAccValue();
  const int64_t scale = ExpScale();
  return static_cast<int>(scale ? d / scale : d);
}

// A numeric line parameter evaluated; `status` receives an error of 128 or more.
inline int ParmIntOf(LineInfo& info, uint16_t n, int fallback, Status* status) {
  const LineParmValue& p = ParmOf(info, n);
  if (p.text.empty()) return fallback;
  if (p.literal) {
    const int64_t scale = ExpScale();
    return static_cast<int>(scale ? p.number / scale : p.number);
  }
  return EvalParmInt(p, fallback, status);
}

Status EvalCond(const std::string& cond) {
  if (cond.empty()) return 1;
  // The constant conditions (a BREAK$ that never holds) need no evaluation.
  if (cond == "0") return 0;
  if (cond == "1") return 1;
  ++g_ran;
  ScratchScope scope;
  const ExpCode* code = CodeOf(cond);
  return code ? ExpCodeEvalCond(*code) : ExpEvalCond(StrOf(cond));
}

std::string JoinCond(const std::string& a, const std::string& b) {
  if (a.empty()) return b;
  if (b.empty()) return a;
  return a + "&&" + b;
}

int LinesPerPage(const ReportState& st) { return st.device.lines ? st.device.lines : 0xFFFF; }

// Prepares the current line: 0, 1 to skip it, or an error. Continuation
// lines print only during an overflow visit.
Status LineSetup(ReportState& st, bool overflow_visit = false) {
  st.flags &= kKeepOnSetup;
  // The line's row, column and marker are read from its entry before its
  // condition runs (which could make a nested report reuse the entry).
  const LineInfo& info = Info(st.current);
  const ReportRowCol rc = ReportLineRowCol(info.text);
  const char mark = info.mark;
  const bool doubled = info.doubled;
  st.row = rc.row;
  st.column = static_cast<uint16_t>(rc.column);
  bool conditional = rc.row == 0;
  if (conditional) {
    std::string_view line = info.text;
    std::string_view rest = line.size() > 5 ? line.substr(5) : std::string_view();
    std::string cond = Trim(rest.substr(0, rest.find('\t')));
    Status c = EvalCond(cond);
    if (c >= kStFirstError) return c;
    if (c != 1) return 1;
  }
  if (mark) {
    if (doubled) {
      if (!overflow_visit) return 1;
      st.flags |= kRptContinuation;
    } else {
      st.flags |= mark == kMarkFixed ? kRptFixed : mark == kMarkRelative ? kRptRelative : kRptBody;
    }
  }
  if ((st.flags & kRptRelative) || conditional) {
    int step = st.device.step ? st.device.step : 1;
    int offset = step;
    if (!conditional) {
      int prev = 0;
      if (st.current > st.first) {
        StrPair p = DynStrGet(sl::kReportLines, static_cast<uint16_t>(st.current - 1));
        prev = ReportLineRowCol(p.ok() ? p.view() : std::string_view()).row;
      }
      offset = rc.row - prev;
    }
    st.row = st.device.row + offset - (st.device.column == 1 ? step : 0);
  }
  return kOk;
}

bool IsBodyLine(uint16_t i) {
  const LineInfo& info = Info(i);
  return info.mark == kMarkBody && !info.doubled;
}

}  // namespace

void OutputSetReportProgress(ReportProgressFn fn) { g_progress = fn; }

uint16_t ReportCurrentFile() {
  int16_t f = SysVarGet(kVarCurFil);
  if (f <= 0 || !DictFileDefined(static_cast<uint16_t>(f))) return 0;
  if (DataFileCtrl(static_cast<uint16_t>(f)).data_stream == 0xFFFF) return 0;
  return static_cast<uint16_t>(f);
}

bool ReportShowsProgress(const ReportState& st) { return g_progress && st.progress != "NONE"; }

Status ReportProgress(ReportState& st) {
  if (!ReportShowsProgress(st)) return kOk;
  ++g_ran;
  std::string text;
  if (st.progress.empty()) {
    if (uint16_t f = ReportCurrentFile()) text = DataFileKeyFieldText(f);
  } else if (st.progress != "PROGRESS") {
    ScratchScope scope;
    StrPair v = ExpEvalStr(StrOf(st.progress));
    if (v.ok()) text.assign(v.view());
  }
  Status s = g_progress(st.progress, text);
  if (s == kStCancelled) st.flags |= kRptCancelled;
  return s;
}

ReportRowCol ReportLineRowCol(std::string_view line) {
  auto num = [&](size_t from, size_t n) {
    int v = 0;
    for (size_t i = from; i < from + n && i < line.size(); ++i)
      if (line[i] >= '0' && line[i] <= '9') v = v * 10 + (line[i] - '0');
      else v = v * 10;
    return v;
  };
  return {num(0, 2), num(2, 3)};
}

std::string ReportEditNumber(std::string_view piece) {
  std::string out(piece);
  if (piece.find(",.") == std::string_view::npos) return out;  // no decimals to adapt
  size_t at = StrFindTopLevel(piece, 0, ",");
  while (at != std::string::npos && !(at + 1 < piece.size() && piece[at + 1] == '.'))
    at = StrFindTopLevel(piece, at + 1, ",");
  if (at == std::string::npos || at + 2 >= piece.size()) return out;
  size_t d = at + 2;
  int16_t dx = SysVarGet(kVarDx);
  char digit = static_cast<char>('0' + (dx != 0 ? dx : SysVarGet(kVarPrecis)));
  if (piece[d] != '#') {
    int n = 0;
    for (size_t i = d; i < piece.size() && piece[i] >= '0' && piece[i] <= '9'; ++i) n = n * 10 + (piece[i] - '0');
    ScratchScope scope;
    std::string name = "_V" + std::to_string(n) + "$";
    if (!VarLookup(StrOf(name)).declared()) return out;
    if (VarRead(StrOf(name)) != 1) return out;
    StrPair v = ScratchTop();
    if (!v.ok() || v.empty()) return out;
    digit = v.view()[0];
  }
  size_t h = piece.find_last_of("#00123456789");
  if (h == std::string::npos || h < d) return out;
  for (size_t i = d; i <= h; ++i) out[i] = '0';
  out[h] = digit;
  return out;
}

namespace {

// Field types whose values the expression evaluator reads as numbers.
constexpr std::string_view kNumberFieldTypes = "NL123456789";

// How a body line prints field `field` of the record file `file` when its
// expression is empty: the field's qualified reference, and whether that
// reference is a text field read straight from the record buffer (what
// evaluating it gives, without parsing it). Looked up once per run.
struct FieldRef {
  std::string reference;
  bool direct = false;
  // A direct field read in place from the current record: its bytes as
  // they stand (a type that the read converts is not taken in place).
  bool in_place = false;
  uint16_t offset = 0, length = 0;
};

std::unordered_map<uint32_t, FieldRef>& FieldRefs() {
  static std::unordered_map<uint32_t, FieldRef> refs;
  return refs;
}

const FieldRef& FieldRefOf(uint16_t file, uint16_t field) {
  auto& refs = FieldRefs();
  const uint32_t key = uint32_t(file) << 16 | field;
  auto it = refs.find(key);
  if (it != refs.end()) return it->second;
  ScratchScope scope;
  FieldRef r;
  StrPair q = DictFieldQualName(file, field);
  if (q.ok()) r.reference.assign(q.view());
  // The reference names the field: the first field of that name must be it,
  // and only a plain name reads as a single field reference. Number fields
  // go through the evaluator.
  StrPair name = DictFieldName(file, field);
  if (name.ok() && !name.empty() && DictFindField(file, name) == field) {
    std::string_view n = name.view();
    auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; };
    bool plain = letter(n[0]);
    for (char c : n)
      if (!letter(c) && !(c >= '0' && c <= '9')) plain = false;
    const DictFieldDesc desc = DictField(file, field);
    const char type = desc.type;
    r.direct = plain && !(type && kNumberFieldTypes.find(type) != std::string_view::npos);
    // The read converts old-format dates and "D"-coded numbers (core/field_compat.h).
    r.in_place = r.direct && std::string_view("FfNn").find(type) == std::string_view::npos;
    r.offset = desc.offset;
    r.length = desc.length;
  }
  return refs.emplace(key, std::move(r)).first->second;
}

// Where a field's value comes from: its expression (compiled once, null
// when the compiler does not take it) or, for a text field of the record
// file, the record buffer itself.
struct FieldSource {
  const std::string* expr = nullptr;  // empty or null: the piece is printed as it is
  const ExpCode* code = nullptr;
  uint16_t file = 0;                  // a reference to a field of this record file (compiled when used)
  uint16_t field = 0;                 // a text field read straight from the buffer
  const FieldRef* ref = nullptr;      // the field reference (its place in the record)
  bool number_literal = false;        // the expression is digits only: its run changes nothing
};

// The value of a field through the piece as a mask, appended to the line's
// text; `number` when the value is a number.
Status AppendMasked(const std::string& piece, const MaskPlan& plan, std::string_view value, bool number,
                    std::string& line) {
  if (number && value.empty()) {
    line.append(piece.size(), ' ');
    return kOk;
  }
  if (plan.fixed) return ApplyPlan(plan, value, line);
  ScratchScope scope;
  ++g_ran;
  std::string mask = ReportEditNumber(piece);
  // A mask without "]" holds no macro: expanding it would copy it unchanged.
  StrPair m = mask.find(']') == std::string::npos ? ScratchText(mask) : MacroExpand(StrOf(mask), 0);
  if (!m.ok()) return StrError(m);
  m = FmtMaskFromType(m);
  if (!m.ok()) return StrError(m);
  StrPair r = FmtApplyMask(m, StrOf(value));
  if (!r.ok()) return StrError(r);
  line.append(r.view());
  return kOk;
}

// One field: the value through the piece as a mask, appended to the line's
// text. A direct field whose read fails goes through the evaluator, which
// reports the failure its own way.
Status PrintField(ReportState& st, const std::string& piece, const MaskPlan& plan, const FieldSource& src,
                  uint16_t total, bool first, std::string& line) {
  ScratchScope scope;
  if (!src.expr || src.expr->empty()) {
    if (first && st.device.row == 1) DevicePublishPos(st.device, true);
    line += piece;
    return kOk;
  }
  std::string_view value;
  bool direct = false;
  if (src.field) {
    StrPair t = BufGetField(src.file, src.field);
    direct = t.ok();
    if (direct) value = t.view();
  }
  // A number literal gives the same number, and text, while the decimals
  // in effect stay: they are worked out once for them (its evaluation
  // leaves nothing behind the scratch scope).
  static struct {
    std::string expr, text;
    int precis = -1;
    uint64_t run = 0;
    DecValue value = 0;
  } literal;
  const bool known_literal = !direct && src.number_literal && literal.run == g_compiled_run &&
                             literal.precis == DecPrecis() && literal.expr == *src.expr;
  const ExpCode* code = src.code ? src.code : src.file && !direct ? CodeOf(*src.expr) : nullptr;
  if (!direct && !src.number_literal) ++g_ran;
  Status s = direct          ? Status{1}
             : known_literal ? Status{kOk}
             : code          ? ExpCodeEvalText(*code)
                             : ExpEvalText(StrOf(*src.expr));
  if (s >= kStFirstError) return s;
  bool number = s == 0;
  if (direct) {
    // The field's text, read above.
  } else if (s == 0) {
    DecValue v = known_literal ? literal.value : NumAccValue();
    if (total) {
      // The totals array is found by name once, and again only after a
      // declaration or scope change.
      static VarBinding totals;
      const uint16_t array = VarBind(StrOf("_#("), kVarArray, totals);
      if (array == kVarUndeclared) return kStDimStruct;
      if (Status a = DimAddNumAt(array, total, v); a >= kStFirstError) return a;
    }
    if (known_literal) {
      value = literal.text;
    } else {
      StrPair t = DecToText(v);
      if (t.ok()) value = t.view();
      if (src.number_literal && t.ok()) {
        literal.expr = *src.expr;
        literal.text.assign(t.view());
        literal.precis = DecPrecis();
        literal.run = g_compiled_run;
        literal.value = v;
      }
    }
  } else if (s == 1) {
    StrPair t = ScratchTop();
    if (t.ok()) value = t.view();
  } else {
    value = piece;
  }
  if (Status a = AppendMasked(piece, plan, value, number, line)) return a;
  if (first && st.device.row == 1) DevicePublishPos(st.device, true);
  return kOk;
}

// The field reference of a line's (empty) expression i, looked up once per
// run and record file.
const FieldRef& LineFieldRef(LineInfo& info, uint16_t file, size_t i) {
  if (info.refs_run != g_compiled_run || info.refs_file != file) {
    info.refs_run = g_compiled_run;
    info.refs_file = file;
    info.refs.assign(info.trimmed->size(), nullptr);
  }
  if (!info.refs[i]) info.refs[i] = &FieldRefOf(file, static_cast<uint16_t>(i + 1));
  return *info.refs[i];
}

// The compiled form of a line's expression i, looked up once per run.
const ExpCode* LineCode(LineInfo& info, size_t i) {
  if (info.code_run != g_compiled_run) {
    info.code_run = g_compiled_run;
    info.codes.assign(info.trimmed->size(), {nullptr, false});
  }
  auto& [code, known] = info.codes[i];
  if (!known) {
    code = CodeOf((*info.trimmed)[i]);
    known = true;
  }
  return code;
}

// Where each field of a line comes from, worked out once per run and record
// file (file 0: no record file; an empty expression then prints its piece).
// An empty expression prints field i + 1 of the record file.
const std::shared_ptr<const std::vector<FieldSource>>& LineSources(LineInfo& info, uint16_t file,
                                                                  uint16_t file_fields) {
  if (info.sources && info.sources_run == g_compiled_run && info.sources_file == file &&
      info.sources_fields == file_fields)
    return info.sources;
  const std::vector<std::string>& exprs = *info.trimmed;
  auto sources = std::make_shared<std::vector<FieldSource>>(exprs.size());
  for (size_t i = 0; i < exprs.size(); ++i) {
    FieldSource& src = (*sources)[i];
    src.expr = &exprs[i];
    if (!src.expr->empty()) {
      src.code = LineCode(info, i);
      src.number_literal = src.expr->size() <= 18 && src.expr->find_first_not_of("0123456789") == std::string::npos;
    } else if (file && i + 1 <= file_fields) {
      const FieldRef& ref = LineFieldRef(info, file, i);
      src.expr = &ref.reference;
      src.field = ref.direct ? static_cast<uint16_t>(i + 1) : 0;
      src.file = file;
      src.ref = &ref;
    }
  }
  bool quiet = true;
  for (const FieldSource& src : *sources)
    if (src.expr && !src.expr->empty() && !(src.ref && src.ref->in_place) && !src.number_literal) quiet = false;
  for (const std::string& piece : *info.pieces)
    if (piece.find(']') != std::string::npos) quiet = false;
  info.quiet = quiet;
  info.sources = std::move(sources);
  info.sources_run = g_compiled_run;
  info.sources_file = file;
  info.sources_fields = file_fields;
  return info.sources;
}

// A text field's bytes read in place from the current record (viewed once
// per line while nothing else runs): false when the field cannot be read so,
// and BufGetField's way then gives the value or the failure.
bool InPlaceValue(const FieldSource& src, StrPair& record, bool& have_record, std::string_view& value) {
  if (!src.ref || !src.ref->in_place || src.expr->empty()) return false;
  if (!have_record) {
    record = BufRecord(src.file, kBufCurrent);
    have_record = true;
  }
  if (!record.ok() || size_t(src.ref->offset) + src.ref->length > record.len) return false;
  value = src.ref->length ? std::string_view(record.ptr + src.ref->offset, src.ref->length) : std::string_view();
  return true;
}

// A line parameter that gives its value without running anything.
bool QuietParm(LineInfo& info, uint16_t n) {
  const LineParmValue& v = ParmOf(info, n);
  return v.text.empty() || v.literal;
}

// The parts of a line being printed, held while something runs that could
// make a nested report reuse the line's entry.
struct LineHold {
  std::shared_ptr<const std::vector<std::string>> pieces, exprs;
  std::shared_ptr<const std::vector<MaskPlan>> masks;
  std::shared_ptr<const std::vector<FieldSource>> sources;
  std::string exprs_text;
  bool held = false;
  void Hold(const LineInfo& info) {
    if (held) return;
    held = true;
    pieces = info.pieces;
    exprs = info.trimmed;
    masks = info.masks;
    exprs_text = info.parts.exprs;
  }
};

// The record file of a body line and its field count, as worked out while
// nothing ran since.
struct LineFile {
  uint16_t file = 0, fields = 0;
};

LineFile LineFileOf(const ReportState& st) {
  LineFile lf;
  lf.file = (st.flags & kRptBody) && st.input == 0 ? ReportCurrentFile() : 0;
  lf.fields = lf.file ? DictFieldCount(lf.file) : 0;
  return lf;
}

Status PrintLineOf(ReportState& st, LineInfo& info, int progress_field, const LineFile* known = nullptr) {
  // The parts are read through the entry while nothing can change it, and
  // held (LineHold) before anything runs that could.
  LineHold hold;
  const std::vector<std::string>& pieces = *info.pieces;
  const std::vector<std::string>& exprs = *info.trimmed;
  const std::vector<MaskPlan>& masks = *info.masks;
  const std::string& exprs_text = info.parts.exprs;
  if (!QuietParm(info, kParmTotalBase) || !QuietParm(info, kParmWd)) hold.Hold(info);
  Status status = kOk;
  int base = ParmIntOf(info, kParmTotalBase, 0, &status);
  int wd = ParmIntOf(info, kParmWd, st.device.width, &status);
  if (status) return status;
  uint16_t width = st.device.width;
  st.device.width = static_cast<uint16_t>(wd);
  const LineFile lf = known ? *known : LineFileOf(st);
  const uint16_t file = lf.file;
  const uint16_t file_fields = lf.fields;
  // Where each field comes from, worked out before any expression of the
  // line runs.
  const std::vector<FieldSource>* sources_at = nullptr;
  if (hold.held) {
    hold.sources = LineSources(info, file, file_fields);
    sources_at = hold.sources.get();
  } else {
    const auto& list = LineSources(info, file, file_fields);
    sources_at = list.get();
    if (!info.quiet || (progress_field == 1 && ReportShowsProgress(st))) {
      hold.Hold(info);
      hold.sources = list;
    }
  }
  const std::vector<FieldSource>& sources = *sources_at;
  // Nothing of a line that holds nothing (no parts to hold) reads the
  // device's position between its line ends and its text: the position the
  // line ends reach is published with the text's, or before the first field
  // on row 1 (which reads it back), or before a failure is told.
  bool owed = false;
  Status s = DeviceGotoRowCol(st.device, st.row, st.column, hold.held ? nullptr : &owed);
  auto publish_owed = [&] {
    if (owed) DevicePublishPos(st.device, false);
    owed = false;
  };
  if (st.device.row == 1) publish_owed();
  // The line is built in storage kept from line to line (a nested report
  // run by an expression of the line takes storage of its own).
  static thread_local std::string spare;
  std::string line = std::move(spare);
  line.clear();
  StrPair record;
  bool have_record = false;
  for (size_t i = 0; i < pieces.size() && s == kOk; ++i) {
    FieldSource src;
    if (i < exprs.size()) {
      if (exprs[i].empty() && file && i + 1 > file_fields) {
        publish_owed();
        s = ErrIncident(kStDataOutBound, StrOf(hold.held ? hold.exprs_text : exprs_text), true);
        break;
      }
      if (i < sources.size()) src = sources[i];
    }
    std::string_view value;
    if (InPlaceValue(src, record, have_record, value)) {
      s = AppendMasked(pieces[i], masks[i], value, false, line);
      if (s == kOk && i == 0 && st.device.row == 1) DevicePublishPos(st.device, true);
    } else {
      // Anything else may change the record buffers: the record is viewed again.
      have_record = false;
      uint16_t total = base ? static_cast<uint16_t>(base + static_cast<int>(i)) : 0;
      s = PrintField(st, pieces[i], masks[i], src, total, i == 0, line);
    }
    if (s == kOk && i == 0 && progress_field == 1 && ReportShowsProgress(st)) {
      have_record = false;  // the progress service may change the buffers
      if (ReportProgress(st) == kStCancelled) s = kStCancelled;
    }
    if (i + 1 < pieces.size()) line += ' ';
  }
  // The line goes to the device in one write, which publishes the position.
  if (s == kOk && !line.empty()) {
    s = DeviceWrite(st.device, line);
    if (s == kOk) owed = false;
  }
  publish_owed();
  spare = std::move(line);
  st.device.width = width;
  return s;
}

Status PrintLine(ReportState& st, int progress_field) { return PrintLineOf(st, Info(st.current), progress_field); }

// The row of the first fixed line below the current one that has a row (its
// layout starts at column 5), or 0.
int FixedRowBelow(const ReportState& st) {
  for (uint16_t i = static_cast<uint16_t>(st.current + 1); i < st.end; ++i) {
    StrPair p = DynStrGet(sl::kReportLines, i);
    std::string_view line = p.ok() ? p.view() : std::string_view();
    if (line.size() <= 5) continue;
    const int row = ReportLineRowCol(line).row;
    if (row > 0 && line.substr(5).find(kMarkFixed) != std::string_view::npos) return row;
  }
  return 0;
}

// The last row the current line may print on: MAXLINE% (below 0 counted
// back from the page's end), else two above the first fixed line below it
// (FixedRowBelow), else three above the page's end.
int MaxLineOf(ReportState& st, LineInfo& info, int fixed_below) {
  Status status = kOk;
  const bool given = !ParmOf(info, kParmMaxLine).text.empty();
  int n = ParmIntOf(info, kParmMaxLine, 0, &status);
  if (status) {
    st.status = status;
    return 0;
  }
  if (given && n < 0) return n + LinesPerPage(st);
  if (given && n > 0) return n;
  return fixed_below > 0 ? fixed_below - 2 : LinesPerPage(st) - 3;
}

int MaxLine(ReportState& st) { return MaxLineOf(st, Info(st.current), FixedRowBelow(st)); }

int LineStepOf(const ReportState& st, LineInfo& info) {
  Status ignored = kOk;
  int step = ParmIntOf(info, kParmLineStep, 0, &ignored);
  return step > 0 ? step : (st.device.step ? st.device.step : 1);
}

int LineStep(const ReportState& st) { return LineStepOf(st, Info(st.current)); }

// Whether a further record follows for the body; `atend` is the body line's
// ATEND$. `checked`: the current record is the one the last move of this
// body found within the bound, and nothing ran since (its check would give
// the same). `moved` tells when the answer came from such a move.
Status NextRecord(ReportState& st, const std::string& cond, std::string atend, bool checked, bool* moved,
                  DataFileWalk& walk, uint16_t current_file) {
  *moved = false;
  // The walk's resolution holds while nothing ran since its last step.
  if (!checked) walk.Forget();
  if (atend.empty() && SysVarHas(kVarUpStat, 4)) atend = "StatMove('NEXT')==0";
  if (!atend.empty()) return EvalCond(atend);
  if (st.input) {
    ScratchScope scope;
    StrPair line = StrmReadLine(st.input, kStrmHere, kStrmLine);
    if (!line.ok()) return StrError(line) == kStDiskIo ? Status{0} : StrError(line);
    DynStrPop(sl::kReturnBuffer);
    if (Status s = DynStrPush(sl::kReturnBuffer, line)) return s;
    return 1;
  }
  // Nothing ran since the caller found the current file.
  const uint16_t file = current_file;
  if (!file) return 0;
  if (!checked && DataFileKeyBeyond(file, 0, StrOf(st.bound)) != kOk) return 0;
  Status s;
  if (cond.empty() && !ReportShowsProgress(st)) {
    // A search for a condition that always holds, with nobody to tell of
    // each record, is one move to the next record within the bound: its
    // first round finds it. The search's own steps are left out (the key
    // text for the progress, the condition), not what it leaves behind.
    StrPair last = DynStrGet(sl::kWork, sl::kFileRelKey);
    if (!last.ok() || !last.empty()) DynStrSet(sl::kWork, sl::kFileRelKey, StrOf(""));
    s = walk.Step(file, 0x90, StrOf(st.bound));
    *moved = s == kOk;
  } else {
    ++g_ran;
    const DataFileProgressFn progress =
        ReportShowsProgress(st) ? DataFileProgressFn([&](StrPair) { return ReportProgress(st); }) : nullptr;
    s = DataFileSearch(file, 0x90, StrOf(cond), StrOf(st.bound), progress);
  }
  if (s == kOk) return 1;
  if (s >= kStFirstWarning) return s;
  return 0;
}

// The default end of a body, "(KEY$()>'<bound>~')", worked out without the
// evaluator: the key in use of the current file, as KEY$() gives it, against
// `end` (the bound followed by "~"), bytewise as the evaluator compares
// texts. 1 beyond, 0 not, or KEY$()'s failure. `walk`: the walk that just
// moved, whose key value is the current record's when its file is current.
Status KeyPastEnd(std::string_view end, const DataFileWalk* walk) {
  const uint16_t f = DictFileNumber(0);
  if (walk && walk->HasKey() && walk->File() == f && f != 0) return walk->Key().compare(end) > 0 ? 1 : 0;
  if (f == 0 || !DictFileDefined(f) || DictKeyCount(f) == 0) return 0;  // KEY$() is empty
  const uint16_t k = DataFileKeyNumber(f);
  if (Status s = DictCheckKey(f, k)) return s;
  StrPair record = BufRecord(f, kBufCurrent);
  if (!record.ok()) return 0;
  // The key's layout is looked up once per run (as the field references
  // are); the value is built into storage kept from record to record.
  static uint64_t layout_run = 0;
  static uint16_t layout_file = 0, layout_key = 0;
  static DictKeyLayout layout;
  if (layout_run != g_compiled_run || layout_file != f || layout_key != k) {
    layout = DictKeyParts(f, k);
    layout_run = g_compiled_run;
    layout_file = f;
    layout_key = k;
  }
  static thread_local std::string value;
  BufKeyValueOf(layout, record, value);
  // The value holds every part of the key: it is as long as the key.
  std::string_view key = value;
  // char_traits<char> compares bytes as unsigned values, a shorter text first.
  return key.compare(end) > 0 ? 1 : 0;
}

std::string BreakEnd(const ReportState& st) {
  std::string v = LineParm(st, kParmBrkEnd);
  if (v.empty()) {
    ScratchScope scope;
    StrPair q = StrQuote(StrOf(st.bound + "~"));
    if (!q.ok()) return {};
    return "(KEY$()>" + std::string(q.view()) + ")";
  }
  for (size_t at = v.find("[$]"); at != std::string::npos; at = v.find("[$]", at + st.bound.size()))
    v.replace(at, 3, st.bound);
  return v;
}

void PrintBody(ReportState& st);

void PrintNested(ReportState& st) {
  ++g_ran;  // the nested body moves through records of its own
  ReportState outer = st;
  st.current = st.continuation ? st.continuation : static_cast<uint16_t>(st.current + 1);
  st.continuation = 0;
  st.flags &= static_cast<uint16_t>(~(kRptBody | kRptOverflow));
  if (Status s = LineSetup(st); s >= kStFirstError) {
    st.status = s;
    return;
  }
  st.row = outer.row;
  st.pending_step = outer.pending_step ? outer.pending_step : LineStep(outer);
  PrintBody(st);
  if (st.flags & kRptOverflow) return;
  DeviceRecord dev = st.device;
  int row = st.row;
  Status status = st.status;
  st = outer;
  st.device = dev;
  st.row = row;
  st.status = status;
}

void PrintBody(ReportState& st) {
  uint16_t body_line = st.current;
  bool nested = (st.current + 1 < st.end && IsBodyLine(static_cast<uint16_t>(st.current + 1))) || st.continuation;
  std::string cond;
  {
    StrPair accept = DynStrGet(sl::kWork, sl::kAcceptCondition);
    cond = JoinCond(JoinCond(accept.ok() ? std::string(accept.view()) : std::string(), st.body_cond),
                    LineParm(st, kParmCond));
    ScratchScope scope;
    StrPair m = MacroExpand(StrOf(cond), 0);
    if (m.ok()) cond.assign(m.view());
  }
  // The end and break conditions of the body line are the same for every record.
  const std::string brkend = BreakEnd(st);
  const std::string key_end = LineParm(st, kParmBrkEnd).empty() ? st.bound + "~" : std::string();
  const std::string brk = LineParm(st, kParmBreak);
  const std::string brk_cond = brk.empty() ? "0" : brk;
  const std::string atend = LineParm(st, kParmAtEnd);
  const int fixed_below = FixedRowBelow(st);
  int printed = 0;
  // The body line's entry, looked up again only when something ran since.
  LineInfo* info_at = nullptr;
  uint64_t info_ran = 0;
  // With it, the record file of the line (the body flag and the input stay
  // for the whole body).
  LineFile line_file;
  auto body_info = [&]() -> LineInfo& {
    if (!info_at || info_ran != g_ran) {
      info_at = &Info(body_line);
      info_ran = g_ran;
      line_file = LineFileOf(st);
    }
    return *info_at;
  };
  // The record found by the last move within the bound, while nothing ran since.
  bool moved = false;
  uint64_t moved_ran = 0;
  uint16_t moved_file = 0;
  DataFileWalk walk;
  // The report's current file, found again when something ran since.
  bool file_known = false;
  uint64_t file_ran = 0;
  uint16_t current_file = 0;
  do {
    st.current = body_line;
    bool no_fit = false;
    Status c = EvalCond(cond);
    if (c >= kStFirstError) {
      st.status = c;
      break;
    }
    if (c == 1) {
      Status ps = kOk;
      LineInfo& info = body_info();
      int row = st.row + st.pending_step + ParmIntOf(info, kParmExtraStep, 0, &ps);
      int max = MaxLineOf(st, info, fixed_below);
      if (ps || st.status) {
        if (ps) st.status = ps;
        break;
      }
      if (row > max) {
        no_fit = true;
        if (printed == 0 && ++st.no_fit >= 2) {
          st.status = ErrIncident(kStLoopFailure, StrOf(st.tmpl), true);
          break;
        }
      } else {
        st.row = row;
        LineInfo& line_info = body_info();
        if (Status s = PrintLineOf(st, line_info, 1, &line_file)) {
          st.status = s;
          break;
        }
        // Looked up again when the line's expressions ran in between.
        st.pending_step = LineStepOf(st, body_info());
        ++printed;
        st.no_fit = 0;
        if (nested) {
          PrintNested(st);
          st.current = body_line;
          if (st.status >= kStFirstWarning) break;
        }
      }
    }
    if (st.flags & kRptOverflow) break;
    Status more = 1;
    if (!no_fit) {
      if (!file_known || file_ran != g_ran) {
        current_file = ReportCurrentFile();
        file_ran = g_ran;
        file_known = true;
      }
      const uint16_t file = current_file;
      const bool checked = moved && moved_ran == g_ran && moved_file == file;
      more = NextRecord(st, cond, atend, checked, &moved, walk, file);
      moved_ran = g_ran;
      moved_file = file;
    }
    if (more >= kStFirstWarning) {
      st.status = more;
      break;
    }
    bool ended = more != 1;
    if (!ended && !no_fit) {
      if (brkend.empty()) {
        st.status = kStDataError;  // a key bound that cannot be quoted
        break;
      }
      Status b = key_end.empty() ? EvalCond(brkend) : KeyPastEnd(key_end, moved ? &walk : nullptr);
      if (b >= kStFirstError) {
        st.status = b;
        break;
      }
      ended = b == 1;
    }
    if (!ended) {
      Status br = no_fit ? Status{0} : EvalCond(brk_cond);
      if (br >= kStFirstError) {
        st.status = br;
        break;
      }
      int max = MaxLineOf(st, body_info(), fixed_below);
      if ((br == 1 && printed > 0) || no_fit || st.row >= max) st.flags |= kRptOverflow;
    } else {
      st.flags &= static_cast<uint16_t>(~(0x08 | kRptBody | kRptOverflow));
    }
  } while (st.status < kStFirstWarning && (st.flags & 0x7F30) == kRptBody);
  if (nested && !(st.flags & kRptOverflow))
    st.current = st.continuation ? st.continuation : static_cast<uint16_t>(body_line + 1);
  else
    st.current = body_line;
}

// Sets up a continuation of the body from a printed line with CONTINUE%.
bool ContinueAt(ReportState& st) {
  std::string v = LineParm(st, kParmContinue);
  if (v.empty()) return false;
  size_t colon = v.find(':');
  std::string row_text = v.substr(0, colon);
  int n = colon == std::string::npos ? 0 : std::atoi(v.c_str() + colon + 1);
  int row;
  {
    ScratchScope scope;
    row = ExpEvalInt(StrOf(row_text));
  }
  if (row < 0) row += LinesPerPage(st);
  if (st.device.row >= row) return false;
  st.flags &= static_cast<uint16_t>(~kRptBody);
  int found = -1;
  uint16_t i = st.current;
  while (found < n) {
    if (i <= st.first) {
      st.status = kStProcedureRun;
      return true;
    }
    --i;
    if (IsBodyLine(i)) ++found;
  }
  st.current = i;
  int step = st.device.step ? st.device.step : 1;
  st.row = st.device.row - (st.device.column == 1 ? step : 0);
  st.pending_step = LineStep(st);
  st.column = static_cast<uint16_t>(ReportLineRowCol(LineAt(i)).column);
  st.flags |= kRptBody;
  return true;
}

// After a break or a full page: the continuation lines after the body, then
// the page header, then the body goes on.
void Overflow(ReportState& st) {
  uint16_t body_line = st.current;
  uint16_t count = static_cast<uint16_t>(st.end - st.first);
  uint16_t i = body_line;
  for (uint16_t visited = 0; visited < count; ++visited) {
    i = static_cast<uint16_t>(i + 1 >= st.end ? st.first : i + 1);
    if (i == body_line) break;
    bool after = i > body_line;
    ReportState probe = st;
    probe.current = i;
    probe.flags = 0;
    Status s = LineSetup(probe, true);
    if (s >= kStFirstError) {
      st.status = s;
      return;
    }
    if (s == 1) continue;
    if (after) {
      if (!(probe.flags & kRptContinuation)) continue;
      int max = LineParm(probe, kParmMaxLine).empty() ? LinesPerPage(probe) : MaxLine(probe);
      if (probe.device.row >= max) continue;
    }
    if (Status p = PrintLine(probe, 0)) {
      st.status = p;
      st.device = probe.device;
      return;
    }
    st.device = probe.device;
    probe.flags = static_cast<uint16_t>(st.flags & ~(kRptOverflow));
    if (ContinueAt(probe)) {
      st.current = probe.current;
      st.row = probe.row;
      st.column = probe.column;
      st.pending_step = probe.pending_step;
      st.status = probe.status;
      st.flags = probe.flags;
      return;
    }
  }
  // Back at the body line on a fresh page: it starts at its own row again.
  st.current = body_line;
  st.flags &= static_cast<uint16_t>(~kRptOverflow);
  uint16_t keep = st.flags;
  if (Status s = LineSetup(st); s >= kStFirstError) st.status = s;
  st.flags |= keep & kRptBody;
  st.pending_step = 0;
}

// Moves to the next line whose setup does not skip it.
bool NextLine(ReportState& st) {
  uint16_t count = static_cast<uint16_t>(st.end - st.first);
  for (uint16_t n = 0; n <= count; ++n) {
    ++st.current;
    if (st.current >= st.end) {
      if (!(st.flags & kRptOverflow)) {
        st.flags |= kRptPastLast;
        return false;
      }
      st.current = st.first;
    }
    Status s = LineSetup(st);
    if (s >= kStFirstError) {
      st.status = s;
      return false;
    }
    if (s == kOk) {
      st.pending_step = 0;
      return true;
    }
  }
  st.status = ErrIncident(kStLoopFailure, StrOf(st.tmpl), true);
  return false;
}

}  // namespace

void ReportPrintTemplate(ReportState& st) {
  st.flags = 0;
  st.current = st.first;
  st.no_fit = 0;
  st.pending_step = 0;
  DevicePublishPos(st.device, false);
  if (st.first >= st.end) {
    st.flags |= kRptPastLast;
  } else {
    Status s = LineSetup(st);
    if (s >= kStFirstError) st.status = s;
    else if (s == 1) NextLine(st);
  }
  while (st.status < kStFirstWarning && !(st.flags & kRptEndsPass)) {
    bool overflow = (st.flags & kRptOverflow) != 0;
    if (overflow) Overflow(st);
    else if (st.flags & kRptBody) PrintBody(st);
    else if (Status s = PrintLine(st, 0)) st.status = s;
    if (st.status >= kStFirstWarning) break;
    if (!overflow && !(st.flags & kRptOverflow)) {
      if (!NextLine(st)) break;
    }
  }
  if (st.status < kStFirstWarning) {
    if (st.flags & kRptCancelled) st.status = kStCancelled;
    else if (Status s = DeviceGotoRowCol(st.device, 1, 1)) st.status = s;
  }
}

namespace {

struct QueuedLine {
  std::string text;
  uint16_t depth;
};

// The file named by a directive's expression (the second blank-separated word).
std::string DirectiveFile(std::string_view line, Status* status) {
  std::string rest = Trim(line.substr(5));
  size_t blank = rest.find(' ');
  std::string expr = blank == std::string::npos ? std::string() : Trim(rest.substr(blank + 1));
  ScratchScope scope;
  StrPair v = ExpEvalStr(StrOf(expr));
  if (!v.ok()) {
    *status = StrError(v);
    return {};
  }
  return std::string(v.view());
}

bool ReadLines(const std::string& file, std::vector<std::string>& out) {
  uint16_t n = DefLinesEach(StrOf(file), 0, 0, [&](StrPair line) {
    out.emplace_back(line.view());
    return Status{kOk};
  });
  return n != kDefNone;
}

bool RowColWellFormed(std::string_view line) {
  for (size_t i = 0; i < 5 && i < line.size(); ++i)
    if (line[i] != ' ' && (line[i] < '0' || line[i] > '9')) return false;
  return true;
}

}  // namespace

Status ReportLoadTemplate(ReportState& st) {
  st.first = DynStrCount(sl::kReportLines);
  st.end = st.first;
  std::vector<std::string> lines;
  if (!ReadLines(st.tmpl, lines)) return ErrIncident(kStFileNotFound, StrOf(st.tmpl), true);
  std::deque<QueuedLine> queue;
  for (auto& l : lines) queue.push_back({std::move(l), 0});
  std::vector<std::string> dynamic;
  Status status = kOk;
  while (!queue.empty() && status == kOk) {
    QueuedLine q = std::move(queue.front());
    queue.pop_front();
    const std::string& line = q.text;
    if (line.size() > 5 && line[5] == ':') {
      std::string word = line.substr(5, line.find(' ', 5) == std::string::npos ? std::string::npos : line.find(' ', 5) - 5);
      if (word == ":INCLUDE" || word == ":DYNAMIC_LINE") {
        std::string file = DirectiveFile(line, &status);
        if (status >= kStFirstError) break;
        status = kOk;
        std::vector<std::string> more;
        if (!ReadLines(file, more)) {
          status = ErrIncident(kStLowFailure, StrOf(file), true);
          break;
        }
        if (word == ":DYNAMIC_LINE") {
          for (auto& l : more) dynamic.push_back("    1" + l);
          continue;
        }
        if (q.depth + 1 >= kIncludeDepth) {
          status = ErrIncident(kStLoopFailure, StrOf(file), true);
          break;
        }
        for (auto it = more.rbegin(); it != more.rend(); ++it)
          queue.push_front({std::move(*it), static_cast<uint16_t>(q.depth + 1)});
        continue;
      }
    }
    if (!RowColWellFormed(line)) {
      status = ErrIncident(kStSyntax, StrOf(line), true);
      break;
    }
    status = DynStrPush(sl::kReportLines, StrOf(line));
  }
  for (size_t i = 0; i < dynamic.size() && status == kOk; ++i)
    status = DynStrPush(sl::kReportLines, StrOf(dynamic[i]));
  if (status != kOk) {
    DynStrPopTo(sl::kReportLines, st.first);
    return status;
  }
  st.end = DynStrCount(sl::kReportLines);
  return kOk;
}

void ReportForgetCompiled() {
  Compiled().clear();
  ++g_compiled_run;
  FieldRefs().clear();
}

Status ReportEvalCond(const std::string& cond) { return EvalCond(cond); }

}  // namespace eng
