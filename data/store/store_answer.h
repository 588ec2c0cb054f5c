#pragma once
// The answers of the record-file store. 0 is success; the others are the
// codes the file, relation and view managers act on.
namespace vornel::data {

enum StoreAnswer : int {
  kStoreOk = 0,
  kFileNotFound = 2,         // the file does not exist (create it, or an open error)
  kAccessDenied = 5,         // a sharing mode of another opener refuses this open
  kRecordNotAvailable = 33,  // end of file, or no record matches
  kFileNotOpen = 37,         // the call needs an open file
  kDuplicateKey = 40,        // a unique key would get a second equal value
  kRecordHeld = 43,          // another station holds the record
  kInvalidKeyFile = 46,      // the keys are damaged: rebuild them
  kFileAlreadyOpen = 52,     // open on a file that is open already
  kChangedByOther = 89,      // the record changed since it was read
  kDriverError = 90,         // any other failure; the driver's own code and text say more
};

// The store's text for an answer ("Record Not Available").
const char* StoreAnswerText(int answer);

}  // namespace vornel::data
