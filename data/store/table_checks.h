#pragma once
// Whether a table and its indexes are those of a record file, from what the
// store's catalogue says of them: both stores refuse a table of another
// shape and a key whose index is missing or was made from another
// definition, with the same words.
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "data/store/sql_table.h"

namespace vornel::data {

// The catalogue's index statements of a table: index name -> statement.
using StoredIndexes = std::map<std::string, std::string>;

// "" when `stored` (the table's column names) are the file's fields and the
// hidden position and revision, else what is wrong, naming the table as
// `where` names it ("The table Client in /data/records.db"). `fold_case`:
// the store matches column names without regard to ASCII case.
std::string ColumnsProblem(const SqlTable& table, const std::vector<std::string>& stored,
                           std::string_view where, bool fold_case);
// "" when every key has its index as the file defines it, else which key is
// missing or stale, naming the store's `place` of the table.
std::string KeysProblem(const SqlTable& table, const StoredIndexes& stored, std::string_view place);
// The indexes of `stored` that no key of the file defines so.
std::vector<std::string> StaleIndexes(const SqlTable& table, StoredIndexes stored);

}  // namespace vornel::data
