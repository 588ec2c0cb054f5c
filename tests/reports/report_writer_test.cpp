// The band rules on the page model: page headers and footers, page breaks,
// group headers kept with their first record, totals by group, page and
// report, "Page N of M", wrapped texts, and a layout naming a field the
// report does not read.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "platform/picture.h"
#include "reports/report_writer.h"

namespace vornel::reports {
namespace {

using platform::page::Page;
using platform::page::PageFolder;

struct Row {
  std::string staff;
  std::string client;
  double fee = 0;
};

class Writer : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string why;
    folder_ = PageFolder::Make(&why);
    ASSERT_NE(folder_, nullptr) << why;
    fields_.text = [this](const std::string& field, const std::string& picture) -> std::function<std::string()> {
      if (field == "STAFF") return [this] { return row_.staff; };
      if (field == "CLIENT") return [this] { return row_.client; };
      if (field == "FEE") return [this, picture] { return platform::FormatWith(picture.substr(1), row_.fee); };
      return {};
    };
    fields_.number = [this](const std::string& field) -> std::function<double()> {
      if (field == "FEE") return [this] { return row_.fee; };
      return {};
    };
  }

  // A 1000-high page: header 100, footer 100, margins 0: 800 for the body.
  static ReportLayout Small() {
    ReportLayout layout;
    layout.page_width = 1000;
    layout.page_height = 1000;
    layout.left = layout.top = layout.right = layout.bottom = 0;
    layout.page_header = {100, {Text(0, 0, "HEADER")}};
    layout.page_footer = {100, {Text(0, 0, "Page " + std::string(kPageNumber) + " of " + std::string(kPageCount)),
                                TotalAt(500, 0, 400, "page", "@n8.2")}};
    layout.groups = {{.field = "STAFF",
                      .header = {150, {FieldAt(0, 0, 0, "STAFF", "")}},
                      .footer = {100, {Text(0, 0, "Subtotal"), TotalAt(500, 0, 400, "staff", "@n8.2")}}}};
    layout.detail = {100, {FieldAt(0, 0, 0, "CLIENT", ""), FieldAt(500, 0, 400, "FEE", "@n8.2", Align::kRight)}};
    layout.closing = {100, {Text(0, 0, "Total"), TotalAt(500, 0, 400, "all", "@n8.2"), TotalAt(0, 50, 0, "count", "@n4")}};
    layout.totals = {{.name = "staff", .field = "FEE", .reset = TotalReset::kGroup, .group = 0},
                     {.name = "page", .field = "FEE", .reset = TotalReset::kPage},
                     {.name = "all", .field = "FEE"},
                     {.name = "count", .kind = TotalKind::kCount}};
    return layout;
  }

  void Print(ReportWriter& writer, const std::vector<Row>& rows) {
    for (const Row& row : rows) {
      row_ = row;
      writer.Record();
    }
  }

  std::vector<Page> Pages() {
    std::vector<Page> pages;
    std::string why;
    for (int n = 1; n <= folder_->count(); ++n) pages.push_back(*folder_->Read(n, &why));
    return pages;
  }

  // The texts of a page, top to bottom, "y:text".
  static std::vector<std::string> Texts(const Page& page) {
    std::vector<std::string> texts;
    for (const auto& t : page.texts) texts.push_back(std::to_string(t.y) + ":" + t.text);
    return texts;
  }

  std::unique_ptr<PageFolder> folder_;
  FieldSource fields_;
  Row row_;
};

