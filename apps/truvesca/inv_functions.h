// The invoicing procedure functions registered at loading: VATv, VAT$,
// AUTONUM and DocSer$, in this order, each only when the one before was
// registered (the application slots may be full: 168).
#pragma once

#include "core/status.h"

namespace eng::truvesca {

// The status of the first registration that failed, else 0.
Status InvRegisterFunctions();

}  // namespace eng::truvesca
