#include "core/exec_compile.h"

#include <string>
#include <string_view>
#include <vector>

#include "core/def_lines.h"
#include "core/dyn_strings.h"
#include "core/err_register.h"
#include "core/exec_keywords.h"
#include "core/exec_run.h"
#include "core/exp_code.h"
#include "core/folders.h"
#include "core/hooks.h"
#include "core/obj_table.h"
#include "core/os_services.h"
#include "core/runtime.h"
#include "core/scratch_arena.h"
#include "core/string_lists.h"

namespace eng {

namespace {

ExecState& X() { return Core().exec; }

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view t) {
  while (!t.empty() && IsBlank(t.front())) t.remove_prefix(1);
  while (!t.empty() && IsBlank(t.back())) t.remove_suffix(1);
  return t;
}

// The keyword list as words; the code of a word is its position from 1.
struct KeywordMatcher {
  std::vector<std::string_view> words;
  bool standard = false;

  explicit KeywordMatcher(StrPair list) {
    std::string_view v = list.view();
    if (v.empty()) {
      standard = true;
      return;
    }
    size_t start = 0;
    while (start <= v.size()) {
      size_t end = v.find('\0', start);
      if (end == v.npos) end = v.size();
      words.push_back(v.substr(start, end - start));
      start = end + 1;
    }
  }
  uint16_t Code(std::string_view word) const {
    if (standard) return ExecKeywordCode(word);
    for (int pass = 0; pass < 2; ++pass) {
      std::string w(word);
      if (pass == 1)
        for (char& c : w)
          if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
      for (size_t i = 0; i < words.size(); ++i)
        if (!words[i].empty() && words[i] == w) return static_cast<uint16_t>(i + 1);
    }
    return kExecNoKeyword;
  }
};

Status CompileFailure(Status s, const std::string& incident) {
  ErrSetLast(1, kModExecCompiler, s, s);
  if (!incident.empty()) ErrIncident(s, StrOf(incident), true);
  return s;
}

// Resolves the jumps of the stored statements.
Status ResolveJumps(ExecProcBody& body, const std::string& labels, const std::vector<uint16_t>& label_at) {
  std::vector<uint16_t> openers;
  const uint16_t count = static_cast<uint16_t>(body.entries.size());
  for (uint16_t i = 0; i < count; ++i) {
    ExecStatementEntry& e = body.entries[i];
    const uint16_t n = static_cast<uint16_t>(i + 1);  // the statement's number, and the index after it
    if (e.code == kExecGoto || e.code == kExecGosub) {
      std::string_view name = Trim(body.texts[i]);
      bool found = false;
      size_t start = 0;
      for (size_t k = 0; k < label_at.size(); ++k) {
        size_t end = labels.find(',', start);
        if (end == labels.npos) end = labels.size();
        if (std::string_view(labels).substr(start, end - start) == name) {
          e.target = label_at[k];
          found = true;
          break;
        }
        start = end + 1;
      }
      if (!found)
        return CompileFailure(kStSyntax, "\r\nLabel '" + std::string(name) + "' in line " + std::to_string(n) +
                                             " (+ remmarks) not found");
    }
    if (e.code >= kExecEndif && e.code <= kExecElse) {
      if (openers.empty())
        return CompileFailure(kStSyntax, "\r\nFinal of Conditional or loop without \r\nBegin (Loop, Endif...) in line " +
                                             std::to_string(n) + " (+ remmarks)");
      uint16_t opener = openers.back();
      openers.pop_back();
      body.entries[opener].target = n;
      e.target = opener;
    }
    if (e.code >= kExecElse && e.code <= kExecDo) {
      if (openers.size() >= kExecMaxNesting) return CompileFailure(kStOutOfMemory, "");
      openers.push_back(i);
    }
  }
  // An opener without its closer: a false condition leaves the procedure.
  for (uint16_t opener : openers) body.entries[opener].target = count;
  return kOk;
}

// Expression statements and the conditions of IF, DO_WHILE, LOOP_WHILE and
// the like are compiled once here; the rest stay texts.
void CompileExpressions(ExecProcBody& body) {
  body.codes.resize(body.entries.size());
  body.calls.resize(body.entries.size());
  body.locals.resize(body.entries.size());
  for (size_t i = 0; i < body.entries.size(); ++i) {
    switch (body.entries[i].code) {
      case kExecCall:
        body.calls[i] = ExecCallPrepare(StrOf(body.texts[i]));
        break;
      case kExecLocalVars:
        body.locals[i] = ExecLocalVarsPrepare(StrOf(body.texts[i]));
        break;
      case kExecExpression:
      case kExecLoopWhile:
      case kExecLoopUntil:
      case kExecIf:
      case kExecIfTrue:
      case kExecDoWhile:
      case kExecIfFalse:
      case kExecDoUntil:
        body.codes[i] = ExpCompile(StrOf(body.texts[i]));
        break;
      default:
        break;
    }
  }
  body.ops.resize(body.entries.size());
  for (size_t i = 0; i < body.entries.size(); ++i) {
    ExecOp& op = body.ops[i];
    op.code = body.entries[i].code;
    op.target = body.entries[i].target;
    op.expr = body.codes[i].get();
    op.call = body.calls[i].get();
    op.locals = body.locals[i].get();
  }
}

// The entry names split once, so that a call finds its entry without
// splitting the list again.
void SplitEntryNames(ExecProcBody& body) {
  std::string_view list = body.entry_names;
  size_t start = 0;
  while (start <= list.size()) {
    size_t end = list.find(',', start);
    if (end == list.npos) end = list.size();
    body.entry_list.emplace_back(Trim(list.substr(start, end - start)));
    start = end + 1;
  }
}

}  // namespace

