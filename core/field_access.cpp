#include "core/field_access.h"

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

}  // namespace eng
