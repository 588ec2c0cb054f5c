#include "maintenance/master_files.h"

#include "maintenance/families.h"
#include "visits/line_form.h"

namespace vornel::maintenance {

void RegisterMasterFiles(const ui::Services& services) {
  RegisterStaff(services);
  RegisterDiagnoses(services);
  RegisterServices(services);
  RegisterVendors(services);
  visits::RegisterLineForm(services);
  RegisterStudyGroups(services);
  RegisterClientRecords(services);
  RegisterSetups(services);
  RegisterRevisionHistory(services);
  RegisterClientConsolidation(services);
  RegisterClients(services);
  RegisterArchivedClients(services);
  RegisterDisplayError(services);
}

}  // namespace vornel::maintenance
