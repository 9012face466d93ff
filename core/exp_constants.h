// The named constants of expressions: "." and a lower-case name, matched
// exactly. They number elements of string list 0 (envron to maskparms), string
// lists (envvar, aux to usrfif), elements of list 9 (maincond, pdfhead,
// dialog), date multipliers (datem, datey) and flags (top to iscgi).
#pragma once

#include <cstdint>
#include <string_view>

namespace eng {

struct ExpConstant {
  const char* name;
  int16_t value;
};

inline constexpr uint16_t kExpConstantCount = 32;
extern const ExpConstant kExpConstants[kExpConstantCount];

// The value of a constant name (without its "."); false when unknown.
bool ExpConstantValue(std::string_view name, int16_t* value);

}  // namespace eng
