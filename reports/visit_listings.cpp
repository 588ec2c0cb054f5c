// The listings that read the working files directly: the shown sessions by
// service (for everyone or one staff member), a client's visit history, the
// payers' charges of a period, the facility's visits counted by outcome and
// service, and the services list.
#include <map>
#include <memory>
#include <tuple>

#include "data/dictionary/dictionary.h"
#include "data/file_manager.h"
#include "data/store/store_answer.h"
#include "platform/picture.h"
#include "platform/text.h"
#include "reports/office_list.h"
#include "reports/report_procedure.h"
#include "reports/reports.h"
#include "reports/visit_buffers.h"
#include "ui/procedure_thread.h"

namespace vornel::reports {
namespace {

std::function<std::string()> Period(const ui::ProgramValues& values, std::string prefix) {
  return [&values, prefix = std::move(prefix)] { return prefix + PeriodText(values.topdate, values.botdate); };
}

ReportLayout Listing(const ui::ProgramValues& values, bool landscape, std::function<std::string()> title,
                     std::function<std::string()> covers, const std::vector<ListColumn>& columns) {
  ReportLayout layout;
  ListPage(layout, landscape);
  layout.page_header = ListHeading(values, layout, std::move(title), std::move(covers), columns);
  layout.page_footer = ListFooter(layout);
  layout.detail = ListLine(columns);
  return layout;
}

// A group with a header line of its own and the group's totals as footer.
GroupBreak TotalledGroup(ReportLayout& layout, const std::vector<ListColumn>& columns, std::string field,
                         std::vector<LayoutItem> header, const std::string& scope, const std::string& label) {
  AddColumnTotals(layout, columns, scope, TotalReset::kGroup, static_cast<int>(layout.groups.size()));
  return {.field = std::move(field),
          .header = {300, std::move(header)},
          .footer = TotalsBand(layout, columns, scope, label)};
}

void ReportTotals(ReportLayout& layout, const std::vector<ListColumn>& columns, const std::string& label) {
  AddColumnTotals(layout, columns, "all:", TotalReset::kReport);
  layout.closing = TotalsBand(layout, columns, "all:", label);
}

// The units of an MA individual visit are those of its two lines to the
// medical-assistance payer (services MA1 and MA2, as the visit form's auto
// insert writes them); of any other visit, its own.
double SessionUnits(data::FileManager& lines, const data::LogRecord& visit) {
  if (platform::Clip(platform::ReadField(visit.SERV_CODE)) != "MA1") return visit.UNITS;
  data::RecordFile& file = lines.file();
  auto& line = lines.record<data::LineitemRecord>();
  file.ClearBuffer();
  line.LOG_NO = visit.LOG_NO;
  double units = 0;
  if (file.SetByKey(*data::LineitemFile().FindKey("LIN:LOG_KEY")) != data::kStoreOk) return units;
  while (file.Next() == data::kStoreOk && line.LOG_NO == visit.LOG_NO) {
    const std::string_view service = platform::Clip(platform::ReadField(line.LINE_SVC));
    if (platform::Clip(platform::ReadField(line.VEN_CODE)) == "MA1" && (service == "MA1" || service == "MA2"))
      units += line.MA_UNITS;
  }
  return units;
}

// The shown sessions of the period by service; in its per-staff form
// (selection "E") only the chosen staff member's.
ReportDeclaration SessionListing(const ui::Services& services) {
  const ui::ProgramValues& values = services.values;
  const bool per_staff = values.selection == 'E';
  struct State {
    std::string code, name;
    double units = 0;
  };
  auto state = std::make_shared<State>();
  const std::vector<ListColumn> columns = {
      {.title = "Date", .x = 0, .width = 850, .field = "LOG:LOG_DATE", .picture = "@d2"},
      {.title = "Client No", .x = 900, .width = 600, .field = "LOG:CLCODE", .picture = "@n_5", .align = Align::kRight},
      {.title = "Client Name", .x = 1650, .width = 2300, .value = [] { return ClientName(VisitClient()); }},
      {.title = "Staff", .x = 4000, .width = 600, .field = "LOG:EMPL_CODE", .picture = "@s5"},
      {.title = "Time In", .x = 4650, .width = 650, .field = "LOG:TIME_IN", .picture = "@t3", .align = Align::kRight},
      {.title = "Units",
       .x = 5400,
       .width = 800,
       .align = Align::kRight,
       .value = [state] { return platform::FormatWith("@n_8.2", state->units); },
       .sum = true,
       .amount = [state] { return state->units; }},
      {.title = "Fee", .x = 6300, .width = 1200, .field = "LOG:TOTAL_FEE", .picture = kMoney, .align = Align::kRight,
       .sum = true}};
  ReportLayout layout = Listing(
      values, false,
      [per_staff, state] {
        return per_staff ? "SESSIONS FOR  EMPLOYEE NAME : " + state->name + " ONLY" : "COMPLETE SESSION LISTING";
      },
      Period(values, "For the Period: "), columns);
  layout.groups.push_back(TotalledGroup(
      layout, columns, "LOG:SERV_CODE",
      {Text(0, 60, "Service:", kTitle), FieldAt(700, 60, 600, "LOG:SERV_CODE", "@s4", Align::kLeft, kTitle),
       FieldAt(1400, 60, 3000, "SER:DESC", "@s25", Align::kLeft, kTitle)},
      "service:", "Service Totals:"));
  ReportTotals(layout, columns, "Report Totals:");
  const auto lines = [] { return &ui::CurrentThread()->files.Get(data::LineitemFile()); };
  ReportDeclaration declaration{
      .procedure = "Fullsessionstats",
      .title = per_staff ? "Sessions for one Employee" : "Complete Session Listing",
      .parameters = per_staff ? std::vector<std::string>{"Select_STAFFID", "Date_Range"}
                              : std::vector<std::string>{"Date_Range"},
      .view = VisitsWithNames().Join(data::ServicesFile(), "SER:SERV_CODE", {"LOG:SERV_CODE"}),
      .key = "LOG:LOG_SUM",
      .filter = "log:trans_type = 'SHOW' AND LOG:LOG_DATE >= TOPDATE AND LOG:LOG_DATE <= BOTDATE",
      .layout = std::move(layout),
      .on_record =
          [per_staff, state, lines](ReportRun& run) {
            const data::LogRecord& visit = CurrentVisit();
            if (per_staff && !platform::EqualNoCase(platform::Clip(platform::ReadField(visit.EMPL_CODE)), state->code))
              return 0;
            state->units = SessionUnits(*lines(), visit);
            run.writer()->Record();
            return 0;
          },
      .on_open =
          [&values, per_staff, state, lines](ReportRun&) {
            lines()->Open();
            lines()->EnsurePhysicallyOpen();
            if (!per_staff) return;
            state->code = std::string(platform::Clip(platform::ReadField(values.var3)));
            const std::optional<data::EmployeeRecord> staff = FindStaffMember(state->code);
            state->name = staff ? StaffName(*staff) : state->code;
          },
      .on_end = [lines](ReportRun&, bool) { lines()->Close(); }};
  SayWhenEmpty(declaration, "No shown sessions in the period.");
  return declaration;
}

// Every visit of the period by client and date; from the client form, the
// one client's.
ReportDeclaration VisitHistory(const ui::Services& services) {
  const ui::ProgramValues& values = services.values;
  auto client = std::make_shared<std::int16_t>(values.history_client);
  const std::vector<ListColumn> columns = {
      {.title = "Date", .x = 0, .width = 850, .field = "LOG:LOG_DATE", .picture = "@d2"},
      {.title = "Time In", .x = 900, .width = 650, .field = "LOG:TIME_IN", .picture = "@t3", .align = Align::kRight},
      {.title = "Service", .x = 1650, .width = 500, .field = "LOG:SERV_CODE", .picture = "@s4"},
      {.title = "Outcome", .x = 2200, .width = 600, .field = "LOG:TRANS_TYPE", .picture = "@s5"},
      {.title = "Staff Member", .x = 2850, .width = 2200, .value = [] { return StaffName(VisitStaff()); }},
      {.title = "Units", .x = 5100, .width = 700, .field = "LOG:UNITS", .picture = "@n_8.2", .align = Align::kRight},
      {.title = "Fee", .x = 5850, .width = 800, .field = "LOG:TOTAL_FEE", .picture = kMoney, .align = Align::kRight,
       .sum = true},
      {.title = "Visits", .x = 6700, .width = 800, .align = Align::kRight, .count = true}};
  ReportLayout layout = Listing(values, false, Always("CLIENT HISTORY REPORT"), Period(values, "Date Range: "), columns);
  layout.groups.push_back(TotalledGroup(
      layout, columns, "LOG:CLCODE",
      {Text(0, 60, "Client:", kTitle), FieldAt(600, 60, 600, "LOG:CLCODE", "@n_5", Align::kLeft, kTitle),
       Computed(1300, 60, 4000, [] { return ClientName(VisitClient()); }, Align::kLeft, kTitle)},
      "client:", "Client Totals:"));
  ReportTotals(layout, columns, "Report Totals:");
  ReportDeclaration declaration{.procedure = "PrintVisitHistory",
                                .title = "Client History Report",
                                .parameters = {"Date_Range"},
                                .view = VisitsWithNames(),
                                .key = "LOG:LOG_CUST",
                                .filter = "log:log_date >= topdate and log:log_date <= botdate",
                                .layout = std::move(layout)};
  if (*client != 0) {
    declaration.range = {"LOG:CLCODE", "client", ""};
    declaration.variables = [client](platform::VariableTable& names) { names.BindInt16("client", client.get()); };
  }
  return declaration;
}

// One line per payer: its charge lines of the period, their amount due and
// their count. The line prints as the next payer begins, so the payer is
// kept as it was.
ReportDeclaration PayerActivity(const ui::Services& services) {
  const ui::ProgramValues& values = services.values;
  struct Payer {
    std::string code, name;
  };
  auto payer = std::make_shared<Payer>();
  const std::vector<ListColumn> columns = {
      {.title = "Code", .x = 0, .width = 600, .value = [payer] { return payer->code; }},
      {.title = "Payer Name", .x = 700, .width = 3000, .value = [payer] { return payer->name; }},
      {.title = "Amount Due", .x = 3800, .width = 1300, .field = "LIN:AMOUNT_DUE", .picture = kMoney,
       .align = Align::kRight, .sum = true},
      {.title = "Visits", .x = 5200, .width = 900, .align = Align::kRight, .count = true}};
  ReportLayout layout =
      Listing(values, false, Always("Vendor Activity Over Time Period"), Period(values, "For the Period: "), columns);
  Band payer_line{200, {Computed(0, 0, 600, columns[0].value, Align::kLeft, kCell),
                        Computed(700, 0, 3000, columns[1].value, Align::kLeft, kCell)}};
  AddTotalCells(payer_line, columns, "payer:", 0, kCell);
  AddColumnTotals(layout, columns, "payer:", TotalReset::kGroup, 0);
  layout.groups.push_back({.field = "LIN:VEN_CODE", .footer = std::move(payer_line)});
  layout.detail = {};
  ReportTotals(layout, columns, "Totals:");
  return {.procedure = "Vendor_Activity_Period_Rpt",
          .title = "Vendor Activity Over Time Period",
          .parameters = {"Date_Range"},
          .view = data::ViewDef(data::LineitemFile()).Join(data::VendorFile(), "VEN:VEN_KEY", {"LIN:VEN_CODE"}),
          .key = "LIN:VEN_KEY",
          .filter = "lin:serv_date >= topdate and lin:serv_date<= botdate",
          .layout = std::move(layout),
          .on_record = [payer](ReportRun& run) {
            run.writer()->Record();
            const auto& line = ui::CurrentThread()->files.Get(data::LineitemFile()).record<data::LineitemRecord>();
            const auto& vendor = ui::CurrentThread()->files.Get(data::VendorFile()).record<data::VendorRecord>();
            payer->code = platform::Clip(platform::ReadField(line.VEN_CODE));
            payer->name = platform::Clip(platform::ReadField(vendor.NAME));
            return 0;
          }};
}

// The visits of the period counted by outcome and by service within it,
// with their units and fees: the counts are gathered while the visits are
// read and printed at the end.
ReportDeclaration FacilitySummary(const ui::Services& services) {
  const ui::ProgramValues& values = services.values;
  struct Count {
    int visits = 0;
    double units = 0, fees = 0;
    void Add(const Count& other) {
      visits += other.visits;
      units += other.units;
      fees += other.fees;
    }
  };
  struct State {
    std::map<std::pair<std::string, std::string>, Count> counts;  // by outcome, service
    std::string outcome, service;
    Count shown;  // the line being printed
  };
  auto state = std::make_shared<State>();
  const std::vector<ListColumn> columns = {
      {.title = "Outcome", .x = 0, .width = 800, .value = [state] { return state->outcome; }},
      {.title = "Service", .x = 900, .width = 800, .value = [state] { return state->service; }},
      {.title = "Visits", .x = 2000, .width = 1000, .align = Align::kRight,
       .value = [state] { return platform::FormatWith("@n7", state->shown.visits); }},
      {.title = "Units", .x = 3200, .width = 1200, .align = Align::kRight,
       .value = [state] { return platform::FormatWith("@n_10.2", state->shown.units); }},
      {.title = "Fees", .x = 4600, .width = 1400, .align = Align::kRight,
       .value = [state] { return platform::FormatWith(kMoney, state->shown.fees); }}};
  ReportLayout layout =
      Listing(values, false, Always("FACILITY VISIT SUMMARY REPORT"), Period(values, "For the Period: "), columns);
  Band line = layout.detail;
  Band subtotal = line;
  subtotal.items.erase(subtotal.items.begin(), subtotal.items.begin() + 2);
  subtotal.items.insert(subtotal.items.begin(), Computed(0, 0, 1800, [state] { return state->outcome + " Totals:"; },
                                                         Align::kLeft, kTitle));
  for (LayoutItem& item : subtotal.items) item.font = kTitle;
  subtotal.height = 300;
  Band total = subtotal;
  total.items.front() = Text(0, 0, "Report Totals:", kTitle);
  for (LayoutItem& item : total.items) item.y += 80;
  total.items.insert(total.items.begin(), HLine(0, 20, ListWidth(layout), 10));
  total.height = 380;
  layout.named = {{"line", line}, {"subtotal", subtotal}, {"total", total}};
  layout.detail = {};
  return {.procedure = "Facility_Visit_Summary_Rpt",
          .title = "Facility Visit Summary Report",
          .parameters = {"Date_Range"},
          .view = data::ViewDef(data::LogFile()),
          .key = "LOG:LOG_DAY",
          .range = {"LOG:LOG_DATE", "topdate", "botdate"},
          .layout = std::move(layout),
          .on_record =
              [state](ReportRun&) {
                const data::LogRecord& visit = CurrentVisit();
                Count& count = state->counts[{std::string(platform::Clip(platform::ReadField(visit.TRANS_TYPE))),
                                              std::string(platform::Clip(platform::ReadField(visit.SERV_CODE)))}];
                count.Add({1, visit.UNITS, visit.TOTAL_FEE});
                return 0;
              },
          .on_closing =
              [state](ReportRun& run) {
                Count all, outcome;
                for (auto it = state->counts.begin(); it != state->counts.end(); ++it) {
                  std::tie(state->outcome, state->service) = it->first;
                  state->shown = it->second;
                  run.writer()->Print("line");
                  outcome.Add(it->second);
                  const auto next = std::next(it);
                  if (next == state->counts.end() || next->first.first != it->first.first) {
                    state->shown = outcome;
                    run.writer()->Print("subtotal");
                    all.Add(outcome);
                    outcome = {};
                  }
                }
                state->shown = all;
                run.writer()->Print("total");
              }};
}

ReportDeclaration ServicesList(const ui::Services& services) {
  const std::vector<ListColumn> columns = {
      {.title = "Code", .x = 0, .width = 550, .field = "SER:SERVICE", .picture = "@s4"},
      {.title = "Description", .x = 600, .width = 2300, .field = "SER:DESC", .picture = "@s25"},
      {.title = "Rate", .x = 2950, .width = 800, .field = "SER:RATE", .picture = "@n10.2", .align = Align::kRight},
      {.title = "Min/Unit", .x = 3850, .width = 650, .field = "SER:UNITMINS", .picture = "@n_5", .align = Align::kRight},
      {.title = "MA Proc", .x = 4650, .width = 650, .field = "SER:PROC_NAME", .picture = "@s5"},
      {.title = "Mod", .x = 5350, .width = 400, .field = "SER:MODIFIER1", .picture = "@s3"},
      {.title = "SCA Max", .x = 5800, .width = 800, .field = "SER:SCA_MAX", .picture = "@n10.2", .align = Align::kRight},
      {.title = "Group", .x = 6650, .width = 400, .field = "SER:GROUPFLAG", .picture = "@s1", .align = Align::kCenter},
      {.title = "Outr", .x = 7100, .width = 400, .field = "SER:OUTREACH", .picture = "@s1", .align = Align::kCenter}};
  ReportLayout layout = Listing(services.values, false, Always("Services Listing"), Always(""), columns);
  layout.totals = {{.name = "services", .kind = TotalKind::kCount}};
  layout.closing = {330, {HLine(0, 20, ListWidth(layout), 5), Text(0, 80, "Services:", kTitle),
                          TotalAt(900, 80, 500, "services", "@n6", kTitle)}};
  return {.procedure = "Services_Listing_Rpt",
          .title = "Services Listing",
          .view = data::ViewDef(data::ServicesFile()),
          .key = "SER:SERV_CODE",
          .layout = std::move(layout)};
}

}  // namespace

void RegisterVisitListings(const ui::Services& services) {
  RegisterReport(services, "Fullsessionstats", [&services] { return SessionListing(services); });
  RegisterReport(services, "PrintVisitHistory", [&services] { return VisitHistory(services); });
  RegisterReport(services, "Vendor_Activity_Period_Rpt", [&services] { return PayerActivity(services); });
  RegisterReport(services, "Facility_Visit_Summary_Rpt", [&services] { return FacilitySummary(services); });
  RegisterReport(services, "Services_Listing_Rpt", [&services] { return ServicesList(services); });
}

}  // namespace vornel::reports
