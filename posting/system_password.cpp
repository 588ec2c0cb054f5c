#include "posting/system_password.h"

#include <memory>

#include "platform/text.h"

namespace vornel::posting {

platform::ControlSpec PasswordEntry(std::string& typed, std::string picture) {
  platform::ControlSpec password = platform::Entry("?PWDCHK", "Password:", std::move(picture), platform::Ref(typed));
  password.secret = true;
  return password;
}

bool IsSystemPassword(const ui::ProgramValues& values, std::string_view typed) {
  return platform::Clip(typed) == platform::ReadField(values.password);
}

ui::DialogDeclaration DeclarePasswordForm(ui::ProgramValues& values, PasswordForm form) {
  auto typed = std::make_shared<std::string>();
  ui::DialogDeclaration dialog;
  dialog.window.procedure = std::move(form.procedure);
  dialog.window.title = std::move(form.title);
  auto& controls = dialog.window.controls;
  controls.push_back(platform::Shown("?Warning", "WARNING:"));
  int line = 0;
  for (std::string& text : form.warning) controls.push_back(platform::Shown("?Text" + std::to_string(++line), text));
  controls.push_back(std::move(form.date));
  controls.push_back(platform::Shown("?Text" + std::to_string(++line), "This Option Requires a System Password."));
  controls.push_back(PasswordEntry(*typed, std::move(form.password_picture)));
  controls.push_back(platform::Button("?Cancel", "&Cancel"));
  controls.push_back(platform::Button(form.go_button, std::move(form.go_text)));
  dialog.window.default_button = form.go_button;
  dialog.window.cancel_button = "?Cancel";
  dialog.on_open = [&values, typed] {
    values.cancelled = 0;
    typed->clear();
  };
  dialog.buttons = {{"?Cancel", ui::kCancelled, [&values] { values.cancelled = 1; }},
                    {form.go_button, ui::kCompleted,
                     [&values, typed, right = std::move(form.on_right), wrong = std::move(form.on_wrong)] {
                       if (IsSystemPassword(values, *typed)) {
                         right();
                         return;
                       }
                       values.cancelled = 1;
                       if (wrong) wrong();
                     }}};
  return dialog;
}

}  // namespace vornel::posting
