#include "posting/client_payments.h"
#include "posting/posting_rules.h"

#include <array>
#include <cmath>
#include <memory>
#include <string>

#include "data/dictionary/dictionary.h"
#include "data/file_manager.h"
#include "data/store/store_answer.h"
#include "platform/dates.h"
#include "platform/expression_scope.h"
#include "platform/money.h"
#include "platform/picture.h"
#include "platform/text.h"
#include "ui/list_procedure.h"
#include "ui/posting_date.h"
#include "ui/record_form.h"
#include "ui/system_warning.h"

namespace vornel::posting {
namespace {

using platform::Beside;
using platform::Button;
using platform::Entry;
using platform::Ref;
using platform::Shown;

constexpr int kWaitSeconds = 10;

// The payment window of one client at a time.
class PaymentWindow : public std::enable_shared_from_this<PaymentWindow> {
 public:
  PaymentWindow(const ui::Services& services, ui::ThreadState& thread)
      : services_(services), values_(services.values), thread_(thread) {
    names_.BindInt16("SelectedClient", &selected_);
  }
  ui::ListDeclaration Declare();

 private:
  void Show(ui::ListProcedure& list);
  void SelectClient(ui::ListProcedure& list);
  void Rebalance(ui::ListProcedure& list);
  void WriteOffHighlighted(ui::ListProcedure& list);
  // Reads the selected client into the Client buffer and runs `use` on him;
  // answers the read's answer (the file opened and closed around it).
  template <typename Use>
  int WithClient(Use use);

