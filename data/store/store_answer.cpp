#include "data/store/store_answer.h"

namespace vornel::data {

const char* StoreAnswerText(int answer) {
  switch (answer) {
    case kStoreOk: return "No Error";
    case kFileNotFound: return "File Not Found";
    case kAccessDenied: return "Access Denied";
    case kRecordNotAvailable: return "Record Not Available";
    case kFileNotOpen: return "File Not Open";
    case kDuplicateKey: return "Creates Duplicate Key";
    case kRecordHeld: return "Record Is Already Held";
    case kInvalidKeyFile: return "Invalid Key File";
    case kFileAlreadyOpen: return "File Already Open";
    case kChangedByOther: return "Record Changed By Another Station";
    default: return "File System Error";
  }
}

}  // namespace vornel::data
