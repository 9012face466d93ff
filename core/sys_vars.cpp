#include "core/sys_vars.h"

#include "core/runtime.h"

namespace eng {

int16_t SysVarGet(SysVar v) { return v < kSysVarCount ? Core().sysvars[v] : 0; }

void SysVarSet(SysVar v, int16_t value) {
  if (v < kSysVarCount) Core().sysvars[v] = value;
}

}  // namespace eng
