#pragma once
// What the data dictionary says about one record file: its fields, keys and
// field rules. Every generic part of the data layer (storage schema,
// validation, expression binding, list columns) is driven from these.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace vornel::data {

enum class FieldType : std::uint8_t { kText, kUInt8, kInt16, kInt32, kFloat64, kDate, kTime };

// Where a file lives: the current department's directory (and its ARCS and
// STATS sub-directories), the shared COMMON directory, or the product directory.
enum class FileLocation : std::uint8_t { kDepartment, kCommon, kProduct };

// A list rule: the stored value, clipped and wrapped as "]" value "[", must
// occur in `list` ("]SCHED[]SHOW[]NOSHW[]CANC[]RESCH["); messages show
// `display` ("'SCHED','SHOW','NOSHOW','CANC','RESCH'") and name the field
// by `label` ("Log:TRANS_TYPE").
struct ValueRule {
  std::string_view list;
  std::string_view display;
  std::string_view label;
};

struct FieldDef {
  std::string_view name;        // "CLI:CLCODE"
  FieldType type;
  std::uint16_t offset;         // byte position in the record
  std::uint16_t width;          // bytes
  std::string_view picture;     // stored display picture, "" for none ("@p###-##-####p")
  std::string_view form_label;  // "Client Code:", "" for none
  const ValueRule* rule;        // nullptr for none
};

struct KeyComponent {
  std::uint16_t field;  // index into FileDef::fields
  bool ascending;
};

struct KeyDef {
  std::string_view name;         // as the file object registers it: "Cli:CODE_KEY"
  std::string_view description;  // shown in messages
  std::span<const KeyComponent> components;
  bool unique;
  bool no_case;      // text components compare without regard to case
  bool primary;
  bool auto_number;  // the (single) component is numbered highest + 1
};

struct FileDef {
  std::string_view label;      // "Client"
  std::string_view prefix;     // "Cli", as the dictionary writes it
  std::string_view file_name;  // "Client.dat", "ARCS\Cliarc.dat", "\vornel\COMMON\Vendor.dat"
  FileLocation location;
  std::uint16_t record_size;
  bool create_when_missing;
  std::span<const FieldDef> fields;
  std::span<const KeyDef> keys;  // in registration order
  std::uint16_t number;          // position in the dictionary, 0-based

  // The field or key of that name (case-insensitive; with or without the
  // prefix); nullptr when there is none.
  const FieldDef* FindField(std::string_view name) const;
  const KeyDef* FindKey(std::string_view name) const;
  std::size_t IndexOf(const FieldDef& field) const { return &field - fields.data(); }
  const KeyDef* PrimaryKey() const;
};

}  // namespace vornel::data
