#include "data/store/pg_cursor.h"

#include <algorithm>

#include "data/store/sqlite_error.h"
#include "data/store/store_answer.h"

namespace vornel::data {

PgCursor::PgCursor(const SqlTable& table, const PgCodec& codec, PgSession& session)
    : RecordCursor(table), codec_(codec), session_(session), sql_(table.def().keys.size() + 1) {}

int PgCursor::Fetch(bool forward, Kind kind, int page_size) {
  parameters_.Clear();
  std::string problem;
  if (kind != kFromEdge) {
    if (order() != nullptr && !codec_.AddKey(parameters_, *order(), boundary(), &problem)) {
      return ReportDriverText(problem);
    }
    parameters_.AddInteger(boundary_position());
  }
  parameters_.AddInteger(page_size);
  std::string& sql = sql_[KeyIndex(order())][(forward ? 0 : kKinds) + kind];
  if (sql.empty()) sql = PageSql(forward, kind);
  if (int answer = session_.connection().Run(sql, parameters_, &result_)) return answer;
  const int rows = std::min(result_.rows(), page_size);
  ReservePage(static_cast<std::size_t>(rows));
  const int position_column = table().field_count();
  for (int row = 0; row < rows; ++row) {
    if (!codec_.ReadFields(result_, row, RowRecord(), &problem)) return ReportDriverText(problem);
    AddRow(ResultInteger(result_, row, position_column), ResultInteger(result_, row, position_column + 1),
           result_.Text(row, position_column + 2) == "t");
  }
  result_ = PgResult();
  return kStoreOk;
}

}  // namespace vornel::data
