#include "data/struct_scope.h"

#include <string>
#include <string_view>
#include <vector>

#include "core/dyn_strings.h"
#include "core/exec_handlers.h"
#include "core/exec_keywords.h"
#include "core/exp_eval.h"
#include "core/scratch_arena.h"
#include "core/string_lists.h"
#include "data/dictionary.h"

namespace eng {

namespace {

std::vector<std::string> Items(std::string_view list, char sep) {
  std::vector<std::string> items;
  if (list.empty()) return items;
  size_t start = 0;
  while (start <= list.size()) {
    size_t end = list.find(sep, start);
    if (end == list.npos) end = list.size();
    std::string_view item = list.substr(start, end - start);
    while (!item.empty() && item.front() == ' ') item.remove_prefix(1);
    while (!item.empty() && item.back() == ' ') item.remove_suffix(1);
    items.emplace_back(item);
    start = end + 1;
  }
  return items;
}

}  // namespace

Status StructScopeStack(bool push) { return push ? DictScopePush() : DictScopeRestore(); }

Status StructScopeRestore() { return StructScopeStack(false); }

Status StructScopeDefine(StrPair name, StrPair fields, StrPair keys) {
  if (name.view() == "RESTORE") return StructScopeRestore();
  if (Status s = StructScopeStack(true)) return s;
  if (Status s = DictDefineFile(0, name, StrPair{})) return s;
  const uint16_t file = DictFileCount();
  for (const std::string& item : Items(fields.view(), ',')) {
    if (item.empty()) continue;
    std::vector<std::string> parts = Items(item, ';');
    parts.resize(3);
    ScratchScope scope;
    int16_t length = ExpEvalInt(StrOf(parts[1]));
    if (length < 0) length = 0;
    char type = parts[2].empty() ? ' ' : parts[2][0];
    if (Status s = DictDefineField(StrOf(parts[0]), static_cast<uint16_t>(length), type)) return s;
  }
  for (const std::string& item : Items(keys.view(), ',')) {
    if (item.empty()) continue;
    ScratchScope scope;
    DictKeySegmentsResult k = DictKeySegments(StrOf(item));
    if (k.status) return k.status;
    if (Status s = DictDefineKey(file, k.layout.count, k.layout.parts)) return s;
  }
  DictSelectFile(file);
  return kOk;
}

Status StructScopeStatements(uint16_t code, const ExecArgs& args) {
  switch (code) {
    case kExecFileStruct:
      return StructScopeDefine(args.Text(1), args.Text(2), args.Text(3));
    case kExecLoadStruct: {
      std::string folders(DynStrGet(sl::kSettings, sl::kAppFolder).view());
      return DictLoad(StrOf(folders), args.Text(1), StrPair{});
    }
    default:
      return kExecNotServed;
  }
}

void StructScopeInstall() {
  ExecServices sv = ExecGetServices();
  sv.struct_scope_restore = &StructScopeRestore;
  ExecSetServices(sv);
}

}  // namespace eng
