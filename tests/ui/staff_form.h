#pragma once
// The small staff form over Employee that the window-manager and list tests
// run: last name, staff code, status and type, OK and Cancel.
#include "data/dictionary/dictionary.h"
#include "data/dictionary/records.h"
#include "ui/record_form.h"

namespace vornel::ui::test {

inline FormDeclaration StaffForm(data::EmployeeRecord& e) {
  FormDeclaration form;
  form.procedure = "UpdateEmployee";
  form.description = "Employee";
  form.primary = &data::EmployeeFile();
  form.window.procedure = "UpdateEmployee";
  form.window.title = "Update the Employee File";
  form.window.controls = {
      platform::Entry("?EMP:LASTNAME", "Last Name:", "@s30", VORNEL_FIELD(e, LASTNAME)),
      platform::Entry("?EMP:EMPCODE", "Staff Code:", "@s5", VORNEL_FIELD(e, EMPCODE)),
      platform::DropChoice("?EMP:STATUS", "Status:", VORNEL_FIELD(e, STATUS), {{"Active", "A"}, {"Inactive", "I"}}),
      platform::DropChoice("?EMP:TYPE", "Type:", VORNEL_FIELD(e, TYPE),
                           {{"Primary", "P"}, {"Intake", "I"}, {"Other", "O"}}),
      platform::Button("?OK", "OK"),
      platform::Button("?Cancel", "Cancel"),
  };
  form.ditto_fields = {"?EMP:LASTNAME"};
  return form;
}

}  // namespace vornel::ui::test
