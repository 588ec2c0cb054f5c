#include "reports/report_procedure.h"

#include "data/dictionary/field_access.h"
#include "data/file_manager.h"
#include "data/file_registry.h"
#include "data/relation_manager.h"
#include "errors/error_manager.h"
#include "ui/field_text.h"
#include "ui/list_procedure.h"
#include "ui/program_values.h"
#include "ui/system_warning.h"

namespace vornel::reports {
namespace {

// The process of a declared report: its per-record rule is the declaration's.
class DeclaredProcess : public ProcessManager {
 public:
  using ProcessManager::ProcessManager;
  std::function<int()> rule;
  int OnRecord() override { return rule ? rule() : 0; }
};

// The file of the view that holds the field.
const data::FileDef* OwnerOf(const data::ViewDef& view, const data::FieldDef& field) {
  const auto holds = [&field](const data::FileDef& file) {
    return &field >= file.fields.data() && &field < file.fields.data() + file.fields.size();
  };
  if (holds(view.primary())) return &view.primary();
  for (const data::ViewJoin& join : view.joins()) {
    if (holds(*join.file)) return join.file;
  }
  return nullptr;
}

}  // namespace

// The layout reads the fields of the view from this thread's record buffers.
FieldSource ViewFields(const data::ViewDef& view, data::FileRegistry& files) {
  const auto locate = [&view, &files](const std::string& name) -> std::pair<data::FileManager*, const data::FieldDef*> {
    const data::FieldDef* field = ui::ViewField(view, name);
    const data::FileDef* owner = field != nullptr ? OwnerOf(view, *field) : nullptr;
    if (owner == nullptr) return {nullptr, nullptr};
    return {&files.Get(*owner), field};
  };
  FieldSource source;
  source.text = [locate](const std::string& name, const std::string& picture) -> std::function<std::string()> {
    const auto [file, field] = locate(name);
    if (file == nullptr) return {};
    return [file, field, picture] { return ui::FieldText(file->def(), *field, file->buffer(), picture); };
  };
  source.number = [locate](const std::string& name) -> std::function<double()> {
    const auto [file, field] = locate(name);
    if (file == nullptr || field->type == data::FieldType::kText) return {};
    return [file, field] { return data::ReadNumber(file->def(), *field, file->buffer()); };
  };
  return source;
}

int RunReport(const ui::Services& services, const ReportDeclaration& declaration) {
  errors::ProcedureName pushed(services.errors, declaration.procedure);
  ui::ThreadState& thread = *ui::CurrentThread();
  thread.global_request = 0;
  thread.global_response = 0;
  const auto answer = [&thread](int response) {
    thread.global_response = response;
    return response;
  };
  for (const std::string& window : declaration.parameters) {
    services.procedures.Call(window);
    if (services.values.cancelled != 0) return answer(ui::kCancelled);
  }

  platform::VariableTable variables;
  ui::BindProgramValues(services.values, variables);
  if (declaration.variables) declaration.variables(variables);
  const data::FileDef& primary_file = declaration.view.primary();
  const data::KeyDef* key = declaration.key.empty() ? nullptr : primary_file.FindKey(declaration.key);
  const data::FieldDef* step_field =
      !declaration.step_field.empty() ? primary_file.FindField(declaration.step_field)
      : key != nullptr                ? &primary_file.fields[key->components[0].field]
                                      : nullptr;
  if ((!declaration.key.empty() && key == nullptr) || (!declaration.step_field.empty() && step_field == nullptr)) {
    ui::Warn(services, "The report " + declaration.procedure + " names a key or field its file does not have.");
    return answer(ui::kCancelled);
  }

  DeclaredProcess process(thread.files);
  ReportManager manager(services, declaration.procedure, process,
                        declaration.layout ? &*declaration.layout : nullptr, ViewFields(declaration.view, thread.files));
  manager.title = declaration.title;
  manager.ZOOM = declaration.zoom;
  data::RelationManager& primary = thread.files.Relations(primary_file);
  const data::ViewResult opened =
      step_field != nullptr
          ? process.InitWithStepManager(declaration.view, primary, manager.ProgressDisplay(), *step_field,
                                        ProcessManager::StepFor(*step_field), manager.percentile(), &variables)
          : process.Init(declaration.view, primary, manager.ProgressDisplay(), 0, manager.percentile(), &variables);
  if (!opened.ok()) {
    ui::Warn(services, opened.problem);
    return answer(ui::kCancelled);
  }
  process.AddSortOrder(key);
  if (!declaration.range.field.empty()) {
    const data::FieldDef* field = primary_file.FindField(declaration.range.field);
    const auto low = variables.Find(declaration.range.low);
    const auto high = declaration.range.high.empty() ? std::nullopt : variables.Find(declaration.range.high);
    const data::ViewResult ranged = field == nullptr || !low                ? data::ViewResult{"no such range"}
                                    : declaration.range.high.empty()        ? process.AddRange(*field, *low)
                                    : high                                  ? process.AddRange(*field, *low, *high)
                                                                            : data::ViewResult{"no such range"};
    if (!ranged.ok()) {
      ui::Warn(services, "The report " + declaration.procedure + " cannot hold its records to " +
                             declaration.range.field + ": " + ranged.problem);
      return answer(ui::kCancelled);
    }
  }
  if (!declaration.filter.empty()) process.SetFilter(declaration.filter);

  ReportRun run{services, process, manager};
  process.rule = [&declaration, &run] {
    if (declaration.on_record) return declaration.on_record(run);
    if (run.writer() != nullptr) run.writer()->Record();
    return 0;
  };
  if (declaration.on_open) manager.after_open = [&declaration, &run] { declaration.on_open(run); };
  if (declaration.on_closing) manager.before_closing = [&declaration, &run] { declaration.on_closing(run); };
  if (declaration.on_end) manager.after_run = [&declaration, &run](bool completed) { declaration.on_end(run, completed); };
  manager.SetUserString(declaration.user_string);
  const int response = manager.Run();
  process.Shutdown();
  return answer(response);
}

void RegisterReport(const ui::Services& services, std::string name, std::function<ReportDeclaration()> declare) {
  services.procedures.Register(std::move(name), [&services, declare = std::move(declare)] {
    RunReport(services, declare());
  });
}

}  // namespace vornel::reports
