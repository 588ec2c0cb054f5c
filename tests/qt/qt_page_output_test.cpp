// PDF files and the printer from the toolkit's page output; the files are
// read back with the poppler tools, as another program would read them.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <QPrinterInfo>
#include <QRegularExpression>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <thread>

#include "platform/qt/qt_page_output.h"
#include "tests/qt/qt_test_support.h"
#include "tests/support/temp_dir.h"

namespace vornel::platform::qt {
namespace {

namespace fs = std::filesystem;

std::string Output(const std::string& tool, const fs::path& pdf, const std::string& after = "") {
  const std::string command = tool + " '" + pdf.string() + "' " + after + " 2>&1";
  std::string out;
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  char buffer[4096];
  while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe.get())) out.append(buffer, n);
  return out;
}

// The first match's captures of the pattern in the text.
QStringList Find(const std::string& text, const QString& pattern) {
  return QRegularExpression(pattern, QRegularExpression::MultilineOption).match(QString::fromStdString(text)).capturedTexts();
}

// Two Letter pages: a heading an inch from the corner, an amount ending at
// 7.5 inches, and the page count on the second.
std::unique_ptr<page::PageFolder> TwoPages(const test::TempDir& dir) {
  std::string why;
  auto folder = page::PageFolder::Make(&why, dir.path());
  page::Page first;
  first.texts = {{.x = 1000, .y = 1000, .text = "Statement Caf\xE9"},
                 {.x = 1000, .y = 2000, .width = 6500, .align = page::Align::kRight, .text = "Balance 1,234.56"}};
  first.boxes = {{.x = 1000, .y = 3000, .width = 6500, .height = 500, .fill = 230}};
  page::Page second;
  second.texts = {{.x = 1000, .y = 1000, .font = {.face = page::Face::kFixed}, .text = "Second"},
                  {.x = 1000, .y = 10000, .text = "Page 2 of " + std::string(page::kPageCount)}};
  EXPECT_TRUE(folder->Add(first, &why) && folder->Add(second, &why)) << why;
  return folder;
}

std::size_t FilesIn(const fs::path& folder) {
  return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

TEST(QtPageOutput, APdfFromAProcedureThreadHoldsEveryPageItsTextsAndFonts) {
  test::TempDir dir;
  auto pages = TwoPages(dir);
  fs::create_directory(dir / "out");
  const fs::path pdf = dir / "out" / "statement.pdf";
  test::WriteFile(pdf, "the old one");
  QtPageOutput output;
  std::string why = "not run";
  std::thread procedure([&] { why = output.WritePdf(*pages, pdf, "Client Statement"); });
  procedure.join();
  ASSERT_EQ(why, "");
  struct stat info {};
  ASSERT_EQ(::stat(pdf.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  EXPECT_EQ(FilesIn(dir / "out"), 1u);  // replaced, nothing left beside it

  const std::string about = Output("pdfinfo", pdf);
  EXPECT_EQ(Find(about, R"(^Pages:\s*(\d+))").value(1), "2") << about;
  EXPECT_EQ(Find(about, R"(^Page size:\s*(\d+ x \d+ pts))").value(1), "612 x 792 pts") << about;
  EXPECT_EQ(Find(about, R"(^Title:\s*(.*)$)").value(1), "Client Statement") << about;

  const std::string text = Output("pdftotext -layout", pdf, "-");
  for (const char* expected : {"Statement Café", "Balance 1,234.56", "Second", "Page 2 of 2"})
    EXPECT_NE(text.find(expected), std::string::npos) << expected << " in\n" << text;
  EXPECT_LT(text.find("1,234.56"), text.find('\f'));  // the first page's
  EXPECT_GT(text.find("Second"), text.find('\f'));
  // Word boxes in points (72 an inch): the heading's corner, the amount's end.
  const std::string boxes = Output("pdftotext -bbox", pdf, "-");
  const QStringList heading = Find(boxes, R"re(xMin="([\d.]+)" yMin="([\d.]+)"[^>]*>Statement<)re");
  EXPECT_NEAR(heading.value(1).toDouble(), 72, 2);
  EXPECT_NEAR(heading.value(2).toDouble(), 72, 2);
  EXPECT_NEAR(Find(boxes, R"re(xMax="([\d.]+)"[^>]*>1,234.56<)re").value(1).toDouble(), 540, 2);

  // Every font embedded (the "emb" column), the fixed face among them.
  const std::string fonts = Output("pdffonts", pdf);
  EXPECT_NE(fonts.find("DejaVuSansMono"), std::string::npos) << fonts;
  const QStringList rows = QString::fromStdString(fonts).split('\n', Qt::SkipEmptyParts).mid(2);
  EXPECT_GE(rows.size(), 2);
  for (const QString& row : rows) {
    const QStringList cells = row.split(' ', Qt::SkipEmptyParts);  // ... emb sub uni object ID
    EXPECT_EQ(cells.value(cells.size() - 5), "yes") << row.toStdString();
  }
}

TEST(QtPageOutput, AFileThatCannotBeFinishedIsNotLeftBehind) {
  test::TempDir dir;
  auto pages = TwoPages(dir);
  QtPageOutput output;
  const fs::path nowhere = dir / "missing" / "report.pdf";
  const std::string why = output.WritePdf(*pages, nowhere, "Report");
  EXPECT_NE(why.find(nowhere.string()), std::string::npos) << why;
  EXPECT_FALSE(fs::exists(nowhere.parent_path()));

  // A damaged page: the why names its file, the old PDF stays as it was and
  // no half-written one is beside it.
  fs::create_directory(dir / "out");
  const fs::path pdf = dir / "out" / "report.pdf";
  test::WriteFile(pdf, "yesterday's");
  test::WriteFile(pages->path() / "page-000002.vpg", "VPG1 damaged");
  EXPECT_NE(output.WritePdf(*pages, pdf, "Report").find("page-000002"), std::string::npos);
  EXPECT_EQ(test::ReadFile(pdf), "yesterday's");
  EXPECT_EQ(FilesIn(dir / "out"), 1u);
}

TEST(QtPageOutput, PrintingWithoutAScreenNeedsADefaultPrinterAndNeverWaits) {
  if (!QPrinterInfo::defaultPrinter().isNull()) GTEST_SKIP() << "this machine has a default printer";
  test::TempDir dir;
  auto pages = TwoPages(dir);
  QtPageOutput output;
  std::string why;
  page::PrintOutcome outcome = page::PrintOutcome::kPrinted;
  RunOnGui([&] { outcome = output.Print(*pages, "Report", &why); });  // on the GUI thread itself
  EXPECT_EQ(outcome, page::PrintOutcome::kFailed);
  EXPECT_NE(why.find("printer"), std::string::npos) << why;
}

}  // namespace
}  // namespace vornel::platform::qt
