#include "posting/payer_payments.h"

#include <array>
#include <cstring>
#include <memory>
#include <set>

#include "data/dictionary/dictionary.h"
#include "data/dictionary/records.h"
#include "data/file_manager.h"
#include "data/store/store_answer.h"
#include "platform/dates.h"
#include "platform/expression_scope.h"
#include "platform/text.h"
#include "ui/dialog_procedure.h"
#include "ui/list_procedure.h"
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

bool Paid(const data::LineitemRecord& line) { return platform::ReadField(line.STATUS) == "P"; }

void PayLine(data::LineitemRecord& line, std::int32_t paid_on) {
  line.DATE_PAID = paid_on;
  line.AMOUNT = line.AMOUNT_DUE;
  platform::AssignPadded(line.STATUS, "P");
}

// The payer's lines of the range, then (with OSM) the OSM lines of their visits.
bool PayLines(data::RecordFile& file, data::LineitemRecord& line, const BulkReceipt& receipt, BulkResult& result) {
  std::set<std::int32_t> visits;
  file.ClearBuffer();
  platform::AssignPadded(line.VEN_CODE, receipt.payer);
  line.SERV_DATE = receipt.from;
  if (file.SetByKey(*data::LineitemFile().FindKey("LIN:VEN_KEY")) != data::kStoreOk) return false;
  for (;;) {
    const int answer = file.Next();
    if (answer == data::kRecordNotAvailable) break;
    if (answer != data::kStoreOk) return false;
    if (!platform::EqualNoCase(platform::ReadField(line.VEN_CODE), receipt.payer) || line.SERV_DATE > receipt.through)
      break;
    if (Paid(line)) continue;
    PayLine(line, receipt.paid_on);
    if (file.Put() != data::kStoreOk) return false;
    ++result.lines_paid;
    const std::int32_t visit = line.LOG_NO;  // a packed field: copied before the set takes it
    if (receipt.with_osm) visits.insert(visit);
  }
  const data::KeyDef& by_visit = *data::LineitemFile().FindKey("LIN:LOG_KEY");
  for (const std::int32_t visit : visits) {
    file.ClearBuffer();
    line.LOG_NO = visit;
    if (file.SetByKey(by_visit) != data::kStoreOk) return false;
    while (file.Next() == data::kStoreOk && line.LOG_NO == visit) {
      if (!platform::EqualNoCase(platform::ReadField(line.VEN_CODE), "OSM") || Paid(line)) continue;
      PayLine(line, receipt.paid_on);
      if (file.Put() != data::kStoreOk) return false;
      ++result.osm_lines_paid;
    }
  }
  return true;
}

// The payer chosen, and what the window shows of him.
class ReceiptsWindow : public std::enable_shared_from_this<ReceiptsWindow> {
 public:
  ReceiptsWindow(const ui::Services& services, ui::ThreadState& thread)
      : services_(services), values_(services.values), thread_(thread) {
    std::memset(payer_, ' ', sizeof payer_);
    names_.BindText("SelectedVendor", payer_, sizeof payer_);
  }
  ui::ListDeclaration Declare();

 private:
  void SelectVendor(ui::ListProcedure& list);
  void ReceiveInBulk(ui::ListProcedure& list);

  const ui::Services& services_;
  ui::ProgramValues& values_;
  ui::ThreadState& thread_;
  char payer_[3];
  platform::VariableTable names_;
};

