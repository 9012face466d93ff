#include "data/st_get_list.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "core/fn_builtins_detail.h"
#include "core/scratch_arena.h"
#include "core/str_items.h"
#include "data/condition_text.h"
#include "data/dict_query.h"
#include "data/field_ref.h"
#include "data/maint_services.h"
#include "data/record_buffer.h"
#include "data/record_layer.h"
#include "data/record_search.h"
#include "data/selection_set.h"

namespace eng {

namespace {

// The handle of the program's list in the runtime's set table; a handle left
// from an earlier runtime names no set any more.
std::string g_handle;

constexpr uint16_t kGroupMaximum = 65535;
constexpr uint16_t kSelectMode = 3;

// Every selected record's field texts into the list; the first failure.
Status InsertGroup(uint16_t file, const std::vector<uint16_t>& fields, const std::string& filter, bool equality) {
  const uint16_t n = SelCount(file);
  for (uint32_t i = 0; i < n; ++i) {
    for (uint16_t field : fields) {
      ScratchScope scope;
      std::string text = SelFieldText(file, i, field);
      // Compared without the field's padding, so that "Vigo" equals "Vigo  ".
      const std::string bare = text.substr(0, text.find_last_not_of(' ') + 1);
      if (!filter.empty() && (bare < filter || (equality && bare > filter))) continue;
      Status s = SortHandleInsert(StrOf(g_handle), StrOf(text));
      if (s >= kStFirstError) return s;
    }
  }
  return kOk;
}

}  // namespace

SortSet* StGetListSet() { return g_handle.empty() ? nullptr : SortHandleGet(StrOf(g_handle)); }

Status StGetListFree() {
  if (StGetListSet()) SortHandleFree(StrOf(g_handle));
  g_handle.clear();
  return kOk;
}

Status StGetListBuild(uint16_t file, uint16_t key, StrPair from, StrPair to, uint16_t width, uint8_t flags,
                      StrPair fields, StrPair filter, StrPair equality) {
  file = DictFileNumber(file);
  const std::string v_from = from.str(), v_to = to.str(), v_fields = fields.str(), v_filter = filter.str();
  const bool eq = !equality.empty();
  std::vector<uint16_t> numbers;
  uint16_t longest = 0;
  {
    ScratchScope scope;
    const uint16_t n = std::min<uint16_t>(StrItemCount(StrOf(v_fields), ','), kStGetListFields);
    for (uint16_t i = 1; i <= n; ++i) {
      DictFieldRefResult r = DictFieldRef(StrItem(StrOf(v_fields), ',', i));
      if (r.status) return r.status;
      numbers.push_back(r.field);
      longest = std::max(longest, DictFieldLength(r.file, r.field));
    }
  }
  Status s = DataFileLocate(file, key, StrOf(v_from), 2);
  if (s >= kStEndOfData) return s;
  if (!v_to.empty() && DataFileKeyBeyond(file, 0, StrOf(v_to)) == kStEndOfData) return kStEndOfData;

  const MaintServices& ui = MaintGetServices();
  if (ui.banner_show) ui.banner_show(StrOf("Hello world"));
  StGetListFree();
  {
    ScratchScope scope;
    StrPair handle = SortHandleNew(std::max(longest, width), width ? width : longest, flags);
    if (!handle.ok()) s = StrError(handle);
    else g_handle = handle.str();
  }
  const uint16_t part = DictKeyParts(file, key).count ? DictKeyParts(file, key).parts.part[0].length : 0;
  while (s < kStFirstError && s != kStEndOfData) {
    std::string group;
    {
      ScratchScope scope;
      group = BufFileKeyValue(file, key).str().substr(0, part);
    }
    s = SelBuild(file, key, StrOf(group), StrOf(group), kGroupMaximum, kSelectMode, StrPair{});
    if (s < kStFirstError) {
      Status g = InsertGroup(file, numbers, v_filter, eq);
      if (g) s = g;
    }
    SelFree(file);
    if (s >= kStFirstError) break;
    // On to the first record of the next group.
    std::optional<std::string> next;
    {
      ScratchScope scope;
      next = DataFileKeyAfterPrefix(StrOf(group), 2);
    }
    if (!next) {
      s = kStEndOfData;
      break;
    }
    s = DataFileLocate(file, key, StrOf(*next), 2);
    if (s < kStEndOfData && !v_to.empty() && DataFileKeyBeyond(file, 0, StrOf(v_to)) == kStEndOfData)
      s = kStEndOfData;
  }
  if (ui.banner_close) ui.banner_close();
  if (s == kStEndOfData) {
    ScratchScope scope;
    StrPair first;
    if (SortSet* set = StGetListSet(); set && set->count) first = SortSetItem(kSortFirst, *set);
    StrPair cond = CondFieldsRange(StrOf(v_fields), first, StrPair{});
    SelBuild(file, key, StrOf(v_from), StrOf(v_to), kGroupMaximum, kSelectMode, cond.ok() ? cond : StrPair{});
  }
  SelFree(file);
  return s;
}

Status StGetListFunction(FnArgs& a) {
  if (Status s = FnArgCount(a, 1, 10)) return s;
  std::string args[10];
  for (uint16_t i = a.Count(); i >= 1; --i) args[i - 1] = fn::TextOf(FnArgValue(a, i, StrPair{}, kFnArgText)).str();
  std::string action = args[0];
  for (char& c : action) c = char(c >= 'a' && c <= 'z' ? c - 32 : c);
  Status s;
  if (action == "NEW") {
    ScratchScope scope;
    s = StGetListBuild(0, uint16_t(ExpEvalInt(StrOf(args[1]))), StrOf(args[2]), StrOf(args[3]),
                       uint16_t(ExpEvalInt(StrOf(args[4]))), uint8_t(ExpEvalInt(StrOf(args[5]))), StrOf(args[6]),
                       StrOf(args[7]), StrOf(args[8]));
  } else if (action == "GET") {
    s = kOk;
  } else if (action == "KILL") {
    s = StGetListFree();
  } else {
    s = kStDataError;
  }
  if (s >= kStFirstError) return s;
  return fn::ResultInt(a, s);
}

Status StGetListRegister() { return FnRegister(StrOf("StGetList"), &StGetListFunction); }

}  // namespace eng
