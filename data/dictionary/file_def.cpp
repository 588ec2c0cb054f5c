#include "data/dictionary/file_def.h"

#include "platform/text.h"

namespace vornel::data {
namespace {

// "CLI:CLCODE" and "CLCODE" both name the field CLI:CLCODE of Client.
bool SameName(std::string_view full, std::string_view wanted) {
  if (platform::SameNoCase(full, wanted)) return true;
  std::size_t colon = full.find(':');
  return wanted.find(':') == std::string_view::npos && colon != std::string_view::npos &&
         platform::SameNoCase(full.substr(colon + 1), wanted);
}

}  // namespace

const FieldDef* FileDef::FindField(std::string_view name) const {
  for (const FieldDef& field : fields) {
    if (SameName(field.name, name)) return &field;
  }
  return nullptr;
}

const KeyDef* FileDef::FindKey(std::string_view name) const {
  for (const KeyDef& key : keys) {
    if (SameName(key.name, name)) return &key;
  }
  return nullptr;
}

const KeyDef* FileDef::PrimaryKey() const {
  for (const KeyDef& key : keys) {
    if (key.primary) return &key;
  }
  return nullptr;
}

}  // namespace vornel::data
