// Agency settings: the list and the form of the one Setups record. The record
// is made once at installation and kept by start-up, so the form only
// changes and shows it: an insert or a delete request is refused.
#include <algorithm>

#include "data/dictionary/dictionary.h"
#include "data/dictionary/records.h"
#include "data/file_registry.h"
#include "errors/message_table.h"
#include "maintenance/families.h"
#include "ui/list_procedure.h"
#include "ui/record_form.h"

namespace vornel::maintenance {
namespace {

using platform::Entry;
using platform::Tab;

constexpr const char* kGeneralTab = "General Facility Constants";
constexpr const char* kFormTab = "UB-92 Form Constants";

}  // namespace

void RegisterSetups(const ui::Services& services) {
  ui::RegisterList(services, {.procedure = "BrowseSetups",
                              .title = "Browse the Setups File",
                              .view = data::ViewDef(data::SetupsFile()),
                              .orders = {{"Record Order", "", ui::LocatorKind::kNone}},
                              .columns = {{"NAME", "SET:NAME", "@s30"},
                                          {"DRIVE", "SET:DRIVE", "@s1"},
                                          {"ADDRESS1", "SET:ADDRESS1", "@s30"},
                                          {"ADDRESS2", "SET:ADDRESS2", "@s30"},
                                          {"CITYETC", "SET:CITYETC", "@s24"},
                                          {"ZIP", "SET:ZIP", "@s5"},
                                          {"PROJ_TITLE", "SET:PROJ_TITLE", "@s30"},
                                          {"FACILITY", "SET:FACILITY", "@s7"},
                                          {"ACTIVITY1", "SET:ACTIVITY1", "@s20"}},
                              .update_procedure = "UpdateSetups"});

  ui::RegisterForm(services, "UpdateSetups", [](ui::ThreadState& thread) {
    auto& s = thread.files.Get(data::SetupsFile()).record<data::SetupsRecord>();
    std::vector<platform::ControlSpec> controls = {Tab("?Tab1", kGeneralTab), Tab("?Tab2", kFormTab)};
    auto add = [&controls](const char* tab, std::vector<platform::ControlSpec> page) {
      for (platform::ControlSpec& c : platform::OnTab(tab, std::move(page))) controls.push_back(std::move(c));
    };
    add(kGeneralTab, {Entry("?SET:COMPANY", "COMPANY NAME:", "@s30", VORNEL_FIELD(s, COMPANY)),
                      Entry("?SET:FACILITY", "FACILITY NUMBER", "@s7", VORNEL_FIELD(s, FACILITY)),
                      Entry("?SET:DRIVE", "Installed Drive::", "@s1", VORNEL_FIELD(s, DRIVE)),
                      Entry("?SET:DEVICE", "OUTPUT DEVICE:", "@s25", VORNEL_FIELD(s, DEVICE)),
                      Entry("?SET:ADDRESS1", "ADDRESS1:", "@s30", VORNEL_FIELD(s, ADDRESS1)),
                      Entry("?SET:ADDRESS2", "ADDRESS2:", "@s30", VORNEL_FIELD(s, ADDRESS2)),
                      Entry("?SET:CITYETC", "CITY/STATE:", "@s24", VORNEL_FIELD(s, CITYETC)),
                      platform::Beside(Entry("?SET:ZIP", "", "@s5", VORNEL_FIELD(s, ZIP))),
                      Entry("?SET:PROJ_TITLE", "PROJ_TITLE:", "@s30", VORNEL_FIELD(s, PROJ_TITLE)),
                      Entry("?SET:WRTOFFLIM", "CLIENT DEBT WRITE-OFF LIMIT:", "@n10.2", VORNEL_FIELD(s, WRTOFFLIM)),
                      Entry("?SET:PW", "PW:", "@s5", VORNEL_FIELD(s, PW)),
                      Entry("?SET:COLLECTOR", "A/R SPECIALIST:", "@s25", VORNEL_FIELD(s, COLLECTOR)),
                      Entry("?SET:NAME", "DEPT NAME:", "@s30", VORNEL_FIELD(s, NAME)),
                      Entry("?SET:MA_PER_PAGE", "Patch Level:", "@n3", VORNEL_FIELD(s, MA_PER_PAGE))});
    add(kFormTab, {Entry("?SET:BC_SGNAME", "BILLING NAME", "@s25", VORNEL_FIELD(s, BC_SGNAME)),
                   Entry("?SET:BC_SGADDR1", "ADDR L1:", "@s15", VORNEL_FIELD(s, BC_SGADDR1)),
                   Entry("?SET:BC_SGADDR2", "ADDR L2:", "@s15", VORNEL_FIELD(s, BC_SGADDR2)),
                   Entry("?SET:BC_PER_PAGE", "BC LINES PER_PAGE:", "@n3", VORNEL_FIELD(s, BC_PER_PAGE)),
                   Entry("?SET:BCOPT", "FORMAT OF BILLING AMOUNT:", "@n3", VORNEL_FIELD(s, BCOPT)),
                   platform::Shown("?BCOPT:Total", "( 0 = TOTAL FEE BILLED )"),
                   platform::Shown("?BCOPT:Distributed", "( 1 = DISTRIBUTED AMOUNT BILLED )")});
    ui::FormDeclaration form =
        ui::StandardForm("UpdateSetups", "Update the Setups File", data::SetupsFile(), std::move(controls));
    // The two pages above take the place of the usual "General" page.
    std::erase_if(form.window.controls, [](const platform::ControlSpec& c) { return c.name == "?General"; });
    form.refuse_insert = errors::msg::kNoInsertForm;
    form.refuse_delete = errors::msg::kNoDeleteForm;
    return form;
  });
}

}  // namespace vornel::maintenance
