#include "ui/procedure_catalog.h"

#include "errors/message_table.h"

namespace vornel::ui {

void ProcedureCatalog::Register(std::string name, Procedure procedure, ProcedureKind kind) {
  procedures_[std::move(name)] = {std::move(procedure), kind};
}

std::map<std::string, ProcedureKind, std::less<>> ProcedureCatalog::Kinds() const {
  std::map<std::string, ProcedureKind, std::less<>> kinds;
  for (const auto& [name, entry] : procedures_) kinds.emplace(name, entry.kind);
  return kinds;
}

bool ProcedureCatalog::Known(std::string_view name) const { return procedures_.contains(name); }

const ProcedureCatalog::Procedure* ProcedureCatalog::Find(std::string_view name) {
  auto it = procedures_.find(name);
  if (it != procedures_.end()) return &it->second.procedure;
  errors_.RaiseWithText(errors::msg::kProcedureNotDefined, name);
  return nullptr;
}

bool ProcedureCatalog::Start(std::string_view name, std::size_t stack_bytes) {
  const Procedure* procedure = Find(name);
  return procedure != nullptr && threads_.Start(std::string(name), *procedure, stack_bytes);
}

bool ProcedureCatalog::Call(std::string_view name) {
  const Procedure* procedure = Find(name);
  if (procedure == nullptr) return false;
  (*procedure)();
  return true;
}

int ProcedureCatalog::CallWith(std::string_view name, int request) {
  const Procedure* procedure = Find(name);
  if (procedure == nullptr) return kCancelled;
  return CallProcedure(request, *procedure);
}

}  // namespace vornel::ui
