#include "visits/visit_log.h"

#include <algorithm>

#include "data/dictionary/dictionary.h"
#include "data/dictionary/records.h"
#include "data/file_registry.h"
#include "platform/picture.h"
#include "platform/text.h"
#include "ui/posting_date.h"
#include "ui/system_warning.h"
#include "visits/visit_fees.h"

namespace vornel::visits {
namespace {

// "Last, First M" of the row's client, as the list shows it.
std::string ClientName() {
  const auto& client = ui::CurrentThread()->files.Get(data::ClientFile()).record<data::ClientRecord>();
  std::string name(platform::ReadField(client.CLLNAME));
  name += ", ";
  name += platform::ReadField(client.CLFNAME);
  name += ' ';
  name += platform::ReadField(client.CLMID);
  return name.substr(0, 25);
}

}  // namespace

data::ViewDef VisitListView() {
  return data::ViewDef(data::LogFile())
      .Join(data::EmployeeFile(), "EMP:STAFF_KEY", {"LOG:EMPL_CODE"})
      .Join(data::ClientFile(), "CLI:CODE_KEY", {"LOG:CLCODE"});
}

std::vector<ui::ListColumn> VisitListColumns(std::string staff_picture) {
  return {{"Date", "LOG:LOG_DATE", "@d2"},
          {"Staff Name", "EMP:LASTNAME", std::move(staff_picture)},
          {"Time In", "LOG:TIME_IN", "@t3"},
          {"Time Out", "LOG:TIME_OUT", "@t3"},
          {"Client Name", "", "", ClientName},
          {"Svc Code", "LOG:SERV_CODE", "@s4"},
          {"Status", "LOG:TRANS_TYPE", "@s5"}};
}

// A posted visit is part of a closed period: it stays. A visit without a date
// never was one (a new visit's number kept by a station that stopped before
// it was saved) and may go.
std::function<bool(int request)> VisitDeleteGuard(const ui::Services& services, std::int32_t& post_date) {
  return [&services, &post_date](int request) {
    if (request != ui::kDelete) return true;
    // A posting at another station since the list opened counts.
    post_date = std::max(post_date, ui::CurrentPostDate(ui::CurrentThread()->files, services.values));
    const auto& visit = ui::CurrentThread()->files.Get(data::LogFile()).record<data::LogRecord>();
    if (visit.LOG_DATE == 0 || !Posted(visit.LOG_DATE, post_date)) return true;
    ui::Warn(services, "Visits may not be deleted if prior to the last posting date of " +
                           platform::FormatWith("d2", post_date));
    return false;
  };
}

void RegisterVisitLog(const ui::Services& services) {
  ui::ProgramValues& values = services.values;
  ui::RegisterList(
      services,
      {.procedure = "BrowseLog",
       .title = "Daily Log File",
       .view = VisitListView(),
       .orders = {{"Log Entries by Date", "LOG:LOG_DAY", ui::LocatorKind::kEntry, "@d2", "Find Date:"}},
       .columns = VisitListColumns("@s20"),
       .update_procedure = "UpdateLog",
       .controls = {platform::Shown("?LOCALPOSTDATE", "Last Posting Date:", "@d2", platform::Ref(values.last_post_date))},
       .may_request = VisitDeleteGuard(services, values.last_post_date)});
}

}  // namespace vornel::visits
