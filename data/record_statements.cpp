#include "data/record_statements.h"

#include <string>
#include <string_view>

#include "core/dyn_strings.h"
#include "core/exec_handlers.h"
#include "core/exec_keywords.h"
#include "core/exp_eval.h"
#include "core/fn_builtins_detail.h"
#include "core/scratch_arena.h"
#include "core/string_lists.h"
#include "core/sys_vars.h"
#include "data/dict_query.h"
#include "core/str_search.h"
#include "data/hooked_write.h"
#include "data/open_state.h"
#include "data/stat_scan.h"
#include "data/stat_steps.h"
#include "data/record_layer.h"
#include "data/struct_scope.h"

namespace eng {

namespace {

// Installed code, not state: like the field access of expressions, it stays
// across runtime resets until replaced.
DataFileDialogFn g_file_dialog = nullptr;

// The file item of a write argument: its text evaluated as an integer; blank is 0.
Status WriteArgFile(const std::string& item, uint16_t* file) {
  *file = 0;
  if (item.find_first_not_of(' ') == std::string::npos) return kOk;
  int64_t value = 0;
  if (Status s = fn::EvalWhole(StrOf(item), &value)) return s;
  *file = uint16_t(value);
  return kOk;
}

// The argument "file,slot list" as one text; written unquoted, the runner has
// already split it into the file and the slot list.
Status RecordWrite(uint16_t operation, const ExecArgs& args) {
  std::string file_item, slots;
  if (args.count >= 2) {
    file_item = args.Text(1).str();
    slots = args.Text(2).str();
  } else {
    std::string_view text = args.Text(1).view();
    const size_t comma = StrFindTopLevel(text, 0, ",");
    file_item = std::string(text.substr(0, comma));
    if (comma != std::string_view::npos) slots = std::string(text.substr(comma + 1));
  }
  uint16_t file = 0;
  if (Status s = WriteArgFile(file_item, &file)) return s;
  return DataFileWriteHooked(operation, DictFileNumber(file), StrOf(slots), StrPair{});
}

Status RecordUpdate(const ExecArgs& args) {
  Status s = DataFileExprUpdate(DictFileNumber(uint16_t(args.Int(1))), uint16_t(args.Int(2)), args.Text(3), 0);
  if (s == kStLowFailure) return s;
  SysVarSet(kVarStat, int16_t(s));
  return kOk;
}

// Replaces the top element of list 30 (pushes onto an empty list).
Status PutChosenName(const std::string& name) {
  if (DynStrCount(sl::kReturnBuffer) > 0) {
    if (Status s = DynStrPop(sl::kReturnBuffer)) return s;
  }
  return DynStrPush(sl::kReturnBuffer, StrOf(name));
}

Status FileSelect(const ExecArgs& args) {
  StrPair first = args.Text(1);
  if (args.Kind(1) == 1 && first.len > 1) return DataFileOpenState(first);
  if (!g_file_dialog) return kStNotAvailable;
  uint16_t kind = 0;
  if (args.Kind(1) == 1) {
    ScratchScope scope;
    kind = first.empty() ? 0 : uint16_t(ExpEvalInt(first));
  } else {
    kind = uint16_t(args.Int(1));
  }
  std::string chosen;
  Status s = g_file_dialog(kind, uint16_t(args.Int(2)), &chosen);
  if (s) return s;
  return PutChosenName(chosen);
}

// A whole procedure run gives back the open states it pushed.
Status RestoreOpenState() { return DataFileOpenState(StrOf("RESTORE")); }

}  // namespace

void DataSetFileDialog(DataFileDialogFn dialog) { g_file_dialog = dialog; }

Status RecordStatements(uint16_t code, const ExecArgs& args) {
  switch (code) {
    case kExecFileStruct:
    case kExecLoadStruct:
      return StructScopeStatements(code, args);
    case kExecRcDelete:
      return RecordWrite(kWriteDelete, args);
    case kExecRcInsert:
      return RecordWrite(kWriteAdd, args);
    case kExecRcWrite:
      return RecordWrite(kWriteRewrite, args);
    case kExecRcUpdate:
      return RecordUpdate(args);
    default:
      return kExecNotServed;
  }
}

Status UtilityStatements(uint16_t code, const ExecArgs& args) {
  if (code == kExecFileSelect) return FileSelect(args);
  if (code == kExecFileScan) return StatFileScan(args.Text(1), args.Text(2), args.Text(3), args.Text(4), args.Text(5));
  if (code == kExecStatSteps) return StatStepsStatement(args.Text(1));
  return kExecNotServed;
}

void DataInstallRecordStatements() {
  StructScopeInstall();
  ExecServices sv = ExecGetServices();
  sv.open_state_restore = &RestoreOpenState;
  ExecSetServices(sv);
  ExecHandlerExtend(kExecSlotRecords, &RecordStatements);
  ExecHandlerExtend(kExecSlotUtils, &UtilityStatements);
}

}  // namespace eng
