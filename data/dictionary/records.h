#pragma once
// The record of every file of the dictionary as a packed struct with exactly
// the stored byte layout (ClientRecord, LogRecord ... Rpt_temp_1Record), for
// code that works on one known file's buffer. Generated from files.def; the
// checks below hold every struct to the declared record length and offsets.
#include <cstddef>
#include <cstdint>

namespace vornel::data {

#pragma pack(push, 1)
#define DD_FILE(label, prefix, file_name, location, record_size, create) struct label##Record {
#define DD_FIELD(name, type, offset, picture, form_label, rule) DD_CTYPE_##type name DD_EXTENT_##type;
#define DD_END_FILE(label) \
  }                        \
  ;
#include "data/dictionary/files.def"
#pragma pack(pop)

namespace layout_check {
#define DD_FILE(label, prefix, file_name, location, record_size, create) \
  namespace label {                                                     \
  using Record = label##Record;                                         \
  static_assert(sizeof(Record) == (record_size), #label ": record length");
#define DD_FIELD(name, type, offset, picture, form_label, rule)          \
  static_assert(offsetof(Record, name) == (offset), #name ": offset"); \
  static_assert(sizeof(Record::name) == (DD_WIDTH_##type), #name ": width");
#define DD_END_FILE(label) }
#include "data/dictionary/files.def"
}  // namespace layout_check

}  // namespace vornel::data
