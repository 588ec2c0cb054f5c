#include "data/store/pg_codec.h"

#include <charconv>

namespace vornel::data {

PgCodec::PgCodec(const FileDef& def) : def_(def), slots_(FieldSlots(def)) {}

bool PgCodec::AddField(PgParams& parameters, std::size_t field, const char* record, std::string* problem) const {
  const FieldSlot& slot = slots_[field];
  if (slot.is_text()) {
    if (parameters.AddText(TextValue(slot, record))) return true;
    *problem = "the text of " + std::string(def_.fields[field].name) +
               " holds a NUL character, which the database server cannot store";
    return false;
  }
  if (slot.is_real())
    parameters.AddReal(RealValue(slot, record));
  else
    parameters.AddInteger(IntegerValue(slot, record));
  return true;
}

bool PgCodec::AddFields(PgParams& parameters, const char* record, std::string* problem) const {
  for (std::size_t i = 0; i < slots_.size(); ++i) {
    if (!AddField(parameters, i, record, problem)) return false;
  }
  return true;
}

bool PgCodec::AddKey(PgParams& parameters, const KeyDef& key, const char* record, std::string* problem) const {
  for (const KeyComponent& component : key.components) {
    if (!AddField(parameters, component.field, record, problem)) return false;
  }
  return true;
}

bool PgCodec::ReadFields(const PgResult& result, int row, char* record, std::string* problem) const {
  for (std::size_t i = 0; i < slots_.size(); ++i) {
    const FieldSlot& slot = slots_[i];
    const std::string_view text = result.Text(row, static_cast<int>(i));
    bool fits = true;
    // A value missing from a row written by something else reads as blank
    // or zero, as in the embedded store.
    if (!slot.is_text() && result.IsNull(row, static_cast<int>(i))) {
      if (slot.is_real())
        PutReal(slot, 0, record);
      else
        PutInteger(slot, 0, record);
      continue;
    }
    if (slot.is_text()) {
      fits = PutText(slot, text, record);
    } else if (slot.is_real()) {
      double value = 0;
      fits = std::from_chars(text.data(), text.data() + text.size(), value).ec == std::errc();
      PutReal(slot, value, record);
    } else {
      std::int64_t value = 0;
      auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
      fits = error == std::errc() && end == text.data() + text.size() && PutInteger(slot, value, record);
    }
    if (!fits) {
      *problem = DoesNotFitText(def_, i);
      return false;
    }
  }
  return true;
}

std::int64_t ResultInteger(const PgResult& result, int row, int column) {
  const std::string_view text = result.Text(row, column);
  std::int64_t value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return value;
}

}  // namespace vornel::data
