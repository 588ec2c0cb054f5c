#pragma once
// The record cursor of the server store: a page is one prepared command of
// the thread's session, its rows read with their hold marks.
#include <array>
#include <string>
#include <vector>

#include "data/store/pg_codec.h"
#include "data/store/pg_session.h"
#include "data/store/record_cursor.h"

namespace vornel::data {

class PgCursor final : public RecordCursor {
 public:
  PgCursor(const SqlTable& table, const PgCodec& codec, PgSession& session);

 private:
  int Fetch(bool forward, Kind kind, int page_size) override;

  const PgCodec& codec_;
  PgSession& session_;
  PgParams parameters_;
  PgResult result_;
  // The page commands per order (record order first, then the keys) and
  // direction, built once.
  std::vector<std::array<std::string, 2 * kKinds>> sql_;
};

}  // namespace vornel::data
