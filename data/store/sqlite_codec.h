#pragma once
// Moves a record's field values (field_values.h) to the parameters of a
// SQLite statement and from the columns of its rows.
#include <sqlite3.h>

#include <string>
#include <vector>

#include "data/store/field_values.h"

namespace vornel::data {

class RowCodec {
 public:
  explicit RowCodec(const FileDef& def);

  // Binds every field of `record` to the parameters 1..n. Text parameters
  // point into `record`, which must stay unchanged until the statement is
  // stepped.
  void BindFields(sqlite3_stmt* stmt, const char* record) const;
  // Binds one field of `record` to parameter `index`.
  void BindField(sqlite3_stmt* stmt, int index, std::size_t field, const char* record) const;
  // Binds the key's components, taken from `record`, to the parameters 1..k.
  void BindKey(sqlite3_stmt* stmt, const KeyDef& key, const char* record) const;
  // Reads columns 0..n-1 of the current row into `record`. A value that
  // does not fit its field (a database written by something else) leaves a
  // message in `problem` and answers false; nothing is ever cut silently.
  bool ReadFields(sqlite3_stmt* stmt, char* record, std::string* problem) const;

 private:
  bool ReadField(sqlite3_stmt* stmt, int column, const FieldSlot& slot, char* record) const;

  const FileDef& def_;
  std::vector<FieldSlot> slots_;
};

}  // namespace vornel::data
