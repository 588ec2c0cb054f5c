#include "reports/office_list.h"

#include "platform/dates.h"
#include "platform/picture.h"
#include "platform/text.h"

namespace vornel::reports {
namespace {

std::string Joined(std::string_view first, std::string_view last) {
  std::string name(platform::Clip(first));
  if (!name.empty()) name += ' ';
  name += platform::Clip(last);
  return name;
}

}  // namespace

void ListPage(ReportLayout& layout, bool landscape) {
  if (landscape) std::swap(layout.page_width, layout.page_height);
}

int ListWidth(const ReportLayout& layout) { return layout.page_width - layout.left - layout.right; }

std::function<std::string()> Always(std::string text) {
  return [text = std::move(text)] { return text; };
}

Band ListHeading(const ui::ProgramValues& values, const ReportLayout& layout, std::function<std::string()> title,
                 std::function<std::string()> covers, const std::vector<ListColumn>& columns,
                 std::vector<LayoutItem> more, int more_height) {
  const int width = ListWidth(layout);
  const std::string printed = "Printed On: " + platform::FormatWith("@d2", platform::Today());
  const std::string page = "Page " + std::string(kPageNumber) + " of " + std::string(kPageCount);
  Band band{0,
            {Text(0, 0, std::string(platform::Clip(platform::ReadField(values.agency_name))), Bold(Sized(110)),
                  Align::kCenter, width),
             Computed(0, 220, width, std::move(title), Align::kCenter, Bold(Sized(130))),
             Text(0, 480, "Department : " + std::string(platform::Clip(platform::ReadField(values.activity))),
                  Sized(90)),
             Text(0, 480, printed, Sized(90), Align::kRight, width),
             Computed(0, 680, width - 1500, std::move(covers), Align::kLeft, Sized(90)),
             Text(0, 680, page, Sized(90), Align::kRight, width)}};
  int y = 900;
  for (LayoutItem& item : more) {
    item.y += y;
    band.items.push_back(std::move(item));
  }
  y += more_height;
  for (const ListColumn& column : columns)
    band.items.push_back(Text(column.x, y, column.title, kTitle, column.align, column.width));
  band.items.push_back(HLine(0, y + 180, width, 10));
  band.height = y + 260;
  return band;
}

Band ListFooter(const ReportLayout& layout) { return {200, {HLine(0, 80, ListWidth(layout), 5)}}; }

Band ListLine(const std::vector<ListColumn>& columns) {
  Band band{190, {}};
  for (const ListColumn& column : columns) {
    if (column.field.empty() && !column.value) continue;  // a column of totals only
    band.items.push_back(column.value ? Computed(column.x, 0, column.width, column.value, column.align, kCell)
                                      : FieldAt(column.x, 0, column.width, column.field, column.picture,
                                                column.align, kCell));
  }
  return band;
}

void AddColumnTotals(ReportLayout& layout, const std::vector<ListColumn>& columns, const std::string& scope,
                     TotalReset reset, int group) {
  for (const ListColumn& column : columns) {
    if (!column.sum && !column.count) continue;
    layout.totals.push_back({.name = scope + column.title,
                             .kind = column.count ? TotalKind::kCount : TotalKind::kSum,
                             .field = column.amount ? std::string() : column.field,
                             .amount = column.amount,
                             .reset = reset,
                             .group = group});
  }
}

Band TotalsBand(const ReportLayout& layout, const std::vector<ListColumn>& columns, const std::string& scope,
                const std::string& label) {
  Band band{330, {HLine(0, 20, ListWidth(layout), 5), Text(0, 80, label, kTitle)}};
  AddTotalCells(band, columns, scope, 80, kTitle);
  return band;
}

void AddTotalCells(Band& band, const std::vector<ListColumn>& columns, const std::string& scope, int y, Font font) {
  for (const ListColumn& column : columns) {
    if (column.sum || column.count)
      band.items.push_back(
          TotalAt(column.x, y, column.width, scope + column.title, column.count ? "@n7" : kMoney, font));
  }
}

void SayWhenEmpty(ReportDeclaration& declaration, std::string text) {
  declaration.layout->named.push_back({"none", {300, {Text(0, 80, std::move(text), kCell)}}});
  declaration.on_closing = [](ReportRun& run) {
    if (run.writer()->records() == 0) run.writer()->Print("none");
  };
}

std::string StaffName(const data::EmployeeRecord& staff) {
  return Joined(platform::ReadField(staff.FIRSTNAME), platform::ReadField(staff.LASTNAME));
}

std::string ClientName(const data::ClientRecord& client) {
  return Joined(platform::ReadField(client.CLFNAME), platform::ReadField(client.CLLNAME));
}

std::string PeriodText(std::int32_t from, std::int32_t to) {
  return platform::FormatWith("@d2", from) + " - " + platform::FormatWith("@d2", to);
}

}  // namespace vornel::reports
