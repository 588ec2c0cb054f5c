#pragma once
// The record cursor of the embedded store: pages fetched through prepared
// statements of the thread's connection, kept for the next file object of
// the same table when the cursor goes.
#include <array>
#include <vector>

#include "data/store/record_cursor.h"
#include "data/store/sqlite_codec.h"
#include "data/store/sqlite_connection.h"
#include "data/store/sqlite_statement.h"

namespace vornel::data {

class SqliteCursor final : public RecordCursor {
 public:
  SqliteCursor(const SqlTable& table, const RowCodec& codec, SqliteConnection& connection);
  void Finalize() override;

 private:
  int Fetch(bool forward, Kind kind, int page_size) override;
  int Statement(bool forward, Kind kind, sqlite3_stmt** stmt);

  const RowCodec& codec_;
  SqliteConnection& connection_;
  // Per order (record order first, then the keys) and direction.
  std::vector<std::array<SqliteStatement, 2 * kKinds>> statements_;
};

}  // namespace vornel::data
