#include "platform/expression_scope.h"

#include "platform/text.h"

namespace vornel::platform {
namespace {

bool IsNameStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool IsNameChar(char c) { return IsNameStart(c) || (c >= '0' && c <= '9') || c == ':'; }

Binding DataBinding(Binding::Type type, const void* address, std::size_t width = 0) {
  Binding binding;
  binding.type = type;
  binding.address = address;
  binding.width = width;
  return binding;
}

}  // namespace

bool Binding::IsUsable() const {
  switch (type) {
    case Type::kFunction:
      return static_cast<bool>(function);
    case Type::kFixedText:
      return address != nullptr || width == 0;
    default:
      return address != nullptr;
  }
}

bool IsExpressionName(std::string_view name) {
  if (name.empty() || !IsNameStart(name.front())) return false;
  for (char c : name) {
    if (!IsNameChar(c)) return false;
  }
  return !EqualNoCase(name, "AND") && !EqualNoCase(name, "OR") && !EqualNoCase(name, "NOT");
}

bool VariableTable::Bind(std::string_view name, Binding binding) {
  if (!IsExpressionName(name) || !binding.IsUsable()) return false;
  bindings_.insert_or_assign(Upper(name), std::move(binding));
  return true;
}

bool VariableTable::Unbind(std::string_view name) { return bindings_.erase(Upper(name)) > 0; }

bool VariableTable::BindUInt8(std::string_view name, const std::uint8_t* variable) {
  return Bind(name, DataBinding(Binding::Type::kUInt8, variable));
}

bool VariableTable::BindInt16(std::string_view name, const std::int16_t* variable) {
  return Bind(name, DataBinding(Binding::Type::kInt16, variable));
}

bool VariableTable::BindInt32(std::string_view name, const std::int32_t* variable) {
  return Bind(name, DataBinding(Binding::Type::kInt32, variable));
}

bool VariableTable::BindDouble(std::string_view name, const double* variable) {
  return Bind(name, DataBinding(Binding::Type::kDouble, variable));
}

bool VariableTable::BindText(std::string_view name, const char* field, std::size_t width) {
  return Bind(name, DataBinding(Binding::Type::kFixedText, field, width));
}

bool VariableTable::BindText(std::string_view name, std::span<const char> field) {
  return BindText(name, field.data(), field.size());
}

bool VariableTable::BindString(std::string_view name, const std::string* variable) {
  return Bind(name, DataBinding(Binding::Type::kString, variable));
}

bool VariableTable::BindFunction(std::string_view name, std::function<ExprValue()> function) {
  Binding binding;
  binding.type = Binding::Type::kFunction;
  binding.function = std::move(function);
  return Bind(name, std::move(binding));
}

std::optional<Binding> VariableTable::Find(std::string_view name) const {
  auto it = bindings_.find(Upper(name));
  if (it == bindings_.end()) return std::nullopt;
  return it->second;
}

ScopeChain::ScopeChain(std::initializer_list<const NameScope*> scopes) {
  for (const NameScope* scope : scopes) Add(scope);
}

void ScopeChain::Add(const NameScope* scope) {
  if (scope != nullptr) scopes_.push_back(scope);
}

std::optional<Binding> ScopeChain::Find(std::string_view name) const {
  for (const NameScope* scope : scopes_) {
    if (std::optional<Binding> binding = scope->Find(name)) return binding;
  }
  return std::nullopt;
}

}  // namespace vornel::platform
