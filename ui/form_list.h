#pragma once
// A list on a tab of a form showing the records that belong to the form's
// record (a payer's charge lines, a group's members), with its own Insert,
// Change and Delete buttons calling its own form, or only shown.
#include <string>
#include <vector>

#include "data/view_def.h"
#include "ui/browse_manager.h"
#include "ui/list_column.h"
#include "ui/record_form.h"

namespace vornel::ui {

struct FormListDeclaration {
  std::string name;  // "?Lines": the list; its buttons are "?LinesInsert", "?LinesChange", "?LinesDelete"
  std::string tab;   // the tab it lies on
  data::ViewDef view;
  std::string key;  // the order; its leading components are held to the form's record
  std::vector<ListColumn> columns;
  std::string update_procedure;  // "" = a list only shown, without buttons
  // The record the list belongs to, when it is not the form's own (the
  // comments of the visit's client); its buffer holds that record.
  const data::FileDef* parent = nullptr;
  // Shown at this many rows below the form's fields; 0: the list grows with
  // the window.
  int rows = 0;
  std::string change_text = "&Change";  // the change button's text
};

// The list's controls, for the form's declaration.
std::vector<platform::ControlSpec> FormListControls(const FormListDeclaration& list);
// Sets the list up on the open form (from FormDeclaration::on_open); the
// form owns it.
BrowseManager& OpenFormList(RecordForm& form, const FormListDeclaration& list);
// Sets a list up on an open window, held to the record of `parent` in its
// buffer (a list window's highlighted record), without buttons; the
// window owns it and refills it whenever that record changes.
BrowseManager& OpenRecordList(WindowManager& window, ThreadState& thread, const data::FileDef& parent,
                              const FormListDeclaration& list);

}  // namespace vornel::ui
