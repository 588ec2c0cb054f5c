#pragma once
// Names that filter expressions may use, and what each is bound to.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/expression_value.h"

namespace vornel::platform {

// What a name is bound to. The bound storage is read each time the expression
// is evaluated, so it must outlive every expression compiled against it.
struct Binding {
  enum class Type { kUInt8, kInt16, kInt32, kDouble, kFixedText, kString, kFunction };
  Type type = Type::kDouble;
  // kUInt8..kDouble: the variable (read with memcpy, so a field of a packed
  // record may be unaligned); kFixedText: a fixed-width, space-padded field of
  // `width` bytes; kString: a std::string.
  const void* address = nullptr;
  std::size_t width = 0;
  std::function<ExprValue()> function;  // kFunction: called at every evaluation

  // Whether the binding can be read without touching a null address.
  bool IsUsable() const;
};

// Resolves names for the expression compiler, without regard to case.
class NameScope {
 public:
  virtual ~NameScope() = default;
  virtual std::optional<Binding> Find(std::string_view name) const = 0;
};

// Whether `name` is spelled as the language's names are: a letter or '_'
// first, then letters, digits, '_' and ':'; AND, OR and NOT are keywords.
bool IsExpressionName(std::string_view name);

// A scope of program variables bound by name.
class VariableTable : public NameScope {
 public:
  // Binds or rebinds a name. Refuses (false) a name the language cannot
  // spell and a binding that is not usable (null address, empty function).
  bool Bind(std::string_view name, Binding binding);
  // Removes a name; false when it was not bound. Expressions already
  // compiled keep what they were compiled with.
  bool Unbind(std::string_view name);

  bool BindUInt8(std::string_view name, const std::uint8_t* variable);
  bool BindInt16(std::string_view name, const std::int16_t* variable);
  bool BindInt32(std::string_view name, const std::int32_t* variable);
  bool BindDouble(std::string_view name, const double* variable);
  bool BindText(std::string_view name, const char* field, std::size_t width);
  bool BindText(std::string_view name, std::span<const char> field);
  bool BindString(std::string_view name, const std::string* variable);
  bool BindFunction(std::string_view name, std::function<ExprValue()> function);

  std::optional<Binding> Find(std::string_view name) const override;

 private:
  std::unordered_map<std::string, Binding> bindings_;  // keyed by the upper-cased name
};

// Several scopes searched in the order they were added; the first scope that
// knows a name wins (for example a procedure's variables before the
// program-wide ones).
class ScopeChain : public NameScope {
 public:
  ScopeChain() = default;
  ScopeChain(std::initializer_list<const NameScope*> scopes);
  // Adds a scope (not owned; it must outlive the chain). Null is ignored.
  void Add(const NameScope* scope);

  std::optional<Binding> Find(std::string_view name) const override;

 private:
  std::vector<const NameScope*> scopes_;
};

}  // namespace vornel::platform
