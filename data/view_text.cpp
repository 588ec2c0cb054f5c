#include "data/view_text.h"

#include "data/dictionary/field_access.h"
#include "platform/expression_scope.h"
#include "platform/text.h"

namespace vornel::data {
namespace {

bool Folds(const KeyDef& key, const FieldDef& field) {
  return key.no_case && field.type == FieldType::kText;
}

bool StartsNoCase(std::string_view text, std::string_view start) {
  return text.size() >= start.size() && platform::SameNoCase(text.substr(0, start.size()), start);
}

bool ElementMatches(const OrderElement& element, const FileDef& file, const KeyDef& key,
                    const KeyComponent& component) {
  const FieldDef& field = file.fields[component.field];
  if (!NamesField(element.name, field) || element.descending == component.ascending) return false;
  if (!Folds(key, field)) return element.function.empty();
  return platform::SameNoCase(element.function, "UPPER") ||
         platform::SameNoCase(element.function, "LOWER");
}

bool Serves(const FileDef& file, const KeyDef& key, const std::vector<OrderElement>& elements) {
  if (elements.size() > key.components.size() && !key.unique) return false;
  for (std::size_t i = 0; i < elements.size(); ++i) {
    if (i >= key.components.size()) {
      // Past a unique key nothing is left to order, but the text must still
      // name something.
      if (!platform::IsExpressionName(elements[i].name)) return false;
    } else if (!ElementMatches(elements[i], file, key, key.components[i])) {
      return false;
    }
  }
  return true;
}

}  // namespace

std::string ComponentName(const FileDef& file, const KeyDef& key, std::size_t component) {
  const FieldDef& field = file.fields[key.components[component].field];
  if (Folds(key, field)) return "UPPER(" + std::string(field.name) + ")";
  return std::string(field.name);
}

std::string KeyOrderExpression(const FileDef& file, const KeyDef& key, std::size_t first) {
  std::string order;
  for (std::size_t i = first; i < key.components.size(); ++i) {
    if (!order.empty()) order += ',';
    if (!key.components[i].ascending) order += '-';
    order += ComponentName(file, key, i);
  }
  return order;
}

std::string QuoteText(std::string_view text) {
  std::string quoted = "'";
  for (char c : text) {
    quoted += c;
    if (c == '\'') quoted += '\'';
  }
  return quoted + "'";
}

std::string FilterValue(std::string_view name, const FileDef& file, const FieldDef& field,
                        std::span<const char> record) {
  const std::string value = ReadText(file, field, record);
  if (field.type != FieldType::kText) return value;
  const std::string quoted = QuoteText(value);
  name = platform::Trim(name);
  for (std::string_view function : {"UPPER(", "LOWER("}) {
    if (StartsNoCase(name, function))
      return std::string(name.substr(0, function.size())) + quoted + ")";
  }
  return quoted;
}

std::vector<OrderElement> SplitOrder(std::string_view order) {
  std::vector<OrderElement> elements;
  if (platform::Trim(order).empty()) return elements;
  std::size_t start = 0;
  int depth = 0;
  for (std::size_t i = 0; i <= order.size(); ++i) {
    const char c = i < order.size() ? order[i] : ',';
    if (c == '(') ++depth;
    if (c == ')') --depth;
    if (c != ',' || (depth > 0 && i < order.size())) continue;
    std::string_view text = platform::Trim(order.substr(start, i - start));
    start = i + 1;
    OrderElement element;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
      element.descending = text.front() == '-';
      text = platform::Trim(text.substr(1));
    }
    const std::size_t open = text.find('(');
    if (open != std::string_view::npos && !text.empty() && text.back() == ')') {
      element.function = platform::Trim(text.substr(0, open));
      text = platform::Trim(text.substr(open + 1, text.size() - open - 2));
    }
    element.name = text;
    elements.push_back(element);
  }
  return elements;
}

bool NamesField(std::string_view name, const FieldDef& field) {
  if (platform::SameNoCase(name, field.name)) return true;
  const std::size_t colon = field.name.find(':');
  return name.find(':') == std::string_view::npos && colon != std::string_view::npos &&
         platform::SameNoCase(name, field.name.substr(colon + 1));
}

std::optional<const KeyDef*> KeyForOrder(const FileDef& file, std::string_view order,
                                         const KeyDef* preferred) {
  const std::vector<OrderElement> elements = SplitOrder(order);
  if (elements.empty()) return nullptr;
  if (preferred != nullptr && Serves(file, *preferred, elements)) return preferred;
  for (const KeyDef& key : file.keys) {
    if (Serves(file, key, elements)) return &key;
  }
  return std::nullopt;
}

}  // namespace vornel::data