ui::ListDeclaration ReceiptsWindow::Declare() {
  const std::shared_ptr<ReceiptsWindow> self = shared_from_this();
  return {
      .procedure = "RecordVendorPay",
      .title = "Vendor Charges File",
      .view = data::ViewDef(data::LineitemFile()).Join(data::ClientFile(), "CLI:CODE_KEY", {"LIN:CLCODE"}),
      .orders = {{"Selected Vendor Filter", "LIN:VEN_KEY", ui::LocatorKind::kEntry, "@d2", "Visit Date:", "",
                  "SelectedVendor"}},
      .columns = {{"Visit No", "LIN:LOG_NO", "@n_9"},
                  {"Service Date", "LIN:SERV_DATE", "@d2"},
                  {"Client Las Name", "CLI:CLLNAME", "@s20"},
                  {"Client", "LIN:CLCODE", "@n_7"},
                  {"Due", "LIN:AMOUNT_DUE", "@n-10.2"},
                  {"Paid", "LIN:AMOUNT", "@n-10.2"},
                  {"Date Paid", "LIN:DATE_PAID", "@d2"},
                  {"Status", "LIN:STATUS", "@s1"}},
      .update_procedure = "UpdateVendPay",
      .above = {Shown("?SelectedVendor", "Selected Vendor:", "@s3", Ref(payer_)),
                Beside(Button("?SelectVendor", "&Select Vendor"))},
      .controls = {Beside(Button("?Bulk", "&Record Receipts in Bulk"))},
      .variables = &names_,
      .actions = {{"?SelectVendor", [self](ui::ListProcedure& list) { self->SelectVendor(list); }},
                  {"?Bulk", [self](ui::ListProcedure& list) { self->ReceiveInBulk(list); }}}};
}

void ReceiptsWindow::SelectVendor(ui::ListProcedure& list) {
  if (services_.procedures.CallWith("SelectVendor", ui::kSelect) != ui::kCompleted) return;
  std::memcpy(payer_, thread_.files.Get(data::VendorFile()).record<data::VendorRecord>().VEN_CODE, sizeof payer_);
  list.window()->Display(list.ControlNumber("?SelectedVendor"));
  list.browse().RefreshSortOrder(true);
  list.browse().RefreshWindow();
}

void ReceiptsWindow::ReceiveInBulk(ui::ListProcedure& list) {
  values_.selection = 'N';
  std::memcpy(values_.receipt_payer, payer_, sizeof payer_);
  services_.procedures.Call("WhatPayDay");
  if (values_.cancelled != 0) return;
  services_.procedures.Call("Date_Range");
  if (values_.cancelled != 0) return;
  const BulkReceipt receipt{.payer = std::string(platform::ReadField(payer_)),
                            .from = values_.topdate,
                            .through = values_.botdate,
                            .paid_on = values_.payment_date,
                            .with_osm = values_.selection == 'Y'};
  if (!PayInBulk(thread_.files, receipt).done)
    ui::Warn(services_, "The receipts could not be written; no line was paid.");
  list.browse().RefillList(ui::BrowseManager::kKeepPosition);
  list.browse().RefreshWindow();
}

ui::FormDeclaration ReceiptForm(ui::ThreadState& thread) {
  data::LineitemRecord& l = thread.files.Get(data::LineitemFile()).record<data::LineitemRecord>();
  data::VendorRecord& payer = thread.files.Get(data::VendorFile()).record<data::VendorRecord>();
  ui::FormDeclaration form = ui::StandardForm(
      "UpdateVendPay", "Update Vendor Charges", data::LineitemFile(),
      {Shown("?VEN:NAME", "Vendor:", "@s25", VORNEL_FIELD(payer, NAME)),
       Entry("?LIN:LOG_NO", "Visit No:", "@n_9", VORNEL_FIELD(l, LOG_NO)),
       Entry("?LIN:VEN_CODE", "Vendor:", "@s3", VORNEL_FIELD(l, VEN_CODE)),
       Entry("?LIN:AMOUNT_DUE", "Amount Due:", "@n-10.2", VORNEL_FIELD(l, AMOUNT_DUE)),
       Entry("?LIN:SERV_DATE", "Service Date:", "@d2", VORNEL_FIELD(l, SERV_DATE)),
       Entry("?LIN:CLCODE", "Client Code:", "@n_7", VORNEL_FIELD(l, CLCODE)),
       Entry("?LIN:DATE_PAID", "Date Paid:", "@d2", VORNEL_FIELD(l, DATE_PAID)),
       Beside(Button("?Today", "Today")),
       Entry("?LIN:AMOUNT", "Paid:", "@n-10.2", VORNEL_FIELD(l, AMOUNT)),
       Beside(Button("?AmountDue", "Amt Due")),
       platform::Radio("?LIN:STATUS", "Status", VORNEL_FIELD(l, STATUS),
                       {{"Open", "O"}, {"Billed", "B"}, {"Paid", "P"}, {"Re-Billed", "R"}, {"Transfered", "T"}})});
  form.description = "Lineitem";
  form.lookups = {{"?LIN:VEN_CODE", "VEN:VEN_KEY", "SelectVendor", true}};
  form.on_accepted = [&l](ui::RecordForm& open, int control) {
    if (control == open.ControlNumberOf("?Today")) {
      l.DATE_PAID = platform::Today();
      open.window()->Display(open.ControlNumberOf("?LIN:DATE_PAID"));
      return ui::kHandled;
    }
    if (control == open.ControlNumberOf("?AmountDue")) {
      l.AMOUNT = l.AMOUNT_DUE;
      open.window()->Display(open.ControlNumberOf("?LIN:AMOUNT"));
      return ui::kHandled;
    }
    return ui::kContinue;
  };
  return form;
}

