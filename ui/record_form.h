#pragma once
// A record form: the window manager set up the way every form that keeps the
// records of one file is (the procedure's name for messages, the request from
// the caller, the primary file opened with its related files, the caption by
// request, the ditto key, OK and Cancel). A form procedure states only its
// window and its own rules.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "data/dictionary/file_def.h"
#include "ui/procedure_catalog.h"
#include "ui/window_manager.h"

namespace vornel::ui {

class RecordForm;

// A field whose value must name a record of another file: looked up by that
// file's key when accepted; not found, the other file's selection list is
// called, and a record selected there gives the field its code.
struct FormLookup {
  std::string control;  // "?SIN:GRP_CODE"
  std::string key;      // "STU:STUD_KEY": the field's value goes into its first component
  std::string list;     // "lov_stdygroup"
  bool required = false;  // when false, 0 or blank is accepted as it is
};

struct FormDeclaration {
  std::string procedure;    // "UpdateEmployee"
  std::string description;  // "Employee": "Adding a Employee Record"
  std::string insert_title;  // the title of an insert when it is not made from the description
  std::string change_title;  // and of a change
  platform::WindowSpec window;
  const data::FileDef* primary = nullptr;
  std::string ok = "?OK";
  std::string cancel = "?Cancel";
  // Controls whose last saved value the ditto key recalls; empty: every entry.
  std::vector<std::string> ditto_fields;
  std::vector<FormLookup> lookups;
  std::function<void()> prime;  // the initial values of a new record
  int request = 0;        // the request when the caller gives none (a form started from a menu)
  int refuse_insert = 0;  // a message that answers an insert request instead of the form
  int refuse_delete = 0;  // a message that answers a delete request
  std::function<void(RecordForm&)> on_reset;  // the form's own work on every reset
  // Runs the list of a tab of the form (charge lines of a payer, members of a
  // group): set up once the window is open.
  std::function<void(RecordForm&)> on_open;

  // The form's own field rules; each may be empty.
  // A control was accepted (after its lookup): kContinue, or kHandled when
  // the rule refused the value (it selects the control itself).
  std::function<int(RecordForm&, int control)> on_accepted;
  // After every event the form took (values worked out from others).
  std::function<void(RecordForm&)> after_event;
  // The checks of OK before the standard save: false abandons the save and
  // the form stays open.
  std::function<bool(RecordForm&)> before_save;
  // After the record was saved (what other files must follow of it).
  std::function<void(RecordForm&)> after_save;
  // The check of the Cancel button: false, and the form does not cancel.
  std::function<bool(RecordForm&)> before_cancel;
};

class RecordForm : public WindowManager, public ToolbarTarget {
 public:
  // The ditto key: Ctrl (512) + the quote key (222).
  static constexpr int kDittoKey = platform::kKeyDitto;

  RecordForm(platform::WindowSystem& windows, ThreadState& thread, errors::ErrorManager& errors,
             FormDeclaration declaration);

  // Runs the form for the caller's global request and leaves the response in
  // the thread's global response.
  int RunForCaller();
  ~RecordForm() override { RecordForm::Shutdown(); }

  int Init() override;
  int Shutdown() override;

  // ToolbarTarget: the standard buttons save the form and move the list
  // behind it (through the thread's navigation request).
  std::map<int, bool> Buttons() override;
  std::span<const std::uint8_t> Tips() override;
  void OnButton(int button) override;

  void PrimeNewRecord() override;
  void Reset(bool force = false) override;
  int OnAccepted(const platform::Event& event) override;
  int OnEvent(const platform::Event& event) override;
  int OnCompleted() override;
  ThreadState& thread() { return thread_; }
  int ControlNumberOf(std::string_view name) const { return ControlNumber(name); }
  // Looks the control's value up when it has a lookup; false when the user
  // chose no record (the control keeps the focus).
  bool LookUp(int control);

  const data::FileDef* primary_file() const { return declaration_.primary; }

  // How a form calls a selection list (set by the program's registration).
  std::function<int(std::string_view procedure, int request)> call_procedure;

 protected:
  int ControlNumber(std::string_view name) const;

  ThreadState& thread_;
  FormDeclaration declaration_;
  bool files_opened_ = false;
  bool name_pushed_ = false;
};

// The usual form of a file: `controls` (those without a tab of their own go
// on the first tab), then "&OK", the Cancel button and "Help".
FormDeclaration StandardForm(std::string procedure, std::string title, const data::FileDef& file,
                             std::vector<platform::ControlSpec> controls, std::string cancel_text = "&Cancel",
                             std::string first_tab = "General");

// Registers a form procedure: `declare` builds its declaration on the thread
// that runs it (the controls show that thread's record buffers).
void RegisterForm(const Services& services, std::string name,
                  std::function<FormDeclaration(ThreadState& thread)> declare);

}  // namespace vornel::ui
