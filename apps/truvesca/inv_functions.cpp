#include "apps/truvesca/inv_functions.h"

#include "apps/truvesca/doc_counters.h"
#include "apps/truvesca/doc_series.h"
#include "apps/truvesca/vat_totals.h"

namespace eng::truvesca {

Status InvRegisterFunctions() {
  if (Status s = VatRegister()) return s;
  if (Status s = AutoNumRegister()) return s;
  return DocSerRegister();
}

}  // namespace eng::truvesca
