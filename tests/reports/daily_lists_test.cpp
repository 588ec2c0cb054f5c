// The daily lists and the visit listings on a root whose visits are the
// test's own: each report runs as from the command line and its pages are
// read back as lines of text (a line's cells left to right, " | " between
// them). Expected sums are worked out here from the visits themselves.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <regex>
#include <sstream>

#include "app/report_command/report_command.h"
#include "platform/dates.h"
#include "tests/reports/report_fixture.h"

namespace vornel::reports {
namespace {

using platform::DateFromMdy;
using platform::TimeFromHms;

const std::int32_t kDay1 = DateFromMdy(12, 1, 2026);
const std::int32_t kDay2 = DateFromMdy(12, 2, 2026);
const std::int32_t kDay3 = DateFromMdy(12, 3, 2026);

struct Visit {
  std::int32_t no;
  std::int16_t client;
  std::int32_t day;
  const char* staff;
  int hour;
  const char* service;
  const char* outcome;
  double fee;
  // The fee's shares in cents: insurance, client fee due, client fee, other, OSM, SCA, MA.
  double Share(int which) const { return std::round(fee * (which + 1) * 100 / 40.0) / 100; }
};

// Clients 1 and 2 are Ann Archer and Ben Baker; the staff members are the
// demo agency's (Ruth Amos and Marcus Bellamy, Counselors; Lydia Chen).
const std::vector<Visit> kVisits = {
    {1001, 1, kDay1, "AMO01", 10, "INDV", "SHOW", 50},  {1002, 2, kDay1, "AMO01", 9, "GRP", "SHOW", 30},
    {1003, 1, kDay1, "BEL02", 13, "INDV", "NOSHW", 20}, {1004, 2, kDay2, "AMO01", 10, "INDV", "SHOW", 40},
    {1005, 1, kDay2, "BEL02", 11, "INDV", "CANC", 20},  {1006, 2, kDay2, "BEL02", 14, "MA1", "SHOW", 72},
    {1007, 1, kDay3, "AMO01", 10, "INDV", "SHOW", 99},  {1008, 2, kDay2, "CHE03", 15, "INDV", "CANC", 20},
    {1009, 2, kDay2, "CHE03", 16, "INDV", "RESCH", 20}, {1010, 1, kDay2, "AMO01", 8, "INDV", "SCHED", 25}};

std::string Money(double amount) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", amount);
  return text;
}

// The money cells of a line over the visits given: charge, then the shares
// in the order of `order` (indexes into Visit::Share, -1 for SCA + OSM).
std::string MoneyCells(const std::vector<const Visit*>& visits, const std::vector<int>& order) {
  std::string cells;
  for (int which : order) {
    double sum = 0;
    for (const Visit* v : visits) sum += which == -2 ? v->fee : which == -1 ? v->Share(4) + v->Share(5) : v->Share(which);
    cells += (cells.empty() ? "" : " | ") + Money(sum);
  }
  return cells;
}
// The detail report's order: charge, ins, clt due, clt fee, other, OSM, SCA, MA.
const std::vector<int> kDetailOrder = {-2, 0, 1, 2, 3, 4, 5, 6};

std::vector<const Visit*> Select(const std::function<bool(const Visit&)>& keep) {
  std::vector<const Visit*> chosen;
  for (const Visit& v : kVisits)
    if (keep(v)) chosen.push_back(&v);
  return chosen;
}

// Keeps each page's texts as lines, top to bottom.
class TextOutput : public platform::page::PageOutput {
 public:
  std::string WritePdf(const platform::page::PageFolder& pages, const std::filesystem::path&, std::string_view) override {
    lines.clear();
    for (int n = 1; n <= pages.count(); ++n) {
      std::string why;
      const std::optional<platform::page::Page> page = pages.Read(n, &why);
      if (!page) return why;
      std::map<int, std::vector<std::pair<int, std::string>>> rows;
      for (const platform::page::TextRun& run : page->texts) {
        const std::string text(platform::Trim(run.text));
        if (!text.empty()) rows[run.y].push_back({run.x, text});
      }
      for (auto& [y, cells] : rows) {
        std::sort(cells.begin(), cells.end());
        std::string line;
        for (const auto& [x, text] : cells) line += (line.empty() ? "" : " | ") + text;
        lines.push_back(line);
      }
    }
    return {};
  }
  platform::page::PrintOutcome Print(const platform::page::PageFolder&, std::string_view, std::string*) override {
    return platform::page::PrintOutcome::kPrinted;
  }
  std::vector<std::string> lines;
};

class DailyLists : public test::ReportFixture {
 protected:
  void SetUp() override {
    ReportFixture::SetUp();
    vornel::test::Station station(root_.path());
    std::map<std::int32_t, std::int32_t> numbered;  // the visit's number as the log gave it
    Replace(station, data::LogFile(), [&](data::FileManager& log) {
      for (const Visit& v : kVisits) {
        auto& r = log.record<data::LogRecord>();
        std::fill(log.buffer().begin(), log.buffer().end(), '\0');
        r.CLCODE = v.client;
        r.LOG_DATE = v.day;
        platform::AssignPadded(r.EMPL_CODE, v.staff);
        r.TIME_IN = TimeFromHms(v.hour, 0);
        r.TIME_OUT = TimeFromHms(v.hour, 50);
        platform::AssignPadded(r.SERV_CODE, v.service);
        platform::AssignPadded(r.TRANS_TYPE, v.outcome);
        r.TOTAL_FEE = v.fee;
        double* shares[] = {&r.BILLINS, &r.CLIFEEDUE, &r.CLIFEENC, &r.OTHERFEE, &r.OSMFEE, &r.BALSCA, &r.BILLTOMA};
        for (int i = 0; i < 7; ++i) *shares[i] = v.Share(i);
        r.UNITS = 1;
        platform::AssignPadded(r.COMMENT, v.no == 1006 ? "Bring forms" : "");
        ASSERT_EQ(log.Insert(), 0);
        numbered[v.no] = r.LOG_NO;
      }
    });
    // The MA individual visit's lines: MA1 and MA2 units, and an SCA line
    // whose units do not count; an MA line outside the period.
    struct Line {
      std::int32_t visit;
      const char* payer;
      const char* service;
      double units, due;
      std::int32_t day;
    };
    const Line lines[] = {{1006, "MA1", "MA1", 2, 0, kDay2},
                          {1006, "MA1", "MA2", 1.5, 0, kDay2},
                          {1006, "SCA", "MA1", 9, 9, kDay2},
                          {1007, "MA1", "INDV", 1, 0, DateFromMdy(12, 20, 2026)}};
    Replace(station, data::LineitemFile(), [&](data::FileManager& file) {
      for (const Line& l : lines) {
        auto& r = file.record<data::LineitemRecord>();
        std::fill(file.buffer().begin(), file.buffer().end(), '\0');
        r.LOG_NO = numbered[l.visit];
        platform::AssignPadded(r.VEN_CODE, l.payer);
        platform::AssignPadded(r.LINE_SVC, l.service);
        r.MA_UNITS = l.units;
        r.AMOUNT_DUE = l.due;
        r.SERV_DATE = l.day;
        platform::AssignPadded(r.STATUS, "O");
        ASSERT_EQ(file.Insert(), 0);
      }
    });
    data::FileManager& clients = station.files->Get(data::ClientFile());
    clients.Open();
    clients.CheckUse(data::kUseReadWrite);
    for (const auto& [code, first, last, phone] :
         {std::tuple{1, "Ann", "Archer", "5551230001"}, std::tuple{2, "Ben", "Baker", "5551230002"}}) {
      auto& c = clients.record<data::ClientRecord>();
      c.CLCODE = static_cast<std::int16_t>(code);
      ASSERT_EQ(clients.TryFetch(*data::ClientFile().FindKey("CLI:CODE_KEY")), 0);
      platform::AssignPadded(c.CLFNAME, first);
      platform::AssignPadded(c.CLLNAME, last);
      platform::AssignPadded(c.PHONE, phone);
      platform::AssignPadded(c.CALLOK, code == 1 ? "Y" : "N");
      ASSERT_EQ(clients.Update(), 0);
    }
    clients.Close();
  }

