#include "posting/payment_batches.h"

#include <array>
#include <memory>
#include <string>

#include "data/dictionary/dictionary.h"
#include "data/dictionary/records.h"
#include "data/file_manager.h"
#include "data/store/store_answer.h"
#include "errors/message_table.h"
#include "posting/balance_audit.h"
#include "posting/system_password.h"
#include "reports/report_procedure.h"
#include "ui/dialog_procedure.h"
#include "ui/posting_date.h"
#include "ui/system_warning.h"

namespace vornel::posting {
namespace {

using platform::Entry;
using platform::Ref;

constexpr int kFatal = 3;
constexpr std::int32_t kFirstPaymentDate = 69220;  // 5 July 1990: the purge's start

// The audit walks the payment records by client; the first record of each
// client has his whole account audited, on files of its own, so that the
// walk goes on with the next client's first record. Whole clients are
// committed in groups, and at the end (or on Cancel); a run stopped
// part-way is finished by running it again.
reports::ReportDeclaration BalanceAuditReport(const ui::Services& services) {
  struct State {
    explicit State(data::DataContext& context) : files(context) {}
    data::FileRegistry files;
    std::unique_ptr<BalanceAudit> audit;
    std::int16_t audited = 0;
  };
  auto state = std::make_shared<State>(services.data);
  return {.procedure = "CilentBalanceAudit",
          .title = "Client Balance Audit",
          .view = data::ViewDef(data::ClipmtsFile()),
          .key = "CPY:CLI_KEY",
          .on_record =
              [&services, state](reports::ReportRun& run) {
                const std::int16_t client =
                    ui::CurrentThread()->files.Get(data::ClipmtsFile()).record<data::ClipmtsRecord>().CLCODE;
                if (state->audit && client == state->audited) return 0;
                if (!state->audit)
                  state->audit = std::make_unique<BalanceAudit>(
                      state->files, ui::CurrentPostDate(ui::CurrentThread()->files, services.values));
                state->audited = client;
                const AuditOutcome outcome = state->audit->Audit(client);
                if (outcome.ok) return 0;
                ui::Warn(run.services, outcome.problem);
                return kFatal;
              },
          .on_end =
              [state](reports::ReportRun& run, bool) {
                if (!state->audit) return;
                const AuditOutcome outcome = state->audit->Finish();
                state->audit.reset();
                if (!outcome.ok) ui::Warn(run.services, outcome.problem);
              },
          .user_string = "Processing Records"};
}

// The purge deletes every closed record dated from 5 July 1990 through the
// cutoff, in one transaction: Cancel, a refused delete or a process that
// dies leaves every record in place.
reports::ReportDeclaration PurgeClosedPayments(const ui::Services& services) {
  auto began = std::make_shared<bool>(false);
  const auto payments = [] { return &ui::CurrentThread()->files.Get(data::ClipmtsFile()); };
  return {.procedure = "DelCliPayments",
          .title = "Deleting Closed Client Payment Records",
          .parameters = {"ASKDELPW2"},
          .view = data::ViewDef(data::ClipmtsFile()),
          .key = "CPY:LINE_DAY",
          .range = {"CPY:DATE", "botdate", "topdate"},
          .filter = "cpy:status <>'O'",
          .on_record =
              [&services, began, payments](reports::ReportRun&) {
                if (!*began) {
                  std::array<data::RecordFile*, 1> involved = {&payments()->file()};
                  if (ui::CurrentThread()->files.BeginTransaction(involved, 10) != data::kStoreOk) {
                    ui::Warn(services, "The client payment records are in use on another station; nothing was deleted.");
                    return kFatal;
                  }
                  *began = true;
                }
                if (payments()->file().Delete() == data::kStoreOk) return 0;
                services.errors.SetMessageText("Process:ViewDelCliPayments");
                services.errors.RaiseError(errors::msg::kDeleteError);
                return kFatal;
              },
          .on_end =
              [began](reports::ReportRun&, bool completed) {
                if (!*began) return;
                *began = false;
                data::FileRegistry& files = ui::CurrentThread()->files;
                if (!completed || !files.CommitTransaction()) files.RollbackTransaction();
              },
          .user_string = "Deleting Closed Client Payment Records"};
}

// A wrong password cancels the purge without a word.
ui::DialogDeclaration AskPurgePassword(const ui::Services& services) {
  ui::ProgramValues& values = services.values;
  return DeclarePasswordForm(
      values,
      {.procedure = "ASKDELPW2",
       .title = "Deletion Control  Form",
       .warning = {"This option will permanently delete records from your system.",
                   "Client Payment Records, prior to a user selected cutoff date will be",
                   "deleted if you continue.  ", "It is recommended that hard copy reports and system",
                   "backups be performed prior to using this option."},
       .date = Entry("?topdate", "Delete Closed Client Payments Prior to:", "@d2", Ref(values.topdate)),
       .go_button = "?Begin",
       .go_text = "&Begin Deletions",
       .on_right = [&values] { values.botdate = kFirstPaymentDate; }});
}

}  // namespace

void RegisterPaymentBatches(const ui::Services& services) {
  reports::RegisterReport(services, "CilentBalanceAudit", [&services] { return BalanceAuditReport(services); });
  reports::RegisterReport(services, "DelCliPayments", [&services] { return PurgeClosedPayments(services); });
  ui::RegisterDialog(services, [&services] { return AskPurgePassword(services); });
}

}  // namespace vornel::posting
