#pragma once
// One record file as one thread uses it: its record buffer, its current order
// and position, and the last record read. Every call answers a StoreAnswer and
// records its code and text as this thread's last file error
// (platform::SetFileError) so that messages can show them.
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "data/dictionary/file_def.h"
#include "data/store/store_answer.h"

namespace vornel::data {

// Low four bits: access; high four bits: sharing with other openers.
enum OpenMode : std::uint8_t {
  kReadOnly = 0x00,
  kWriteOnly = 0x01,
  kReadWrite = 0x02,
  kDenyAll = 0x10,
  kDenyWrite = 0x20,
  kDenyRead = 0x30,
  kDenyNone = 0x40,
  kOpenNormal = kReadWrite | kDenyNone,    // 0x42
  kOpenBatch = kReadWrite | kDenyWrite,    // 0x22
  kOpenFallback = kReadOnly | kDenyNone,   // 0x40
};

using RecordPosition = std::int64_t;  // a record's position in record order; 0 = none

// A file's saved position and state (SaveState / RestoreState).
struct FileState {
  const KeyDef* order = nullptr;
  std::string position;     // PositionString() at the time of saving
  std::string store_state;  // the store's own record of the read position and current record
  bool at_start = true;
  bool valid = false;
};

class RecordFile {
 public:
  virtual ~RecordFile() = default;

  const FileDef& def() const { return def_; }
  // The record buffer: record_size bytes laid out as the dictionary says.
  std::span<char> buffer() { return {buffer_.get(), def_.record_size}; }
  std::span<const char> buffer() const { return {buffer_.get(), def_.record_size}; }
  template <typename Record>
  Record& record() {
    static_assert(sizeof(Record) > 0);
    return *reinterpret_cast<Record*>(buffer_.get());
  }
  void ClearBuffer();  // blanks in text fields, zero elsewhere

  // The file itself.
  virtual int Create() = 0;  // an empty file with all its keys; kStoreOk when it exists already
  virtual bool Exists() = 0;
  virtual int Open(std::uint8_t mode) = 0;
  virtual int Close() = 0;
  virtual bool IsOpen() const = 0;
  virtual bool IsReadOnly() const = 0;
  virtual std::int64_t Records() = 0;  // -1 with an answer recorded on failure
  virtual int BuildKeys() = 0;         // rebuild every key
  virtual int Remove() = 0;            // delete the file (closed) with all its records

  // Positioning. `key` nullptr means record order. The next read after a
  // positioning call returns the first record at or after the position; the
  // previous read the last record before it.
  virtual int SetOrder(const KeyDef* key) = 0;             // at the start of that order
  virtual int SetOrderEnd(const KeyDef* key) = 0;          // at the end of that order
  virtual int SetByKey(const KeyDef& key) = 0;             // at the key's values in the buffer
  virtual int SetByPosition(const KeyDef* key, RecordPosition position) = 0;  // at that record
  // Just after the record with the key values of `record` at `position`, in
  // `key`'s order: the next read returns the record after it, the previous
  // read the one before. The record itself is not read, and need not be
  // there any more (a list goes on from the edge row of its page).
  virtual int SetAfterRecord(const KeyDef* key, std::span<const char> record, RecordPosition position) = 0;
  virtual int Next() = 0;       // into the buffer; kRecordNotAvailable at the end
  virtual int Previous() = 0;   // into the buffer; kRecordNotAvailable at the start

  // Direct reads; each makes the record read the current one.
  virtual int GetByKey(const KeyDef& key) = 0;  // exact match of the key values in the buffer
  virtual int GetByPosition(RecordPosition position) = 0;
  virtual int Reget() = 0;                      // the current record again
  virtual RecordPosition Position() const = 0;  // of the current record, 0 when none

  // Writes. Put and Delete act on the current record (the one last read).
  virtual int Add() = 0;     // the buffer as a new record; it becomes the current one
  virtual int Put() = 0;     // kChangedByOther when another station changed it since it was read
  virtual int Delete() = 0;
  // Whether a record other than the current one has the buffer's values of
  // the key: what a unique key refuses. An Add refused for a duplicate key
  // leaves no current record, so that every record counts after it.
  virtual bool DuplicatesKey(const KeyDef& key) = 0;

  // Holds: a held record is refused (kRecordHeld) to every other opener's
  // reads until released, closed, or the holder's process ends.
  virtual int Hold() = 0;      // the current record
  virtual int Release() = 0;   // every record this opener holds
  // With watching on, reads remember the record's revision so that Put can
  // tell another station's change; the file manager turns it on for forms.
  virtual void SetWatch(bool on) = 0;
  virtual bool Watched() const = 0;
  // The stored revision of the current record as it was read (0 when none):
  // two reads of a record answer the same revision only when nobody wrote it
  // in between.
  virtual std::int64_t Revision() const = 0;

  // Bulk work and driver settings.
  virtual int Stream() = 0;  // batch writes: one transaction until Flush
  virtual int Flush() = 0;
  virtual int SendCommand(std::string_view command) = 0;  // "QUICKSCAN=on", "Recover=10"
  virtual void SetReadAhead(int records) = 0;             // records fetched per request; 0 = default
  // The next request fetches `records` records (the rows a list is about to
  // show), and each further request of that run of reads twice as many as
  // the one before (a filter that refuses some needs a few more).
  virtual void ExpectReads(int records) = 0;

  // Saved position and state; position strings.
  virtual FileState SaveState() const = 0;
  virtual int RestoreState(const FileState& state) = 0;
  virtual std::string PositionString() const = 0;  // of the current record; "" when none
  virtual int SetByPositionString(std::string_view position) = 0;
  virtual int GetByPositionString(std::string_view position) = 0;

 protected:
  explicit RecordFile(const FileDef& def);

 private:
  const FileDef& def_;
  std::unique_ptr<char[]> buffer_;
};

}  // namespace vornel::data