TEST_F(Writer, BreaksPagesAndGroupsWithTheirTotals) {
  const ReportLayout layout = Small();
  ReportWriter writer(layout, *folder_, fields_);
  ASSERT_EQ(writer.problem(), "");
  // Body from 100 to 900: ADAMS's header (150) and six rows fill it to 850,
  // so his subtotal goes over, then BAKER's group and the closing band.
  Print(writer, {{"ADAMS", "C1", 10}, {"ADAMS", "C2", 20}, {"ADAMS", "C3", 30}, {"ADAMS", "C4", 40},
                 {"ADAMS", "C5", 50}, {"ADAMS", "C6", 60}, {"BAKER", "C7", 5}});
  ASSERT_EQ(writer.Finish(), "");
  const std::vector<Page> pages = Pages();
  ASSERT_EQ(pages.size(), 2u);
  EXPECT_EQ(Texts(pages[0]),
            (std::vector<std::string>{"0:HEADER", "100:ADAMS", "250:C1", "250:10.00", "350:C2", "350:20.00", "450:C3",
                                      "450:30.00", "550:C4", "550:40.00", "650:C5", "650:50.00", "750:C6", "750:60.00",
                                      "900:Page 1 of 2", "900:210.00"}));
  EXPECT_EQ(Texts(pages[1]),
            (std::vector<std::string>{"0:HEADER", "100:Subtotal", "100:210.00", "200:BAKER", "350:C7", "350:5.00",
                                      "450:Subtotal", "450:5.00", "550:Total", "550:215.00", "600:7",
                                      "900:Page 2 of 2", "900:5.00"}));
  const auto right = std::find_if(pages[0].texts.begin(), pages[0].texts.end(), [](const auto& t) { return t.text == "10.00"; });
  ASSERT_NE(right, pages[0].texts.end());
  EXPECT_EQ(right->align, Align::kRight);
  EXPECT_EQ(right->width, 400);
  EXPECT_EQ(writer.Total("all"), 215);
}

TEST_F(Writer, AGroupHeaderGoesOverWithItsFirstRecord) {
  const ReportLayout layout = Small();
  ReportWriter writer(layout, *folder_, fields_);
  // ADAMS: header, four rows and his subtotal reach 750 of 900; BAKER's
  // header (150) would fit, but not with his first row (100): both go over.
  Print(writer, {{"ADAMS", "C1", 1}, {"ADAMS", "C2", 1}, {"ADAMS", "C3", 1}, {"ADAMS", "C4", 1}, {"BAKER", "C5", 1}});
  ASSERT_EQ(writer.Finish(), "");
  const std::vector<Page> pages = Pages();
  ASSERT_EQ(pages.size(), 2u);
  EXPECT_EQ(Texts(pages[0])[Texts(pages[0]).size() - 3], "650:4.00");  // ADAMS's subtotal closes page 1
  EXPECT_EQ(Texts(pages[1])[1], "100:BAKER");
}

TEST_F(Writer, NoRecordsStillClosesAndAWrongFieldStopsBeforePrinting) {
  {
    const ReportLayout layout = Small();
    ReportWriter writer(layout, *folder_, fields_);
    ASSERT_EQ(writer.Finish(), "");
    ASSERT_EQ(folder_->count(), 1);  // the closing band on its page
  }
  ReportLayout layout = Small();
  layout.detail.items.push_back(FieldAt(0, 0, 0, "NOSUCH", "@s5"));
  ReportWriter wrong(layout, *folder_, fields_);
  EXPECT_NE(wrong.problem().find("NOSUCH"), std::string::npos);
  Print(wrong, {{"ADAMS", "C1", 1}});
  EXPECT_EQ(wrong.Finish(), wrong.problem());
  EXPECT_EQ(folder_->count(), 1);  // nothing more printed

  ReportLayout sums = Small();
  sums.totals.push_back({.name = "names", .field = "CLIENT"});
  EXPECT_NE(ReportWriter(sums, *folder_, fields_).problem().find("CLIENT"), std::string::npos);
}

TEST_F(Writer, WrapsWordsOverItsLines) {
  EXPECT_EQ(WrapWords("the quick brown fox jumps", 10, 3), (std::vector<std::string>{"the quick", "brown fox", "jumps"}));
  EXPECT_EQ(WrapWords("the quick brown fox jumps", 10, 2), (std::vector<std::string>{"the quick", "brown fox"}));
  EXPECT_EQ(WrapWords("  abcdefghijkl  x ", 5, 4), (std::vector<std::string>{"abcde", "fghij", "kl x"}));
  EXPECT_TRUE(WrapWords("   ", 5, 4).empty());
}

}  // namespace
}  // namespace vornel::reports
