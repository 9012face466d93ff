#include "core/dict_state.h"

#include "core/runtime.h"
#include "core/var_store.h"

namespace eng {

void DictEpochRenew() { Core().dict.epoch = VarNewGeneration(); }

}  // namespace eng
