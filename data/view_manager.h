#pragma once
// The view manager: ordered, ranged and filtered reading of a primary file
// joined with related files, for lists, reports and batch procedures. It
// keeps a list of sort orders; for the current one it gives the store the
// key to read in, positions at the range's end and stops at the first
// record outside it, so that a page of a list costs one positioning and
// about a page of reads. The filter text (range limits and named filters)
// is compiled once and tested per record.
//
// Levels returned: 0 go on, 3 not usable (a message shown), 5 the end of the
// view or a notice shown.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "data/store/record_file.h"
#include "data/view_def.h"
#include "data/view_range.h"
#include "platform/expression.h"
#include "platform/expression_scope.h"

namespace vornel::data {

class FileManager;
class FileRegistry;
class RelationManager;

// The answer of a set-up call: accepted, or why not.
struct ViewResult {
  std::string problem;
  bool ok() const { return problem.empty(); }
};

// What the ValidateRecord hook answers for a record read.
enum RecordVerdict : int { kTakeRecord = 0, kOutOfRange = 1, kSkipRecord = 2 };

class ViewManager {
 public:
  // The view's buffering. The store's own page serves as the view's buffer;
  // a page size other than 20 is passed to it as its read-ahead.
  struct Buffering {
    std::uint16_t page_size = 20;
    std::uint16_t pages_behind = 2;
    std::uint16_t pages_ahead = 0;
    std::uint16_t timeout = 60;  // seconds
  };
  // The name of the filter set without one.
  static constexpr std::string_view kStandardFilter = "5 Standard";
  static constexpr std::size_t kMaxFilterText = 5000;

  explicit ViewManager(FileRegistry& files);
  virtual ~ViewManager();
  ViewManager(const ViewManager&) = delete;
  ViewManager& operator=(const ViewManager&) = delete;

  // Resolves the view and opens each of its files through its relation
  // manager with a use check, stopping at the first file whose check fails
  // (the first read then reports that file's failure). `primary` is the
  // relation manager of the view's primary file. Filters may name the
  // fields of every file of the view and the names of `variables` (report
  // variables such as topdate), which must outlive the manager.
  ViewResult Init(const ViewDef& view, RelationManager& primary,
                  const platform::NameScope* variables = nullptr);
  // Drops the orders, closes the view and closes the files Init opened.
  void Shutdown();

  // Sort orders. AddSortOrder appends an order read by `key` (nullptr: the
  // file's natural order), makes it current and returns its number (0 when
  // the key is not one of the primary file's).
  int AddSortOrder(const KeyDef* key);
  // Adds to the current order's expression; a text beginning with "*"
  // replaces it by the rest of the text.
  void AppendOrder(std::string_view text);
  // Makes order n current (0 means 1); false when it already was or there
  // is no such order.
  bool SetOrder(int number);

  // Range limits of the current order (see LimitType). `field` must be a
  // component of the order's key; the range holds the components from the
  // first up to it. The variables must outlive the manager.
  ViewResult AddRange(const FieldDef& field);
  ViewResult AddRange(const FieldDef& field, platform::Binding value);
  ViewResult AddRange(const FieldDef& field, platform::Binding low, platform::Binding high);
  // Holds the leading components to the linking values of `parent`'s record,
  // through the relation between the parent and the primary file.
  ViewResult AddRange(RelationManager& parent);

  // Sets, replaces or (with an empty text) removes a named filter of the
  // current order; the unnamed one is kStandardFilter.
  void SetFilter(std::string_view text, std::string_view name);
  void SetFilter(std::string_view text) { SetFilter(text, kStandardFilter); }

  // Applying. A failure raises "View Open Error" (43) and answers 5; the
  // reading then goes on without the order (record order) or without the
  // filter and range limits.
  int ApplyOrder();
  int ApplyFilter();
  // Opens the view (once), applies the current order and filter and sets
  // the reading to the start.
  int Open();
  void Close(bool force = false);
  // Applies the current order and filter again and sets the reading to the
  // start: the next Next reads the first record, the next Previous the last.
  int Reset();
  // Sets the reading at the record of that position string: the next Next
  // reads it, the next Previous the one before it.
  int Reset(std::string_view position);
  // Sets the reading just after the primary record `record` read at
  // `position` (it need not be there any more): the next Next reads the
  // record after it, the next Previous the one before it.
  int ResetAfter(std::span<const char> record, RecordPosition position);
  // The reading that follows needs about `records` records: the store
  // fetches that many at first (twice as many through a filter) instead of
  // its read-ahead.
  void Expect(int records) { expected_ = records; }
  // Sets the reading at the key values in the primary buffer (brought
  // inside the range), as a locator or a scroll thumb does.
  int ResetToBuffer();

