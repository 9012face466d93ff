// The one path resolver: every file name the engine hands to the operating
// system goes through PathResolve first.
//   - "\" and "/" both separate components; a drive prefix "X:" is dropped
//     ("C:\A\B" is "/A/B", "C:A" is "A");
//   - a component that does not exist as written is replaced by its unique
//     case-insensitive match (ASCII letters only) in that folder; two or more
//     such matches make the name ambiguous, and it is refused, never guessed;
//   - a component with no match at all, and everything after it, is kept as
//     written, so a new file is created with the name as written.
// Invalid names (empty, holding a NUL byte, longer than the system allows)
// are refused with 163; an ambiguous name with 164.
#pragma once

#include <string>
#include <string_view>

#include "core/status.h"

namespace eng {

struct ResolvedPath {
  Status status = kOk;   // 0, 163 invalid, 164 ambiguous
  std::string path;      // the Linux path (valid when status is 0)
  bool exists = false;   // the whole path names an existing entry
  bool ambiguous = false;
};

ResolvedPath PathResolve(std::string_view name);

// ASCII-only case-insensitive equality of two names.
bool PathNameEqualNoCase(std::string_view a, std::string_view b);

}  // namespace eng
