#include "data/store/sqlite_cursor.h"

#include "data/store/sqlite_error.h"
#include "data/store/store_answer.h"

namespace vornel::data {

SqliteCursor::SqliteCursor(const SqlTable& table, const RowCodec& codec, SqliteConnection& connection)
    : RecordCursor(table), codec_(codec), connection_(connection), statements_(table.def().keys.size() + 1) {}

int SqliteCursor::Fetch(bool forward, Kind kind, int page_size) {
  sqlite3_stmt* stmt = nullptr;
  if (int answer = Statement(forward, kind, &stmt)) return answer;
  StatementReset reset(stmt);
  int parameter = 1;
  if (kind != kFromEdge) {
    if (order() != nullptr) {
      codec_.BindKey(stmt, *order(), boundary());
      parameter += static_cast<int>(order()->components.size());
    }
    sqlite3_bind_int64(stmt, parameter++, boundary_position());
  }
  sqlite3_bind_int(stmt, parameter, page_size);

  const std::size_t size = static_cast<std::size_t>(page_size);
  ReservePage(size);
  const int position_column = table().field_count();
  std::string problem;
  int rc;
  while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
    if (page_count() == size) break;
    if (!codec_.ReadFields(stmt, RowRecord(), &problem)) return ReportDriverText(problem);
    AddRow(sqlite3_column_int64(stmt, position_column), sqlite3_column_int64(stmt, position_column + 1));
  }
  if (rc != SQLITE_DONE && rc != SQLITE_ROW) {
    return ReportSqlite(connection_.db(), rc, order() != nullptr, table().schema().c_str());
  }
  return kStoreOk;
}

int SqliteCursor::Statement(bool forward, Kind kind, sqlite3_stmt** stmt) {
  SqliteStatement& slot = statements_[KeyIndex(order())][(forward ? 0 : kKinds) + kind];
  if (!slot) {
    int rc = connection_.Prepare(slot, PageSql(forward, kind));
    if (rc != SQLITE_OK) return ReportSqlite(connection_.db(), rc, false, table().schema().c_str());
  }
  *stmt = slot.get();
  return kStoreOk;
}

void SqliteCursor::Finalize() {
  for (auto& statements : statements_) {
    for (SqliteStatement& statement : statements) connection_.Keep(statement);
  }
  RecordCursor::Finalize();
}

}  // namespace vornel::data