Status ExecAddName(std::string& list, std::vector<uint16_t>& indexes, StrPair name, uint16_t statement,
                   uint16_t limit) {
  if (indexes.size() >= limit) return kStOutOfMemory;
  if (!indexes.empty()) list += ',';
  list += name.view();
  indexes.push_back(statement);
  return kOk;
}

Status ExecCompileProc(StrPair keywords, uint16_t lines, ExecProc* record) {
  KeywordMatcher matcher(keywords);
  auto body = std::make_shared<ExecProcBody>();
  std::string labels;
  std::vector<uint16_t> label_at;
  Status status = kOk;
  for (uint16_t k = 0; k < lines; ++k) {
    if (DynStrCount(sl::kLineQueue) == 0) break;
    std::string line(DynStrTop(sl::kLineQueue).view());
    DynStrPop(sl::kLineQueue);
    if (status) continue;  // the rest of the file's lines are still taken off the queue
    std::string_view t = Trim(line);
    if (t.empty()) continue;
    size_t blank = 0;
    while (blank < t.size() && !IsBlank(t[blank])) ++blank;
    std::string_view word = t.substr(0, blank);
    std::string_view rest = Trim(t.substr(blank));
    if (word[0] == ';' || word[0] == '#' || word[0] == '/') continue;
    const uint16_t next = static_cast<uint16_t>(body->entries.size());
    if (word[0] == ':') {
      if (ExecAddName(labels, label_at, StrOf(word.substr(1)), next, kExecMaxLabels))
        status = CompileFailure(kStOutOfMemory, std::string(word));
      continue;
    }
    uint16_t code = matcher.Code(word);
    if (code == kExecDefFn) {
      if (ExecAddName(body->entry_names, body->entry_indexes, StrOf(rest), next, kExecMaxEntries))
        status = CompileFailure(kStOutOfMemory, "DEF_FN " + std::string(rest));
      continue;
    }
    if (body->entries.size() >= 0xFFFE) {
      status = CompileFailure(kStOutOfMemory, "");
      continue;
    }
    if (code == kExecNoKeyword) {
      body->entries.push_back({kExecExpression, 0});
      body->texts.emplace_back(t);
    } else {
      body->entries.push_back({code, 0});
      body->texts.emplace_back(rest);
    }
  }
  if (status) return status;
  HookSetFn(static_cast<HookExecFunctionFn>(&ExecRunFunction), kHookExecFunction);
  if (Status s = ResolveJumps(*body, labels, label_at)) return s;
  CompileExpressions(*body);
  SplitEntryNames(*body);

  ExecState& x = X();
  uint32_t id = x.next_body++;
  ExecProc rec;
  rec.body = id;
  rec.count = static_cast<uint16_t>(body->entries.size());
  rec.entry_count = static_cast<uint16_t>(body->entry_indexes.size());
  x.bodies[id] = std::move(body);
  x.procs_generation = ExecNewGeneration();
  *record = rec;
  return kOk;
}

ExecProc* ExecProcGet(uint16_t index) {
  if (index >= ObjTableInfo(kObjProcedures, 0)) return nullptr;
  return ObjTableGet<ExecProc>(kObjProcedures, index);
}

std::shared_ptr<const ExecProcBody> ExecProcBodyOf(uint16_t index) {
  ExecProc* p = ExecProcGet(index);
  if (!p) return nullptr;
  auto it = X().bodies.find(p->body);
  return it == X().bodies.end() ? nullptr : it->second;
}

uint16_t ExecProcCount() { return ObjTableInfo(kObjProcedures, 0); }

uint16_t ExecLoadProc(StrPair file) {
  ScratchScope scope;
  uint16_t index = ExecProcCount();
  if (index >= kExecMaxProcs) return scope.Release(ErrRecord(kModExecCompiler, kStInternal));
  StrPair found = PathFindFile(DynStrGet(sl::kSettings, sl::kAppFolder), file);
  if (!found.ok() || found.empty()) {
    ErrSetLast(1, kModExecCompiler, kStFileNotFound, kStFileNotFound);
    return scope.Release(ErrIncident(kStFileNotFound, file, true));
  }
  std::string path(found.view());
  Status before = ErrLastCode();
  uint16_t lines = DefLinesRead(StrOf(path), 0, 0);
  if (lines == kDefNone) {
    if (SysFileSize(StrOf(path)) != 0) {
      // The file is there but its lines could not be read or stored: a line
      // too long (146) or a file larger than the string store (159).
      Status s = ErrLastCode() != before && ErrLastCode() == kStStringTooLong ? kStStringTooLong : kStStrOutBound;
      ErrSetLast(1, kModExecCompiler, s, s);
      return scope.Release(ErrIncident(s, file, true));
    }
    lines = 0;  // an empty procedure
  }
  ExecProc rec;
  Status s = ExecCompileProc(StrPair{}, lines, &rec);
  if (s) return scope.Release(s);
  X().bodies[rec.body]->file = path;
  X().procs_generation = ExecNewGeneration();
  if (!ObjTableSet(kObjProcedures, index, rec)) {
    X().bodies.erase(rec.body);
    return scope.Release(ErrRecord(kModExecCompiler, kStInternal));
  }
  return scope.Release(index);
}

Status ExecFreeProc(uint16_t index, StrPair owner) {
  (void)owner;  // the body's memory is owned by the runtime; the tag only names it
  if (index >= kExecMaxProcs) return index;
  ExecProc* p = ExecProcGet(index);
  if (!p) return kStStructMem;
  X().bodies.erase(p->body);
  X().procs_generation = ExecNewGeneration();
  return ObjTableDelete(kObjProcedures, index);
}

Status ExecUnloadProc(uint16_t index) { return ExecFreeProc(index, StrFromC(kExecOwner)); }

}  // namespace eng
