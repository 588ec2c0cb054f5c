#include "platform/runtime_error.h"

namespace vornel::platform {
namespace {
thread_local RuntimeError last_error;
}

const RuntimeError& LastRuntimeError() { return last_error; }

void SetRuntimeError(int code, std::string_view text) {
  last_error.code = code;
  last_error.text = text;
}

void SetFileError(int code, std::string_view text, std::string_view driver_code,
                  std::string_view driver_text) {
  last_error = {code, std::string(text), std::string(driver_code), std::string(driver_text)};
}

void ClearRuntimeError() { last_error = {}; }

}  // namespace vornel::platform
