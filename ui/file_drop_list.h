#pragma once
// A file drop list: a drop combo (ControlKind::kDropCombo) whose rows are the
// whole of a view, read at once and kept sorted by their first column.
// Choosing a row copies fields of its record into the form's fields; a typed
// value is completed from the rows (the first row that begins with it), and a
// value that is in no row may be added to the file on the spot, through a
// form or after the question "Add New Record?". The appointment book's staff
// filter and the report parameter windows use it.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "data/view_manager.h"
#include "platform/window/value_ref.h"
#include "ui/procedure_thread.h"
#include "ui/window_component.h"
#include "ui/window_manager.h"

namespace vornel::ui {

struct DropColumn {
  std::string field;    // "EMP:EMPCODE", of any file of the view
  std::string picture;  // "@s5"
};

// A field of the chosen record and the form variable it is copied into.
struct DropAssignment {
  std::string field;
  platform::ValueRef to;
};

struct FileDropDeclaration {
  std::string control;  // the drop combo ("?StaffFilter")
  data::ViewDef view;
  std::string key;                  // the order the view is read in; "" = record order
  std::string filter;               // a filter expression; "" = every record
  std::vector<DropColumn> columns;  // the first is the value the entry shows and completes
  std::vector<DropAssignment> update;
  bool default_fill = true;          // no row holds the form's value: the first row is chosen
  bool remove_duplicates = false;    // a value already in the rows is not added again
  bool case_sensitive = false;       // otherwise values are compared in upper case
  bool auto_add = false;             // a typed value in no row may be added to the file
  bool confirm_auto_add = true;      // asked first: "Add New Record?"
  std::string ask_procedure;         // the form that adds such a record ("" = none)
};

class FileDropList : public data::ViewManager, public WindowComponent {
 public:
  // `call` runs a procedure with a request on the window's thread.
  FileDropList(WindowManager& window, ThreadState& thread, errors::ErrorManager& errors,
               FileDropDeclaration declaration, std::function<int(std::string_view procedure, int request)> call = {});
  ~FileDropList() override;

  // Reads the rows again (always when `force`, else only once) and chooses
  // the row of the form's value; answers that row (from 1), 0 = none.
  int RefillList(bool force);
  // The first row whose first column begins with `typed` (compared in upper
  // case unless case-sensitive); 0 = none.
  int RowBeginningWith(std::string_view typed) const;
  // Copies the row's record into the form's fields (cleared when the record
  // has gone) and shows the row as chosen.
  void Choose(int row);
  // Adds a record for `value`: 0 added, 5 not.
  int AddRecord(std::string_view value);

  const std::vector<std::vector<std::string>>& rows() const { return shown_; }
  int chosen() const { return chosen_; }

  // WindowComponent.
  int OnEvent(const platform::Event& event) override;
  void Reset() override;
  void Shutdown() override;

 private:
  struct Row {
    std::string value;     // the first column, as compared
    std::string position;  // the record's place in the primary file
  };
  std::string Compared(std::string_view text) const;
  int RowOfValue() const;  // the row holding the form's value; 0 = none
  const data::FieldDef* Field(std::string_view name, const data::FileDef** file) const;
  void ClearUpdateFields();
  int Accept(std::string_view text);

  WindowManager& window_;
  ThreadState& thread_;
  errors::ErrorManager& errors_;
  FileDropDeclaration declaration_;
  std::function<int(std::string_view, int)> call_;
  int control_ = 0;
  std::vector<Row> rows_;
  std::vector<std::vector<std::string>> shown_;
  int chosen_ = 0;
  bool loaded_ = false;
  bool inited_ = false;
};

}  // namespace vornel::ui
