#include "data/field_ref.h"

#include <string>
#include <string_view>
#include <unordered_map>

#include "core/err_register.h"
#include "core/field_access.h"
#include "core/runtime.h"
#include "core/scratch_arena.h"
#include "core/str_case.h"
#include "core/str_search.h"
#include "core/sys_vars.h"
#include "data/dict_query.h"
#include "data/record_buffer.h"

namespace eng {

namespace {

Status Malformed(StrPair text) {
  std::string incident = "Field:" + std::string(text.view());
  return ErrIncident(kStSyntax, StrOf(incident), true);
}

Status FieldTypeOfRef(StrPair ref, char* type) {
  DictFieldRefResult r = DictFieldRef(ref);
  if (r.status) return r.status;
  if (Status s = DictCheckField(r.file, r.field)) return s;
  if (type) *type = r.desc.type;
  return kOk;
}

Status FieldReadRef(StrPair ref, std::string* value, char* type) {
  DictFieldRefResult r = DictFieldRef(ref);
  if (r.status) return r.status;
  ScratchScope scope;
  StrPair text = r.field ? BufGetFieldOf(r.file, r.desc) : BufGetField(r.file, r.field);
  if (!text.ok()) return StrError(text);
  if (value) value->assign(text.view());
  if (type) *type = r.desc.type;
  return kOk;
}

Status FieldAssignRef(StrPair ref, StrPair value) {
  ScratchScope scope;
  return BufAssignFieldRef(ref, value);
}

const FieldAccess kDataFieldAccess{FieldTypeOfRef, FieldReadRef, FieldAssignRef};

DictFieldRefResult ResolveFieldRef(StrPair text) {
  DictFieldRefResult r;
  if (!text.ok()) {
    r.status = StrError(text);
    return r;
  }
  uint16_t open = StrFindChar(text, '{', true);
  uint16_t close = StrFindChar(text, '}', true);
  if (open == kNotFound || close == kNotFound || close < open || close != text.len - 1) {
    r.status = Malformed(text);
    return r;
  }
  StrPair file_part{text.ptr + open + 1, static_cast<uint16_t>(close - open - 1)};
  StrPair field_part{text.ptr, open};
  uint16_t file;
  if (file_part.len == 0) {
    file = static_cast<uint16_t>(SysVarGet(kVarCurFil));
  } else if (file_part.at(0) > 64) {
    file = DictFileByName(file_part);
  } else {
    file = static_cast<uint16_t>(StrToInt(file_part));
  }
  if (file == 0 || file > DictFileCount()) {
    r.status = kStFileOutBound;
    return r;
  }
  r.file = file;
  if (field_part.len == 0) return r;
  uint16_t field = DictFindField(file, field_part);
  if (field == kNotFound) field = static_cast<uint16_t>(StrToInt(field_part));
  if (field == 0) {
    r.status = Malformed(text);
    return r;
  }
  r.field = field;
  r.desc = DictField(file, field);
  return r;
}

// References resolved before, by the current file and the reference text.
// Expressions read the same few fields for every record: the name need not
// be looked for among the file's fields each time. An entry holds while the
// dictionary has not changed (its epoch) and its file and field are still
// there under that name; failures are not kept, so that they are recorded
// again as they come.
struct KeptRef {
  uint32_t epoch = 0;
  DictFieldRefResult result;
};

constexpr size_t kKeptRefRoom = 1024;

std::unordered_map<std::string, KeptRef>& KeptRefs() {
  static std::unordered_map<std::string, KeptRef> kept;
  return kept;
}

bool StillHolds(const KeptRef& k, StrPair text) {
  const DictFieldRefResult& r = k.result;
  if (k.epoch != Core().dict.epoch || r.file > DictFileCount()) return false;
  if (r.field == 0) return true;
  const uint16_t open = StrFindChar(text, '{', true);
  return DictFieldName(r.file, r.field).view() == text.view().substr(0, open);
}

}  // namespace

DictFieldRefResult DictFieldRef(StrPair text) {
  const uint32_t epoch = Core().dict.epoch;
  if (!text.ok() || epoch == 0) return ResolveFieldRef(text);
  const int16_t current = SysVarGet(kVarCurFil);
  std::string key(reinterpret_cast<const char*>(&current), sizeof current);
  key.append(text.view());
  auto& kept = KeptRefs();
  auto found = kept.find(key);
  if (found != kept.end() && StillHolds(found->second, text)) return found->second.result;
  DictFieldRefResult r = ResolveFieldRef(text);
  if (r.status == kOk) {
    if (found != kept.end()) {
      found->second = KeptRef{epoch, r};
    } else {
      if (kept.size() >= kKeptRefRoom) kept.clear();
      kept.emplace(std::move(key), KeptRef{epoch, r});
    }
  }
  return r;
}

Status BufAssignFieldRef(StrPair reference, StrPair value) {
  DictFieldRefResult r = DictFieldRef(reference);
  if (r.status) return r.status;
  return BufSetField(r.file, r.field, value);
}

void DataInstallFieldAccess() { FieldAccessInstall(&kDataFieldAccess); }

}  // namespace eng
