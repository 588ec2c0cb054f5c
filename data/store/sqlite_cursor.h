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
// with the position (rowid) as the last tie-breaker of every order, so that
// equal key values still have one order and a read continues exactly where
// the last one stopped.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "data/store/sqlite_codec.h"
#include "data/store/sqlite_connection.h"
#include "data/store/sqlite_statement.h"
#include "data/store/sqlite_table.h"

namespace vornel::data {

class SqliteCursor {
 public:
  struct Row {
    const char* record;
    std::int64_t position;
    std::int64_t revision;
  };

  SqliteCursor(const SqliteTable& table, const RowCodec& codec, SqliteConnection& connection);

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
  void Finalize();  // gives the statements to the connection to keep

 private:
  enum class Edge : std::uint8_t { kStart, kEnd, kAt };
  enum Kind { kFromEdge, kAfter, kAtOrAfter, kKinds };

  int Fetch(bool forward, int page_size);
  int Statement(bool forward, Kind kind, sqlite3_stmt** stmt);
  std::string PageSql(bool forward, Kind kind) const;
  std::string AfterSql(bool forward, bool inclusive) const;
  std::string NestedAfterSql(std::size_t component, bool forward, bool inclusive) const;
  int KeyIndex(const KeyDef* key) const;

  const SqliteTable& table_;
  const RowCodec& codec_;
  SqliteConnection& connection_;
  sqlite3* db_;
  std::size_t record_size_;

  const KeyDef* order_ = nullptr;
  Edge edge_ = Edge::kStart;
  std::string boundary_;  // the boundary record's bytes (its key fields count)
  std::int64_t boundary_position_ = 0;
  bool inclusive_ = false;

  std::vector<char> page_records_;
  std::vector<std::int64_t> page_positions_;
  std::vector<std::int64_t> page_revisions_;
  std::size_t page_count_ = 0;
  std::size_t page_next_ = 0;
  bool page_forward_ = true;
  int run_pages_ = 0;  // pages fetched since the last positioning or turn
  int expected_ = 0;   // rows of the next page, when set
  int run_base_ = 0;   // rows of the run's first page
  std::uint64_t page_generation_ = 0;

  // Per order (record order first, then the keys) and direction.
  std::vector<std::array<SqliteStatement, 2 * kKinds>> statements_;
};

}  // namespace vornel::data
