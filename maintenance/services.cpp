// Services: the list, the form and the selection list of Services.
#include "data/dictionary/dictionary.h"
#include "data/dictionary/records.h"
#include "data/file_registry.h"
#include "maintenance/families.h"
#include "platform/text.h"
#include "ui/list_procedure.h"
#include "ui/record_form.h"

namespace vornel::maintenance {

using ui::LocatorKind;

void RegisterServices(const ui::Services& services) {
  ui::RegisterList(services, {.procedure = "BrowseServices",
                              .title = "Browse the Services File",
                              .view = data::ViewDef(data::ServicesFile()),
                              .orders = {{"by Service Code", "SER:SERV_CODE"}},
                              .columns = {{"Code", "SER:SERVICE", "@s4"},
                                          {"Description", "SER:DESC", "@s25"},
                                          {"Rate", "SER:RATE", "@n10.2"},
                                          {"Min/Unit", "SER:UNITMINS", "@n-7"},
                                          {"SCA Max", "SER:SCA_MAX", "@n10.2"},
                                          {"Group Flag", "SER:GROUPFLAG", "@s1"},
                                          {"Outreach", "SER:OUTREACH", "@s1"},
                                          {"Prot Flag", "SER:PROT_FLG", "@s1"},
                                          {"Proc Name", "SER:PROC_NAME", "@s5"}},
                              .update_procedure = "UpdateServices"});

  ui::RegisterForm(services, "UpdateServices", [](ui::ThreadState& thread) {
    auto& s = thread.files.Get(data::ServicesFile()).record<data::ServicesRecord>();
    const std::vector<platform::Choice> yes_no = {{"Yes", "Y"}, {"No", "N"}};
    ui::FormDeclaration form = ui::StandardForm(
        "UpdateServices", "Update the Services File", data::ServicesFile(),
        {platform::Entry("?SER:SERVICE", "Code:", "@s4", VORNEL_FIELD(s, SERVICE)),
         platform::Entry("?SER:DESC", "Description:", "@s80", VORNEL_FIELD(s, DESC)),
         platform::Entry("?SER:RATE", "Rate:", "@n10.2", VORNEL_FIELD(s, RATE)),
         platform::Entry("?SER:UNITMINS", "Minutes per Unit:", "@n-7", VORNEL_FIELD(s, UNITMINS)),
         platform::Entry("?SER:SCA_MAX", "SCA MAX:", "@n10.2", VORNEL_FIELD(s, SCA_MAX)),
         platform::Entry("?SER:PROC_NAME", "MA Procedure Name:", "@s5", VORNEL_FIELD(s, PROC_NAME)),
         platform::Entry("?SER:MODIFIER1", "MA Modifier 1:", "@s3", VORNEL_FIELD(s, MODIFIER1)),
         platform::Radio("?SER:GROUPFLAG", "Group ?", VORNEL_FIELD(s, GROUPFLAG), yes_no),
         platform::Radio("?SER:OUTREACH", "Outreach?", VORNEL_FIELD(s, OUTREACH), yes_no)});
    // A new service is neither a group service nor outreach until said so.
    form.prime = [&s] {
      platform::AssignPadded(s.GROUPFLAG, "N");
      platform::AssignPadded(s.OUTREACH, "N");
    };
    return form;
  });

  ui::RegisterList(services, {.procedure = "LOV_Services",
                              .title = "Services Selection Form",
                              .view = data::ViewDef(data::ServicesFile()),
                              .orders = {{"Services Listing", "SER:SERV_CODE", LocatorKind::kEntry, "@s4"}},
                              .columns = {{"Code", "SER:SERVICE", "@s4"},
                                          {"Service Description", "SER:DESC", "@s25"},
                                          {"Group", "SER:GROUPFLAG", "@s1"},
                                          {"Rate", "SER:RATE", "@n10.2"},
                                          {"Units Per Minute", "SER:UNITMINS", "@n_7"}},
                              .selection = true,
                              .close_text = "&Close"});
}

}  // namespace vornel::maintenance