  // Reads the next (previous) record of the view into the buffers: 0 a
  // record, 5 the end of the view, 3 a read error (message 1 "Record
  // Retrieval Error" raised through the primary file manager).
  int Next();
  int Previous();
  // Asked for each record that passed the range and the filter; answers a
  // RecordVerdict. The base asks the record test, if one is set.
  virtual int ValidateRecord();
  void SetRecordTest(std::function<int()> test) { record_test_ = std::move(test); }

  // A new record for a list: the view's buffers cleared (unless `keep`),
  // the values the range holds put into their key components, then primed
  // through the primary file manager (initial values, auto-number).
  int PrepareNewRecord(bool keep = false);
  // Saves the record buffer of every file of the view; RestoreBuffers gives
  // back the last saved set.
  void SaveBuffers();
  void RestoreBuffers();
  // Whether the current order sorts the field descending.
  bool SortDirection(const FieldDef& field) const;
  // Whether the values the current range is held to differ from those now
  // in the buffers (or variables), so that a list must reset.
  bool RangeChanged() const;

  RelationManager* primary() const { return relations_.empty() ? nullptr : relations_.front(); }
  bool inited() const { return inited_; }
  bool killed() const { return killed_; }
  bool used() const { return used_; }
  bool opened() const { return opened_; }
  int order_count() const { return static_cast<int>(orders_.size()); }
  int current_order() const { return orders_.empty() ? 0 : static_cast<int>(current_) + 1; }
  // The current order's expression, key, range and free element (the first
  // key component the range leaves free to vary).
  const std::string& order_text() const;
  const KeyDef* order_key() const;
  LimitType limit_type() const;
  const FieldDef* FreeElement() const;
  // The key the store reads in after ApplyOrder (nullptr: record order).
  const KeyDef* read_key() const { return read_key_; }
  // The filter text built by the last ApplyFilter, and whether it is in force.
  const std::string& filter_text() const { return filter_text_; }
  bool filtering() const { return filter_.has_value(); }

  Buffering buffering;

 private:
  struct NamedFilter {
    std::string id;
    std::string text;
  };
  struct Order {
    const KeyDef* key;
    std::string text;
    std::vector<NamedFilter> filters;
    ViewRange range;
  };

  Order& Current();
  const Order* CurrentOrder() const;
  FileManager& PrimaryFile() const;
  ViewResult RangeField(const FieldDef& field, std::size_t* component);
  bool RangeReads() const;
  int ViewError(std::string_view what, std::string_view detail);
  int Position(bool forward);
  int PositionAtStart();
  int PositionAtEnd();
  void RestoreReadAhead();
  int Read(bool forward);
  int ReadRecord(bool forward);
  int FetchJoins();
  int FirstMatch(const ViewPlan::Join& join, FileManager& joined);

  FileRegistry& registry_;
  ViewPlan plan_;
  std::vector<RelationManager*> relations_;  // per file of the view, the primary first
  std::vector<FileManager*> files_;
  std::size_t opened_files_ = 0;  // relation managers Init opened
  platform::VariableTable fields_;
  platform::ScopeChain scope_;
  // The primary file's fields and the plain variables: a filter that names
  // nothing else is tested before the joined records are fetched.
  class PlainVariables : public platform::NameScope {
   public:
    explicit PlainVariables(const platform::NameScope* variables = nullptr) : variables_(variables) {}
    std::optional<platform::Binding> Find(std::string_view name) const override;

   private:
    const platform::NameScope* variables_;
  };
  platform::VariableTable primary_fields_;
  PlainVariables plain_variables_;
  platform::ScopeChain primary_scope_;
  bool filter_before_joins_ = false;
  std::vector<Order> orders_;
  std::size_t current_ = 0;
  std::function<int()> record_test_;
  std::vector<std::vector<int>> saved_buffers_;  // per SaveBuffers: an id per file

  const KeyDef* read_key_ = nullptr;
  std::optional<std::size_t> applied_order_;  // whose range the applied filter holds
  std::string filter_text_;
  std::optional<platform::Expression> filter_;
  bool position_pending_ = true;
  int stopped_ = 0;  // 1 (-1): reading forwards (backwards) met the end of the range
  int expected_ = 0;  // records the next reading needs, when told
  std::vector<char> kept_;  // the buffers before a read, for the end of the view
  bool inited_ = false;
  bool killed_ = false;
  bool used_ = false;
  bool opened_ = false;
};

}  // namespace vornel::data