  const ui::Services& services_;
  ui::ProgramValues& values_;
  ui::ThreadState& thread_;
  std::int16_t selected_ = 0;
  char client_name_[34] = {};
  double balance_due_ = 0;   // CLI:BAL_DUE as stored
  double grand_balance_ = 0;  // every record's charges less payments
  platform::VariableTable names_;
};

ui::ListDeclaration PaymentWindow::Declare() {
  const std::shared_ptr<PaymentWindow> self = shared_from_this();
  return {
      .procedure = "RecordClipmts",
      .title = "Browse Client Payments",
      .view = data::ViewDef(data::ClipmtsFile()),
      .orders = {{"by Client Name", "CPY:CLI_KEY", ui::LocatorKind::kNone, "", "", "", "SelectedClient"}},
      .columns = {{"Service Date", "CPY:DATE", "@d2"},
                  {"Visit No.", "CPY:LOG_NO", "@n_8"},
                  {"Client Code", "CPY:CLCODE", "@n_7"},
                  {"Charges", "CPY:CHARGES", "@n-8.2"},
                  {"Payment", "CPY:AMOUNT", "@n10.2"},
                  {"Date Paid", "CPY:PAYDATE", "@d2"},
                  {"Status", "CPY:STATUS", "@s1"},
                  {"Calc Balance", "", "",
                   [self] {
                     const auto& record = self->thread_.files.Get(data::ClipmtsFile()).record<data::ClipmtsRecord>();
                     return platform::FormatWith("n-10.2", platform::Cents(record.CHARGES - record.AMOUNT));
                   }}},
      .update_procedure = "UpdateClipmts",
      .close_text = "&Exit",
      .above = {Shown("?CLIENTNAME", "Client Name:", "@s34", Ref(client_name_)),
                Beside(Shown("?CLI:BAL_DUE", "Balance Due", "@n-12.2", Ref(balance_due_))),
                Beside(Button("?SelectClient", "&Select Client"))},
      .controls = {Shown("?GRANDBALANCE", "Total of the records:", "@n-12.2", Ref(grand_balance_)),
                   Beside(Button("?WriteOff", "&Write-off"))},
      .variables = &names_,
      .actions = {{"?SelectClient", [self](ui::ListProcedure& list) { self->SelectClient(list); }},
                  {"?WriteOff", [self](ui::ListProcedure& list) { self->WriteOffHighlighted(list); }}},
      .on_open = [self](ui::ListProcedure& list) { self->Show(list); },
      .after_request = [self](ui::ListProcedure& list, int, int) { self->Rebalance(list); }};
}

template <typename Use>
int PaymentWindow::WithClient(Use use) {
  data::FileManager& clients = thread_.files.Get(data::ClientFile());
  if (clients.Open() != 0) return data::kFileNotOpen;
  int answer = clients.EnsurePhysicallyOpen() == 0 ? data::kStoreOk : data::kFileNotOpen;
  if (answer == data::kStoreOk) {
    clients.file().ClearBuffer();
    auto& client = clients.record<data::ClientRecord>();
    client.CLCODE = selected_;
    answer = clients.file().GetByKey(*data::ClientFile().FindKey("CLI:CODE_KEY"));
    if (answer == data::kStoreOk) use(clients.file(), client);
  }
  clients.Close();
  return answer;
}

// The client's name, stored balance and records' total.
void PaymentWindow::Show(ui::ListProcedure& list) {
  std::string name;
  balance_due_ = 0;
  if (selected_ != 0) {
    WithClient([&](data::RecordFile&, const data::ClientRecord& client) {
      name = std::string(platform::ReadField(client.CLLNAME)) + ", " + std::string(platform::ReadField(client.CLFNAME));
      balance_due_ = client.BAL_DUE;
    });
  }
  platform::AssignCut(client_name_, name);
  grand_balance_ = selected_ != 0 ? AccountBalance(ClientRecords(thread_.files, selected_)) : 0;
  platform::Window& window = *list.window();
  for (const char* shown : {"?CLIENTNAME", "?CLI:BAL_DUE", "?GRANDBALANCE"}) window.Display(list.ControlNumber(shown));
  for (const char* button : {"?Insert", "?WriteOff"}) window.SetEnabled(list.ControlNumber(button), selected_ != 0);
}

void PaymentWindow::SelectClient(ui::ListProcedure& list) {
  if (services_.procedures.CallWith("LOV_Client", ui::kSelect) != ui::kCompleted) return;
  selected_ = thread_.files.Get(data::ClientFile()).record<data::ClientRecord>().CLCODE;
  list.browse().RefreshSortOrder(true);
  list.browse().RefreshWindow();
  // A balance left behind by a payment whose balance was never written (a
  // program stopped in between) is set right as soon as the account is opened.
  Rebalance(list);
}

// After every change to the account, the client's stored balance is the
// balance of his posted records: those after the last posting date are
// applied by the posting that takes them in.
void PaymentWindow::Rebalance(ui::ListProcedure& list) {
  if (selected_ == 0) return;
  const std::int32_t posted = ui::CurrentPostDate(thread_.files, values_);
  const double balance = AccountBalance(ClientRecords(thread_.files, selected_), posted);
  int put = data::kStoreOk;
  const int read = WithClient([&](data::RecordFile& file, data::ClientRecord& client) {
    client.BAL_DUE = balance;
    put = file.Put();
  });
  if (read != data::kStoreOk) ui::Warn(services_, std::to_string(read) + " on get");
  if (put != data::kStoreOk) ui::Warn(services_, std::to_string(put) + " on put");
  Show(list);
}

void PaymentWindow::WriteOffHighlighted(ui::ListProcedure& list) {
  if (selected_ == 0 || list.browse().rows().empty()) return;
  list.browse().CopyRowToRecord();
  if (!list.browse().RefetchCurrentRow()) return;
  if (AdjustedAlready(thread_.files.Get(data::ClipmtsFile()).record<data::ClipmtsRecord>())) return;
  if (!WriteOff(thread_.files, platform::Today(), platform::Clock())) {
    ui::Warn(services_, "The record could not be written off; nothing was changed.");
    return;
  }
  list.browse().RefillList(ui::BrowseManager::kKeepPosition);
  list.browse().RefreshWindow();
  Rebalance(list);
}

ui::FormDeclaration PaymentForm(data::ClipmtsRecord& p) {
  ui::FormDeclaration form = ui::StandardForm(
      "UpdateClipmts", "Update the Client Payments  File", data::ClipmtsFile(),
      {Entry("?CPY:CLCODE", "Client Code:", "@n_7", VORNEL_FIELD(p, CLCODE)),
       Entry("?CPY:DATE", "Service Date:", "@d2", VORNEL_FIELD(p, DATE)),
       Entry("?CPY:AMOUNT", "Amount Paid", "@n-10.2", VORNEL_FIELD(p, AMOUNT)),
       Entry("?CPY:PAYDATE", "Date Paid:", "@d2", VORNEL_FIELD(p, PAYDATE)),
       platform::Radio("?CPY:STATUS", "Payment Status", VORNEL_FIELD(p, STATUS), {{"Closed", "C"}, {"Open", "O"}}),
       Entry("?CPY:CHARGES", "Charges:", "@n-10.2", VORNEL_FIELD(p, CHARGES)),
       Entry("?CPY:LOG_NO", "Visit No.", "@n_8", VORNEL_FIELD(p, LOG_NO))});
  form.description = "Client Payment";
  form.lookups = {{"?CPY:CLCODE", "CLI:CODE_KEY", "LOV_Client", true}};
  // A payment's balance after it, and a date paid no earlier than the service.
  form.on_accepted = [&p](ui::RecordForm& open, int control) {
    if (control != open.ControlNumberOf("?CPY:AMOUNT")) return ui::kContinue;
    p.NEWBAL = platform::Cents(p.PREVBAL + p.CHARGES - p.AMOUNT);
    if (p.PAYDATE < p.DATE && p.AMOUNT > 0) {
      p.PAYDATE = p.DATE;
      open.window()->Display(open.ControlNumberOf("?CPY:PAYDATE"));
    }
    return ui::kContinue;
  };
  return form;
}

}  // namespace

double AccountBalance(const std::vector<data::ClipmtsRecord>& records, std::int32_t through) {
  double balance = 0;
  for (const data::ClipmtsRecord& record : records) {
    if (through == 0 || record.DATE <= through) balance += record.CHARGES - record.AMOUNT;
  }
  return platform::Cents(balance);
}

std::vector<data::ClipmtsRecord> ClientRecords(data::FileRegistry& files, std::int16_t client) {
  std::vector<data::ClipmtsRecord> records;
  data::FileManager& payments = files.Get(data::ClipmtsFile());
  if (payments.Open() != 0) return records;
  if (payments.EnsurePhysicallyOpen() == 0) {
    const int saved = payments.SaveFile();
    data::RecordFile& file = payments.file();
    auto& record = payments.record<data::ClipmtsRecord>();
    file.ClearBuffer();
    record.CLCODE = client;
    if (file.SetByKey(*data::ClipmtsFile().FindKey("CPY:CLI_KEY")) == data::kStoreOk) {
      while (file.Next() == data::kStoreOk && record.CLCODE == client) records.push_back(record);
    }
    payments.RestoreFile(saved);
  }
  payments.Close();
  return records;
}

bool WriteOff(data::FileRegistry& files, std::int32_t today, std::int32_t now) {
  data::FileManager& payments = files.Get(data::ClipmtsFile());
  auto& record = payments.record<data::ClipmtsRecord>();
  if (AdjustedAlready(record)) return false;
  data::RecordFile& file = payments.file();
  std::array<data::RecordFile*, 1> involved = {&file};
  if (files.BeginTransaction(involved, kWaitSeconds) != data::kStoreOk) return false;
  const double remaining = platform::Cents(record.CHARGES - record.AMOUNT);
  record.PAYDATE = today;
  platform::AssignPadded(record.STATUS, "W");
  bool done = file.Put() == data::kStoreOk;
  if (done) {
    record.TIME = now;
    platform::AssignPadded(record.STATUS, "A");
    record.AMOUNT = remaining;
    record.CHARGES = 0;
    done = file.Add() == data::kStoreOk;
  }
  if (done) done = files.CommitTransaction();
  if (!done) files.RollbackTransaction();
  return done;
}

void RegisterClientPayments(const ui::Services& services) {
  ui::RegisterList(services, "RecordClipmts", [&services](ui::ThreadState& thread) {
    return std::make_shared<PaymentWindow>(services, thread)->Declare();
  });
  ui::RegisterForm(services, "UpdateClipmts", [](ui::ThreadState& thread) {
    return PaymentForm(thread.files.Get(data::ClipmtsFile()).record<data::ClipmtsRecord>());
  });
}

}  // namespace vornel::posting
