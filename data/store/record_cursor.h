#pragma once
// A file's read position in one order (a key, or record order) and the rows
// read ahead from it.
//
// The position is a boundary between records: the key values and position of
// the record last read (or of a key value, with position 0), or the start or
// end of the order. Next reads the first record after the boundary (or the
// record at it, right after positioning on a record), Previous the last one
// before it. A page of rows is fetched per query
//   SELECT ... WHERE (k1,..,kn,pos) > (?,..,?) ORDER BY k1,..,kn,pos LIMIT ?
// with the position as the last tie-breaker of every order, so that
// equal key values still have one order and a read continues exactly where
// the last one stopped. A store fetches the page with its own driver.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "data/store/sql_table.h"

namespace vornel::data {

class RecordCursor {
 public:
  struct Row {
    const char* record;
    std::int64_t position;
    std::int64_t revision;
    bool marked;  // the store's mark of the row (a hold seen when it was fetched)
  };

  explicit RecordCursor(const SqlTable& table);
  virtual ~RecordCursor() = default;
  RecordCursor(const RecordCursor&) = delete;
  RecordCursor& operator=(const RecordCursor&) = delete;

  const KeyDef* order() const { return order_; }
  bool at_start() const { return edge_ == Edge::kStart; }
  void SetOrder(const KeyDef* key, bool at_end);
  // Before the first record whose key values are at or after those in `record`.
  void SetAtKey(const KeyDef& key, const char* record);
  // At the record: the next read returns it, or (not `inclusive`) the
  // record after it.
  void SetAtRecord(const KeyDef* key, const char* record, std::int64_t position, bool inclusive = true);
  // The next page fetched holds `records` rows, and the pages after it in
  // the same run twice as many as the one before.
  void Expect(int records) { expected_ = records; }

  // The next (forward) or previous row. kRecordNotAvailable at the end of the
  // order leaves the cursor at that end. `generation` is the connection's:
  // rows read ahead under another generation are fetched again. A page holds
  // `page_size` rows; each further page of one run of reads in one direction
  // holds twice as many as the last, up to `max_page_size`.
  int Step(bool forward, int page_size, int max_page_size, std::uint64_t generation, Row* row);

  void DropPage() { page_count_ = page_next_ = 0; }
  // Keeps the rows read ahead across a change of generation that this file's
  // own rewrite of its current record made.
  void KeepPage(std::uint64_t from, std::uint64_t to) {
    if (page_generation_ == from) page_generation_ = to;
  }

  std::string Save() const;
  bool Restore(std::string_view saved);
  virtual void Finalize() { DropPage(); }  // lets go of the store's statements

 protected:
  // What a page is read from: the start or end of the order, the rows after
  // the boundary, or the boundary record and the rows after it.
  enum Kind { kFromEdge, kAfter, kAtOrAfter, kKinds };

  // Fetches up to `page_size` rows of the order in the direction of reading
  // into the page (AddRow), with PageSql's parameters: the boundary's key
  // values and position unless `kind` is kFromEdge, then the page size.
  virtual int Fetch(bool forward, Kind kind, int page_size) = 0;
  std::string PageSql(bool forward, Kind kind) const;
  int KeyIndex(const KeyDef* key) const;
  const SqlTable& table() const { return table_; }
  const char* boundary() const { return boundary_.data(); }
  std::int64_t boundary_position() const { return boundary_position_; }
  // The page as a fetch fills it: room for `rows` rows, then each row's
  // record written into RowRecord() and counted by AddRow.
  void ReservePage(std::size_t rows);
  char* RowRecord() { return page_records_.data() + page_count_ * record_size_; }
  void AddRow(std::int64_t position, std::int64_t revision, bool marked = false) {
    page_positions_[page_count_] = position;
    page_revisions_[page_count_] = revision;
    page_marks_[page_count_] = marked;
    ++page_count_;
  }
  std::size_t page_count() const { return page_count_; }

 private:
  enum class Edge : std::uint8_t { kStart, kEnd, kAt };

  std::string AfterSql(bool forward, bool inclusive) const;
  std::string NestedAfterSql(std::size_t component, bool forward, bool inclusive) const;

  const SqlTable& table_;
  std::size_t record_size_;

  const KeyDef* order_ = nullptr;
  Edge edge_ = Edge::kStart;
  std::string boundary_;  // the boundary record's bytes (its key fields count)
  std::int64_t boundary_position_ = 0;
  bool inclusive_ = false;

  std::vector<char> page_records_;
  std::vector<std::int64_t> page_positions_;
  std::vector<std::int64_t> page_revisions_;
  std::vector<bool> page_marks_;
  std::size_t page_count_ = 0;
  std::size_t page_next_ = 0;
  bool page_forward_ = true;
  int run_pages_ = 0;  // pages fetched since the last positioning or turn
  int expected_ = 0;   // rows of the next page, when set
  int run_base_ = 0;   // rows of the run's first page
  std::uint64_t page_generation_ = 0;
};

}  // namespace vornel::data
