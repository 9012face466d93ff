#include "core/exec_run.h"

#include <cstring>
#include <string>
#include <string_view>

#include "core/dec_value.h"
#include "core/dict_state.h"
#include "core/dyn_strings.h"
#include "core/err_register.h"
#include "core/exec_args.h"
#include "core/exec_compile.h"
#include "core/exec_handlers.h"
#include "core/exec_keywords.h"
#include "core/exp_code.h"
#include "core/exp_eval.h"
#include "core/exp_parm_file.h"
#include "core/exp_scan.h"
#include "core/fn_call.h"
#include "core/log.h"
#include "core/macros.h"
#include "core/obj_table.h"
#include "core/runtime.h"
#include "core/scratch_arena.h"
#include "core/string_lists.h"
#include "core/str_items.h"
#include "core/sys_vars.h"
#include "core/var_store.h"

namespace eng {

namespace {

ExecState& X() { return Core().exec; }

std::string_view Trim(std::string_view t) {
  while (!t.empty() && (t.front() == ' ' || t.front() == '\t')) t.remove_prefix(1);
  while (!t.empty() && (t.back() == ' ' || t.back() == '\t')) t.remove_suffix(1);
  return t;
}

StrPair TextOf(const ExecRun& run, uint16_t i) {
  const std::string& t = run.body->texts[i];
  return StrMake(t.data(), t.size());
}

// The value of an expression statement, kept as the function's result.
void KeepResult(ExecRun& run, Status s) {
  if (s == 1) {
    run.result_text = true;
    run.result.assign(ScratchTop().view());
  } else if (s == 0) {
    run.result_text = false;
    run.result = ExecNumberText(NumAccValue(), DecPrecis());
  }
}

// The 8-byte little-endian number of a list-35 entry; 0 for another length.
int64_t DecodeLe(StrPair raw) {
  if (raw.len != kDecEntryBytes) return 0;
  uint64_t v = 0;
  for (int b = 7; b >= 0; --b) v = (v << 8) | raw.at(static_cast<size_t>(b));
  return static_cast<int64_t>(v);
}

// The items of a ","-list, trimmed.
std::vector<std::string_view> SplitNames(std::string_view list) {
  std::vector<std::string_view> names;
  size_t start = 0;
  while (start <= list.size()) {
    size_t end = list.find(',', start);
    if (end == list.npos) end = list.size();
    names.push_back(Trim(list.substr(start, end - start)));
    start = end + 1;
  }
  return names;
}

// The index of the entry point `name` in a body; 0xFFFF when it has none.
uint16_t EntryOf(const ExecProcBody& body, std::string_view name) {
  const std::vector<std::string>& names = body.entry_list;
  for (size_t i = 0; i < names.size() && i < body.entry_indexes.size(); ++i)
    if (names[i] == name) return body.entry_indexes[i];
  return 0xFFFF;
}

Status RunHandler(ExecRun& run) {
  uint16_t i = run.last;
  uint16_t code = run.body->entries[i].code;
  ScratchScope scope;
  StrPair text = ExecExpandText(TextOf(run, i));
  if (!text.ok()) return StrError(text);
  ExecArgs args;
  if (Status s = ExecEvalArgs(text, &args)) return s;
  ExecHandler h = ExecHandlerFrom(0);
  if (!h) return kStNotAvailable;
  return h(code, args);
}

Status RunFunction(StrPair name, StrPair file, uint16_t flags, const ExecCallTarget* target);
Status RunFunctionNested(StrPair name, StrPair file, uint16_t flags, const ExecCallTarget* target);

}  // namespace

StrPair ExecExpandText(StrPair text) { return MacroExpand(text, kMacroInQuotes); }

StrPair ExecStatementText(const ExecProcBody& body, uint16_t index, bool expand) {
  if (index >= body.texts.size()) return ScratchText("");
  StrPair t = StrOf(body.texts[index]);
  return expand ? ExecExpandText(t) : ScratchPair(t);
}

void ExecTraceLine(const ExecProcBody& body, uint16_t index) {
  if (!SysVarHas(kVarTrace, kTraceProcedure) || index >= body.entries.size()) return;
  std::string line = std::to_string(index + 1);
  line += '\t';
  line += ExecKeywordName(body.entries[index].code);
  line += ' ';
  line += body.texts[index];
  line += "\r\n";
  LogProcTrace(StrOf(line));
}

Status ExecRunFlow(ExecRun& run) {
  const ExecProcBody& body = *run.body;
  const ExecOp* const ops = body.ops.data();
  const uint16_t count = static_cast<uint16_t>(body.ops.size());
  const uint16_t mark = ScratchMark(-1);
  // Only a function's run hands its last value back.
  const bool keep = (run.flags & kExecRunFunction) != 0;
  for (;;) {
    const uint16_t i = run.position;
    const ExecOp* op = i < count ? &ops[i] : nullptr;
    const uint16_t code = op ? op->code : uint16_t{kExecEnd};
    if (op && (Core().sysvars[kVarTrace] & kTraceProcedure)) ExecTraceLine(body, i);
    if (code == kExecEnd) {
      run.ended = true;
      run.last = i;
      if (keep) {
        if (Status s = DynStrPush(sl::kReturnBuffer, StrOf(run.result))) return s;
      }
      return kOk;
    }
    CoreRuntime& core = Core();
    core.arena.Mark(mark);
    if (Status (*pump)() = core.exec.services.progress_pump) {
      if (pump() == kStCancelled) return kStCancelled;
    }
    run.last = i;
    if (code >= kExecFirstHandlerCode) return kOk;
    ++run.position;
    switch (code) {
      case kExecExpression: {
        const ExpCode* expr = op->expr;
        Status s = !expr ? ExpEvalText(TextOf(run, i)) : keep ? ExpCodeEvalText(*expr) : ExpCodeRun(*expr);
        if (s >= kStFirstError) return s;
        if (keep) KeepResult(run, s);
        break;
      }
      case kExecGoto:
      case kExecLoop:
      case kExecElse:
        run.position = op->target;
        break;
      case kExecGosub:
        if (run.gosub_depth >= kExecGosubDepth) return kStProcStack;
        run.gosub[run.gosub_depth++] = run.position;
        run.position = op->target;
        break;
      case kExecCall: {
        Status s = ExecCallProc(TextOf(run, i), op->call);
        if (s) return s;
        break;
      }
      case kExecReturn:
        if (run.gosub_depth == 0) {
          run.position = count;  // the procedure ends
          break;
        }
        run.position = run.gosub[--run.gosub_depth];
        break;
      case kExecLoopWhile:
      case kExecLoopUntil: {
        Status c = op->expr ? ExpCodeEvalCond(*op->expr) : ExpEvalCond(TextOf(run, i));
        if (c >= kStFirstWarning) return c;
        if ((c == 1) == (code == kExecLoopWhile)) run.position = op->target;
        break;
      }
      case kExecIf:
      case kExecIfTrue:
      case kExecDoWhile:
      case kExecIfFalse:
      case kExecDoUntil: {
        Status c = op->expr ? ExpCodeEvalCond(*op->expr) : ExpEvalCond(TextOf(run, i));
        if (c >= kStFirstWarning) return c;
        const bool jump_when_true = code == kExecIfFalse || code == kExecDoUntil;
        if ((c == 1) == jump_when_true) run.position = op->target;
        break;
      }
      case kExecLocalVars: {
        Status s = op->locals ? ExecLocalVars(*op->locals) : ExecLocalVars(TextOf(run, i));
        if (s) return s;
        break;
      }
      default:  // ENDIF, DO
        break;
    }
  }
}

ExecContextMark ExecNoteContext() {
  ExecContextMark m;
  m.open_states = DynStrCount(sl::kOpenStates);
  m.files = Core().dict.file_count;
  const ExecServices& sv = X().services;
  m.progress = sv.progress_active && sv.progress_active();
  return m;
}

Status ExecRestoreContext(const ExecContextMark& mark) {
  const ExecServices sv = X().services;
  Status result = kOk;
  if (sv.grid_reset) sv.grid_reset();
  if (sv.open_state_restore) {
    while (DynStrCount(sl::kOpenStates) > mark.open_states) {
      uint16_t before = DynStrCount(sl::kOpenStates);
      Status s = sv.open_state_restore();
      if (s && !result) result = s;
      if (s || DynStrCount(sl::kOpenStates) >= before) break;
    }
  }
  if (sv.struct_scope_restore) {
    // Only scopes pushed since: an empty stack restores nothing.
    while (Core().dict.file_count > mark.files && Core().dict.scope_depth > 0) {
      uint8_t before = Core().dict.scope_depth;
      Status s = sv.struct_scope_restore();
      if (s && !result) result = s;
      if (s || Core().dict.scope_depth >= before) break;
    }
  }
  if (!mark.progress && sv.progress_active && sv.progress_active() && sv.progress_close) sv.progress_close();
  if (sv.winopen_close) {
    for (int guard = 0; guard < 1000; ++guard) {
      Status s = sv.winopen_close();
      if (s == kStDataOutBound) break;
      if (s) {
        if (!result) result = s;
        break;
      }
    }
  }
  return result;
}

namespace {

// Runs a loaded procedure's body from `position` (ExecRunStatements with the
// record and its body found).
Status RunBody(std::shared_ptr<const ExecProcBody> body, uint16_t position, uint16_t flags) {
  ExecRun run;
  run.body = std::move(body);
  run.position = position;
  run.flags = flags;
  const bool restore = (flags & kExecRunRestore) != 0;
  const ExecContextMark mark = restore ? ExecNoteContext() : ExecContextMark{};
  const uint16_t scratch = ScratchMark(-1);

  Status status = kOk;
  for (;;) {
    ErrSetLast(2, 0, 0, 0);
    status = ExecRunFlow(run);
    if (status || run.ended) break;
    ++run.position;
    status = RunHandler(run);
    if (status) break;
  }
  ScratchMark(scratch);
  if (status <= kStFirstError && restore) {
    Status r = ExecRestoreContext(mark);
    if (!status) status = r;
  }
  if (status) {
    ErrSetLast(1, kModMemAcums, status, status);
    const ExecProcBody& b = *run.body;
    uint16_t i = run.last;
    std::string incident = "Line: " + std::to_string(static_cast<uint32_t>(i) + 1) + " (+ remmarks):\r\n";
    if (i < b.entries.size()) {
      incident += ExecKeywordName(b.entries[i].code);
      incident += ' ';
      incident += b.texts[i];
    } else {
      incident += ' ';
    }
    ErrIncident(status, StrOf(incident), true);
  }
  return status;
}

// The body of a record (null when it has none).
std::shared_ptr<const ExecProcBody> BodyOf(const ExecProc& rec) {
  const auto& bodies = X().bodies;
  auto it = bodies.find(rec.body);
  return it == bodies.end() ? nullptr : it->second;
}

}  // namespace

Status ExecRunStatements(uint16_t procedure, uint16_t flags) {
  ExecProc* rec = ExecProcGet(procedure);
  if (!rec) return kStStructMem;
  std::shared_ptr<const ExecProcBody> body = BodyOf(*rec);
  if (!body) return kStStructMem;
  return RunBody(std::move(body), rec->position, flags);
}

Status ExecRunFunction(StrPair name, StrPair file, uint16_t flags) {
  return RunFunctionNested(name, file, flags, nullptr);
}

namespace {

Status RunFunctionNested(StrPair name, StrPair file, uint16_t flags, const ExecCallTarget* target) {
  // A procedure that calls itself without end stops here, not on the stack.
  uint16_t& depth = X().call_depth;
  if (depth >= kExecMaxCallDepth) return ErrIncident(kStProcStack, name, true);
  ++depth;
  Status status = RunFunction(name, file, flags, target);
  --depth;
  return status;
}

// The procedure holding entry `entry` (the newest loaded first) and the
// entry's statement; found false when none has it. An empty entry is the
// newest procedure from its first statement.
struct EntryFound {
  bool found = false;
  uint16_t proc = 0;
  uint16_t start = 0;
};

EntryFound FindEntry(std::string_view entry) {
  EntryFound f;
  for (uint16_t k = ExecProcCount(); k-- > 0;) {
    auto body = ExecProcBodyOf(k);
    if (!body) continue;
    if (entry.empty()) {
      f.found = true;
      f.proc = k;
      break;
    }
    uint16_t at = EntryOf(*body, entry);
    if (at != 0xFFFF) {
      f.found = true;
      f.proc = k;
      f.start = at;
      break;
    }
  }
  return f;
}

Status RunFunction(StrPair name, StrPair file, uint16_t flags, const ExecCallTarget* target) {
  VarScope scope = VarScopeSave();
  std::string entry(Trim(name.view()));
  Status status = kOk;
  uint16_t loaded = 0xFFFF;
  bool has_file = !file.empty() && !Trim(file.view()).empty();
  if (has_file) {
    std::string f(Trim(file.view()));
    uint16_t r = ExecLoadProc(StrOf(f));
    if (r >= kExecMaxProcs) status = r;
    else loaded = r;
  } else if (entry.empty()) {
    status = kStSyntax;
  }

  if (!status) {
    EntryFound f;
    // A call's plain entry found before holds while no procedure came or went.
    const uint32_t generation = X().procs_generation;
    if (target && !has_file && target->found_generation == generation) {
      f.found = true;
      f.proc = target->found_proc;
      f.start = target->found_start;
    } else {
      f = FindEntry(entry);
      if (target && !has_file && f.found) {
        target->found_generation = generation;
        target->found_proc = f.proc;
        target->found_start = f.start;
      }
    }
    const uint16_t found = f.found ? f.proc : uint16_t{0xFFFF};
    const uint16_t start = f.start;
    if (found == 0xFFFF) {
      status = ErrIncident(kStSyntax, StrOf(entry), true);
    } else {
      ExecProc* rec = ExecProcGet(found);
      rec->position = start;
      uint16_t run_flags = static_cast<uint16_t>((flags & kExecRunFunction) | (entry.empty() ? kExecRunRestore : 0));
      std::shared_ptr<const ExecProcBody> body = BodyOf(*rec);
      status = body ? RunBody(std::move(body), start, run_flags) : Status{kStStructMem};
    }
    if (loaded != 0xFFFF) {
      // Whoever loads a procedure unloads it: the file this call loaded.
      Status u = ExecUnloadProc(loaded);
      if (!status) status = u;
    }
  }
  if (flags & 1) {
    Status r = VarScopeRestore(scope);
    if (!status) status = r;
  }
  return status;
}

}  // namespace

Status ExecRunMenuProc(StrPair command, void (*callback)()) {
  std::string cmd(command.view());
  if (callback) callback();
  std::vector<std::string> items;
  {
    size_t start = 0;
    while (start <= cmd.size()) {
      size_t end = cmd.find(',', start);
      if (end == cmd.npos) end = cmd.size();
      items.emplace_back(Trim(std::string_view(cmd).substr(start, end - start)));
      start = end + 1;
    }
  }
  for (size_t k = 2; k < items.size(); ++k) {
    if (items[k].empty()) continue;
    ScratchScope scope;
    if (ExpLoadParmFile(StrOf(items[k]), 1)) break;
  }
  std::vector<std::string> files;
  {
    const std::string& f = items[0];
    size_t start = 0;
    while (start <= f.size()) {
      size_t end = f.find(';', start);
      if (end == f.npos) end = f.size();
      files.emplace_back(Trim(std::string_view(f).substr(start, end - start)));
      start = end + 1;
    }
  }
  const uint16_t noted = ExecProcCount();
  Status status = kOk;
  for (size_t k = files.size(); k-- > 1;) {
    if (files[k].empty()) continue;
    uint16_t r = ExecLoadProc(StrOf(files[k]));
    if (r >= kExecMaxProcs) {
      status = r;
      break;
    }
  }
  if (!status) {
    std::string entry = items.size() > 1 ? items[1] : std::string();
    status = ExecRunFunction(StrOf(entry), StrOf(files[0]), 1);
  }
  while (ExecProcCount() > noted) ExecUnloadProc(static_cast<uint16_t>(ExecProcCount() - 1));
  if (X().services.pump_messages) X().services.pump_messages();
  return status;
}

std::shared_ptr<const ExecCallTarget> ExecCallPrepare(StrPair text) {
  std::string_view t = Trim(text.view());
  size_t blank = t.find_first_of(" \t");
  std::string_view target = t.substr(0, blank);
  std::string_view arglist = blank == t.npos ? std::string_view() : Trim(t.substr(blank));
  std::vector<std::string_view> items = SplitNames(target);
  auto c = std::make_shared<ExecCallTarget>();
  // A word with no quote, "$" or "{" is not a text expression: it is its own value.
  auto plain = [](std::string_view item) { return item.find_first_of("'\"${") == std::string_view::npos; };
  std::string_view name = items.size() > 0 ? items[0] : std::string_view();
  std::string_view file = items.size() > 1 ? items[1] : std::string_view();
  c->fixed = plain(name) && plain(file);
  if (c->fixed) {
    c->name.assign(name);
    c->file.assign(file);
    if (items.size() > 2) c->restore.assign(items[2]);
  }
  c->arglist.assign(arglist);
  if (!arglist.empty()) c->args = ExpCompileArgs(StrOf(arglist));
  return c;
}

Status ExecCallProc(StrPair text, const ExecCallTarget* pre) {
  // A target read at load has its text split already.
  std::string_view target, arglist;
  if (pre) {
    arglist = pre->arglist;
  } else {
    std::string_view t = Trim(text.view());
    size_t blank = t.find_first_of(" \t");
    target = t.substr(0, blank);
    arglist = blank == t.npos ? std::string_view() : Trim(t.substr(blank));
  }

  auto literal_or_text = [](std::string_view item) -> std::string {
    if (item.empty()) return std::string();
    ScratchScope scope;
    StrPair v = ExpEvalIfString(StrOf(item));
    return v.ok() ? std::string(v.view()) : std::string(item);
  };
  // A target read at load gives its names as they stand; another is read now.
  const bool fixed = pre && pre->fixed;
  std::string evaluated_name, evaluated_file;
  std::string_view restore_item;
  std::vector<std::string_view> items;
  if (fixed) {
    restore_item = pre->restore;
  } else {
    if (pre) {
      std::string_view t = Trim(text.view());
      target = t.substr(0, t.find_first_of(" \t"));
    }
    items = SplitNames(target);
    evaluated_name = literal_or_text(items.size() > 0 ? items[0] : std::string_view());
    evaluated_file = literal_or_text(items.size() > 1 ? items[1] : std::string_view());
    if (items.size() > 2) restore_item = items[2];
  }
  const std::string& name = fixed ? pre->name : evaluated_name;
  const std::string& file = fixed ? pre->file : evaluated_file;
  bool restore = true;
  if (!restore_item.empty()) {
    ScratchScope scope;
    restore = ExpEvalInt(StrOf(restore_item)) != 0;
  }

  // The depth before the arguments: the callee must take exactly those.
  const uint16_t depth = DynStrCount(sl::kProcArgs);
  Status status = kOk;
  if (!arglist.empty()) {
    ScratchScope scope;
    const ExpCode* code = pre ? pre->args.get() : nullptr;
    StrPair prepared = code ? StrPair{} : ExpPrepare(StrOf(arglist));
    if (!prepared.ok()) {
      status = StrError(prepared);
    } else {
      ExpCursor cursor{prepared, 0};
      StrPair types = code ? ExpCodePushArgs(*code) : FnEvalArgs(cursor, kFnAllArgs);
      if (!types.ok()) {
        status = StrError(types);
      } else {
        std::vector<uint16_t>& kinds = X().arg_kinds;
        for (uint16_t k = 0; k * 2 + 1 < types.len; ++k) {
          uint16_t kind = static_cast<uint16_t>(types.at(k * 2u) | (types.at(k * 2u + 1) << 8));
          const size_t at = size_t(depth) + k;
          if (kinds.size() <= at) kinds.resize(at + 1, kExecNoArgKind);
          kinds[at] = kind;
        }
      }
    }
  }
  if (!status) {
    status = RunFunctionNested(StrOf(name), StrOf(file), restore ? 1 : 0, fixed ? pre : nullptr);
    if (!status && DynStrCount(sl::kProcArgs) != depth)
      status = ErrIncident(kStSyntax, StrOf("LOCALVARS"), true);
  }
  if (DynStrCount(sl::kProcArgs) > depth) DynStrPopTo(sl::kProcArgs, depth);
  if (X().arg_kinds.size() > depth) X().arg_kinds.resize(depth);
  return status;
}

std::shared_ptr<const ExecLocalNames> ExecLocalVarsPrepare(StrPair names) {
  auto local = std::make_shared<ExecLocalNames>();
  // The names from the last to the first: the last takes the newest argument.
  const std::string_view all = names.view();
  for (size_t stop = all.size();;) {
    const size_t comma = stop == 0 ? std::string_view::npos : all.rfind(',', stop - 1);
    const size_t start = comma == std::string_view::npos ? 0 : comma + 1;
    local->names.emplace_back(Trim(all.substr(start, stop - start)));
    if (comma == std::string_view::npos) break;
    stop = comma;
  }
  local->declared.resize(local->names.size());
  return local;
}

Status ExecLocalVars(StrPair names) { return ExecLocalVars(*ExecLocalVarsPrepare(names)); }

Status ExecLocalVars(const ExecLocalNames& local) {
  for (size_t n = 0; n < local.names.size(); ++n) {
    StrPair name = StrOf(local.names[n]);
    uint16_t type = VarTypeOfName(name);
    if (name.empty() || type == kVarArray || type == kVarNoValue) return kStIncompatibleTypes;
    uint16_t count = DynStrCount(sl::kProcArgs);
    if (count == 0) return ErrIncident(kStSyntax, StrOf("LOCALVARS"), true);
    const uint16_t top = static_cast<uint16_t>(count - 1);
    std::vector<uint16_t>& kinds = X().arg_kinds;
    const bool noted = top < kinds.size() && kinds[top] != kExecNoArgKind;
    uint16_t kind = noted ? kinds[top] : uint16_t{kFnArgText};
    ScratchScope scope;
    StrPair raw = DynStrTop(sl::kProcArgs);
    bool omitted = raw.len == 1 && raw.ptr[0] == kFnOmitted;
    StrPair value;
    char number[kDecEntryBytes];
    if (type == kVarText) {
      // A text is copied out of the store first: the assignment may move it.
      if (omitted) value = ScratchText("");
      else if (kind == kFnArgNum) value = ScratchText(ExecNumberText(DecodeLe(raw), DecPrecis()));
      else value = ScratchPair(raw);
    } else {
      if (omitted) {
        value = DecStoreValue(0);
      } else if (kind == kFnArgText) {
        value = ExpPushDecimal(raw) ? DecStoreValue(0) : ScratchTop();
      } else if (raw.len == kDecEntryBytes) {
        // The 8 bytes as they stand, held here: a number assignment reads them before any change.
        std::memcpy(number, raw.ptr, kDecEntryBytes);
        value = StrPair{number, kDecEntryBytes};
      } else {
        value = ScratchPair(raw);
      }
    }
    if (!value.ok()) return StrError(value);
    Status s = n < local.declared.size() ? VarAssignRemembered(name, value, local.declared[n]) : VarAssign(name, value);
    if (s) return s;
    DynStrPop(sl::kProcArgs);
    if (noted && top < kinds.size()) kinds[top] = kExecNoArgKind;
  }
  return kOk;
}

}  // namespace eng
