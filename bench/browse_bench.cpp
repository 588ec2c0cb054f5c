// A list over Log in LOG_DAY order holding one page of 20 rows, on the
// 1,000,000-visit root (bench/log_list.h names the operations), each
// operation against a floor that does the same work at the same place: raw
// SQLite reading the same rows by the same key (row-value seeks from the
// edge row, as the list reads) and formatting the same cells through the
// same pictures, parsed once; statements prepared once; both page caches
// warm. The ratios (wall and CPU) are printed after the table; the pairs
// run in alternating order.
#include <benchmark/benchmark.h>

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "bench/log_list.h"
#include "bench/log_root.h"
#include "bench/raw_rows.h"
#include "bench/ratio_reporter.h"
#include "data/store/sqlite_table.h"
#include "platform/text.h"
#include "ui/field_text.h"

namespace {

using namespace vornel;
using bench::LogRoot;

using bench::kRows;

// ---- the floor ----

class LogFloor : public bench::LogFloorPage {
 public:
  explicit LogFloor(LogRoot& root) : root_(root) {
    std::string columns;
    for (const data::FieldDef& field : data::LogFile().fields)
      columns += (columns.empty() ? "" : ",") + data::QuoteName(data::ColumnName(field));
    const std::string key = "\"LOG_DATE\",\"EMPL_CODE\",\"TIME_IN\",\"~pos\"";
    const std::string order = " ORDER BY \"LOG_DATE\",\"EMPL_CODE\" COLLATE NOCASE,\"TIME_IN\",\"~pos\"";
    const std::string select = "SELECT " + columns + ",\"~pos\" FROM \"Log\"";
    first_ = Prepare(select + order + " LIMIT ?1");
    last_ = Prepare(select + order_desc(order) + " LIMIT ?1");
    after_ = Prepare(select + " WHERE (" + key + ")>(?1,?2 COLLATE NOCASE,?3,?4)" + order + " LIMIT ?5");
    from_day_ = Prepare(select + " WHERE (" + key + ")>=(?1,'' COLLATE NOCASE,-2147483648,0)" + order + " LIMIT ?2");
  }
  ~LogFloor() {
    for (sqlite3_stmt* stmt : {first_, last_, after_, from_day_}) sqlite3_finalize(stmt);
  }

  // The rows of the bound statement: each formatted; the last row kept as the edge.
  int Read(sqlite3_stmt* stmt, int format_rows) {
    int rows = 0;
    while (sqlite3_step(stmt) == SQLITE_ROW) {
      bench::ReadRawRow(data::LogFile(), stmt, reinterpret_cast<char*>(&edge_));
      edge_position_ = sqlite3_column_int64(stmt, static_cast<int>(data::LogFile().fields.size()));
      if (rows++ < format_rows) Format();
    }
    sqlite3_reset(stmt);
    return rows;
  }
  int First(int rows) { sqlite3_bind_int(first_, 1, rows); return Read(first_, rows); }
  int Last(int rows) { sqlite3_bind_int(last_, 1, rows); return Read(last_, rows); }
  int FromDay(int day, int rows) {
    sqlite3_bind_int(from_day_, 1, day);
    sqlite3_bind_int(from_day_, 2, rows);
    return Read(from_day_, rows);
  }
  // The rows after the edge row.
  int After(int rows) {
    const data::LogRecord edge = edge_;
    sqlite3_bind_int(after_, 1, edge.LOG_DATE);
    const std::string staff = EdgeStaff();
    sqlite3_bind_text(after_, 2, staff.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_int(after_, 3, edge.TIME_IN);
    sqlite3_bind_int64(after_, 4, edge_position_);
    sqlite3_bind_int(after_, 5, rows);
    return Read(after_, rows);
  }

 private:
  static std::string order_desc(const std::string&) {
    return " ORDER BY \"LOG_DATE\" DESC,\"EMPL_CODE\" COLLATE NOCASE DESC,\"TIME_IN\" DESC,\"~pos\" DESC";
  }
  sqlite3_stmt* Prepare(const std::string& sql) {
    sqlite3_stmt* stmt = nullptr;
    bench::Check(sqlite3_prepare_v2(root_.raw, sql.c_str(), -1, &stmt, nullptr) == SQLITE_OK, "browse_bench",
                 sql.c_str());
    return stmt;
  }

  LogRoot& root_;
  sqlite3_stmt* first_ = nullptr;
  sqlite3_stmt* last_ = nullptr;
  sqlite3_stmt* after_ = nullptr;
  sqlite3_stmt* from_day_ = nullptr;
};

}  // namespace

int main(int argc, char** argv) {
  vornel::bench::RegisterListBenchmarks(
      []() -> bench::Root& { return LogRoot::Get(); }, [] { return std::make_unique<LogFloor>(LogRoot::Get()); },
      vornel::bench::kFirstDay, vornel::bench::kDays);
  return vornel::bench::RunWithRatios(argc, argv, {"_Store", "The list against raw SQLite doing the same work:", {}, true});
}
