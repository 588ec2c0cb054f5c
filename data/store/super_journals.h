#pragma once
// Super-journals (records.db-mj...) that SQLite leaves behind when a station
// dies inside a commit over several databases.
#include <filesystem>

namespace vornel::data {

// Removes the super-journals beside `database` that no transaction can need:
// no journal of the databases it lists names it (so no rollback will read
// it), and none of those databases is write-locked (so no station is inside
// that commit now). One whose list is not written yet is kept for a minute,
// as its commit may have just begun. Answers how many were removed.
int RemoveLeftoverSuperJournals(const std::filesystem::path& database);

}  // namespace vornel::data
