#pragma once
// Super-journals (records.db-mj...) that SQLite leaves behind when a station
// dies inside a commit over several databases.
#include <filesystem>

namespace vornel::data {

// Removes the super-journals beside `database` that no transaction can need:
// no journal of the databases it lists names it (so no rollback will read
// it), and neither `database` nor any database it lists is write-locked (so
// no station is inside that commit now). One whose list is not written yet
// goes as soon as `database` is not write-locked: only a commit still
// running, which holds that lock, can be writing it, and no journal names it
// yet. Answers how many were removed.
int RemoveLeftoverSuperJournals(const std::filesystem::path& database);

}  // namespace vornel::data
