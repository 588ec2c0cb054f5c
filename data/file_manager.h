#pragma once
// The file manager: the one way a procedure uses a record file. One per file
// per thread. It opens the file on first use (creating, rebuilding or falling
// back to read only as needed), turns the store's answers into the standard
// messages, numbers new records of auto-numbered files, applies the field
// rules, and keeps an inner procedure from disturbing the record and position
// of an outer procedure on the same thread.
//
// Levels returned: 0 go on, 1 validation failed, 3 not usable, 4 declined,
// 5 failed (a notice shown, or in quiet variants only LastError() set).
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "data/data_context.h"
#include "data/dictionary/file_def.h"
#include "data/store/record_file.h"

namespace vornel::data {

class FileRegistry;

// How a procedure uses a file (recorded per procedure in the registry).
enum UseType : int {
  kUseReadWrite = 2,  // every read and write
  kUseSelect = 3,     // a list that returns the selected record to its caller
  kUseUnregistered = 4,
  kUseInit = 5,
};

class FileManager {
 public:
  FileManager(const FileDef& def, DataContext& context, FileRegistry& registry);
  ~FileManager();
  FileManager(const FileManager&) = delete;
  FileManager& operator=(const FileManager&) = delete;

  const FileDef& def() const { return def_; }
  std::string GetName() const;  // the name shown as %File
  std::span<char> buffer();
  template <typename Record>
  Record& record() {
    return *reinterpret_cast<Record*>(buffer().data());
  }
  RecordFile& file();  // the store's file object (made on first use)

  // Opening and closing, counted: every Open is matched by one Close.
  int Open();       // rebuilds a bad key file
  int OpenQuiet();  // does not rebuild
  void Close();
  int CheckUse(int use_type);
  // Opens the file physically now (before a transaction frames it).
  int EnsurePhysicallyOpen();
  bool IsPhysicallyOpen() const { return used_; }
  int opened() const { return opened_; }

  // Reading.
  int Fetch(const KeyDef& key);  // exact key; clears the buffer when not found
  int TryFetch(const KeyDef& key);  // exact key; leaves the buffer when not found
  int Next();
  int NextQuiet();
  int Previous();
  int PreviousQuiet();
  bool at_eof() const { return at_eof_; }

  // New records.
  int PrepareNewRecord(bool keep_buffer = false);
  int AssignNextNumber();
  int AssignNextNumberQuiet();
  int CancelAutoNumber(const std::function<int()>& delete_through_relations = {});
  bool auto_number_done() const { return auto_inc_done_; }
  bool HasAutoNumber() const;

  // Writing.
  int Insert();
  int InsertQuiet();
  int Update();
  int UpdateQuiet();
  int DeleteRecord(bool ask);

  // Field rules.
  int ValidateField(std::size_t field, bool show = false);
  int ValidateFields(std::size_t first, std::size_t last, std::size_t* failing = nullptr);
  int ValidateRecord(std::size_t* failing = nullptr);

  // Saved copies of the record buffer and of the whole file state.
  int SaveBuffer();
  void RestoreBuffer(int id, bool restore = true);
  bool EqualBuffer(int id) const;
  int SaveFile();
  void RestoreFile(int id, bool restore_buffer = true);

  // Messages.
  int RaiseMessage(int message_id);
  int RaiseMessageWithText(int message_id, std::string_view text);
  int LastError() const { return last_error_; }

  // Settings.
  void SetOpenMode(std::uint8_t mode);
  std::uint8_t open_mode() const { return open_mode_; }
  void SetSkipHeldRecords(bool on) { skip_held_ = on; }
  void SetUseReadAhead(bool on, int size = 20);
  // Initial values of a new record (after clearing, before numbering).
  void SetPrimer(std::function<void(FileManager&)> primer) { primer_ = std::move(primer); }

  // The first registered key whose values in the buffer another record has.
  const KeyDef* FirstDuplicateKey();
  // Sets the key's components from `first` on to their lowest values (with
  // `high`, their highest; a descending component takes the other end).
  void ClearKeyFrom(const KeyDef& key, std::size_t first, bool high = false);
  void set_last_error(int message_id) { last_error_ = message_id; }
  int Raise();  // LastError() with %File set to this file's name

 private:
  int PhysicalOpen(bool build_keys);
  std::filesystem::path CurrentDirectory() const;
  void FollowWorkingDirectory();
  int ReadSequential(bool forward, bool interactive);
  int NumberNewRecord(bool interactive);
  int InsertImpl(bool interactive);
  int UpdateImpl(bool interactive);
  std::string KeyLabel(const KeyDef& key) const;

  struct SavedBuffer {
    int id;
    std::vector<char> copy;
  };
  struct SavedState {
    int id;
    int buffer_id;
    bool auto_inc_done;
    FileState state;
  };

  const FileDef& def_;
  DataContext& context_;
  FileRegistry& registry_;
  std::unique_ptr<RecordFile> file_;
  std::filesystem::path directory_;  // where file_ lives
  std::function<void(FileManager&)> primer_;
  std::vector<SavedBuffer> buffers_;
  std::vector<SavedState> saved_;
  int opened_ = 0;
  bool used_ = false;
  bool initialized_ = false;
  bool in_use_check_ = false;
  bool at_eof_ = false;
  bool auto_inc_done_ = false;
  bool create_ = true;
  bool skip_held_ = false;
  bool use_read_ahead_ = false;
  int read_ahead_size_ = 10;
  int last_error_ = 0;
  std::uint8_t open_mode_ = kOpenNormal;
  int lock_recover_ = 10;
};

}  // namespace vornel::data
