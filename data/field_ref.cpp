#include "data/field_ref.h"

#include <string>

#include "core/err_register.h"
#include "core/field_access.h"
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
  StrPair text = BufGetField(r.file, r.field);
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

}  // namespace

DictFieldRefResult DictFieldRef(StrPair text) {
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

Status BufAssignFieldRef(StrPair reference, StrPair value) {
  DictFieldRefResult r = DictFieldRef(reference);
  if (r.status) return r.status;
  return BufSetField(r.file, r.field, value);
}

void DataInstallFieldAccess() { FieldAccessInstall(&kDataFieldAccess); }

}  // namespace eng
