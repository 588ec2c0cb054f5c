#pragma once
// What the office's lists share: the heading (the agency, the title,
// "Department :" with the activity, "Printed On: " with today's date, the
// list's own line of what it covers, the page number and count, the column
// titles), columns declared once for their titles, their detail cells and
// the subtotals and totals right-aligned under the summed ones, and the
// names printed for a staff member and a client.
#include <functional>
#include <string>
#include <vector>

#include "data/dictionary/records.h"
#include "reports/report_layout.h"
#include "reports/report_procedure.h"
#include "ui/program_values.h"

namespace vornel::reports {

// A column of a list: a field of the view through a picture, or a text
// worked out. A summed column has its totals under it; it adds the field,
// or `amount` when given.
struct ListColumn {
  std::string title;
  int x = 0;
  int width = 0;
  std::string field = {};
  std::string picture = {};
  Align align = Align::kLeft;
  std::function<std::string()> value = {};
  bool sum = false;
  std::function<double()> amount = {};
  bool count = false;  // its totals count the lines instead
};

inline constexpr int kListFont = 80;  // tenths of a point
inline const Font kCell = Sized(kListFont);
inline const Font kTitle = Bold(Sized(kListFont));
inline constexpr char kMoney[] = "@n-12.2";

// The page of a list: Letter, upright or on its side.
void ListPage(ReportLayout& layout, bool landscape);
int ListWidth(const ReportLayout& layout);

// The page header: `covers` is the list's line of what it covers (worked
// out when the page is printed, after the parameter windows); `more` are
// items of the list's own below it, `more_height` their height.
Band ListHeading(const ui::ProgramValues& values, const ReportLayout& layout, std::function<std::string()> title,
                 std::function<std::string()> covers, const std::vector<ListColumn>& columns,
                 std::vector<LayoutItem> more = {}, int more_height = 0);
// A text that is always the same, for a heading's title or line.
std::function<std::string()> Always(std::string text);
// A page footer with a rule.
Band ListFooter(const ReportLayout& layout);
// One line with a cell per column.
Band ListLine(const std::vector<ListColumn>& columns);

// The totals of the summed and counted columns, named `scope` + the column's title, and
// started again as `reset` says.
void AddColumnTotals(ReportLayout& layout, const std::vector<ListColumn>& columns, const std::string& scope,
                     TotalReset reset, int group = 0);
// The totals of `scope` as cells under their columns.
void AddTotalCells(Band& band, const std::vector<ListColumn>& columns, const std::string& scope, int y, Font font);
// A band with `label` and the totals of `scope` under their columns.
Band TotalsBand(const ReportLayout& layout, const std::vector<ListColumn>& columns, const std::string& scope,
                const std::string& label);

// A list whose rules left out every record still prints its heading, with
// a line that says so.
void SayWhenEmpty(ReportDeclaration& declaration, std::string text);

// "First Last" of a staff member, "First Last" of a client.
std::string StaffName(const data::EmployeeRecord& staff);
std::string ClientName(const data::ClientRecord& client);

// A period as a list prints it: "12/01/2026 - 12/07/2026".
std::string PeriodText(std::int32_t from, std::int32_t to);

}  // namespace vornel::reports
