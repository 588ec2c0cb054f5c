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

BrowseManager& OpenFormList(RecordForm& form, const FormListDeclaration& list) {
  ThreadState& thread = form.thread();
  auto browse = std::make_unique<BrowseManager>(form, thread);
  browse->Init(form.ControlNumberOf(list.name), list.view, thread.files.Relations(list.view.primary()));
  browse->AddSortOrder(list.view.primary().FindKey(list.key));
  browse->AddRange(thread.files.Relations(list.parent ? *list.parent : *form.primary_file()));
  for (const ListColumn& column : list.columns) {
    if (const data::FieldDef* field = ViewField(list.view, column.field)) browse->AddField(*field, column.picture);
  }
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