  static void Replace(vornel::test::Station& station, const data::FileDef& def,
                      const std::function<void(data::FileManager&)>& fill) {
    data::FileManager& file = station.files->Get(def);
    file.Open();
    file.CheckUse(data::kUseReadWrite);
    for (file.file().SetOrder(nullptr); file.NextQuiet() == 0; file.file().SetOrder(nullptr)) file.DeleteRecord(false);
    fill(file);
    file.Close();
  }

  // The report's lines, or one line saying why it printed none.
  std::vector<std::string> Report(const std::string& report, std::map<std::string, std::string, std::less<>> given) {
    std::ostringstream said;
    app::ReportCommand command{.report = report, .pdf = root_ / "out.pdf", .parameters = std::move(given)};
    if (app::RunReportCommand(platform::PathMap(root_.path(), root_ / "config"), command, text, said) != 0)
      return {"NOT PRINTED: " + said.str()};
    return text.lines;
  }

  static std::vector<std::string> Matching(const std::vector<std::string>& lines, const std::string& pattern) {
    std::vector<std::string> found;
    const std::regex re(pattern);
    for (const std::string& line : lines)
      if (std::regex_search(line, re)) found.push_back(line);
    return found;
  }
  static bool Has(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  }

  TextOutput text;
};

const std::string kTimeLine = "^\\d+:\\d\\d[AP]M \\|";

TEST_F(DailyLists, TheDetailReportGroupsTheShownVisitsByDayAndStaffMemberWithSubtotals) {
  const std::vector<std::string> lines = Report("DailyEntryRpt", {{"from", "12/01/2026"}, {"to", "12/02/2026"}});
  EXPECT_TRUE(Has(lines, "Daily Entry Detail Report")) << lines.front();
  EXPECT_TRUE(Has(lines, "For the Period: 12/01/2026 - 12/02/2026 | Page 1 of 1"));
  EXPECT_EQ(Matching(lines, "^(Date:|Employee|" + kTimeLine.substr(1) + ")"),
            (std::vector<std::string>{
                "Date: | 12/01/2026",
                "Employee: | Ruth Amos | Title: | Counselor",
                "9:00AM | 9:50AM | GRP | Ben Baker | " + MoneyCells({&kVisits[1]}, kDetailOrder),
                "10:00AM | 10:50AM | INDV | Ann Archer | " + MoneyCells({&kVisits[0]}, kDetailOrder),
                "Employee Subtotals: | " + MoneyCells({&kVisits[0], &kVisits[1]}, kDetailOrder),
                "Date: | 12/02/2026",
                "Employee: | Ruth Amos | Title: | Counselor",
                "10:00AM | 10:50AM | INDV | Ben Baker | " + MoneyCells({&kVisits[3]}, kDetailOrder),
                "Employee Subtotals: | " + MoneyCells({&kVisits[3]}, kDetailOrder),
                "Employee: | Marcus Bellamy | Title: | Counselor",
                "2:00PM | 2:50PM | MA1 | Ben Baker | " + MoneyCells({&kVisits[5]}, kDetailOrder),
                "Employee Subtotals: | " + MoneyCells({&kVisits[5]}, kDetailOrder)}));
  const auto shown = Select([](const Visit& v) { return v.day <= kDay2 && std::string(v.outcome) == "SHOW"; });
  EXPECT_TRUE(Has(lines, "Report Totals: | " + MoneyCells(shown, kDetailOrder)));

  EXPECT_EQ(Report("DailyEntryRpt", {{"from", "12/20/2026"}, {"to", "12/21/2026"}}).front().find("No Records"),
            std::string("NOT PRINTED: vornel: DailyEntryRpt: ").size());
}

TEST_F(DailyLists, TheScheduleListsEveryOutcomeOfTheDay) {
  const std::vector<std::string> lines = Report("DailySchedRpt", {{"date", "12/02/2026"}});
  EXPECT_TRUE(Has(lines, "Date of Interest : 12/02/2026 | Page 1 of 1"));
  std::vector<std::string> outcomes;
  for (const std::string& line : Matching(lines, kTimeLine)) {
    std::smatch m;
    ASSERT_TRUE(std::regex_search(line, m, std::regex("^([0-9:APM]+) \\| [^|]+ \\| \\w+ \\| (\\w+) \\| ([A-Za-z ]+) \\|")))
        << line;
    outcomes.push_back(m[1].str() + " " + m[2].str() + " " + m[3].str());
  }
  EXPECT_EQ(outcomes, (std::vector<std::string>{"8:00AM SCHED Ann Archer", "10:00AM SHOW Ben Baker",
                                                "11:00AM CANC Ann Archer", "2:00PM SHOW Ben Baker",
                                                "3:00PM CANC Ben Baker", "4:00PM RESCH Ben Baker"}));
  EXPECT_EQ(Matching(lines, "^Employee: ").size(), 3u);
}

TEST_F(DailyLists, TheSummaryPrintsOneLinePerDayWithTheSCAAndOSMBalance) {
  const std::vector<std::string> lines =
      Report("DailyEntrySummaryRpt", {{"from", "12/01/2026"}, {"to", "12/03/2026"}});
  // Charge, MA, INS, Clt Fee Due, Clt Fee, Other, SCA + OSM.
  const std::vector<int> order = {-2, 6, 0, 1, 2, 3, -1};
  const auto shown_on = [](std::int32_t day) {
    return Select([day](const Visit& v) { return (day == 0 || v.day == day) && std::string(v.outcome) == "SHOW"; });
  };
  EXPECT_EQ(Matching(lines, "^(12/0|Totals)"),
            (std::vector<std::string>{"12/01/2026 | " + MoneyCells(shown_on(kDay1), order),
                                      "12/02/2026 | " + MoneyCells(shown_on(kDay2), order),
                                      "12/03/2026 | " + MoneyCells(shown_on(kDay3), order),
                                      "Totals : | " + MoneyCells(shown_on(0), order)}));
}

// The period is held the other way round (and put back in order at the
// end); no-shows are listed, cancelled
// and rescheduled visits are not; a staff member with only those gets the
// heading and a line that says so, not "No Records".
TEST_F(DailyLists, TheAppointmentListHoldsToOneStaffMember) {
  const std::vector<std::string> lines =
      Report("DailyAppointmentRpt", {{"staff", "BEL02"}, {"from", "12/01/2026"}, {"to", "12/02/2026"}});
  EXPECT_TRUE(Has(lines, "Date Range of Interest : 12/01/2026 - 12/02/2026 | Page 1 of 1"));
  EXPECT_TRUE(Has(lines, "Staff Member: | Marcus Bellamy | Title: | Counselor"));
  EXPECT_EQ(Matching(lines, "^12/0"),
            (std::vector<std::string>{"12/01/2026 | 1:00PM - 1:50PM | INDV | Ann Archer | Y | (555)123-0001",
                                      "12/02/2026 | 2:00PM - 2:50PM | MA1 | Ben Baker | N | (555)123-0002 | Bring forms"}));
  // The next period window proposes the same period, start first.
  EXPECT_EQ(ui::ProgramValues::Global().topdate, kDay1);
  EXPECT_EQ(ui::ProgramValues::Global().botdate, kDay2);

  const std::vector<std::string> none =
      Report("DailyAppointmentRpt", {{"staff", "CHE03"}, {"from", "12/02/2026"}, {"to", "12/02/2026"}});
  EXPECT_TRUE(Has(none, "Staff Member: | Lydia Chen | Title: | Senior Counselor")) << none.front();
  EXPECT_TRUE(Has(none, "No appointments of this staff member in the period."));
  EXPECT_TRUE(Matching(none, "^12/0").empty());
}

// A parameter window's Cancel ends the report before anything is read.
TEST_F(DailyLists, CancelInTheParameterWindowPrintsNothing) {
  EXPECT_EQ(Run(R"(
frame
timers on
menu "Daily Entries" "Daily Reports" "Daily Entry Summary"
window "Date Range Selection"
press ?Cancel
expect closed
frame
menu "Daily Entries" "Daily Reports" "Daily Schedule"
window "Date Selection Form"
press ?Cancel
expect closed
)"),
            "");
  EXPECT_TRUE(output.saved.empty());
  EXPECT_TRUE(output.printed.empty());
}

// MA individual visits count the units of their MA1 and MA2 lines; the
// per-staff form keeps the chosen staff member's sessions only.
TEST_F(DailyLists, TheSessionListingCountsUnitsByService) {
  const std::vector<std::string> all = Report("Fullsessionstats", {{"from", "12/01/2026"}, {"to", "12/03/2026"}});
  EXPECT_TRUE(Has(all, "COMPLETE SESSION LISTING"));
  EXPECT_EQ(Matching(all, "^(Service|12/0)"),
            (std::vector<std::string>{"Service: | GRP | Group Counseling",
                                      "12/01/2026 | 2 | Ben Baker | AMO01 | 9:00AM | 1.00 | 30.00",
                                      "Service Totals: | 1.00 | 30.00", "Service: | INDV | Individual Counseling",
                                      "12/01/2026 | 1 | Ann Archer | AMO01 | 10:00AM | 1.00 | 50.00",
                                      "12/02/2026 | 2 | Ben Baker | AMO01 | 10:00AM | 1.00 | 40.00",
                                      "12/03/2026 | 1 | Ann Archer | AMO01 | 10:00AM | 1.00 | 99.00",
                                      "Service Totals: | 3.00 | 189.00", "Service: | MA1 | MA Individual Therapy",
                                      "12/02/2026 | 2 | Ben Baker | BEL02 | 2:00PM | 3.50 | 72.00",
                                      "Service Totals: | 3.50 | 72.00"}));
  EXPECT_TRUE(Has(all, "Report Totals: | 7.50 | 291.00"));

  const std::vector<std::string> one =
      Report("Fullsessionstats", {{"option", "E"}, {"staff", "BEL02"}, {"from", "12/01/2026"}, {"to", "12/03/2026"}});
  EXPECT_TRUE(Has(one, "SESSIONS FOR  EMPLOYEE NAME : Marcus Bellamy ONLY")) << one.front();
  EXPECT_EQ(Matching(one, "^12/0").size(), 1u);
  EXPECT_TRUE(Has(one, "Report Totals: | 3.50 | 72.00"));
}

TEST_F(DailyLists, TheVisitHistoryOfOneClientOrOfAll) {
  // "Client Totals: | fees | visits" of a client's visits through `last`.
  const auto totals = [](const std::string& label, std::int16_t client, std::int32_t last) {
    const auto visits = Select([&](const Visit& v) { return (client == 0 || v.client == client) && v.day <= last; });
    double fees = 0;
    for (const Visit* v : visits) fees += v->fee;
    return label + " | " + Money(fees) + " | " + std::to_string(visits.size());
  };
  ui::ProgramValues& values = ui::ProgramValues::Global();
  values.history_client = 2;
  const std::vector<std::string> one = Report("PrintVisitHistory", {{"from", "12/01/2026"}, {"to", "12/02/2026"}});
  values.history_client = 0;
  EXPECT_TRUE(Has(one, "Date Range: 12/01/2026 - 12/02/2026 | Page 1 of 1"));
  EXPECT_EQ(Matching(one, "^Client"),
            (std::vector<std::string>{"Client: | 2 | Ben Baker", totals("Client Totals:", 2, kDay2)}));
  EXPECT_EQ(Matching(one, "^12/0").front(), "12/01/2026 | 9:00AM | GRP | SHOW | Ruth Amos | 1.00 | 30.00");

  const std::vector<std::string> all = Report("PrintVisitHistory", {{"from", "12/01/2026"}, {"to", "12/03/2026"}});
  EXPECT_EQ(Matching(all, "^Client"),
            (std::vector<std::string>{"Client: | 1 | Ann Archer", totals("Client Totals:", 1, kDay3),
                                      "Client: | 2 | Ben Baker", totals("Client Totals:", 2, kDay3)}));
  EXPECT_TRUE(Has(all, totals("Report Totals:", 0, kDay3)));
}

TEST_F(DailyLists, ThePayerActivityAndTheFacilitySummaryCountThePeriod) {
  const std::vector<std::string> payers =
      Report("Vendor_Activity_Period_Rpt", {{"from", "12/01/2026"}, {"to", "12/03/2026"}});
  EXPECT_EQ(Matching(payers, "^(MA1|SCA|Totals)"),
            (std::vector<std::string>{"MA1 | Medical Assistance | 0.00 | 2", "SCA | Single County Authority | 9.00 | 1",
                                      "Totals: | 9.00 | 3"}));

  const std::vector<std::string> summary =
      Report("Facility_Visit_Summary_Rpt", {{"from", "12/01/2026"}, {"to", "12/02/2026"}});
  std::map<std::string, std::map<std::string, std::pair<int, double>>> counts;
  for (const Visit& v : kVisits) {
    if (v.day > kDay2) continue;
    auto& c = counts[v.outcome][v.service];
    ++c.first;
    c.second += v.fee;
  }
  std::vector<std::string> expected;
  int visits = 0;
  double fees = 0;
  for (const auto& [outcome, services] : counts) {
    int n = 0;
    double f = 0;
    for (const auto& [service, c] : services) {
      expected.push_back(outcome + " | " + service + " | " + std::to_string(c.first) + " | " +
                         Money(c.first) + " | " + Money(c.second));
      n += c.first;
      f += c.second;
    }
    expected.push_back(outcome + " Totals: | " + std::to_string(n) + " | " + Money(n) + " | " + Money(f));
    visits += n;
    fees += f;
  }
  expected.push_back("Report Totals: | " + std::to_string(visits) + " | " + Money(visits) + " | " + Money(fees));
  EXPECT_EQ(Matching(summary, "^(CANC|NOSHW|RESCH|SCHED|SHOW|Report)"), expected);

  EXPECT_TRUE(Has(Report("Services_Listing_Rpt", {}), "Services: | 5"));
}

}  // namespace
}  // namespace vornel::reports
