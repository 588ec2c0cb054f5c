#pragma once
// The client archive (ArchiveClients, with its cutoff form ARCDAY) and the
// visit purge (PurgeVisits, with its password form ASKDELPW).
#include "ui/procedure_catalog.h"

namespace vornel::posting {

void RegisterArchiveBatches(const ui::Services& services);

}  // namespace vornel::posting
