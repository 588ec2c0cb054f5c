#pragma once
// The texts of a view: the order expression of a key, the values written
// into filter texts, and which key (if any) reads in the order a text gives.
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "data/dictionary/file_def.h"

namespace vornel::data {

// A component as order expressions and range limits name it: the field's
// name, or "UPPER(" name ")" for a text component of a key without case.
std::string ComponentName(const FileDef& file, const KeyDef& key, std::size_t component);

// The key's order expression from component `first` on: the component names
// joined by ",", a descending one preceded by "-".
std::string KeyOrderExpression(const FileDef& file, const KeyDef& key, std::size_t first = 0);

// A text between single quotes with every quote inside doubled.
std::string QuoteText(std::string_view text);

// A field's value as a filter text writes it beside the element `name`: a
// number as its number, a text quoted, and wrapped as UPPER( ) or LOWER( )
// when `name` is written that way.
std::string FilterValue(std::string_view name, const FileDef& file, const FieldDef& field,
                        std::span<const char> record);

// One element of an order expression: "-UPPER(LOG:EMPL_CODE)" is the name
// LOG:EMPL_CODE inside UPPER, descending.
struct OrderElement {
  std::string_view name;
  std::string_view function;  // "UPPER", "LOWER" or "" as written
  bool descending = false;
};
std::vector<OrderElement> SplitOrder(std::string_view order);

// Whether an element's name names the field: its full name or the name
// without the prefix, without regard to case.
bool NamesField(std::string_view name, const FieldDef& field);

// The key of `file` that reads in the order the text gives: its components
// match the elements one by one (field, direction, and UPPER/LOWER exactly
// for the text components of keys without case); the key may go on past the
// text, and a unique key may stop before it. `preferred` is tried first.
// nullptr for an empty text (record order); nullopt when no key serves.
std::optional<const KeyDef*> KeyForOrder(const FileDef& file, std::string_view order,
                                         const KeyDef* preferred);

}  // namespace vornel::data
