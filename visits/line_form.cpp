#include "visits/line_form.h"

#include <cstring>

#include "data/dictionary/dictionary.h"
#include "data/dictionary/records.h"
#include "data/file_manager.h"
#include "data/file_registry.h"
#include "platform/text.h"
#include "ui/record_form.h"

namespace vornel::visits {

void RegisterLineForm(const ui::Services& services) {
  ui::RegisterForm(services, "UpdateLineitem", [](ui::ThreadState& thread) {
    auto& l = thread.files.Get(data::LineitemFile()).record<data::LineitemRecord>();
    ui::FormDeclaration form = ui::StandardForm(
        "UpdateLineitem", "Update Payment Item Form", data::LineitemFile(),
        {platform::Entry("?LIN:LOG_NO", "Visit No.:", "@n_10", VORNEL_FIELD(l, LOG_NO)),
         platform::Entry("?LIN:VEN_CODE", "Vendor Code:", "@s3", VORNEL_FIELD(l, VEN_CODE)),
         platform::Entry("?LIN:AMOUNT_DUE", "Amount Due:", "@n10.2", VORNEL_FIELD(l, AMOUNT_DUE)),
         platform::Entry("?LIN:LINE_SVC", "Service Code", "@s4", VORNEL_FIELD(l, LINE_SVC)),
         platform::Entry("?LIN:MA_UNITS", "MA Units:", "@n6.2", VORNEL_FIELD(l, MA_UNITS)),
         platform::Entry("?LIN:AMOUNT", "Amount Paid:", "@n10.2", VORNEL_FIELD(l, AMOUNT)),
         platform::Entry("?LIN:DATE_PAID", "Date Paid:", "@d2", VORNEL_FIELD(l, DATE_PAID)),
         platform::Radio("?LIN:STATUS", "Payment Status", VORNEL_FIELD(l, STATUS),
                         {{"Open", "O"}, {"Billed", "B"}, {"Paid", "P"}, {"Re-Billed", "R"}, {"Transfered", "T"}}),
         platform::Entry("?LIN:SERV_DATE", "Service Date:", "@d2", VORNEL_FIELD(l, SERV_DATE)),
         platform::Entry("?LIN:CLCODE", "Client Code:", "@n-7", VORNEL_FIELD(l, CLCODE)),
         platform::Beside(platform::Entry("?LIN:CLI_XXX", "", "@s3", VORNEL_FIELD(l, CLI_XXX)))});
    // The file label is "Lineitem"; the captions speak of a payment.
    form.description = "Payment";
    // A line may be left without a payer (an insurer not yet known) or a
    // service; a code that is given must name one.
    form.lookups = {{"?LIN:VEN_CODE", "VEN:VEN_KEY", "LOV_Vendor"}, {"?LIN:LINE_SVC", "SER:SERV_CODE", "LOV_Services"}};
    // The list the line is added from has set the fields it is limited to
    // (the payer, the visit or the client); every new line is open and one
    // unit, and a line added to the visit being recorded repeats the visit.
    auto& visit = thread.files.Get(data::LogFile()).record<data::LogRecord>();
    form.prime = [&l, &visit, &thread] {
      platform::AssignPadded(l.STATUS, "O");
      l.MA_UNITS = 1;
      if (l.LOG_NO == 0 || l.LOG_NO != visit.LOG_NO) return;
      l.CLCODE = visit.CLCODE;
      l.SERV_DATE = visit.LOG_DATE;
      std::memcpy(l.LINE_SVC, visit.SERV_CODE, sizeof l.LINE_SVC);
      data::FileManager& clients = thread.files.Get(data::ClientFile());
      clients.Open();
      auto& client = clients.record<data::ClientRecord>();
      client.CLCODE = visit.CLCODE;
      if (clients.Fetch(*data::ClientFile().FindKey("CLI:CODE_KEY")) == errors::kGoOn)
        platform::AssignCut(l.CLI_XXX, platform::ReadField(client.CLLNAME).substr(0, 3));
      clients.Close();
    };
    return form;
  });
}

}  // namespace vornel::visits
