// Staff: the list, the form and the selection list of Employee.
#include "data/dictionary/dictionary.h"
#include "data/dictionary/records.h"
#include "data/file_registry.h"
#include "maintenance/families.h"
#include "ui/list_procedure.h"
#include "platform/text.h"
#include "ui/record_form.h"

namespace vornel::maintenance {

using ui::LocatorKind;

void RegisterStaff(const ui::Services& services) {
  ui::ListDeclaration list{.procedure = "BrowseEmployee",
                           .title = "Browse the Employee File",
                           .view = data::ViewDef(data::EmployeeFile()),
                           .orders = {{"by Staff Code", "EMP:STAFF_KEY"}, {"by Staff Last Name", "EMP:ST_NAME"}},
                           .columns = {{"Staff Code", "EMP:EMPCODE", "@s5"},
                                       {"Last Name", "EMP:LASTNAME", "@s30"},
                                       {"First Name", "EMP:FIRSTNAME", "@s15"},
                                       {"Title", "EMP:TITLE", "@s20"},
                                       {"Degrees", "EMP:DEGREES", "@s25"},
                                       {"Status", "EMP:STATUS", "@s1"},
                                       {"Type", "EMP:TYPE", "@s1"}},
                           .update_procedure = "UpdateEmployee"};
  ui::RegisterList(services, list);

  ui::RegisterForm(services, "UpdateEmployee", [](ui::ThreadState& thread) {
    auto& e = thread.files.Get(data::EmployeeFile()).record<data::EmployeeRecord>();
    ui::FormDeclaration form = ui::StandardForm(
        "UpdateEmployee", "Update the Employee File", data::EmployeeFile(),
        {platform::Entry("?EMP:LASTNAME", "Last Name:", "@s30", VORNEL_FIELD(e, LASTNAME)),
         platform::Entry("?EMP:FIRSTNAME", "First Name:", "@s15", VORNEL_FIELD(e, FIRSTNAME)),
         platform::Entry("?EMP:TITLE", "Title:", "@s20", VORNEL_FIELD(e, TITLE)),
         platform::Entry("?EMP:DEGREES", "Degrees:", "@s25", VORNEL_FIELD(e, DEGREES)),
         platform::Entry("?EMP:EMPCODE", "Staff Code:", "@s5", VORNEL_FIELD(e, EMPCODE)),
         platform::Radio("?EMP:STATUS", "Status", VORNEL_FIELD(e, STATUS), {{"Active", "A"}, {"Inactive", "I"}}),
         platform::Radio("?EMP:TYPE", "Type", VORNEL_FIELD(e, TYPE), {{"Primary", "P"}, {"Intake", "I"}, {"Other", "O"}})});
    form.ditto_fields = {"?EMP:LASTNAME", "?EMP:FIRSTNAME", "?EMP:TITLE", "?EMP:DEGREES",
                         "?EMP:EMPCODE",  "?EMP:STATUS",    "?EMP:TYPE"};
    form.prime = [&e] {
      platform::AssignPadded(e.STATUS, "A");
      platform::AssignPadded(e.TYPE, "P");
    };
    return form;
  });

  ui::RegisterList(services, {.procedure = "LOV_STAFF",
                              .title = "Staff Selection Listing",
                              .view = data::ViewDef(data::EmployeeFile()),
                              .orders = {{"Staff Selections", "EMP:STAFF_KEY", LocatorKind::kEntry, "@s5"}},
                              .columns = {{"Code", "EMP:EMPCODE", "@s5"},
                                          {"Last Name", "EMP:LASTNAME", "@s30"},
                                          {"First Name", "EMP:FIRSTNAME", "@s15"}},
                              .selection = true,
                              .close_text = "&Close"});
}

}  // namespace vornel::maintenance
