#include "data/store/table_checks.h"

namespace vornel::data {
namespace {

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

}  // namespace

std::string ColumnsProblem(const SqlTable& table, const std::vector<std::string>& stored_names,
                           std::string_view where, bool fold_case) {
  const auto fold = [fold_case](std::string_view name) { return fold_case ? Lower(name) : std::string(name); };
  std::map<std::string, std::string> stored;  // folded -> as stored
  for (const std::string& name : stored_names) stored.emplace(fold(name), name);
  const auto expect = [&](std::string_view column) -> std::string {
    return stored.erase(fold(column)) == 1 ? std::string() : std::string(column);
  };
  std::string missing;
  for (const FieldDef& field : table.def().fields) {
    if (missing.empty()) missing = expect(ColumnName(field));
  }
  for (std::string_view hidden : {"~pos", "~rev"}) {
    if (missing.empty()) missing = expect(hidden);
  }
  const std::string label(table.def().label);
  if (!missing.empty()) {
    return std::string(where) + " has no column " + missing + ": it is not the record file " + label +
           " (or is damaged) and is left as it is";
  }
  if (!stored.empty()) {
    return std::string(where) + " has a column " + stored.begin()->second + " that the record file " + label +
           " does not have; it is left as it is";
  }
  return "";
}

std::string KeysProblem(const SqlTable& table, const StoredIndexes& stored, std::string_view place) {
  for (const KeyDef& key : table.def().keys) {
    auto it = stored.find(table.IndexName(key));
    if (it == stored.end() || it->second != table.StoredIndexSql(key)) {
      return "the key " + table.IndexName(key) + " in " + std::string(place) +
             (it == stored.end() ? " is missing" : " was made for another definition of the key");
    }
  }
  return "";
}

std::vector<std::string> StaleIndexes(const SqlTable& table, StoredIndexes stored) {
  for (const KeyDef& key : table.def().keys) {
    auto it = stored.find(table.IndexName(key));
    if (it != stored.end() && it->second == table.StoredIndexSql(key)) stored.erase(it);
  }
  std::vector<std::string> stale;
  for (const auto& [name, sql] : stored) stale.push_back(name);
  return stale;
}

}  // namespace vornel::data
