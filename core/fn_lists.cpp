// List built-ins: FN$PARM, FN#PARM, SORT$ and the string-list store _$.
#include <string>

#include "core/dyn_strings.h"
#include "core/fn_builtins_detail.h"
#include "core/num_text.h"
#include "core/sort_set.h"
#include "core/str_case.h"
#include "core/str_items.h"
#include "core/string_lists.h"
#include "core/sys_vars.h"

namespace eng::fn {

namespace {

constexpr uint16_t kFirstStackList = 30;

// Item n of the list split at the separator; -1 (and item 0) the empty text.
Status SParm(FnArgs& a) {
  FnIntArg sep = FnArgInt(a, 3, ',');
  if (sep.status) return sep.status;
  FnIntArg item = FnArgInt(a, 2, -1);
  if (item.status) return item.status;
  StrPair list = FnArgStr(a, 1, StrPair{});
  if (!list.ok()) return StrError(list);
  if (item.value <= 0) return ResultText(a, std::string());
  return ResultText(a, StrItem(list, static_cast<char>(sep.value & 0xFF), static_cast<uint16_t>(item.value)));
}

Status NParm(FnArgs& a) {
  if (Status s = FnArgCount(a, 1, 3)) return s;
  FnArg third = FnArgValue(a, 3, StrPair{}, kFnArgNum);
  if (third.status) return third.status;
  std::string third_text(third.value.view());
  FnArg value = FnArgValue(a, 2, StrPair{}, kFnArgText);
  if (value.status) return value.status;
  bool value_number = value.type == kFnArgNum && !value.omitted;
  int64_t value_whole = value_number ? WholeOf(value.value) : 0;
  StrPair value_text = TextOf(value);
  if (!value_text.ok()) return StrError(value_text);
  StrPair list = FnArgStr(a, 1, StrPair{});
  if (!list.ok()) return StrError(list);

  bool has_value = a.Count() >= 2 && !value.omitted;
  bool has_third = a.Count() >= 3 && !third.omitted;
  if (!has_value && !has_third) return ResultInt(a, StrItemCount(list, ','));
  if (has_third && third.type == kFnArgNum) {
    // The range item (such as 10-99) that holds the value.
    int64_t v = value_number ? value_whole : StrToInt(value_text);
    return ResultInt(a, StrRangeIndex(list, v));
  }
  uint16_t at = StrItemIndex(list, value_text, ',');
  if (!has_third) return ResultInt(a, at);
  if (at == 0) return ResultInt(a, 0);
  return ResultNum(a, DecFromText(StrItem(StrOf(third_text), ',', at)));
}

// The move of a record command word, or -1 for a word sets do not know.
int SortMoveOf(std::string word) {
  for (char& c : word) c = AsciiUpper(c);
  if (word == "TOP") return kSortFirst;
  if (word == "BOT" || word == "BOTTOM") return kSortLast;
  if (word == "NXT" || word == "NEXT") return kSortNext;
  if (word == "PRV" || word == "PREVIOUS") return kSortPrevious;
  if (word == "RLD") return 0;
  return -1;
}

// A set is handed around as its handle text.
Status Sort(FnArgs& a) {
  if (a.Count() == 0) return kStSyntax;
  std::string command;
  if (a.Type(1) == kFnArgText) command.assign(DynStrGet(sl::kProcArgs, a.base).view());
  std::string upper = command;
  for (char& c : upper) c = AsciiUpper(c);

  if (upper == "NEW") {
    if (Status s = FnArgCount(a, 2, 4)) return s;
    FnIntArg flags = FnArgInt(a, 4, 0);
    if (flags.status) return flags.status;
    FnIntArg wb = FnArgInt(a, 3, -1);
    if (wb.status) return wb.status;
    FnIntArg wa = FnArgInt(a, 2, 0);
    if (wa.status) return wa.status;
    if (wa.value <= 0 || wb.value == 0 || wb.value < -1) return kStSyntax;
    uint16_t b = wb.value < 0 ? static_cast<uint16_t>(wa.value) : static_cast<uint16_t>(wb.value);
    return ResultText(a, SortHandleNew(static_cast<uint16_t>(wa.value), b, static_cast<uint8_t>(flags.value)));
  }
  if (upper == "ADD" || upper == "MOVE") {
    if (Status s = FnArgCount(a, 3, 3)) return s;
    StrPair third = FnArgStr(a, 3, StrPair{});
    if (!third.ok()) return StrError(third);
    std::string arg(third.view());
    StrPair handle = FnArgStr(a, 2, StrPair{});
    if (!handle.ok()) return StrError(handle);
    SortSet* set = SortHandleGet(handle);
    if (!set) return kStDataError;
    std::string held(handle.view());
    if (upper == "ADD") {
      Status s = SortSetInsert(StrOf(arg), *set);
      if (s >= kStFirstError) return s;
      if (Status r = ResultText(a, held)) return r;
      return s;
    }
    int move = SortMoveOf(arg);
    if (move < 0) return kStSyntax;
    Status s = move ? SortSetMove(static_cast<uint16_t>(move), *set) : Status{kOk};
    SysVarSet(kVarIer, static_cast<int16_t>(s));
    return ResultText(a, held);
  }
  if (upper == "GET" || upper == "KILL") {
    if (Status s = FnArgCount(a, 2, 2)) return s;
    StrPair handle = FnArgStr(a, 2, StrPair{});
    if (!handle.ok()) return StrError(handle);
    if (upper == "KILL") {
      if (Status s = SortHandleFree(handle)) return s;
      return ResultText(a, std::string());
    }
    SortSet* set = SortHandleGet(handle);
    if (!set) return kStDataError;
    return ResultText(a, SortSetItem(0, *set));
  }
  // A list to sort.
  if (Status s = FnArgCount(a, 1, 2)) return s;
  FnIntArg flags = FnArgInt(a, 2, 0);
  if (flags.status) return flags.status;
  StrPair list = FnArgStr(a, 1, StrPair{});
  if (!list.ok()) return StrError(list);
  return ResultText(a, SortList(list, static_cast<uint8_t>(flags.value)));
}

// The string-list store: write (push on lists 30 and above, set below),
// read an element or the top, pop with a negative element.
Status List(FnArgs& a) {
  if (Status s = FnArgCount(a, 0, 3)) return s;
  bool write = a.Count() == 3;
  StrPair value = FnArgStr(a, 3, StrPair{});
  if (!value.ok()) return StrError(value);
  std::string held(value.view());
  FnIntArg element = FnArgInt(a, 2, 0);
  if (element.status) return element.status;
  FnIntArg list_arg = FnArgInt(a, 1, kFirstStackList);
  if (list_arg.status) return list_arg.status;
  if (list_arg.value < 0 || list_arg.value >= kDynLists) return kStStrOutBound;
  uint16_t list = static_cast<uint16_t>(list_arg.value);
  bool stack = list >= kFirstStackList;
  if (write) {
    Status s = stack ? DynStrPush(list, StrOf(held))
                     : (element.value < 0 ? Status{kStSyntax}
                                          : DynStrSet(list, static_cast<uint16_t>(element.value), StrOf(held)));
    if (s >= kStFirstError) return s;
  }
  if (element.value >= 0) {
    StrPair r = stack ? DynStrTop(list) : DynStrGet(list, static_cast<uint16_t>(element.value));
    return ResultText(a, r.ok() ? r : StrPair{});
  }
  if (!stack) return kStSyntax;
  std::string last;
  for (int k = element.value; k < 0; ++k) {
    if (DynStrCount(list) == 0) break;  // 127: not returned
    last.assign(DynStrTop(list).view());
    if (Status s = DynStrPop(list); s >= kStFirstError) return s;
  }
  return ResultText(a, last);
}

}  // namespace

void InstallLists() {
  FnInstallBuiltin(kFnSParm, SParm);
  FnInstallBuiltin(kFnNParm, NParm);
  FnInstallBuiltin(kFnSort, Sort);
  FnInstallBuiltin(kFnList, List);
}

}  // namespace eng::fn
