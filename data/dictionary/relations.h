#pragma once
// The relations between files: which records depend on which, how they are
// found, and what happens to them when their parent changes or goes.
#include <span>

#include "data/dictionary/file_def.h"

namespace vornel::data {

// What a change or removal of a parent does to its dependent records.
enum class RelationAction : std::uint8_t {
  kNone = 0,
  kClear = 1,     // the dependents' linking fields are cleared
  kRestrict = 2,  // refused while dependents exist
  kCascade = 3,   // the dependents follow: new linking values, or deleted
};

struct RelationLink {
  std::string_view parent_field;     // "CLI:CLCODE"
  std::string_view dependent_field;  // "LOG:CLCODE"
};

struct RelationDef {
  const FileDef& (*parent)();
  const FileDef& (*dependent)();
  std::string_view dependent_key;  // the dependent's key that finds the dependents
  std::span<const RelationLink> links;
  RelationAction on_update;
  RelationAction on_delete;
};

// A file that names another as its parent only (so opening it opens the parent).
struct ParentDef {
  const FileDef& (*file)();
  const FileDef& (*parent)();
};

// Every relation, in declared order (per parent file).
std::span<const RelationDef> AllRelations();
// Every parent-only entry.
std::span<const ParentDef> AllParentEntries();

}  // namespace vornel::data
