#pragma once
// A record form: the window manager set up the way every form that keeps the
// records of one file is (the procedure's name for messages, the request from
// the caller, the primary file opened with its related files, the caption by
// request, the ditto key, OK and Cancel). A form procedure states only its
// window and its own rules.
#include <string>
#include <vector>

#include "data/dictionary/file_def.h"
#include "ui/window_manager.h"

namespace vornel::ui {

struct FormDeclaration {
  std::string procedure;    // "UpdateEmployee"
  std::string description;  // "Employee": "Adding a Employee Record"
  platform::WindowSpec window;
  const data::FileDef* primary = nullptr;
  std::string ok = "?OK";
  std::string cancel = "?Cancel";
  std::vector<std::string> ditto_fields;  // controls whose last saved value the ditto key recalls
};

class RecordForm : public WindowManager, public ToolbarTarget {
 public:
  // The ditto key: Ctrl (512) + the quote key (222).
  static constexpr int kDittoKey = 734;

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

 protected:
  int ControlNumber(std::string_view name) const;

  ThreadState& thread_;
  FormDeclaration declaration_;
  bool files_opened_ = false;
  bool name_pushed_ = false;
};

}  // namespace vornel::ui
