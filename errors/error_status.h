#pragma once
// The values of the message being raised on one thread.
#include <cstdint>
#include <string>

#include "errors/message_entry.h"

namespace vornel::errors {

struct ErrorStatus {
  std::string field_name;          // %Field
  std::string file_name;           // %File
  std::string key_name;            // %Key
  std::string message_text;        // %Message
  std::string save_error;          // the last runtime error text
  std::int32_t save_error_code = 0;
  std::string save_file_error;       // the file driver's last error text
  std::string save_file_error_code;  // the file driver's last error code, as text
  MessageEntry error_buffer;         // a copy of the current message entry
  std::int32_t prev_error_id = 0;    // the ID raised before the current one
};

}  // namespace vornel::errors
