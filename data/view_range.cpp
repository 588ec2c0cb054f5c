#include "data/view_range.h"

#include <cstring>

#include "data/dictionary/field_access.h"
#include "data/file_manager.h"
#include "data/view_text.h"
#include "data/view_values.h"

namespace vornel::data {
namespace {

using Element = ViewRange::Element;

void CopyBytes(const FieldDef& field, std::span<const char> from, std::span<char> to) {
  std::memcpy(to.data() + field.offset, from.data() + field.offset, field.width);
}

bool SameBytes(const FieldDef& field, std::span<const char> a, std::span<const char> b) {
  return std::memcmp(a.data() + field.offset, b.data() + field.offset, field.width) == 0;
}

}  // namespace

const FieldDef& ViewRange::Field(std::size_t component) const {
  return file_->fields[key_->components[component].field];
}

void ViewRange::Clear() {
  type_ = LimitType::kNone;
  key_ = nullptr;
  elements_.clear();
  captured_ = false;
}

void ViewRange::SetCurrent(const KeyDef& key, std::size_t component) {
  Clear();
  key_ = &key;
  type_ = LimitType::kCurrent;
  for (std::size_t i = 0; i <= component; ++i)
    elements_.push_back({i, Element::From::kRecord, Element::Bound::kEqual, {}});
}

void ViewRange::SetValue(const KeyDef& key, std::size_t component, platform::Binding value) {
  SetCurrent(key, component);
  type_ = LimitType::kValue;
  elements_.back().from = Element::From::kVariable;
  elements_.back().variable = std::move(value);
}

void ViewRange::SetBetween(const KeyDef& key, std::size_t component, platform::Binding low,
                           platform::Binding high) {
  Clear();
  key_ = &key;
  type_ = LimitType::kBetween;
  for (std::size_t i = 0; i < component; ++i)
    elements_.push_back({i, Element::From::kRecord, Element::Bound::kEqual, {}});
  elements_.push_back({component, Element::From::kVariable, Element::Bound::kLow, std::move(low)});
  elements_.push_back({component, Element::From::kVariable, Element::Bound::kHigh, std::move(high)});
}

void ViewRange::SetParent(const KeyDef& key, FileManager& parent,
                          std::vector<const FieldDef*> parent_fields) {
  Clear();
  key_ = &key;
  type_ = LimitType::kParent;
  for (std::size_t i = 0; i < parent_fields.size(); ++i) {
    elements_.push_back(
        {i, Element::From::kParent, Element::Bound::kEqual, {}, &parent, parent_fields[i]});
  }
}

std::size_t ViewRange::fixed() const {
  std::size_t count = 0;
  for (const Element& element : elements_) count += element.bound == Element::Bound::kEqual;
  return count;
}

std::string ViewRange::CaptureInto(std::span<const char> record, std::vector<char>& low,
                                   std::vector<char>& high) const {
  low.assign(file_->record_size, '\0');
  high.assign(file_->record_size, '\0');
  ClearRecord(*file_, low);
  ClearRecord(*file_, high);
  for (const Element& element : elements_) {
    const FieldDef& field = Field(element.component);
    std::vector<char>& target = element.bound == Element::Bound::kHigh ? high : low;
    bool stored = true;
    std::string value;
    switch (element.from) {
      case Element::From::kRecord:
        CopyBytes(field, record, target);
        break;
      case Element::From::kVariable: {
        const platform::ExprValue read = ReadBinding(element.variable);
        stored = StoreValue(*file_, field, target, read);
        value = read.AsText();
        break;
      }
      case Element::From::kParent: {
        FileManager& parent = *element.parent;
        stored = CopyFieldValue(parent.def(), *element.parent_field, parent.buffer(), *file_, field,
                                target);
        value = ReadText(parent.def(), *element.parent_field, parent.buffer());
        break;
      }
    }
    if (!stored)
      return "the range value " + QuoteText(value) + " does not fit " + std::string(field.name);
    if (element.bound == Element::Bound::kEqual) CopyBytes(field, low, high);
  }
  return {};
}

std::string ViewRange::Capture(std::span<const char> record) {
  std::vector<char> low;
  std::vector<char> high;
  std::string problem = CaptureInto(record, low, high);
  if (!problem.empty()) return problem;
  low_ = std::move(low);
  high_ = std::move(high);
  captured_ = true;
  return {};
}

std::string ViewRange::Text() const {
  std::string text;
  if (!captured_) return text;
  for (const Element& element : elements_) {
    const FieldDef& field = Field(element.component);
    const std::string name = ComponentName(*file_, *key_, element.component);
    if (!text.empty()) text += " AND ";
    switch (element.bound) {
      case Element::Bound::kEqual:
        text += name + " = " + FilterValue(name, *file_, field, low_);
        break;
      case Element::Bound::kLow:
        text += name + " >= " + FilterValue(name, *file_, field, low_);
        break;
      case Element::Bound::kHigh:
        text += name + " <= " + FilterValue(name, *file_, field, high_);
        break;
    }
  }
  return text;
}

bool ViewRange::Contains(std::span<const char> record) const {
  if (!captured_) return true;
  for (const Element& element : elements_) {
    const FieldDef& field = Field(element.component);
    const bool high = element.bound == Element::Bound::kHigh;
    const int compared = CompareKeyField(*file_, field, key_->no_case, record, high ? high_ : low_);
    switch (element.bound) {
      case Element::Bound::kEqual:
        if (compared != 0) return false;
        break;
      case Element::Bound::kLow:
        if (compared < 0) return false;
        break;
      case Element::Bound::kHigh:
        if (compared > 0) return false;
        break;
    }
  }
  return true;
}

void ViewRange::WriteStart(std::span<char> record, bool at_end) const {
  if (!captured_) return;
  for (const Element& element : elements_) {
    const FieldDef& field = Field(element.component);
    if (element.bound == Element::Bound::kEqual) {
      CopyBytes(field, low_, record);
      continue;
    }
    // The bound met first in the key's order: the low one for an ascending
    // component, the high one for a descending component.
    const bool ascending = key_->components[element.component].ascending;
    const bool wanted_low = ascending != at_end;
    if ((element.bound == Element::Bound::kLow) == wanted_low)
      CopyBytes(field, wanted_low ? low_ : high_, record);
  }
}

ViewRange::Clamp ViewRange::ClampInto(std::span<char> record) const {
  if (!captured_) return Clamp::kAsIs;
  bool differed = false;
  for (const Element& element : elements_) {
    if (element.bound != Element::Bound::kEqual) continue;
    const FieldDef& field = Field(element.component);
    differed = differed || CompareKeyField(*file_, field, key_->no_case, record, low_) != 0;
    CopyBytes(field, low_, record);
  }
  if (differed) return Clamp::kFromStart;
  if (type_ != LimitType::kBetween) return Clamp::kAsIs;
  const std::size_t component = elements_.back().component;
  const FieldDef& field = Field(component);
  const bool ascending = key_->components[component].ascending;
  if (CompareKeyField(*file_, field, key_->no_case, record, low_) < 0)
    return ascending ? Clamp::kFromStart : Clamp::kFromEnd;
  if (CompareKeyField(*file_, field, key_->no_case, record, high_) > 0)
    return ascending ? Clamp::kFromEnd : Clamp::kFromStart;
  return Clamp::kAsIs;
}

bool ViewRange::Changed(std::span<const char> record) const {
  if (type_ == LimitType::kNone) return false;
  if (!captured_) return true;
  std::vector<char> low;
  std::vector<char> high;
  if (!CaptureInto(record, low, high).empty()) return true;
  for (const Element& element : elements_) {
    const FieldDef& field = Field(element.component);
    if (!SameBytes(field, low, low_) || !SameBytes(field, high, high_)) return true;
  }
  return false;
}

void ViewRange::Prime(std::span<char> record) const {
  if (!captured_) return;
  for (const Element& element : elements_) {
    if (element.bound == Element::Bound::kEqual) CopyBytes(Field(element.component), low_, record);
  }
}

}  // namespace vornel::data
