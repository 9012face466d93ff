#include "data/stat_move.h"

#include <string>

#include "core/dyn_strings.h"
#include "core/exp_eval.h"
#include "core/fn_builtins_detail.h"
#include "core/scratch_arena.h"
#include "core/str_keys.h"
#include "core/string_lists.h"
#include "core/sys_vars.h"
#include "data/dict_query.h"
#include "data/file_command.h"
#include "data/file_ctrl.h"
#include "data/record_buffer.h"
#include "data/record_layer.h"
#include "data/record_search.h"
#include "data/selection_set.h"
#include "data/stat_scan.h"

namespace eng {

namespace {

std::string LastCondition() { return DynStrGet(sl::kWork, sl::kFileRelKey).str(); }

Status Keep(uint16_t file, Status s) {
  DataFileCtrlBlock& c = DataFileCtrl(file);
  c.search.position = s;
  c.search.recno = uint32_t(c.recno);
  return s;
}

Status SearchNew(uint16_t file, StrPair value, StrPair condition, StrPair bound) {
  return Keep(file, DataFileSearchFirst(file, DataFileKeyNumber(file), value, condition, bound, nullptr));
}

// The text evaluated on each record of an SVE walk.
Status SveStep(uint16_t, StrPair text) {
  ScratchScope scope;
  Status s = ExpExecute(text);
  return s >= kStFirstError ? s : kOk;
}

Status Move(uint16_t file, uint16_t cmd, const std::string& value, const std::string& text,
            const std::string& condition, uint16_t arguments) {
  const bool scan = SysVarHas(kVarUpStat, kUpStatScan);
  switch (cmd) {
    case kCmdNew:
      return SearchNew(file, StrOf(value), StrOf(condition), StrOf(text));
    case kCmdTop: {
      if (scan) {
        uint16_t key = DataFileKeyNumber(file);
        if (arguments > 1) {
          ScratchScope scope;
          key = uint16_t(ExpEvalInt(StrKeyGet(StrOf(text), StrOf("INDEX"))));
        }
        if (key != 0) {
          if (!value.empty() || !text.empty()) return Keep(file, DataFileLocate(file, key, StrOf(value), 2));
          DataFileSetKeyNumber(file, key);
          return Keep(file, DataFileMove(file, 0x24));
        }
      }
      SelFree(file);
      return SearchNew(file, StrOf(value), StrOf(LastCondition()), StrOf(text));
    }
    case kCmdRld: {
      Status s = SelGoto(file, 3, DataFileCtrl(file).search.recno & 0xFFFF);
      return s == kStDataOutBound ? Status{kStEndOfData} : s;
    }
    case kCmdNxt:
      if (scan)
        return DataFileSearchLoop(file, uint16_t(DataFileCmdFlags(kCmdNxt) | kSearchMoveFirst), StrOf(condition),
                                  StrOf(text), nullptr, DataFileMoveInRange);
      if (!text.empty()) return Keep(file, DataFileSearchNext(file, true, StrOf(LastCondition()), StrOf(text), -1, nullptr));
      return Keep(file, DataFileSearch(file, uint16_t(kSearchMoveFirst | 0x10), StrOf(LastCondition()), StrPair{}, nullptr));
    case kCmdBot: {
      const std::string cond = arguments == 3 ? LastCondition() : condition;
      Status s = kOk;
      while (DataFileCtrl(file).search.position == 0) {
        {
          ScratchScope scope;
          std::string key = BufFileKeyValue(file, DataFileKeyNumber(file)).str();
          if (key.substr(0, value.size()) > value) break;
        }
        s = scan ? DataFileMove(file, 0x10) : DataFileSearchNext(file, true, StrOf(cond), StrPair{}, -1, nullptr);
        Keep(file, s);
      }
      return s;
    }
    case kCmdSve:
      if (!scan) return kOk;
      return DataFileScan(file, DataFileKeyNumber(file), StrOf(value), 0, StrOf(text), &SveStep);
    default:
      return kStSyntax;
  }
}

}  // namespace

Status StatMove(StrPair command, StrPair value, StrPair text, StrPair condition, uint16_t arguments) {
  const uint16_t file = DictFileNumber(0);
  if (!DictFileDefined(file)) return kStDataOutBound;
  uint16_t cmd = command.empty() ? uint16_t(kCmdNxt) : DataFileCmdIndex(command, StrFromC(kDataFileCmdWords));
  Status s = Move(file, cmd, value.str(), text.str(), condition.str(), arguments);
  DataFileCtrl(file).last_status = s;
  return s;
}

Status StatMoveFunction(FnArgs& a) {
  if (Status s = FnArgCount(a, 0, 4)) return s;
  const uint16_t n = a.Count();
  std::string cond = fn::TextOf(FnArgValue(a, 4, StrPair{}, kFnArgText)).str();
  std::string text = fn::TextOf(FnArgValue(a, 3, StrPair{}, kFnArgText)).str();
  std::string value = fn::TextOf(FnArgValue(a, 2, StrPair{}, kFnArgText)).str();
  std::string cmd = fn::TextOf(FnArgValue(a, 1, StrFromC("NXT"), kFnArgText)).str();
  Status s = StatMove(StrOf(cmd), StrOf(value), StrOf(text), StrOf(cond), n);
  return fn::ResultInt(a, s);
}

}  // namespace eng
