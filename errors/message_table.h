#pragma once
// The standard message table, kept as one packed block of bytes:
//   2 bytes entry count (LE), then per entry: 2 bytes ID (LE), 1 byte
//   fatality, 1 byte title length + title, 1 byte text length + text.
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "errors/message_entry.h"

namespace vornel::errors {

// The standard table as its packed block.
std::span<const std::uint8_t> StandardMessageBlock();

// The entries of a packed block, in stored order. A block that ends inside an
// entry yields the entries before it and sets *complete to false.
std::vector<MessageEntry> UnpackMessageBlock(std::span<const std::uint8_t> block,
                                             bool* complete = nullptr);

// The IDs of the standard messages, for callers that raise them.
namespace msg {
inline constexpr int kRetrievalError = 1;        // "Record Retrieval Error"
inline constexpr int kAccessDenied = 2;          // "Access Denied"
inline constexpr int kRecordAdded = 3;           // "Record Added"
inline constexpr int kInsertError = 4;           // "Record Insert Error"
inline constexpr int kAddNewRecord = 5;          // "Add New Record?"
inline constexpr int kCloseError = 6;            // "File Access Error" (close)
inline constexpr int kChangedByOther = 7;        // "Record Was Not Updated"
inline constexpr int kChangedByOtherShown = 8;   // "Record Was Not Updated" (changes shown)
inline constexpr int kChangedOrDeleted = 9;      // "Record Retrieval Error"
inline constexpr int kConfirmCancel = 10;        // "Changes will be lost!"
inline constexpr int kConfirmDelete = 11;        // "Confirm Delete"
inline constexpr int kCreateError = 12;          // "File Creation Error"
inline constexpr int kDeleteError = 13;          // "Record was not deleted"
inline constexpr int kNoDeleteForm = 14;         // "Invalid Request"
inline constexpr int kDuplicateKey = 15;         // "Duplicate Key Error"
inline constexpr int kNotInFile = 16;            // "Field contents error"
inline constexpr int kNotInList = 17;            // "Value Error"
inline constexpr int kRangeBetween = 18;         // "Range Error"
inline constexpr int kRangeBelow = 19;           // "Range Error" (must be lower)
inline constexpr int kRangeAbove = 20;           // "Range Error" (must be higher)
inline constexpr int kLoadError = 21;            // "File Load Error"
inline constexpr int kNoInsertForm = 23;         // "Invalid Request"
inline constexpr int kTransactionCancelled = 24; // "Transaction cancelled"
inline constexpr int kNoRecords = 25;            // "No Records"
inline constexpr int kOpenError = 26;            // "File Access Error" (open)
inline constexpr int kProcedureNotDefined = 27;  // "Procedure not defined"
inline constexpr int kUpdateFailed = 28;         // "Record was not updated"
inline constexpr int kKeyNotBuilt = 29;          // "Key was not built"
inline constexpr int kInvalidKey = 30;           // "Invalid Key"
inline constexpr int kRecordHeld = 31;           // "Record not read"
inline constexpr int kRestrictDelete = 33;       // "Referential Integrity Delete Error"
inline constexpr int kRestrictUpdate = 34;       // "Referential Integrity Update Error"
inline constexpr int kAutoIncrementError = 35;   // "Auto Increment Error"
inline constexpr int kDeleteRetry = 36;          // "Record Delete Error"
inline constexpr int kUpdateRetry = 37;          // "Record Update Error"
inline constexpr int kSaveRecord = 38;           // "Save Record"
inline constexpr int kBeginningOfFile = 39;      // "Beginning of File Error"
inline constexpr int kEndOfFile = 40;            // "End of File Error"
inline constexpr int kNoUpdateForm = 41;         // "Invalid Request"
inline constexpr int kFileNotOpened = 42;        // "File Usage Error"
inline constexpr int kViewOpenError = 43;        // "View Open Error"
}  // namespace msg

}  // namespace vornel::errors
