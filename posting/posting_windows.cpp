#include "posting/posting_windows.h"

#include <memory>
#include <string>

#include "platform/text.h"
#include "platform/window/window_spec.h"
#include "posting/client_payments.h"
#include "posting/payer_payments.h"
#include "posting/post_period.h"
#include "posting/posting_rules.h"
#include "posting/system_password.h"
#include "posting/archive_batches.h"
#include "posting/payment_batches.h"
#include "ui/dialog_procedure.h"
#include "ui/system_warning.h"
#include "ui/window_manager.h"

namespace vornel::posting {
namespace {

using platform::Beside;
using platform::Button;
using platform::Entry;
using platform::Ref;
using platform::Shown;

// The posting runs as the window opens; the window shows where it is and
// stays with the outcome until it is closed.
class ProgressWindow : public ui::WindowManager {
 public:
  explicit ProgressWindow(const ui::Services& services)
      : WindowManager(services.windows, services.errors), services_(services), values_(services.values) {}
  ~ProgressWindow() override { ProgressWindow::Shutdown(); }

  int Init() override {
    WindowManager::Init();
    platform::WindowSpec spec;
    spec.procedure = "POST";
    spec.title = "Posting Progress Window";
    spec.controls = {Shown("?STARTDATE", "Now Posting Date:", "@d2", Ref(start_date_)),
                     Beside(Shown("?TODATE", "", "@d2", Ref(to_date_))),
                     Shown("?SLIPID", "Now Posting Log No. :", "@n_10", Ref(slip_id_)),
                     Shown("?MESS1", "", "@s80", Ref(message_)),
                     platform::Button("?Close", "&Close")};
    spec.default_button = spec.cancel_button = "?Close";
    Open(spec);
    AddButton(window()->Control("?Close"), ui::kCompleted);
    window()->SetEnabled(window()->Control("?Close"), false);
    return 0;
  }

  int OnEvent(const platform::Event& event) override {
    const int result = WindowManager::OnEvent(event);
    if (event.kind == platform::EventKind::kOpenWindow && !ran_) {
      ran_ = true;
      return Post();
    }
    return result;
  }

 private:
  void Show() {
    for (const char* control : {"?STARTDATE", "?TODATE", "?SLIPID", "?MESS1"}) window()->Display(window()->Control(control));
  }

  int Post() {
    to_date_ = values_.botdate;
    const PostingRequest request{.department = values_.department,
                                 .last_post_date = values_.last_post_date,
                                 .end = values_.botdate,
                                 .override_in_force = values_.post_date_override != 0};
    const PostingProgress progress{.record =
                                       [this](std::int32_t date, std::int32_t log_no) {
                                         start_date_ = date;
                                         slip_id_ = log_no;
                                         Show();
                                       },
                                   .message =
                                       [this](std::string_view message) {
                                         message_ = message;
                                         Show();
                                       }};
    const PostingResult result = PostPeriod(CurrentThreadFiles(), request, progress);
    start_date_ = to_date_ = slip_id_ = 0;
    switch (result.outcome) {
      case PostingOutcome::kPosted:
        values_.last_post_date = result.posted_through;
        message_ = "Posting successful !!";
        break;
      case PostingOutcome::kNothingToPost:
        message_ = "There are no visits to post from " + platform::FormatWith("d2", request.last_post_date + 1) + " on.";
        break;
      case PostingOutcome::kPostedElsewhere:
        values_.last_post_date = result.posted_through;
        [[fallthrough]];
      default:
        Show();
        ui::Warn(services_, result.message);
        return ui::kEndLoop;
    }
    Show();
    window()->SetEnabled(window()->Control("?Close"), true);
    window()->Select(window()->Control("?Close"));
    return ui::kHandled;
  }

  static data::FileRegistry& CurrentThreadFiles() { return ui::CurrentThread()->files; }

  const ui::Services& services_;
  ui::ProgramValues& values_;
  std::int32_t start_date_ = 0;
  std::int32_t to_date_ = 0;
  std::int32_t slip_id_ = 0;
  std::string message_ = "Now processing log data.";
  bool ran_ = false;
};

ui::DialogDeclaration PostVisits(const ui::Services& services) {
  ui::ProgramValues& values = services.values;
  auto posting_date = std::make_shared<std::int32_t>(0);
  ui::DialogDeclaration dialog;
  dialog.window.procedure = "Post_visits";
  dialog.window.title = "Transaction Posting";
  dialog.window.controls = {
      Shown("?Warning", "Warning:"),
      Shown("?Text1", "Posting of transactions willl prevent furthur editing of Log"),
      Shown("?Text2", "entries prior to the posting date you select."),
      Shown("?Text3", "The Posting Process will :"),
      Shown("?Text4", "1) Update Client Balances"),
      Shown("?Text5", "2) Calculate Client Visit Stats"),
      Shown("?Text6", "3) Updates Client Last Seen Date"),
      Shown("?Range", "Posting Date Range"),
      Shown("?POSTINGDATE", "Starting:", "@d2", Ref(*posting_date)),
      Entry("?botdate", "Ending:", "@d2", Ref(values.botdate)),
      Button("?Cancel", "&Cancel"),
      Button("?Begin", "&Begin Posting")};
  dialog.window.default_button = "?Begin";
  dialog.window.cancel_button = "?Cancel";
  dialog.on_open = [&values, posting_date] {
    if (values.last_post_date == 0) values.last_post_date = NeverPostedDate();
    *posting_date = values.botdate = values.last_post_date + 1;
  };
  // The period is at least its first day.
  dialog.after_event = [&values, posting_date](platform::Window& window) {
    if (values.botdate >= *posting_date) return;
    values.botdate = *posting_date;
    window.Display(window.Control("?botdate"));
  };
  dialog.buttons = {{"?Cancel", ui::kCancelled, {}},
                    {"?Begin", ui::kCompleted, [&services, &values, posting_date] {
                       if (values.botdate < *posting_date) values.botdate = *posting_date;
                       services.procedures.Call("POST");
                     }}};
  return dialog;
}

ui::DialogDeclaration SetPostDateBack(const ui::Services& services) {
  ui::ProgramValues& values = services.values;
  return DeclarePasswordForm(
      values,
      {.procedure = "ASKCHNGPOSTPWD",
       .title = "Enter Prior to Post  Control  Form",
       .warning = {"This option will temporarily set the posting date to the Date Entered.",
                   "This will allow adjustments to be made to records prior to the actual",
                   "posting date.  This date rests to normal when a new department is selected.",
                   "It is recommended that hard copy reports and system",
                   "backups be performed prior to using this option."},
       .date = Entry("?topdate", "Set the Post Date for the Active Dept to:", "@d2", Ref(values.topdate)),
       .password_picture = "@s8",
       .go_button = "?Ok",
       .go_text = "&Ok",
       .on_right =
           [&values] {
             values.last_post_date = values.topdate;
             values.post_date_override = 1;
           },
       .on_wrong = [&services] { ui::Warn(services, "The password is not correct. The posting date is unchanged."); }});
}

}  // namespace

void RegisterPosting(const ui::Services& services) {
  RegisterClientPayments(services);
  RegisterPayerPayments(services);
  RegisterPaymentBatches(services);
  RegisterArchiveBatches(services);
  services.procedures.Register("POST", [&services] { ProgressWindow(services).Run(); });
  ui::RegisterDialog(services, [&services] { return PostVisits(services); });
  ui::RegisterDialog(services, [&services] { return SetPostDateBack(services); });
}

}  // namespace vornel::posting
