#pragma once
// A report procedure as a compact declaration: its parameter windows, its
// view (file, sort key, range and filter), the field whose value measures
// the progress, its layout and its own per-record rules. The framework does
// the rest once for every report and batch procedure: it calls the
// parameter windows (a cancelled one ends the report at once), opens the
// files, runs the progress window and the process, and sends the pages to
// the preview, the printer or the PDF file of an unattended run.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "data/view_def.h"
#include "platform/expression_scope.h"
#include "reports/process_manager.h"
#include "reports/report_layout.h"
#include "reports/report_manager.h"
#include "reports/report_writer.h"
#include "ui/procedure_catalog.h"

namespace vornel::reports {

struct ReportRun;

// The records the view is held to on the key's leading field: the values
// of the named program values ("topdate", "botdate"; the high one empty for
// a single value).
struct ReportRange {
  std::string field;
  std::string low;
  std::string high;
};

struct ReportDeclaration {
  std::string procedure;  // "Report_Definitions"
  std::string title;      // the document's title in the PDF file and at the printer
  std::vector<std::string> parameters;  // the parameter windows, called in this order
  data::ViewDef view;
  std::string key;  // the sort key ("REP:BYREPORT"); "" reads in record order
  // The field whose value the progress follows; "" takes the key's leading
  // field (without a key, the progress follows the record count).
  std::string step_field = {};
  ReportRange range = {};
  std::string filter = {};  // a filter expression over the view and the program values
  // Names of the report's own for its range and filter, beside the program values.
  std::function<void(platform::VariableTable&)> variables = {};
  // The layout; none for a batch procedure that prints nothing.
  std::optional<ReportLayout> layout = {};
  // The procedure's rule for one record: 0 go on, 3 stop the run. By
  // default the record is printed through the layout's detail band.
  std::function<int(ReportRun&)> on_record = {};
  // Once the first record is read and the report open; before the pages
  // are finished (a closing band of its own).
  std::function<void(ReportRun&)> on_open = {};
  std::function<void(ReportRun&)> on_closing = {};
  // As the run ends, whether it completed or not (Cancel, no records, a
  // fatal rule): a batch keeps or takes back its work here.
  std::function<void(ReportRun&, bool completed)> on_end = {};
  std::string user_string = {};  // the progress window's line of text
  int zoom = -1;                 // the preview's first zoom
};

// What a report's own rules reach while it runs.
struct ReportRun {
  const ui::Services& services;
  ProcessManager& process;
  ReportManager& manager;
  ReportWriter* writer() { return manager.writer(); }
};

// The layout reads the fields of the view from this thread's record buffers.
FieldSource ViewFields(const data::ViewDef& view, data::FileRegistry& files);

// Runs the report on the calling thread and answers the response
// (completed, or cancelled: a cancelled parameter window, no records,
// Cancel, a fatal rule).
int RunReport(const ui::Services& services, const ReportDeclaration& declaration);

// Registers the report under its procedure name; the declaration is made
// when the report starts.
void RegisterReport(const ui::Services& services, std::string name, std::function<ReportDeclaration()> declare);

}  // namespace vornel::reports
