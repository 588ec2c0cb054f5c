#pragma once
// The last error of the runtime and of the record-file driver, per thread.
// Lower layers record their failures here; the error manager captures them
// into the texts of its messages (%ErrorCode, %ErrorText, %FileError ...).
#include <string>
#include <string_view>

namespace vornel::platform {

struct RuntimeError {
  int code = 0;                 // the last runtime error code (0 = none)
  std::string text;             // its text
  std::string file_error_code;  // the file driver's last error code, as text
  std::string file_error_text;  // the file driver's last error text
};

// This thread's last errors.
const RuntimeError& LastRuntimeError();
void SetRuntimeError(int code, std::string_view text);
// A driver failure sets both: the runtime code (90 for a driver error) and the
// driver's own code and text.
void SetFileError(int code, std::string_view text, std::string_view driver_code,
                  std::string_view driver_text);
void ClearRuntimeError();

}  // namespace vornel::platform
