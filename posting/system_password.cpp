#include "posting/system_password.h"

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

}  // namespace vornel::posting