// The payment date and the OSM option; no payer, no receipts.
ui::DialogDeclaration PaymentDay(const ui::Services& services) {
  ui::ProgramValues& values = services.values;
  ui::DialogDeclaration dialog;
  dialog.window.procedure = "WhatPayDay";
  dialog.window.title = "Vendor Payment Date Selection Form";
  platform::ControlSpec unused = Button("?OKnotused", "OKnotused");
  unused.hidden = true;
  dialog.window.controls = {
      Entry("?LONGTEMP", "Payment Date:", "@d2", Ref(values.payment_date)),
      Shown("?Payer", "Updating Vendor Code :", "@s3", Ref(values.receipt_payer)),
      platform::Radio("?OSM", "OSM Update Option", platform::ValueRef{platform::ValueRef::Type::kText, &values.selection, 1},
                      {{"No", "N"}, {"Yes", "Y"}}),
      Shown("?OsmText1", "IF related OSM entries exist, show  "),
      Shown("?OsmText2", "OSM receipts as of this date also?"),
      unused,
      Button("?OK", "&OK")};
  dialog.window.default_button = "?OK";
  dialog.on_open = [&values] {
    values.cancelled = 0;
    if (values.payment_date == 0) values.payment_date = platform::Today();
  };
  dialog.may_open = [&services, &values] {
    if (!platform::ReadField(values.receipt_payer).empty()) return true;
    ui::Warn(services, "You must select a vendor prior to posting payments.");
    values.cancelled = 1;
    return false;
  };
  dialog.buttons = {{"?OK", ui::kCompleted, {}}};
  return dialog;
}

}  // namespace

BulkResult PayInBulk(data::FileRegistry& files, const BulkReceipt& receipt) {
  BulkResult result;
  data::FileManager& lines = files.Get(data::LineitemFile());
  if (lines.Open() != 0) return result;
  if (lines.EnsurePhysicallyOpen() == 0) {
    std::array<data::RecordFile*, 1> involved = {&lines.file()};
    if (files.BeginTransaction(involved, kWaitSeconds) == data::kStoreOk) {
      result.done = PayLines(lines.file(), lines.record<data::LineitemRecord>(), receipt, result) &&
                    files.CommitTransaction();
      if (!result.done) {
        files.RollbackTransaction();
        result.lines_paid = result.osm_lines_paid = 0;
      }
    }
  }
  lines.Close();
  return result;
}

void RegisterPayerPayments(const ui::Services& services) {
  ui::RegisterList(services, "RecordVendorPay", [&services](ui::ThreadState& thread) {
    return std::make_shared<ReceiptsWindow>(services, thread)->Declare();
  });
  ui::RegisterForm(services, "UpdateVendPay", [](ui::ThreadState& thread) { return ReceiptForm(thread); });
  ui::RegisterList(services, {.procedure = "SelectVendor",
                              .title = "Select a Vendor Record",
                              .view = data::ViewDef(data::VendorFile()),
                              .orders = {{"by Vendor Code", "VEN:VEN_KEY"}},
                              .columns = {{"Code", "VEN:VEN_CODE", "@s3"},
                                          {"Vendor Name", "VEN:NAME", "@s25"},
                                          {"Contact", "VEN:CONTACT", "@s17"},
                                          {"Phone", "VEN:PHONE", "@P(###)###-####P"}},
                              .selection = true,
                              .close_text = "Close"});
  ui::RegisterDialog(services, [&services] { return PaymentDay(services); });
}

}  // namespace vornel::posting
