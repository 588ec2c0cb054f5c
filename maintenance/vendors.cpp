// Payers (vendors): the list, the form with the payer's charge lines, and
// the selection list of Vendor.
#include "data/dictionary/dictionary.h"
#include "data/dictionary/records.h"
#include "data/file_registry.h"
#include "errors/message_table.h"
#include "maintenance/families.h"
#include "ui/form_list.h"
#include "ui/list_procedure.h"
#include "ui/record_form.h"

namespace vornel::maintenance {
namespace {

using platform::Tab;

// The payer's charge lines, on the form's "Lineitem" tab.
ui::FormListDeclaration PayerLines() {
  return {.name = "?Lines",
          .tab = "Lineitem",
          .view = data::ViewDef(data::LineitemFile()),
          .key = "LIN:VEN_KEY",
          .columns = {{"Visit No", "LIN:LOG_NO", "@n_9"},
                      {"Vendor", "LIN:VEN_CODE", "@s3"},
                      {"Client Code", "LIN:CLCODE", "@n_7"},
                      {"Date Paid", "LIN:DATE_PAID", "@d2"},
                      {"Amount", "LIN:AMOUNT", "@n10.2"},
                      {"Amount Due", "LIN:AMOUNT_DUE", "@n10.2"},
                      {"Status", "LIN:STATUS", "@s1"},
                      {"Service Date", "LIN:SERV_DATE", "@d2"}},
          .update_procedure = "UpdateLineitem"};
}

}  // namespace

void RegisterVendors(const ui::Services& services) {
  ui::RegisterList(services, {.procedure = "BrowseVendor",
                              .title = "Browse the Vendor File",
                              .view = data::ViewDef(data::VendorFile()),
                              .orders = {{"Vendor List", "VEN:VEN_KEY"}},
                              .columns = {{"Code", "VEN:VEN_CODE", "@s3"},
                                          {"Vendor Name", "VEN:NAME", "@s25"},
                                          {"Contact", "VEN:CONTACT", "@s17"},
                                          {"Phone", "VEN:PHONE", "@P(###)###-####P"},
                                          {"City", "VEN:CITY", "@s15"},
                                          {"ST", "VEN:STATE", "@s2"}},
                              .update_procedure = "UpdateVendor"});

  ui::RegisterForm(services, "UpdateVendor", [](ui::ThreadState& thread) {
    auto& v = thread.files.Get(data::VendorFile()).record<data::VendorRecord>();
    const ui::FormListDeclaration lines = PayerLines();
    std::vector<platform::ControlSpec> controls = {
        platform::Entry("?VEN:VEN_CODE", "VENDOR CODE:", "@s3", VORNEL_FIELD(v, VEN_CODE)),
        platform::Entry("?VEN:NAME", "NAME:", "@s25", VORNEL_FIELD(v, NAME)),
        platform::Entry("?VEN:ADDR1", "ADDR1:", "@s30", VORNEL_FIELD(v, ADDR1)),
        platform::Entry("?VEN:ADDR2", "ADDR2:", "@s30", VORNEL_FIELD(v, ADDR2)),
        platform::Entry("?VEN:CITY", "CITY/STATE/ZIP:", "@s15", VORNEL_FIELD(v, CITY)),
        platform::Beside(platform::Entry("?VEN:STATE", "", "@s2", VORNEL_FIELD(v, STATE))),
        platform::Beside(platform::Entry("?VEN:ZIP", "", "@s9", VORNEL_FIELD(v, ZIP))),
        platform::Entry("?VEN:CONTACT", "CONTACT:", "@s17", VORNEL_FIELD(v, CONTACT)),
        platform::Entry("?VEN:PHONE", "PHONE:", "@P(###)###-####P", VORNEL_FIELD(v, PHONE)),
        platform::Entry("?VEN:RCODE", "RCODE:", "@s3", VORNEL_FIELD(v, RCODE)),
        platform::Entry("?VEN:PROTECT", "PROTECT:", "@s1", VORNEL_FIELD(v, PROTECT)),
        Tab("?UB92Tab", "UB92 Items")};
    for (platform::ControlSpec& control : platform::OnTab(
             "UB92 Items", {platform::Shown("?UB92Heading", "UB92  Billing Constants"),
                            platform::Entry("?VEN:UB92_51", "UB92_51:", "@s10", VORNEL_FIELD(v, UB92_51)),
                            platform::Entry("?VEN:UB92_50A", "UB92_50A:", "@s22", VORNEL_FIELD(v, UB92_50A)),
                            platform::Entry("?VEN:UB92_50B", "UB92_50B:", "@s22", VORNEL_FIELD(v, UB92_50B)),
                            platform::Entry("?VEN:UB92_50C", "UB92_50C:", "@s22", VORNEL_FIELD(v, UB92_50C)),
                            platform::Entry("?VEN:UB92_84B", "UB92_84B:", "@s40", VORNEL_FIELD(v, UB92_84B)),
                            platform::Entry("?VEN:UB92_84C", "UB92_84C:", "@s40", VORNEL_FIELD(v, UB92_84C)),
                            platform::Entry("?VEN:UB92_84D", "UB92_84D:", "@s40", VORNEL_FIELD(v, UB92_84D)),
                            platform::Entry("?VEN:UB92_82A", "UB92_82A:", "@s22", VORNEL_FIELD(v, UB92_82A)),
                            platform::Entry("?VEN:UB92_82B", "UB92_82B:", "@s22", VORNEL_FIELD(v, UB92_82B))}))
      controls.push_back(std::move(control));
    controls.push_back(Tab("?LinesTab", "Lineitem"));
    for (platform::ControlSpec& control : ui::FormListControls(lines)) controls.push_back(std::move(control));

    ui::FormDeclaration form =
        ui::StandardForm("UpdateVendor", "Update the Vendor File", data::VendorFile(), std::move(controls));
    // Payers are not deleted through their form.
    form.refuse_delete = errors::msg::kNoDeleteForm;
    form.on_open = [lines](ui::RecordForm& open) { ui::OpenFormList(open, lines); };
    return form;
  });

  ui::RegisterList(services, {.procedure = "LOV_Vendor",
                              .title = "Vendor Code Selection Form",
                              .view = data::ViewDef(data::VendorFile()),
                              .orders = {{"Vendor Code Sort", "VEN:VEN_KEY"}},
                              .columns = {{"Code", "VEN:VEN_CODE", "@s3"}, {"Vendor Name", "VEN:NAME", "@s25"}},
                              .selection = true,
                              .close_text = "&Close"});
}

}  // namespace vornel::maintenance
