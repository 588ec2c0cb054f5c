#pragma once
// Copies a data root's records from its embedded store into an empty
// database on a server: every record file of every data directory under
// the root, each record with its position and revision, the position
// counters past the highest copied, and then the record count of each file
// compared. The copy is one transaction: a copy that fails or is killed
// leaves the database as empty as it was.
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "data/store/pg_connection.h"

namespace vornel::data {

struct CopyResult {
  bool ok = false;
  std::string message;  // what went wrong, or the summary
  long long files = 0;
  long long records = 0;
};

// `progress` hears one line per file copied.
CopyResult CopyRootToServer(const std::filesystem::path& root, const PgAddress& address,
                            const std::function<void(std::string_view)>& progress);

}  // namespace vornel::data
