#include "posting/archive_batches.h"

#include <array>
#include <memory>
#include <string>

#include "data/dictionary/dictionary.h"
#include "data/dictionary/records.h"
#include "data/file_manager.h"
#include "data/store/store_answer.h"
#include "posting/client_archive.h"
#include "posting/system_password.h"
#include "reports/report_procedure.h"
#include "ui/dialog_procedure.h"
#include "ui/system_warning.h"

namespace vornel::posting {
namespace {

using platform::Button;
using platform::Entry;
using platform::Ref;
using platform::Shown;

constexpr int kFatal = 3;

// The cutoff of the archive; Cancel sets the cancelled flag.
ui::DialogDeclaration ArchiveCutoff(const ui::Services& services) {
  ui::ProgramValues& values = services.values;
  ui::DialogDeclaration dialog;
  dialog.window.procedure = "ARCDAY";
  dialog.window.title = "Archival Cutoff Date Selection Form";
  dialog.window.controls = {
      Shown("?Text1", "Enter The Cutoff Date for Data Archival."),
      Shown("?Text2", "Clients with last visits prior to this date will be archived.  Only clients"),
      Shown("?Text3", "with a current status of \"Discharged\" or \"Inactive\" will be affected."),
      Shown("?Text4", "Clients must also have a Current Balance of Zero in order to be archivable."),
      Entry("?topdate", "Archival Cutoff Date:", "@d2", Ref(values.topdate)),
      Button("?Cancel", "&Cancel"),
      Button("?Ok", "&Ok")};
  dialog.window.default_button = "?Ok";
  dialog.window.cancel_button = "?Cancel";
  dialog.on_open = [&values] {
    values.topdate = values.posting_start_date;
    values.cancelled = 0;
  };
  dialog.buttons = {{"?Cancel", ui::kCancelled, [&values] { values.cancelled = 1; }}, {"?Ok", ui::kCompleted, {}}};
  return dialog;
}

// The candidates by the filter, in client-number order; each is archived
// by the rules of ClientArchive on files of its own, committed in groups.
reports::ReportDeclaration ArchiveClientsBatch(const ui::Services& services) {
  struct State {
    explicit State(data::DataContext& context) : files(context) {}
    data::FileRegistry files;
    std::unique_ptr<ClientArchive> archive;
  };
  auto state = std::make_shared<State>(services.data);
  return {.procedure = "ArchiveClients",
          .title = "Archiving Clients",
          .parameters = {"ARCDAY"},
          .view = data::ViewDef(data::ClientFile()),
          .key = "CLI:CODE_KEY",
          .filter = "cli:bal_due=0 and (cli:current = 'I' or cli:current='D')",
          .on_record =
              [&services, state](reports::ReportRun& run) {
                if (!state->archive) state->archive = std::make_unique<ClientArchive>(state->files, services.values.topdate);
                const auto& client = ui::CurrentThread()->files.Get(data::ClientFile()).record<data::ClientRecord>();
                const ArchiveOutcome outcome = state->archive->Consider(client);
                if (outcome.ok) return 0;
                ui::Warn(run.services, outcome.problem);
                return kFatal;
              },
          .on_end =
              [state](reports::ReportRun& run, bool) {
                if (!state->archive) return;
                const ArchiveOutcome outcome = state->archive->Finish();
                const int kept = state->archive->kept_for_payers();
                const int archived_before = state->archive->in_archive_already();
                state->archive.reset();
                if (!outcome.ok) {
                  ui::Warn(run.services, outcome.problem);
                } else if (kept > 0 || archived_before > 0) {
                  std::string said;
                  if (kept > 0)
                    said = std::to_string(kept) +
                           " client(s) were not archived: a payer may still pay their open or billed charge lines.";
                  if (archived_before > 0)
                    said += (said.empty() ? "" : " ") + std::to_string(archived_before) +
                            " client(s) were not archived: the archive holds their client numbers already.";
                  ui::Warn(run.services, said);
                }
              },
          .user_string = "Processing Records"};
}

// The visits before the cutoff in day order, each deleted with its lines
// unless a payer may still pay one of them; then the closed lines before
// the cutoff. One transaction: Cancel, a refused delete or a process that
// dies leaves every visit and line in place.
reports::ReportDeclaration PurgeVisitsBatch(const ui::Services& services) {
  struct State {
    bool began = false;
    PurgeOutcome outcome;
  };
  auto state = std::make_shared<State>();
  return {.procedure = "PurgeVisits",
          .title = "Deleting Visits",
          .parameters = {"ASKDELPW"},
          .view = data::ViewDef(data::LogFile()),
          .key = "LOG:LOG_DAY",
          .range = {"LOG:LOG_DATE", "botdate", "topdate"},
          .on_record =
              [&services, state](reports::ReportRun&) {
                data::FileRegistry& files = ui::CurrentThread()->files;
                if (files.Get(data::LogFile()).record<data::LogRecord>().LOG_DATE >= services.values.topdate)
                  return 0;  // the cutoff's own day stays
                if (!state->began) {
                  data::FileManager& lines = files.Get(data::LineitemFile());
                  lines.Open();
                  lines.EnsurePhysicallyOpen();
                  std::array<data::RecordFile*, 2> involved = {&files.Get(data::LogFile()).file(), &lines.file()};
                  if (files.BeginTransaction(involved, 10) != data::kStoreOk) {
                    ui::Warn(services, "The visits are in use on another station; nothing was deleted.");
                    return kFatal;
                  }
                  state->began = true;
                }
                if (PurgeVisit(files, state->outcome)) return 0;
                ui::Warn(services, "A visit or charge line could not be deleted; nothing was deleted.");
                return kFatal;
              },
          .on_end =
              [&services, state](reports::ReportRun&, bool completed) {
                if (!state->began) return;
                state->began = false;
                data::FileRegistry& files = ui::CurrentThread()->files;
                if (completed && !PurgeClosedLines(files, services.values.topdate, state->outcome)) {
                  ui::Warn(services, "A charge line could not be deleted; nothing was deleted.");
                  completed = false;
                }
                if (!completed || !files.CommitTransaction()) files.RollbackTransaction();
                files.Get(data::LineitemFile()).Close();
              },
          .user_string = "Deleting Visits"};
}

ui::DialogDeclaration AskVisitPurgePassword(const ui::Services& services) {
  ui::ProgramValues& values = services.values;
  return DeclarePasswordForm(
      values,
      {.procedure = "ASKDELPW",
       .title = "Deletion Control  Form",
       .warning = {"This option will permanently delete records from your system.",
                   "Client Visit Information, prior to a user selected cutoff date will be",
                   "deleted if you continue.  ", "It is recommended that hard copy reports and system",
                   "backups be performed prior to using this option."},
       .date = Entry("?topdate", "Delete Visits Prior to:", "@d2", Ref(values.topdate)),
       .go_button = "?Begin",
       .go_text = "&Begin Deletions",
       .on_right = [&values] { values.botdate = 0; }});
}

}  // namespace

void RegisterArchiveBatches(const ui::Services& services) {
  ui::RegisterDialog(services, [&services] { return ArchiveCutoff(services); });
  reports::RegisterReport(services, "ArchiveClients", [&services] { return ArchiveClientsBatch(services); });
  ui::RegisterDialog(services, [&services] { return AskVisitPurgePassword(services); });
  reports::RegisterReport(services, "PurgeVisits", [&services] { return PurgeVisitsBatch(services); });
}

}  // namespace vornel::posting
