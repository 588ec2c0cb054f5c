#pragma once
// The client payment batches: the balance audit (CilentBalanceAudit) and
// the purge of closed records before a cutoff (DelCliPayments, with its
// password form ASKDELPW2).
#include "ui/procedure_catalog.h"

namespace vornel::posting {

void RegisterPaymentBatches(const ui::Services& services);

}  // namespace vornel::posting
