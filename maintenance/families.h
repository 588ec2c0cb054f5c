#pragma once
// One registration per family of master files.
#include "ui/procedure_catalog.h"

namespace vornel::maintenance {

void RegisterStaff(const ui::Services& services);
void RegisterDiagnoses(const ui::Services& services);
void RegisterServices(const ui::Services& services);
void RegisterVendors(const ui::Services& services);
void RegisterStudyGroups(const ui::Services& services);
void RegisterClientRecords(const ui::Services& services);
void RegisterSetups(const ui::Services& services);
void RegisterRevisionHistory(const ui::Services& services);
void RegisterDisplayError(const ui::Services& services);
void RegisterClientConsolidation(const ui::Services& services);
void RegisterClients(const ui::Services& services);
void RegisterArchivedClients(const ui::Services& services);

}  // namespace vornel::maintenance
