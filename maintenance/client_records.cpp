// The client's own small files and the client selection list: the comment
// form, the insurance card form and the client selection lists.
#include "data/dictionary/dictionary.h"
#include "data/dictionary/records.h"
#include "data/file_registry.h"
#include "maintenance/families.h"
#include "platform/dates.h"
#include "ui/list_procedure.h"
#include "ui/record_form.h"

namespace vornel::maintenance {
namespace {

// A selection list of clients by last name.
ui::ListDeclaration ClientSelection(std::string procedure, std::string title, std::string filter) {
  return {.procedure = std::move(procedure),
          .title = std::move(title),
          .view = data::ViewDef(data::ClientFile()),
          .orders = {{"Clients by LastName", "CLI:LNAMEONLY"}},
          .columns = {{"Last Name", "CLI:CLLNAME", "@s30"},
                      {"First Name", "CLI:CLFNAME", "@s15"},
                      {"Init", "CLI:CLMID", "@s1"},
                      {"Client Code", "CLI:CLCODE", "@n_7"},
                      {"SS No.", "CLI:SOC_SEC_NO", "@p###-##-####p"},
                      {"Visit Total", "CLI:NUM_VSTS", "@n_5"},
                      {"Status", "CLI:CURRENT", "@s1"},
                      {"Current Balance", "CLI:BAL_DUE", "@n10.2"}},
          .filter = std::move(filter),
          .selection = true,
          .close_text = "&Close"};
}

}  // namespace

void RegisterClientRecords(const ui::Services& services) {
  ui::RegisterList(services, ClientSelection("LOV_Client", "Client Selection List", ""));
  // The appointment book books only clients who may still be seen: neither
  // discharged nor inactive.
  ui::RegisterList(services, ClientSelection("LOV_Client_app", "Client Selection List - Active and Pending Status Only",
                                             "(Cli:CURRENT<>'D' and Cli:CURRENT<> 'I')"));

  ui::RegisterForm(services, "UpdateCli_cmmt", [](ui::ThreadState& thread) {
    auto& c = thread.files.Get(data::Cli_cmmtFile()).record<data::Cli_cmmtRecord>();
    ui::FormDeclaration form = ui::StandardForm(
        "UpdateCli_cmmt", "Update the Client Comment File", data::Cli_cmmtFile(),
        {platform::Entry("?CMT:CLI_CODE", "Client Code:", "@n_7", VORNEL_FIELD(c, CLI_CODE)),
         platform::Entry("?CMT:COMMENT", "Comment:", "@s60", VORNEL_FIELD(c, COMMENT)),
         platform::Entry("?CMT:COM_DATE", "Date:", "@d2", VORNEL_FIELD(c, COM_DATE))});
    form.prime = [&c] { c.COM_DATE = platform::Today(); };
    return form;
  });

  ui::RegisterForm(services, "UpdateIns_card", [](ui::ThreadState& thread) {
    auto& i = thread.files.Get(data::Ins_cardFile()).record<data::Ins_cardRecord>();
    ui::FormDeclaration form = ui::StandardForm(
        "UpdateIns_card", "Update the Insurance Info Cards", data::Ins_cardFile(),
        {platform::Entry("?INS:VEN_CODE", "VENDOR CODE:", "@s3", VORNEL_FIELD(i, VEN_CODE)),
         platform::Entry("?INS:CLCODE", "CLIENT CODE:", "@n-7", VORNEL_FIELD(i, CLCODE)),
         platform::Entry("?INS:VEN_TYPE", "VENDOR TYPE:", "@s2", VORNEL_FIELD(i, VEN_TYPE)),
         platform::Entry("?INS:RECIPIENT", "RECIPIENT:", "@s14", VORNEL_FIELD(i, RECIPIENT)),
         platform::Entry("?INS:CO_PREL", "CO_PREL:", "@s2", VORNEL_FIELD(i, CO_PREL)),
         platform::Entry("?INS:SSN", "SSN:", "@s15", VORNEL_FIELD(i, SSN)),
         platform::Entry("?INS:M_CAT", "M_CAT:", "@s2", VORNEL_FIELD(i, M_CAT)),
         platform::Entry("?INS:M_CTRDIG", "M_CTRDIG:", "@s1", VORNEL_FIELD(i, M_CTRDIG)),
         platform::Entry("?INS:M_LINE", "M_LINE:", "@s2", VORNEL_FIELD(i, M_LINE)),
         platform::Entry("?INS:M_RESCODE", "M_RESCODE:", "@s1", VORNEL_FIELD(i, M_RESCODE)),
         platform::Entry("?INS:B_GRPNAME", "B_GRPNAME:", "@s17", VORNEL_FIELD(i, B_GRPNAME)),
         platform::Entry("?INS:B_GRPNUM", "B_GRPNUM:", "@s12", VORNEL_FIELD(i, B_GRPNUM)),
         platform::Entry("?INS:B_INS_NAME", "B_INS_NAME:", "@s17", VORNEL_FIELD(i, B_INS_NAME)),
         platform::Entry("?INS:INS_SEX", "INS_SEX:", "@s1", VORNEL_FIELD(i, INS_SEX)),
         platform::Entry("?INS:B_PAC", "B_PAC:", "@s10", VORNEL_FIELD(i, B_PAC)),
         platform::Entry("?INS:WILL_PAY", "WILL_PAY:", "@n10.2", VORNEL_FIELD(i, WILL_PAY)),
         platform::Entry("?INS:SSNADDER", "SSNADDER:", "@s6", VORNEL_FIELD(i, SSNADDER))});
    form.lookups = {{"?INS:VEN_CODE", "VEN:VEN_KEY", "LOV_Vendor"}};
    return form;
  });
}

}  // namespace vornel::maintenance
