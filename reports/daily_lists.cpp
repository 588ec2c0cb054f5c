// The daily lists, the office's working papers: what was recorded per day
// and staff member, who is scheduled on a day, the day-by-day money
// summary, a staff member's appointments and the confirmation form of one
// appointment. They read the visit log and write nothing.
#include <memory>

#include "data/dictionary/dictionary.h"
#include "errors/error_manager.h"
#include "errors/message_table.h"
#include "platform/picture.h"
#include "platform/text.h"
#include "reports/office_list.h"
#include "reports/report_procedure.h"
#include "reports/reports.h"
#include "reports/visit_buffers.h"

namespace vornel::reports {
namespace {

// The visit's money, in the order the office reads it.
std::vector<ListColumn> MoneyColumns(int x) {
  constexpr std::pair<const char*, const char*> kMoneyFields[] = {
      {"Charge", "LOG:TOTAL_FEE"}, {"Ins Due", "LOG:BILLINS"}, {"Clt Fee Due", "LOG:CLIFEEDUE"},
      {"Clt Fee", "LOG:CLIFEENC"}, {"Other", "LOG:OTHERFEE"},  {"OSM", "LOG:OSMFEE"},
      {"SCA Bal", "LOG:BALSCA"},   {"MA", "LOG:BILLTOMA"}};
  std::vector<ListColumn> columns;
  for (const auto& [title, field] : kMoneyFields) {
    columns.push_back(
        {.title = title, .x = x, .width = 770, .field = field, .picture = kMoney, .align = Align::kRight, .sum = true});
    x += 780;
  }
  return columns;
}

// Time in and out, service, (the outcome,) the client and the money.
std::vector<ListColumn> VisitColumns(bool with_outcome) {
  std::vector<ListColumn> columns = {
      {.title = "In", .x = 0, .width = 600, .field = "LOG:TIME_IN", .picture = "@t3", .align = Align::kRight},
      {.title = "Out", .x = 650, .width = 600, .field = "LOG:TIME_OUT", .picture = "@t3", .align = Align::kRight},
      {.title = "Service", .x = 1350, .width = 500, .field = "LOG:SERV_CODE", .picture = "@s4"}};
  int client_x = 1900;
  if (with_outcome) {
    columns.push_back({.title = "Outcome", .x = 1900, .width = 550, .field = "LOG:TRANS_TYPE", .picture = "@s5"});
    client_x = 2500;
  }
  columns.push_back({.title = "Client Name", .x = client_x, .width = 3700 - client_x,
                     .value = [] { return ClientName(VisitClient()); }});
  for (ListColumn& money : MoneyColumns(3750)) columns.push_back(std::move(money));
  return columns;
}

GroupBreak StaffGroup(const ReportLayout& layout, const std::vector<ListColumn>& columns) {
  return {.field = "LOG:EMPL_CODE",
          .header = {300,
                     {Text(0, 60, "Employee:", kTitle),
                      Computed(800, 60, 3000, [] { return StaffName(VisitStaff()); }, Align::kLeft, kTitle),
                      Text(4000, 60, "Title:", kTitle), FieldAt(4500, 60, 2500, "EMP:TITLE", "@s20", Align::kLeft, kTitle)}},
          .footer = TotalsBand(layout, columns, "staff:", "Employee Subtotals:")};
}

// The visits by staff member (within each date when `by_date`), with the
// staff member's subtotals and the report's totals.
ReportLayout StaffLayout(const ui::ProgramValues& values, const std::string& title,
                         std::function<std::string()> covers, bool by_date) {
  ReportLayout layout;
  ListPage(layout, true);
  const std::vector<ListColumn> columns = VisitColumns(!by_date);
  layout.page_header = ListHeading(values, layout, Always(title), std::move(covers), columns);
  layout.page_footer = ListFooter(layout);
  if (by_date)
    layout.groups.push_back({.field = "LOG:LOG_DATE",
                             .header = {300,
                                        {Text(0, 60, "Date:", Bold(Sized(90))),
                                         FieldAt(600, 60, 1200, "LOG:LOG_DATE", "@d2", Align::kLeft, Bold(Sized(90)))}}});
  layout.groups.push_back(StaffGroup(layout, columns));
  layout.detail = ListLine(columns);
  AddColumnTotals(layout, columns, "staff:", TotalReset::kGroup, by_date ? 1 : 0);
  AddColumnTotals(layout, columns, "all:", TotalReset::kReport);
  layout.closing = TotalsBand(layout, columns, "all:", "Report Totals:");
  return layout;
}

ReportDeclaration EntryDetail(const ui::Services& services) {
  const ui::ProgramValues& values = services.values;
  return {.procedure = "DailyEntryRpt",
          .title = "Daily Entry Detail Report",
          .parameters = {"Date_Range"},
          .view = VisitsWithNames(),
          .key = "LOG:LOG_DAY",
          .range = {"LOG:LOG_DATE", "topdate", "botdate"},
          .filter = "log:trans_type = 'SHOW'",
          .layout = StaffLayout(values, "Daily Entry Detail Report",
                                [&values] { return "For the Period: " + PeriodText(values.topdate, values.botdate); },
                                true)};
}

// Every outcome of the day: scheduled, shown, no-shows, cancelled and
// rescheduled visits alike.
ReportDeclaration SessionSchedule(const ui::Services& services) {
  const ui::ProgramValues& values = services.values;
  return {.procedure = "DailySchedRpt",
          .title = "Session Schedule Report",
          .parameters = {"Day_Select"},
          .view = VisitsWithNames(),
          .key = "LOG:LOG_DAY",
          .range = {"LOG:LOG_DATE", "topdate", ""},
          .layout = StaffLayout(values, "Session Schedule Report",
                                [&values] { return "Date of Interest : " + platform::FormatWith("@d2", values.topdate); },
                                false)};
}

// One line per day: the day's totals, printed as the next day begins (the
// day is kept as it was printed, since the buffer already holds the next).
ReportDeclaration EntrySummary(const ui::Services& services) {
  const ui::ProgramValues& values = services.values;
  auto day = std::make_shared<std::int32_t>(0);
  std::vector<ListColumn> columns = {
      {.title = "Date", .x = 0, .width = 800, .value = [day] { return platform::FormatWith("@d2", *day); }}};
  constexpr std::pair<const char*, const char*> kSummed[] = {
      {"Charge", "LOG:TOTAL_FEE"},  {"MA", "LOG:BILLTOMA"}, {"INS Amount Due", "LOG:BILLINS"},
      {"Clt Fee Due", "LOG:CLIFEEDUE"}, {"Clt Fee", "LOG:CLIFEENC"}, {"Other", "LOG:OTHERFEE"}};
  int x = 850;
  for (const auto& [title, field] : kSummed) {
    columns.push_back(
        {.title = title, .x = x, .width = 930, .field = field, .picture = kMoney, .align = Align::kRight, .sum = true});
    x += 950;
  }
  columns.push_back({.title = "SCA / OSM", .x = x, .width = 930, .align = Align::kRight, .sum = true, .amount = [] {
                       const data::LogRecord& visit = CurrentVisit();
                       return visit.BALSCA + visit.OSMFEE;
                     }});

  ReportLayout layout;
  ListPage(layout, false);
  layout.page_header = ListHeading(values, layout, Always("Daily Entry Summary Report by Day"),
                                   [&values] { return "For the Period: " + PeriodText(values.topdate, values.botdate); },
                                   columns);
  layout.page_footer = ListFooter(layout);
  Band day_line{200, {Computed(0, 0, 800, columns[0].value, Align::kLeft, kCell)}};
  AddTotalCells(day_line, columns, "day:", 0, kCell);
  layout.groups.push_back({.field = "LOG:LOG_DATE", .footer = std::move(day_line)});
  AddColumnTotals(layout, columns, "day:", TotalReset::kGroup, 0);
  AddColumnTotals(layout, columns, "all:", TotalReset::kReport);
  layout.closing = TotalsBand(layout, columns, "all:", "Totals :");
  return {.procedure = "DailyEntrySummaryRpt",
          .title = "Daily Entry Summary Report by Day",
          .parameters = {"Date_Range"},
          .view = data::ViewDef(data::LogFile()),
          .key = "LOG:LOG_DAY",
          .range = {"LOG:LOG_DATE", "topdate", "botdate"},
          .filter = "log:trans_type = 'SHOW'",
          .layout = std::move(layout),
          .on_record =
              [day](ReportRun& run) {
                run.writer()->Record();
                *day = CurrentVisit().LOG_DATE;
                return 0;
              }};
}

// One staff member's appointments of the period, without the cancelled and
// rescheduled ones. The period is held the other way round: botdate is its
// start; at the end the two are put back in the order every other period
// window shows them, so the next report proposes the same period. A staff
// member whose every appointment was called off gets the heading and a line
// that says so.
ReportDeclaration StaffAppointments(const ui::Services& services) {
  ui::ProgramValues& values = services.values;
  struct Staff {
    std::string code, name, title;
  };
  auto staff = std::make_shared<Staff>();
  const std::vector<ListColumn> columns = {
      {.title = "Visit Date", .x = 0, .width = 850, .field = "LOG:LOG_DATE", .picture = "@d2"},
      {.title = "Time In - Time Out", .x = 950, .width = 1500, .value = [] {
         const data::LogRecord& visit = CurrentVisit();
         return std::string(platform::Trim(platform::FormatWith("@t3", visit.TIME_IN))) + " - " +
                std::string(platform::Trim(platform::FormatWith("@t3", visit.TIME_OUT)));
       }},
      {.title = "Service", .x = 2500, .width = 550, .field = "LOG:SERV_CODE", .picture = "@s4"},
      {.title = "Client Name", .x = 3100, .width = 2500, .value = [] { return ClientName(VisitClient()); }},
      {.title = "Call Ok?", .x = 5700, .width = 650, .field = "CLI:CALLOK", .picture = "@s1", .align = Align::kCenter},
      {.title = "Phone", .x = 6450, .width = 1300, .field = "CLI:PHONE", .picture = "@p(###)###-####p"},
      {.title = "Comments", .x = 7850, .width = 2150, .field = "LOG:COMMENT", .picture = "@s12"}};
  ReportLayout layout;
  ListPage(layout, true);
  layout.page_header = ListHeading(
      values, layout, Always("Session Schedule Report"),
      [&values] { return "Date Range of Interest : " + PeriodText(values.botdate, values.topdate); }, columns,
      {Text(0, 0, "Staff Member:", kTitle),
       Computed(1100, 0, 3000, [staff] { return staff->name; }, Align::kLeft, kTitle), Text(4300, 0, "Title:", kTitle),
       Computed(4800, 0, 3000, [staff] { return staff->title; }, Align::kLeft, kTitle)},
      260);
  layout.page_footer = ListFooter(layout);
  layout.detail = ListLine(columns);
  ReportDeclaration declaration{.procedure = "DailyAppointmentRpt",
          .title = "Session Schedule Report",
          .parameters = {"Date_Range_apppointment"},
          .view = data::ViewDef(data::LogFile()).Join(data::ClientFile(), "CLI:CODE_KEY", {"LOG:CLCODE"}),
          .key = "LOG:LOG_DAY",
          .range = {"LOG:LOG_DATE", "botdate", "topdate"},
          .layout = std::move(layout),
          .on_record =
              [staff](ReportRun& run) {
                const data::LogRecord& visit = CurrentVisit();
                const std::string_view outcome = platform::Clip(platform::ReadField(visit.TRANS_TYPE));
                if (!platform::EqualNoCase(platform::Clip(platform::ReadField(visit.EMPL_CODE)), staff->code) ||
                    outcome == "CANC" || outcome == "RESCH")
                  return 0;
                run.writer()->Record();
                return 0;
              },
          .on_open =
              [&values, staff](ReportRun&) {
                staff->code = std::string(platform::Clip(platform::ReadField(values.filter2)));
                const std::optional<data::EmployeeRecord> found = FindStaffMember(staff->code);
                staff->name = found ? StaffName(*found) : staff->code;
                staff->title = found ? std::string(platform::Clip(platform::ReadField(found->TITLE))) : "";
              },
          .on_end =
              [&values](ReportRun&, bool) {
                if (values.botdate < values.topdate) std::swap(values.botdate, values.topdate);
              }};
  SayWhenEmpty(declaration, "No appointments of this staff member in the period.");
  return declaration;
}

// The appointment the caller has in its visit buffer, with the lines the
// client and the staff member sign.
ReportDeclaration Confirmation(const ui::Services& services) {
  auto visit = std::make_shared<std::int32_t>(CurrentVisit().LOG_NO);
  ReportLayout layout;
  ListPage(layout, false);
  const int width = ListWidth(layout);
  const Font big = Sized(110);
  const Font label = Bold(Sized(110));
  layout.page_header = ListHeading(services.values, layout, Always("Appointment Confirmation Form"), Always(""), {});
  layout.detail = {
      5200,
      {Text(0, 300, "Next Visit Scheduled for:", label),
       FieldAt(2700, 300, 4000, "LOG:LOG_DATE", "@d18", Align::kLeft, big),
       Text(0, 650, "Time:", label), Computed(2700, 650, 4500, [] {
         const data::LogRecord& v = CurrentVisit();
         return std::string(platform::Trim(platform::FormatWith("@t3", v.TIME_IN))) + " to " +
                std::string(platform::Trim(platform::FormatWith("@t3", v.TIME_OUT)));
       }, Align::kLeft, big),
       Text(0, 1000, "with", label),
       Computed(2700, 1000, 4500, [] { return StaffName(VisitStaff()); }, Align::kLeft, big),
       Text(0, 1350, "Client No .:", label), FieldAt(2700, 1350, 800, "LOG:CLCODE", "@n_5", Align::kLeft, big),
       Computed(3600, 1350, 3900, [] {
         const data::ClientRecord& c = VisitClient();
         std::string name(platform::Clip(platform::ReadField(c.CLFNAME)));
         const std::string_view middle = platform::Clip(platform::ReadField(c.CLMID));
         if (!middle.empty()) name += " " + std::string(middle);
         return name + " " + std::string(platform::Clip(platform::ReadField(c.CLLNAME)));
       }, Align::kLeft, big),
       HLine(0, 2600, 3400), Text(0, 2650, "Client Signature", Sized(90)),
       HLine(4100, 2600, width - 4100), Text(4100, 2650, "Staff Member Signature", Sized(90)),
       Text(0, 3200, "Comments:", label), HLine(0, 3700, width, 5), HLine(0, 4200, width, 5),
       HLine(0, 4700, width, 5)}};
  return {.procedure = "App_Agreement_Rpt",
          .title = "Appointment Confirmation Form",
          .view = VisitsWithNames(),
          .key = "LOG:LOG_KEY",
          .range = {"LOG:LOG_NO", "visit", ""},
          .variables = [visit](platform::VariableTable& names) { names.BindInt32("visit", visit.get()); },
          .layout = std::move(layout)};
}

}  // namespace

void RegisterDailyLists(const ui::Services& services) {
  RegisterReport(services, "DailyEntryRpt", [&services] { return EntryDetail(services); });
  RegisterReport(services, "DailySchedRpt", [&services] { return SessionSchedule(services); });
  RegisterReport(services, "DailyEntrySummaryRpt", [&services] { return EntrySummary(services); });
  RegisterReport(services, "DailyAppointmentRpt", [&services] { return StaffAppointments(services); });
  // Without a visit in the buffer there is nothing to confirm: said at once,
  // before any window opens.
  services.procedures.Register("App_Agreement_Rpt", [&services] {
    if (CurrentVisit().LOG_NO == 0) {
      ui::CurrentThread()->global_response = ui::kCancelled;
      services.errors.RaiseError(errors::msg::kNoRecords);
      return;
    }
    RunReport(services, Confirmation(services));
  });
}

}  // namespace vornel::reports
