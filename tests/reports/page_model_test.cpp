// Pages written to their private folder and read back: exactly what was
// laid out, or a clear reason when a page file is damaged or gone.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "platform/page/page_folder.h"
#include "platform/page/page_model.h"
#include "reports/page_ranges.h"
#include "tests/support/temp_dir.h"

namespace vornel::reports {
namespace {

namespace fs = std::filesystem;
using platform::page::Align;
using platform::page::Face;
using platform::page::Font;
using platform::page::Page;
using platform::page::PageFolder;

Page Sample() {
  Page page;
  page.boxes.push_back({100, 200, 3000, 400, 10, 230});
  page.lines.push_back({500, 900, 8000, 900, 15});
  page.texts.push_back({500, 1000, 0, Align::kLeft, {}, "O'BRIEN, SE\xC1N \\ 100% back\\slash"});
  page.texts.push_back({500, 1200, 2000, Align::kRight, Font{Face::kFixed, 90, true, true, true}, "1,234.50"});
  page.texts.push_back({500, 1400, 0, Align::kCenter, {}, "two\nlines\r"});
  page.texts.push_back({500, 1600, 0, Align::kLeft, {}, "Page 1 of " + std::string(platform::page::kPageCount)});
  return page;
}

mode_t Mode(const fs::path& path) {
  struct stat st {};
  ::stat(path.c_str(), &st);
  return st.st_mode & 0777;
}

TEST(PageModel, ReadsBackWhatWasWrittenAndRefusesDamagedText) {
  const Page page = Sample();
  Page read;
  std::string why;
  ASSERT_TRUE(platform::page::Decode(platform::page::Encode(page), read, &why)) << why;
  EXPECT_EQ(read, page);

  const std::string text = platform::page::Encode(page);
  for (const std::string& damaged :
       {text.substr(0, text.size() - 4), std::string("XPG1 1 2 3\nEND\n"), text.substr(0, text.find('\n') + 1) + "B 1 2\nEND\n",
        text + "T 1 2 3 0 0 100 0 more\n", std::string("VPG1 8500 11000 1\nT 1 2 3 9 0 100 0 x\nEND\n")}) {
    EXPECT_FALSE(platform::page::Decode(damaged, read, &why)) << damaged;
    EXPECT_FALSE(why.empty());
  }
}

TEST(PageModel, AFolderIsPrivateKeepsItsPagesOnDiskAndLeavesNothingBehind) {
  vornel::test::TempDir parent;
  std::string why;
  fs::path folder_path;
  {
    std::unique_ptr<PageFolder> folder = PageFolder::Make(&why, parent.path());
    ASSERT_NE(folder, nullptr) << why;
    folder_path = folder->path();
    EXPECT_EQ(Mode(folder_path), 0700u);
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(folder->Add(Sample(), &why)) << why;
    EXPECT_EQ(Mode(folder->FileAt(1)), 0600u);
    const auto second = folder->Read(2, &why);
    ASSERT_TRUE(second) << why;
    EXPECT_EQ(second->number, 2);
    EXPECT_EQ(second->texts.back().text, "Page 1 of 3");  // the count filled in on reading

    // The pages chosen to print: the others' files go, the numbers stay.
    folder->KeepOnly({1, 3});
    EXPECT_EQ(folder->count(), 2);
    EXPECT_EQ(folder->NumberAt(2), 3);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder_path), fs::directory_iterator()), 2);

    // A page file damaged or gone answers why; nothing crashes.
    std::ofstream(folder->FileAt(1), std::ios::trunc) << "VPG1 8500";
    EXPECT_FALSE(folder->Read(1, &why));
    EXPECT_NE(why.find("cannot be read"), std::string::npos);
    fs::remove(folder->FileAt(2));
    EXPECT_FALSE(folder->Read(2, &why));
    EXPECT_FALSE(folder->Read(9, &why));
  }
  EXPECT_FALSE(fs::exists(folder_path));
}

TEST(PageModel, APageThatCannotBeWrittenLeavesNoFile) {
  vornel::test::TempDir parent;
  std::string why;
  EXPECT_EQ(PageFolder::Make(&why, parent / "missing" / "deeper"), nullptr);
  EXPECT_NE(why.find("cannot be made"), std::string::npos);

  std::unique_ptr<PageFolder> folder = PageFolder::Make(&why, parent.path());
  ASSERT_NE(folder, nullptr);
  fs::remove_all(folder->path());
  EXPECT_FALSE(folder->Add(Sample(), &why));
  EXPECT_NE(why.find("cannot be made"), std::string::npos);
  EXPECT_EQ(folder->count(), 0);
}

TEST(PageRanges, ListsAndRangesOfPages) {
  std::string why;
  using Pages = std::vector<int>;
  EXPECT_EQ(ParsePageRanges("", 4, &why), (Pages{1, 2, 3, 4}));
  EXPECT_EQ(ParsePageRanges("1-3,5", 6, &why), (Pages{1, 2, 3, 5}));
  EXPECT_EQ(ParsePageRanges(" 5 , 2-3 ,3", 6, &why), (Pages{2, 3, 5}));
  EXPECT_EQ(ParsePageRanges("4-", 6, &why), (Pages{4, 5, 6}));
  EXPECT_EQ(ParsePageRanges("-2", 6, &why), (Pages{1, 2}));
  EXPECT_EQ(ParsePageRanges("3-1", 6, &why), (Pages{1, 2, 3}));
  EXPECT_EQ(ParsePageRanges("1-6", 6, &why), (Pages{1, 2, 3, 4, 5, 6}));
  for (const char* wrong : {"1-7", "0", "a", "1,,2", "2-x", "-", "1--2"}) {
    EXPECT_FALSE(ParsePageRanges(wrong, 6, &why)) << wrong;
    EXPECT_FALSE(why.empty());
  }
}

}  // namespace
}  // namespace vornel::reports
