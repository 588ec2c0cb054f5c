#pragma once
// The range limit of one sort order: the leading components of the order's
// key held to fixed values, or the last of them between a low and a high
// value. The range captures the values it is held to (when the filter is
// applied), writes them into the filter text, tells whether a record lies
// inside them, and gives the key values where reading starts.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "data/dictionary/file_def.h"
#include "platform/expression_scope.h"

namespace vornel::data {

class FileManager;

enum class LimitType : std::uint8_t {
  kNone = 0,
  kCurrent = 1,  // the components up to a field held to their values in the record buffer
  kValue = 2,    // the same, the last of them held to a variable
  kBetween = 3,  // the components before a field held to the buffer, that field between two variables
  kParent = 4,   // the components held to the linking values of a parent record
};

class ViewRange {
 public:
  // One element: a key component and where its value comes from.
  struct Element {
    enum class From : std::uint8_t { kRecord, kVariable, kParent };
    enum class Bound : std::uint8_t { kEqual, kLow, kHigh };
    std::size_t component;
    From from;
    Bound bound;
    platform::Binding variable;             // kVariable
    FileManager* parent = nullptr;          // kParent: the parent's file manager
    const FieldDef* parent_field = nullptr;  // and its linking field
  };
  // Where a positioning from the buffer's key values must start instead.
  enum class Clamp : std::uint8_t { kAsIs, kFromStart, kFromEnd };

  explicit ViewRange(const FileDef& file) : file_(&file) {}

  // Set-up, each replacing what was there; `component` is the index in `key`
  // of the field the range goes up to. Parent elements hold the components
  // 0..n-1 to the parent's fields in `parent_fields` (one per component).
  void SetCurrent(const KeyDef& key, std::size_t component);
  void SetValue(const KeyDef& key, std::size_t component, platform::Binding value);
  void SetBetween(const KeyDef& key, std::size_t component, platform::Binding low,
                  platform::Binding high);
  void SetParent(const KeyDef& key, FileManager& parent, std::vector<const FieldDef*> parent_fields);
  void Clear();

  LimitType type() const { return type_; }
  const KeyDef* key() const { return key_; }
  const std::vector<Element>& elements() const { return elements_; }
  // Components held to one value, and components limited at all.
  std::size_t fixed() const;
  std::size_t limited() const { return type_ == LimitType::kBetween ? fixed() + 1 : fixed(); }

  // Takes the values the range is held to now, from `record` (the primary
  // buffer), the variables or the parent's buffer. A value that its
  // component's field refuses (a text too long, a text that is no number)
  // leaves the range as it was and answers the problem.
  std::string Capture(std::span<const char> record);
  bool captured() const { return captured_; }

  // The range part of the filter text, from the captured values.
  std::string Text() const;
  // Whether the record's limited components lie inside the captured values,
  // compared the way the store orders the key.
  bool Contains(std::span<const char> record) const;
  // Writes the limited components' values where reading starts (the low
  // end) or, with `at_end`, where reading backwards starts (the high end),
  // as the key's order runs.
  void WriteStart(std::span<char> record, bool at_end) const;
  // Brings the buffer's key values inside the range: the fixed components
  // take their values; when they differed, or the limited component lies
  // outside its bounds, the answer says from which end to read instead.
  Clamp ClampInto(std::span<char> record) const;
  // Whether the values the range would capture now differ from those captured.
  bool Changed(std::span<const char> record) const;
  // Writes the fixed values (not the bounds of kBetween) into a new record.
  void Prime(std::span<char> record) const;

 private:
  const FieldDef& Field(std::size_t component) const;
  std::string CaptureInto(std::span<const char> record, std::vector<char>& low,
                          std::vector<char>& high) const;

  const FileDef* file_;
  const KeyDef* key_ = nullptr;
  LimitType type_ = LimitType::kNone;
  std::vector<Element> elements_;
  bool captured_ = false;
  std::vector<char> low_;   // the captured values; equal ones in both records
  std::vector<char> high_;
};

}  // namespace vornel::data
