#include "ui/form_list.h"

#include "data/file_registry.h"
#include "data/relation_manager.h"

namespace vornel::ui {

std::vector<platform::ControlSpec> FormListControls(const FormListDeclaration& list) {
  platform::ControlSpec control;
  control.name = list.name;
  control.kind = platform::ControlKind::kList;
  for (const ListColumn& column : list.columns) control.columns.push_back(column.header);
  if (list.rows > 1) control.lines = list.rows;
  if (list.update_procedure.empty()) return platform::OnTab(list.tab, {control});
  return platform::OnTab(list.tab, {control, platform::Button(list.name + "Insert", "&Insert"),
                                    platform::Button(list.name + "Change", list.change_text),
                                    platform::Button(list.name + "Delete", "&Delete")});
}

namespace {

std::unique_ptr<BrowseManager> MakeList(WindowManager& window, ThreadState& thread, int control,
                                        const data::FileDef& parent, const FormListDeclaration& list) {
  auto browse = std::make_unique<BrowseManager>(window, thread);
  browse->Init(control, list.view, thread.files.Relations(list.view.primary()));
  browse->AddSortOrder(list.view.primary().FindKey(list.key));
  browse->AddRange(thread.files.Relations(parent));
  for (const ListColumn& column : list.columns) {
    if (const data::FieldDef* field = ViewField(list.view, column.field)) browse->AddField(*field, column.picture);
  }
  return browse;
}

}  // namespace

BrowseManager& OpenRecordList(WindowManager& window, ThreadState& thread, const data::FileDef& parent,
                              const FormListDeclaration& list) {
  auto browse = MakeList(window, thread, window.window()->Control(list.name), parent, list);
  BrowseManager& owned = *browse;
  window.Own(std::move(browse));
  return owned;
}

BrowseManager& OpenFormList(RecordForm& form, const FormListDeclaration& list) {
  ThreadState& thread = form.thread();
  auto browse = MakeList(form, thread, form.ControlNumberOf(list.name), list.parent ? *list.parent : *form.primary_file(), list);
  if (form.request() != kView && !list.update_procedure.empty()) {
    browse->INSERTCONTROL = form.ControlNumberOf(list.name + "Insert");
    browse->CHANGECONTROL = form.ControlNumberOf(list.name + "Change");
    browse->DELETECONTROL = form.ControlNumberOf(list.name + "Delete");
  }
  const std::string update = list.update_procedure;
  browse->update_form = [&form, update](int request) {
    return form.call_procedure ? form.call_procedure(update, request) : kCancelled;
  };
  BrowseManager& owned = *browse;
  form.Own(std::move(browse));
  return owned;
}

}  // namespace vornel::ui
