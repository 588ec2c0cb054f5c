#pragma once
// Running a report from the command line, with no screen: the program
// starts on the data root as usual, the report's parameter windows are
// answered from the given parameters, and the pages go to a PDF file
// instead of the preview. Scheduled jobs print the month's bills this way.
#include <filesystem>
#include <map>
#include <ostream>
#include <string>
#include <string_view>

#include "platform/page/page_output.h"
#include "platform/paths.h"

namespace vornel::app {

struct ReportCommand {
  std::string report;  // the report procedure ("Report_Definitions")
  std::filesystem::path pdf;
  // By parameter name: from, to, date, payer, staff, month, year, option,
  // names, end-dates, password (of the batches that ask for it); values as typed in the windows (dates mm/dd/yyyy).
  std::map<std::string, std::string, std::less<>> parameters;
};

// Whether `name` (without "--") is a report parameter.
bool IsReportParameter(std::string_view name);

// Runs the report; 0 once the PDF is written, else 1 with a one-line
// reason on `out` ("No Records: ...", a cancelled window, a report that is
// not built).
int RunReportCommand(platform::PathMap paths, const ReportCommand& command, platform::page::PageOutput& output,
                     std::ostream& out);

}  // namespace vornel::app
