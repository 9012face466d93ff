#include "core/field_access.h"

#include "core/scratch_arena.h"

namespace eng {
namespace {
const FieldAccess* g_access = nullptr;
}

void FieldAccessInstall(const FieldAccess* access) { g_access = access; }

Status FieldTypeOf(StrPair ref, char* type) {
  return g_access && g_access->type_of ? g_access->type_of(ref, type) : Status{kStFileOutBound};
}
Status FieldRead(StrPair ref, std::string* value, char* type) {
  return g_access && g_access->read ? g_access->read(ref, value, type) : Status{kStFileOutBound};
}
Status FieldAssign(StrPair ref, StrPair value) {
  return g_access && g_access->assign ? g_access->assign(ref, value) : Status{kStFileOutBound};
}

Status FieldAssignNumber(StrPair ref, DecValue value) {
  if (g_access && g_access->assign_number) return g_access->assign_number(ref, value);
  ScratchScope scope;
  StrPair rendered = DecToText(value);
  if (!rendered.ok()) return StrError(rendered);
  return FieldAssign(ref, rendered);
}

}  // namespace eng
