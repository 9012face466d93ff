// Field references in expressions ("NAME{file}", "3{CLIENTES}", "NAME{}") are
// served by the data layer, which the core does not know. The data layer
// installs this table of functions once; until it does, every call answers
// status 161 (file out of range). A reference is passed whole, braces included.
// A table without assign_number has a number stored as its text (DecToText).
#pragma once

#include <string>

#include "core/dec_value.h"
#include "core/status.h"
#include "core/str_pair.h"

namespace eng {

struct FieldAccess {
  // The field's type letter ("A", "N", "D", ...), or a failing status.
  Status (*type_of)(StrPair ref, char* type);
  // The field's value in the current record, as text; its type letter.
  Status (*read)(StrPair ref, std::string* value, char* type);
  // Stores a value (text) into the field in the current record.
  Status (*assign)(StrPair ref, StrPair value);
  // Stores a number into the field as assign stores its text.
  Status (*assign_number)(StrPair ref, DecValue value) = nullptr;
};

// Installs the data layer's table (nullptr removes it).
void FieldAccessInstall(const FieldAccess* access);

Status FieldTypeOf(StrPair ref, char* type);
Status FieldRead(StrPair ref, std::string* value, char* type);
Status FieldAssign(StrPair ref, StrPair value);
Status FieldAssignNumber(StrPair ref, DecValue value);

}  // namespace eng
