#pragma once
// What a record file does the same in every SQL store: the checks of each
// call, positioning and reading through the record cursor, the current
// record and its revision, writes that tell another station's change, holds,
// driver commands, saved states and position strings. A store supplies the
// reads and writes of single rows, its holds and its cursor.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "data/store/record_cursor.h"
#include "data/store/record_file.h"

namespace vornel::data {

class SqlRecordFile : public RecordFile {
 public:
  // Read-ahead counts: the default, and with QUICKSCAN=on.
  static constexpr int kDefaultReadAhead = 20;
  static constexpr int kQuickScanReadAhead = 500;
  static constexpr int kMaxReadAhead = 10000;

  bool IsOpen() const override { return open_; }
  bool IsReadOnly() const override { return (mode_ & 0x0F) == kReadOnly; }
  std::int64_t Records() override;

  int SetOrder(const KeyDef* key) override;
  int SetOrderEnd(const KeyDef* key) override;
  int SetByKey(const KeyDef& key) override;
  int SetByPosition(const KeyDef* key, RecordPosition position) override;
  int SetAfterRecord(const KeyDef* key, std::span<const char> record, RecordPosition position) override;
  int Next() override { return Step(true); }
  int Previous() override { return Step(false); }

  int GetByKey(const KeyDef& key) override;
  int GetByPosition(RecordPosition position) override;
  int Reget() override;
  RecordPosition Position() const override { return current_position_; }

  int Add() override;
  int Put() override;
  int Delete() override;
  bool DuplicatesKey(const KeyDef& key) override;

  int Hold() override;
  int Release() override;
  void SetWatch(bool on) override { watch_ = on; }
  bool Watched() const override { return watch_; }
  std::int64_t Revision() const override { return current_revision_; }

  int SendCommand(std::string_view command) override;
  void SetReadAhead(int records) override;
  void ExpectReads(int records) override;

  FileState SaveState() const override;
  int RestoreState(const FileState& state) override;
  std::string PositionString() const override;
  int SetByPositionString(std::string_view position) override;
  int GetByPositionString(std::string_view position) override;

 protected:
  // One row as a read found it.
  struct Found {
    RecordPosition position = 0;
    std::int64_t revision = 0;
    bool may_be_held = false;  // the read saw a hold of the row (RecordCursor::Row::marked)
  };

  explicit SqlRecordFile(const FileDef& def);

  // The file opened with `mode`, read through `cursor`; and closed.
  void Opened(std::unique_ptr<RecordCursor> cursor, std::uint8_t mode);
  void Closed();
  RecordCursor* cursor() const { return cursor_.get(); }
  std::uint8_t mode() const { return mode_; }
  int Usable(bool write) const;  // kStoreOk, kFileNotOpen or kAccessDenied

  // Reads into `record`, recording kRecordNotAvailable when there is no such
  // record; `found->position` is set by the key read only.
  virtual int ReadByPosition(RecordPosition position, char* record, Found* found) = 0;
  virtual int ReadByKey(const KeyDef& key, const char* values, char* record, Found* found) = 0;
  // The buffer as a new row; its position.
  virtual int InsertRow(RecordPosition* position) = 0;
  // The buffer over the current row (at the current revision when watched):
  // *done false when no such row was there; the new revision.
  virtual int UpdateRow(bool* done, std::int64_t* revision) = 0;
  virtual int DeleteRow(bool* done) = 0;
  virtual std::int64_t CountRows() = 0;
  // Whether another row than the current one has the buffer's key values.
  virtual bool FindDuplicate(const KeyDef& key) = 0;
  // Holds: whether another opener holds the record. `may_be_held` is false
  // when the read that just found the record saw no hold of it (a store
  // that tells holds with its rows need not ask again).
  virtual bool HeldByOther(RecordPosition position, bool may_be_held) = 0;
  // Whether UpdateRow and DeleteRow refuse, as kRecordHeld, a row that
  // another opener holds: then Put and Delete ask HeldByOther beforehand
  // only what the store knows without asking (may_be_held false).
  virtual bool WritesRefuseHeldRows() const { return false; }
  virtual int HoldRow(RecordPosition position) = 0;
  virtual void ReleaseRows() = 0;
  // Counts the writes of the file's connection, so that rows read ahead can
  // tell that they may be stale.
  virtual std::uint64_t Generation() const = 0;
  virtual std::uint64_t MarkChanged() = 0;

 private:
  int CurrentWritable();
  int FindByPositionString(std::string_view position, Found* found, bool* by_key);
  int Step(bool forward);
  bool OwnsKey(const KeyDef* key) const;
  int Positionable(const KeyDef* key, bool read) const;  // Usable + OwnsKey, recorded
  // Makes a record read the current one, unless another opener holds it.
  int Deliver(const char* record, const Found& found);
  int PageSize() const;
  int Missing();  // kChangedByOther when the current record still exists, else kRecordNotAvailable

  std::unique_ptr<RecordCursor> cursor_;
  std::vector<char> scratch_;
  std::vector<char> current_record_;  // the current record as read or written
  std::uint8_t mode_ = kOpenNormal;
  bool open_ = false;
  RecordPosition current_position_ = 0;
  std::int64_t current_revision_ = 0;
  bool watch_ = false;
  bool quick_scan_ = false;
  int read_ahead_ = 0;
  int recover_seconds_ = 10;  // as sent by Recover=; nothing stale is ever left to recover
};

}  // namespace vornel::data
