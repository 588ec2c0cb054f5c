#pragma once
// Copies a data root's records between its embedded store and a database
// on a server, either way: every record file of every data directory, each
// record with its position and revision, the position counters past the
// highest copied, and then the record count of each file compared. Each
// copy goes only into a store that holds no records yet, and a copy that
// fails or is killed leaves nothing half copied.
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "data/store/pg_connection.h"

namespace vornel::data {

struct CopyResult {
  bool ok = false;
  std::string message;  // what went wrong, or the summary
  long long files = 0;
  long long records = 0;

  // The copy is done: the message says how much arrived.
  void Done() {
    ok = true;
    message = "copied " + std::to_string(records) + " records of " + std::to_string(files) +
              " files; every file's count agrees";
  }
};

// The words of the failure recorded last, for a copy's message.
std::string LastFailureText();

// Into an empty database, in one transaction. `progress` hears one line
// per file copied.
CopyResult CopyRootToServer(const std::filesystem::path& root, const PgAddress& address,
                            const std::function<void(std::string_view)>& progress);

// From the database into the data root `root`, which holds no records yet
// (it is made when missing). The database is read as one snapshot; the
// databases are written into the staging directory `root`/.vornel-copy and
// moved into their directories only when every file is copied and counted.
// A copy stopped while they were moved is finished by the next copy.
CopyResult CopyServerToRoot(const PgAddress& address, const std::filesystem::path& root,
                            const std::function<void(std::string_view)>& progress);

// The directories under `root` (itself included) that hold a database of
// the embedded store, in path order.
std::vector<std::filesystem::path> RecordDirectories(const std::filesystem::path& root);

}  // namespace vornel::data
