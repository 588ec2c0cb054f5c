#include "errors/message_table.h"

#include <array>
#include <cstddef>

namespace vornel::errors {
namespace {

struct StandardMessage {
  std::uint16_t id;
  std::uint8_t fatality;
  std::string_view title;
  std::string_view text;
};

// The standard messages in their stored order. Texts are exact: blanks,
// placeholders and '|' line breaks included.
constexpr StandardMessage kStandardMessages[] = {
    {30, 5, "Invalid Key",
     "%File key file is invalid. Key must be rebuilt."},
    {29, 3, "Key was not built",
     "Error: (%ErrorText) repairing key for %File."},
    {12, 3, "File Creation Error",
     "Error: (%ErrorText) creating %File."},
    {27, 5, "Procedure not defined",
     "The Procedure %Message has not been defined."},
    {19, 5, "Range Error",
     "The value of %Field must be lower than %Message."},
    {20, 5, "Range Error",
     "The value of %Field must be higher than %Message."},
    {18, 5, "Range Error",
     "The value of %Field must be in range %Message."},
    {16, 5, "Field contents error",
     "The value of %Field must be found in the %Message file."},
    {34, 5, "Referential Integrity Update Error",
     "This record is referenced from the file %File. Linking field(s) have been restricted from change and have been reset to original values."},
    {33, 5, "Referential Integrity Delete Error",
     "This record is referenced from the file %File. This record cannot be deleted while these references exist."},
    {4, 5, "Record Insert Error",
     "An error was experienced during the creation of a record.|File: %File|Error: %ErrorText."},
    {7, 5, "Record Was Not Updated",
     "This record was changed by another station."},
    {8, 5, "Record Was Not Updated",
     "This record was changed by another station. Those changes will now be displayed. Use the Ditto Button or Ctrl+H to recall your changes."},
    {37, 1, "Record Update Error",
     "An error was experienced changing this record. Do you want to try to save again?"},
    {36, 1, "Record Delete Error",
     "An error was experienced deleting this record. Do you want to try to delete it again?"},
    {23, 5, "Invalid Request",
     "This form cannot be used to insert a record"},
    {41, 5, "Invalid Request",
     "This form cannot be used to update a record"},
    {14, 5, "Invalid Request",
     "This form cannot be used to delete a record"},
    {10, 1, "Changes will be lost!",
     "Are you sure you want to cancel?"},
    {15, 5, "Duplicate Key Error",
     "Adding this record creates a duplicate entry for the key: %Message"},
    {35, 1, "Auto Increment Error",
     "Attempts to automatically number this record have failed.|File: %File|Key: %Key|Error: %ErrorText.|Try Again?"},
    {21, 5, "File Load Error",
     "%File File Load Error.  Error: %ErrorText."},
    {39, 1, "Beginning of File Error",
     "The beginning of the file %File was encountered. Do you want to start again from the end of the file?"},
    {40, 1, "End of File Error",
     "The end of the file %File was encountered. Do you want to start again from the beginning?"},
    {6, 5, "File Access Error",
     "File %File could not be closed.  Error: %ErrorText."},
    {26, 3, "File Access Error",
     "File %File could not be opened.  Error: %ErrorText."},
    {28, 5, "Record was not updated",
     "An error (%ErrorText) was experienced when making changes to the %File file."},
    {13, 5, "Record was not deleted",
     "An error (%ErrorText) was experienced when deleting a record from the %File file."},
    {11, 1, "Confirm Delete",
     "Are you sure you want to delete the highlighted record?"},
    {38, 1, "Save Record",
     "Do you want to save the changes to this record?"},
    {24, 5, "Transaction cancelled",
     "Error: (%ErrorText) attempting to frame the transaction on %File."},
    {1, 5, "Record Retrieval Error",
     "Error: (%ErrorText) attempting to access a record from the %File file.  Returning to previous window."},
    {43, 5, "View Open Error",
     "Error: (%ErrorText) attempting to open the current VIEW. Filter and Range Limits ignored."},
    {3, 1, "Record Added",
     "This record has been added to the file. Do you want to add another record?"},
    {31, 5, "Record not read",
     "A record held by another station was encountered reading from the %File file."},
    {5, 5, "Add New Record?",
     "Record match not found, do you wish to add a new one?"},
    {17, 5, "Value Error",
     "The value of %Field must be in the list : %Message."},
    {25, 5, "No Records",
     "There are no records available to process."},
    {2, 5, "Access Denied",
     "Could not get write access to %File so trying read-only."},
    {42, 2, "File Usage Error",
     "Attempt to use file (%File) before it was opened"},
    {44, 5, "Unsupported QBE Column",
     "The saved QBE column, %Field is not supported. It will be dropped from the query."},
    {45, 5, "SMTP Error",
     "The following SMTP Error occurred: %Message "},
    {46, 5, "NNTP Error",
     "%Message "},
    {47, 5, "Winsock Error",
     "%Message "},
    {49, 3, "WMF Parser Error",
     "The File %File is not a valid WMF file."},
    {22, 3, "WMF Parser Error",
     "Get next record from file %File failed."},
    {51, 3, "WMF Parser Error",
     "Cannot find %Field id. Parsing %File."},
    {50, 3, "WMF Parser Error",
     "Invalid %Field control found. Parsing %File."},
    {48, 3, "WMF Parser Error",
     "Adding record to queue failed. Parsing %File."},
    {52, 5, "Report Writer Error",
     "Poorly Formed Comment String \"%Message\" at Position %Field."},
    {53, 5, "Report Writer Error",
     "Unknown Property %Message."},
    {9, 5, "Record Retrieval Error",
     "This record was changed or deleted by another station.|Error: (%ErrorText) attempting to access a record from the %File file."},
};

constexpr std::size_t PackedSize() {
  std::size_t size = 2;
  for (const StandardMessage& m : kStandardMessages) size += 2 + 1 + 1 + m.title.size() + 1 + m.text.size();
  return size;
}

constexpr auto Pack() {
  std::array<std::uint8_t, PackedSize()> block{};
  std::size_t at = 0;
  auto put = [&](std::uint8_t byte) { block[at++] = byte; };
  auto put_text = [&](std::string_view text) {
    if (text.size() > 255) throw "message text longer than 255 bytes";
    put(static_cast<std::uint8_t>(text.size()));
    for (char c : text) put(static_cast<std::uint8_t>(c));
  };
  constexpr std::size_t count = std::size(kStandardMessages);
  put(count & 0xff);
  put(count >> 8);
  for (const StandardMessage& m : kStandardMessages) {
    put(m.id & 0xff);
    put(m.id >> 8);
    put(m.fatality);
    put_text(m.title);
    put_text(m.text);
  }
  return block;
}

constexpr auto kStandardBlock = Pack();

}  // namespace

std::span<const std::uint8_t> StandardMessageBlock() { return kStandardBlock; }

std::vector<MessageEntry> UnpackMessageBlock(std::span<const std::uint8_t> block, bool* complete) {
  std::vector<MessageEntry> entries;
  std::size_t at = 0;
  auto has = [&](std::size_t n) { return block.size() - at >= n; };
  auto text = [&](std::string& out) {
    if (!has(1)) return false;
    std::size_t length = block[at++];
    if (!has(length)) return false;
    out.assign(reinterpret_cast<const char*>(block.data() + at), length);
    at += length;
    return true;
  };
  bool whole = has(2);
  std::size_t count = whole ? block[0] | (block[1] << 8) : 0;
  at = 2;
  for (std::size_t i = 0; i < count && whole; ++i) {
    MessageEntry entry;
    whole = has(3);
    if (!whole) break;
    entry.id = block[at] | (block[at + 1] << 8);
    entry.fatality = block[at + 2];
    at += 3;
    whole = text(entry.title) && text(entry.message);
    if (whole) entries.push_back(std::move(entry));
  }
  if (complete) *complete = whole;
  return entries;
}

}  // namespace vornel::errors
