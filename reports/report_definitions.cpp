// Report_Definitions: the agency's list of report definitions, in printing
// sequence, each with its title, code, what it is based on and the
// parameters it asks for.
#include "reports/reports.h"

#include "data/dictionary/dictionary.h"
#include "platform/dates.h"
#include "platform/picture.h"
#include "platform/text.h"
#include "reports/report_procedure.h"

namespace vornel::reports {
namespace {

ReportLayout DefinitionsLayout(const ui::ProgramValues& values) {
  ReportLayout layout;
  const std::string version(platform::ReadField(values.version_label));
  const std::string printed = "Printed On: " + platform::FormatWith("d2", platform::Today());
  layout.page_header = {
      1000,
      {Text(0, 0, "VORNEL Report Definitions Listing", Bold(Sized(140))),
       Text(0, 0, printed, {}, Align::kRight, 7500),
       Text(0, 300, "Version: " + version),
       Text(0, 300, std::string("Page ") + std::string(kPageNumber) + " of " + std::string(kPageCount), {},
            Align::kRight, 7500),
       Text(0, 650, "No.             Report Title", Bold()),
       Text(5900, 650, "Code", Bold()),
       HLine(0, 880, 7500, 15)}};
  layout.detail = {1150,
                   {FieldAt(0, 0, 500, "REP:SEQ", "@n5", Align::kRight),
                    FieldAt(1100, 0, 4700, "REP:NOTES", "@s50", Align::kLeft, Bold()),
                    FieldAt(5900, 0, 1600, "REP:REPORTDEF", "@s8"),
                    Text(1100, 230, "Basis:"),
                    Wrapped(FieldAt(1900, 230, 5600, "REP:BASIS", "@s255", Align::kLeft, Fixed(Sized(90))), 74, 3),
                    Text(1100, 760, "Inputs:"),
                    FieldAt(1900, 760, 5600, "REP:PARAMETER_INPUTS", "@s80")}};
  layout.page_footer = {300, {HLine(0, 50, 7500, 5)}};
  layout.totals = {{.name = "definitions", .kind = TotalKind::kCount}};
  layout.closing = {500, {HLine(0, 100, 7500, 10), Text(0, 200, "Report definitions:", Bold()),
                          TotalAt(1900, 200, 800, "definitions", "@n6", Bold())}};
  return layout;
}

}  // namespace

void RegisterReportDefinitions(const ui::Services& services) {
  RegisterReport(services, "Report_Definitions", [&services] {
    return ReportDeclaration{.procedure = "Report_Definitions",
                             .title = "VORNEL Report Definitions Listing",
                             .view = data::ViewDef(data::ReporterFile()),
                             .key = "REP:BYREPORT",
                             .layout = DefinitionsLayout(services.values)};
  });
}

}  // namespace vornel::reports
