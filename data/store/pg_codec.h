#pragma once
// Moves a record's field values (field_values.h) to the text parameters of
// a server command and from the text columns of its rows.
#include <string>
#include <vector>

#include "data/store/field_values.h"
#include "data/store/pg_connection.h"

namespace vornel::data {

class PgCodec {
 public:
  explicit PgCodec(const FileDef& def);

  // Adds every field of `record`, or the key's components, as the next
  // parameters. False, with `problem` saying which field, for text with a
  // NUL character: the server cannot store it, and cutting it short would
  // store something else in silence.
  bool AddFields(PgParams& parameters, const char* record, std::string* problem) const;
  bool AddKey(PgParams& parameters, const KeyDef& key, const char* record, std::string* problem) const;
  // Reads columns 0..n-1 of `row` into `record`; a value that does not fit
  // its field leaves a message in `problem` and answers false.
  bool ReadFields(const PgResult& result, int row, char* record, std::string* problem) const;

 private:
  bool AddField(PgParams& parameters, std::size_t field, const char* record, std::string* problem) const;

  const FileDef& def_;
  std::vector<FieldSlot> slots_;
};

// A whole number of a result's column; 0 when it is not one.
std::int64_t ResultInteger(const PgResult& result, int row, int column);

}  // namespace vornel::data
