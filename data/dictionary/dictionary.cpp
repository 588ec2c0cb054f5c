#include "data/dictionary/dictionary.h"

#include <cstddef>
#include <cstdint>
#include <iterator>

#include "platform/text.h"

namespace vornel::data {
namespace {

// Key flags as files.def writes them.
constexpr unsigned kDuplicates = 0;
constexpr unsigned kUnique = 1;
constexpr unsigned kNoCase = 2;
constexpr unsigned kPrimary = 4;
constexpr unsigned kAutoNumber = 8;

// A name built at compile time from a prefix and a field or key name, so
// that files.def writes each prefix once: "CLI:CLCODE", "Cli:PAYFLG".
template <std::size_t N>
struct BuiltName {
  char text[N]{};
  std::size_t size = 0;
  constexpr std::string_view view() const { return {text, size}; }
};

template <std::size_t P, std::size_t S>
constexpr BuiltName<P + S> JoinName(const char (&prefix)[P], const char (&name)[S], bool upper_prefix) {
  BuiltName<P + S> out;
  for (std::size_t i = 0; i + 1 < P; ++i) {
    char c = prefix[i];
    out.text[out.size++] = upper_prefix && c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
  }
  out.text[out.size++] = ':';
  for (std::size_t i = 0; i + 1 < S; ++i) out.text[out.size++] = name[i];
  return out;
}

constexpr ValueRule Labelled(ValueRule rule, std::string_view label) {
  rule.label = label;
  return rule;
}

constexpr std::string_view DescriptionOr(std::string_view description, std::string_view name) {
  return description.empty() ? name : description;
}

// Position of each file in the dictionary.
enum FileNumber : std::uint16_t {
#define DD_FILE(label, prefix, file_name, location, record_size, create) label##_number,
#include "data/dictionary/files.def"
  kFileCount
};

// Per file: its prefix and the index of each field, for key components.
#define DD_FILE(label, prefix, file_name, location, record_size, create) \
  namespace label##_def {                                                \
  constexpr char kPrefix[] = prefix;                                     \
  enum FieldIndex : std::uint16_t {
#define DD_FIELD(name, type, offset, picture, form_label, rule) name,
#define DD_END_FILE(label) \
  kFieldCount              \
  };                       \
  }
#include "data/dictionary/files.def"

// Per file: field names, rules, key names and key components.
#define DD_RULE(list, display) ValueRule{list, display, {}}
#define DD_NO_RULE ValueRule{}
#define DD_ASC(field) KeyComponent{field, true}
#define DD_DESC(field) KeyComponent{field, false}
#define DD_FILE(label, prefix, file_name, location, record_size, create) namespace label##_def {
#define DD_FIELD(name, type, offset, picture, form_label, rule)    \
  constexpr auto name##_name = JoinName(kPrefix, #name, true);   \
  constexpr auto name##_label = JoinName(kPrefix, #name, false); \
  constexpr ValueRule name##_rule = Labelled(rule, name##_label.view());
#define DD_KEY(name, description, flags, ...)                          \
  constexpr auto key_##name##_name = JoinName(kPrefix, #name, false); \
  constexpr KeyComponent key_##name##_parts[] = {__VA_ARGS__};
#define DD_END_FILE(label) }
#include "data/dictionary/files.def"
#undef DD_RULE
#undef DD_NO_RULE
#undef DD_ASC
#undef DD_DESC

// Per file: the field table.
#define DD_FILE(label, prefix, file_name, location, record_size, create) \
  namespace label##_def {                                                \
  constexpr FieldDef kFields[] = {
#define DD_FIELD(name, type, offset, picture, form_label, rule)                               \
  FieldDef{name##_name.view(), DD_KIND_##type, offset, DD_WIDTH_##type, picture, form_label, \
           name##_rule.list.empty() ? nullptr : &name##_rule},
#define DD_END_FILE(label)                          \
  };                                                \
  static_assert(std::size(kFields) == kFieldCount); \
  }
#include "data/dictionary/files.def"

// Per file: the key table in registration order, closed by an empty entry so
// that a file without keys still has an array.
#define DD_FILE(label, prefix, file_name, location, record_size, create) \
  namespace label##_def {                                                \
  constexpr KeyDef kKeys[] = {
#define DD_KEY(name, description, flags, ...)                                                   \
  KeyDef{key_##name##_name.view(), DescriptionOr(description, key_##name##_name.view()),       \
         key_##name##_parts, ((flags) & kUnique) != 0, ((flags) & kNoCase) != 0,               \
         ((flags) & kPrimary) != 0, ((flags) & kAutoNumber) != 0},
#define DD_END_FILE(label) \
  KeyDef{}};               \
  }
#include "data/dictionary/files.def"

constexpr FileDef kFiles[] = {
#define DD_FILE(label, prefix, file_name, location, record_size, create)               \
  FileDef{#label, prefix, file_name, FileLocation::location, record_size, create,      \
          label##_def::kFields,                                                        \
          {label##_def::kKeys, std::size(label##_def::kKeys) - 1}, label##_number},
#include "data/dictionary/files.def"
};
static_assert(std::size(kFiles) == kFileCount);

}  // namespace

#define DD_FILE(label, prefix, file_name, location, record_size, create) \
  const FileDef& label##File() { return kFiles[label##_number]; }
#include "data/dictionary/files.def"

std::span<const FileDef> AllFiles() { return kFiles; }

const FileDef* FindFile(std::string_view label) {
  for (const FileDef& file : kFiles) {
    if (platform::SameNoCase(file.label, label)) return &file;
  }
  return nullptr;
}

}  // namespace vornel::data
