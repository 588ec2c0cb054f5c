#pragma once
// Prints a layout's bands onto pages: a page header opens each page and its
// footer closes it at the bottom margin; a band that does not fit above the
// footer goes to the next page; group headers never sit alone at a page's
// foot (a header goes over with the first record of its group). Each page
// is written to the page folder as soon as it is finished, so memory stays
// the same for any number of pages.
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/page/page_folder.h"
#include "reports/report_layout.h"

namespace vornel::reports {

// The words of the text over at most `most` lines of `width` characters.
std::vector<std::string> WrapWords(std::string_view text, int width, int most);

// How the writer reads the fields a layout names: the text of a field
// through a picture, and a field's number for sums. Either answers an
// empty function for a field it does not know.
struct FieldSource {
  std::function<std::function<std::string()>(const std::string& field, const std::string& picture)> text;
  std::function<std::function<double()>(const std::string& field)> number;
};

class ReportWriter {
 public:
  ReportWriter(const ReportLayout& layout, platform::page::PageFolder& folder, FieldSource fields);

  // Why the report cannot go on ("" while it can): a field the layout names
  // that the view does not have, or a page that could not be written.
  const std::string& problem() const { return problem_; }

  // One record of the view: the footers and headers of the groups whose
  // break value changed, the totals, then the detail band.
  void Record();
  void Print(const Band& band);
  // A band of the layout's named ones; false when there is none of that name.
  bool Print(std::string_view name);
  // After the last record: the open groups' footers, the closing band and
  // the last page. "" when every page was written, else why.
  std::string Finish();

  double Total(std::string_view name) const;
  int page_number() const { return pages_done_ + (page_ ? 1 : 0); }
  int records() const { return records_; }

 private:
  struct Compiled {
    const LayoutItem* item;
    std::function<std::string()> text;  // kField, kComputed, kTotal
  };
  struct Running {
    const TotalDef* def;
    std::function<double()> amount;
    double value = 0;
  };

  const std::vector<Compiled>& CompiledOf(const Band& band);
  std::string BreakValue(std::size_t group);
  void PrintKeepingWith(const Band& band, int following);
  void Place(const Band& band, int top);
  void StartPage();
  void EndPage();
  void Reset(TotalReset reset, int group);
  int BodyBottom() const;

  const ReportLayout& layout_;
  platform::page::PageFolder& folder_;
  FieldSource fields_;
  std::map<const Band*, std::vector<Compiled>> compiled_;
  std::vector<Running> totals_;
  std::vector<std::optional<std::string>> breaks_;  // per group: its current value
  std::optional<platform::page::Page> page_;
  int y_ = 0;
  int pages_done_ = 0;
  int records_ = 0;
  bool printed_on_page_ = false;  // a band below the page header
  std::string problem_;
};

}  // namespace vornel::reports
