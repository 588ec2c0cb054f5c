#include "data/file_manager.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "data/dictionary/field_access.h"
#include "data/dictionary/field_rules.h"
#include "data/file_registry.h"
#include "errors/message_table.h"
#include "platform/message_box.h"
#include "platform/runtime_error.h"
#include "platform/text.h"

namespace vornel::data {
namespace msg = errors::msg;
using errors::kDeclined;
using errors::kFieldInvalid;
using errors::kGoOn;
using errors::kNotified;
using errors::kNotUsable;

namespace {
constexpr int kOpenAttempts = 2;
constexpr int kNumberAttempts = 3;
constexpr int kNumberRounds = 10;  // "Try Again?" answered Yes at most this often

// Initial field values of every new record of a file, set after the record is
// cleared and before it is numbered.
struct InitialValue {
  std::string_view file;
  std::string_view field;
  std::string_view value;
};
constexpr InitialValue kInitialValues[] = {{"Log", "LOG:TRANS_TYPE", "SCHED"}};

double SmallestValue(const FieldDef& field) {
  switch (field.type) {
    case FieldType::kInt16: return std::numeric_limits<std::int16_t>::min();
    case FieldType::kInt32:
    case FieldType::kDate:
    case FieldType::kTime: return std::numeric_limits<std::int32_t>::min();
    case FieldType::kFloat64: return std::numeric_limits<double>::lowest();
    default: return 0;
  }
}

double LargestValue(const FieldDef& field) {
  switch (field.type) {
    case FieldType::kUInt8: return std::numeric_limits<std::uint8_t>::max();
    case FieldType::kInt16: return std::numeric_limits<std::int16_t>::max();
    case FieldType::kFloat64: return std::numeric_limits<double>::max();
    default: return std::numeric_limits<std::int32_t>::max();
  }
}
}  // namespace

FileManager::FileManager(const FileDef& def, DataContext& context, FileRegistry& registry)
    : def_(def), context_(context), registry_(registry), create_(def.create_when_missing) {}

FileManager::~FileManager() {
  if (file_ && file_->IsOpen()) file_->Close();
}

std::string FileManager::GetName() const { return std::string(platform::Clip(def_.label)); }

std::filesystem::path FileManager::CurrentDirectory() const {
  if (auto path = context_.paths.Resolve(def_.file_name)) return path->parent_path();
  return context_.paths.root();
}

RecordFile& FileManager::file() {
  if (!file_) {
    directory_ = CurrentDirectory();
    file_ = context_.store.MakeFile(def_, directory_);
  }
  return *file_;
}

// A file that is not open follows the working directory: after a department
// switch its next open reaches the new department's file. The record buffer
// goes along.
void FileManager::FollowWorkingDirectory() {
  if (!file_ || file_->IsOpen()) return;
  std::filesystem::path directory = CurrentDirectory();
  if (directory == directory_) return;
  std::unique_ptr<RecordFile> moved = context_.store.MakeFile(def_, directory);
  std::copy(file_->buffer().begin(), file_->buffer().end(), moved->buffer().begin());
  file_ = std::move(moved);
  directory_ = directory;
}

std::span<char> FileManager::buffer() { return file().buffer(); }

bool FileManager::HasAutoNumber() const {
  return std::any_of(def_.keys.begin(), def_.keys.end(),
                     [](const KeyDef& key) { return key.auto_number; });
}

std::string FileManager::KeyLabel(const KeyDef& key) const {
  return std::string(key.description.empty() ? key.name : key.description);
}

// ---- messages ----

int FileManager::Raise() {
  context_.errors.SetFile(GetName());
  return context_.errors.RaiseError(last_error_);
}

int FileManager::RaiseMessage(int message_id) {
  last_error_ = message_id;
  return Raise();
}

int FileManager::RaiseMessageWithText(int message_id, std::string_view text) {
  last_error_ = message_id;
  context_.errors.SetMessageText(text);
  return Raise();
}

// ---- opening ----

int FileManager::CheckUse(int use_type) {
  if (use_type != kUseInit) {
    int level = CheckUse(kUseInit);
    if (level != kGoOn) return level;
  } else if (!initialized_) {
    initialized_ = true;
    file();
  }
  in_use_check_ = true;
  int result = kGoOn;
  if (use_type == kUseInit) {
    if (opened_ < 1) {
      if (!used_) result = PhysicalOpen(true);
      if (result == kGoOn) opened_ = 1;
    }
  } else {
    if (use_type != kUseUnregistered) registry_.RecordUse(*this, use_type);
    if (!used_) {
      if (opened_ < 1) {
        in_use_check_ = false;
        return RaiseMessage(msg::kFileNotOpened);
      }
      int saved = SaveBuffer();
      result = PhysicalOpen(true);
      RestoreBuffer(saved, true);
    }
  }
  in_use_check_ = false;
  return result;
}

int FileManager::Open() {
  registry_.RecordOpen(*this);
  ++opened_;
  return kGoOn;
}

int FileManager::OpenQuiet() { return Open(); }

int FileManager::PhysicalOpen(bool build_keys) {
  FollowWorkingDirectory();
  RecordFile& f = file();
  int attempts = 0;
  while (attempts < kOpenAttempts) {
    ++attempts;
    int answer = f.Open(open_mode_);
    if (answer == kAccessDenied) {
      f.SendCommand("Recover=" + std::to_string(lock_recover_));
      answer = f.Open(open_mode_);
    }
    switch (answer) {
      case kStoreOk:
        used_ = true;
        at_eof_ = false;
        auto_inc_done_ = false;
        return kGoOn;
      case kFileNotFound:
        if (!create_) return RaiseMessage(msg::kOpenError);
        if (f.Create() != kStoreOk) return RaiseMessage(msg::kCreateError);
        continue;
      case kAccessDenied:
        if ((open_mode_ & 0x0f) == kReadOnly) {
          attempts = kOpenAttempts;
          break;
        }
        open_mode_ = static_cast<std::uint8_t>(open_mode_ & 0xf0);
        RaiseMessage(msg::kAccessDenied);
        continue;
      case kInvalidKeyFile:
        last_error_ = msg::kInvalidKey;
        if (!build_keys) return kNotified;
        Raise();
        if (f.BuildKeys() != kStoreOk) return RaiseMessage(msg::kKeyNotBuilt);
        continue;
      default:
        return RaiseMessage(msg::kOpenError);
    }
  }
  return RaiseMessage(msg::kOpenError);
}

int FileManager::EnsurePhysicallyOpen() { return used_ ? kGoOn : PhysicalOpen(true); }

void FileManager::Close() {
  registry_.RemoveOpen(*this);
  if (use_read_ahead_ && file_) {
    use_read_ahead_ = false;
    file_->SetReadAhead(0);
  }
  if (opened_ > 0 && --opened_ == 0 && used_) {
    file_->Close();
    used_ = false;
  }
}

void FileManager::SetOpenMode(std::uint8_t mode) { open_mode_ = mode; }

void FileManager::SetUseReadAhead(bool on, int size) {
  use_read_ahead_ = on;
  read_ahead_size_ = size;
}

// ---- reading ----

int FileManager::TryFetch(const KeyDef& key) {
  if (CheckUse(kUseReadWrite) != kGoOn) return kNotUsable;
  return file().GetByKey(key) == kStoreOk ? kGoOn : kNotified;
}

int FileManager::Fetch(const KeyDef& key) {
  int level = TryFetch(key);
  if (level != kGoOn && file_) file_->ClearBuffer();
  return level;
}

int FileManager::ReadSequential(bool forward, bool interactive) {
  if (CheckUse(kUseReadWrite) != kGoOn) return kNotUsable;
  RecordFile& f = file();
  if (use_read_ahead_) f.SetReadAhead(read_ahead_size_);
  for (;;) {
    at_eof_ = false;
    int answer = forward ? f.Next() : f.Previous();
    switch (answer) {
      case kStoreOk:
        return kGoOn;
      case kRecordNotAvailable:
        at_eof_ = true;
        return kNotified;
      case kRecordHeld:
        if (skip_held_) continue;
        last_error_ = msg::kRecordHeld;
        return interactive ? Raise() : kNotified;
      default:
        last_error_ = msg::kRetrievalError;
        return interactive ? Raise() : kNotUsable;
    }
  }
}

int FileManager::Next() { return ReadSequential(true, true); }
int FileManager::NextQuiet() { return ReadSequential(true, false); }
int FileManager::Previous() { return ReadSequential(false, true); }
int FileManager::PreviousQuiet() { return ReadSequential(false, false); }

// ---- new records ----

int FileManager::PrepareNewRecord(bool keep_buffer) {
  if (CheckUse(kUseReadWrite) != kGoOn) return kNotUsable;
  if (!keep_buffer) file().ClearBuffer();
  for (const InitialValue& initial : kInitialValues) {
    if (initial.file == def_.label)
      WriteText(def_, *def_.FindField(initial.field), buffer(), initial.value);
  }
  if (primer_) primer_(*this);
  if (!HasAutoNumber()) return kGoOn;
  auto_inc_done_ = false;
  return AssignNextNumber();
}

// Numbers the record (highest existing number + 1, or 1 in an empty file) and
// adds it at once, so the number is reserved while the form is filled in.
int FileManager::NumberNewRecord(bool interactive) {
  if (!HasAutoNumber() || auto_inc_done_) return kGoOn;
  RecordFile& f = file();
  for (int rounds = 0;;) {
    int answer = kStoreOk;
    for (int attempt = 1; attempt <= kNumberAttempts; ++attempt) {
      f.SetReadAhead(0);
      for (const KeyDef& key : def_.keys) {
        if (!key.auto_number) continue;
        context_.errors.SetKey(KeyLabel(key));
        const FieldDef& field = def_.fields[key.components[0].field];
        int saved = SaveBuffer();
        int read = key.components[0].ascending ? (f.SetOrderEnd(&key), f.Previous())
                                               : (f.SetOrder(&key), f.Next());
        double next = 1;
        if (read == kStoreOk) {
          next = ReadNumber(def_, field, f.buffer()) + 1;
        } else if (read != kRecordNotAvailable) {
          RestoreBuffer(saved, true);
          last_error_ = msg::kRetrievalError;
          return interactive ? Raise() : kNotified;
        }
        RestoreBuffer(saved, true);
        if (next > LargestValue(field)) {
          // The field's type has no higher number (32767 clients): refuse
          // rather than wrap into negative or duplicate numbers.
          platform::SetFileError(kDriverError, StoreAnswerText(kDriverError), "range",
                                 KeyLabel(key) + " has no number left above " +
                                     std::to_string(static_cast<long long>(LargestValue(field))));
          last_error_ = msg::kInsertError;
          return interactive ? Raise() : kNotified;
        }
        WriteNumber(def_, field, f.buffer(), next);
      }
      answer = f.Add();
      if (answer == kStoreOk) {
        auto_inc_done_ = true;
        return kGoOn;
      }
    }
    if (answer == kDuplicateKey) {
      if (const KeyDef* key = FirstDuplicateKey()) context_.errors.SetKey(KeyLabel(*key));
    }
    last_error_ = msg::kAutoIncrementError;
    // A silent error manager (or a screenless run) would answer Yes for ever.
    if (!interactive || context_.errors.silent() || ++rounds >= kNumberRounds || Raise() != kGoOn)
      return kNotified;
  }
}

int FileManager::AssignNextNumber() { return NumberNewRecord(true); }
int FileManager::AssignNextNumberQuiet() { return NumberNewRecord(false); }

int FileManager::CancelAutoNumber(const std::function<int()>& delete_through_relations) {
  if (CheckUse(kUseReadWrite) != kGoOn) return kNotUsable;
  if (!HasAutoNumber() || !auto_inc_done_) return kGoOn;
  int level = delete_through_relations ? delete_through_relations() : DeleteRecord(false);
  if (level == kGoOn) auto_inc_done_ = false;
  return level;
}

const KeyDef* FileManager::FirstDuplicateKey() {
  for (const KeyDef& key : def_.keys) {
    if (key.unique && file().DuplicatesKey(key)) return &key;
  }
  return nullptr;
}

void FileManager::ClearKeyFrom(const KeyDef& key, std::size_t first, bool high) {
  std::span<char> record = buffer();
  for (std::size_t i = first; i < key.components.size(); ++i) {
    const FieldDef& field = def_.fields[key.components[i].field];
    const bool to_high = high == key.components[i].ascending;
    if (field.type == FieldType::kText) {
      std::memset(record.data() + field.offset, to_high ? '\xff' : ' ', field.width);
    } else {
      WriteNumber(def_, field, record, to_high ? LargestValue(field) : SmallestValue(field));
    }
  }
}

// ---- writing ----

int FileManager::InsertImpl(bool interactive) {
  if (CheckUse(kUseReadWrite) != kGoOn) return kNotUsable;
  if (ValidateRecord() != kGoOn) return kNotified;
  RecordFile& f = file();
  f.SetReadAhead(0);
  int answer = kStoreOk;
  if (HasAutoNumber() && !auto_inc_done_) {
    if (NumberNewRecord(interactive) != kGoOn) return kNotified;
  } else {
    answer = auto_inc_done_ ? f.Put() : f.Add();
  }
  if (answer == kStoreOk) {
    auto_inc_done_ = false;
    return kGoOn;
  }
  if (answer == kDuplicateKey) {
    last_error_ = msg::kDuplicateKey;
    if (!interactive) return kNotified;
    const KeyDef* key = FirstDuplicateKey();
    std::string label = key ? KeyLabel(*key) : std::string();
    context_.errors.SetKey(label);
    RaiseMessageWithText(msg::kDuplicateKey, label);
    return kNotified;
  }
  last_error_ = msg::kInsertError;
  return interactive ? Raise() : kNotified;
}

int FileManager::Insert() { return InsertImpl(true); }
int FileManager::InsertQuiet() { return InsertImpl(false); }

int FileManager::UpdateImpl(bool interactive) {
  if (CheckUse(kUseReadWrite) != kGoOn) return kNotUsable;
  if (ValidateRecord() != kGoOn) return kFieldInvalid;
  RecordFile& f = file();
  std::string position = f.PositionString();
  int answer = f.Put();
  if (answer == kStoreOk) return kGoOn;
  if (answer == kChangedByOther) {
    last_error_ = msg::kChangedByOther;
    if (interactive) Raise();
    // Show the other station's version.
    f.SetWatch(true);
    f.GetByPositionString(position);
    return kNotified;
  }
  // A watched record that another station deleted is no write error: the
  // record is gone, and trying again cannot bring it back.
  last_error_ = answer == kRecordNotAvailable && f.Watched() ? msg::kChangedOrDeleted : msg::kUpdateFailed;
  return interactive ? Raise() : kNotified;
}

int FileManager::Update() { return UpdateImpl(true); }
int FileManager::UpdateQuiet() { return UpdateImpl(false); }

int FileManager::DeleteRecord(bool ask) {
  if (ask && context_.errors.RaiseError(msg::kConfirmDelete) != kGoOn) return kDeclined;
  if (CheckUse(kUseReadWrite) != kGoOn) return kNotUsable;
  if (file().Delete() == kStoreOk) return kGoOn;
  last_error_ = msg::kDeleteError;
  return kNotified;
}

// ---- field rules ----

int FileManager::ValidateField(std::size_t field, bool show) {
  if (field >= def_.fields.size()) return kGoOn;
  return CheckField(def_, def_.fields[field], buffer(), show ? &context_.errors : nullptr);
}

int FileManager::ValidateFields(std::size_t first, std::size_t last, std::size_t* failing) {
  for (std::size_t i = first; i <= last && i < def_.fields.size(); ++i) {
    int level = ValidateField(i, true);
    if (level != kGoOn) {
      if (failing) *failing = i;
      return level;
    }
  }
  return kGoOn;
}

int FileManager::ValidateRecord(std::size_t* failing) {
  return def_.fields.empty() ? kGoOn : ValidateFields(0, def_.fields.size() - 1, failing);
}

// ---- saved buffers and states ----

int FileManager::SaveBuffer() {
  int id = buffers_.empty() ? 1 : buffers_.back().id + 1;
  std::span<char> b = buffer();
  buffers_.push_back({id, std::vector<char>(b.begin(), b.end())});
  return id;
}

void FileManager::RestoreBuffer(int id, bool restore) {
  auto it = std::find_if(buffers_.begin(), buffers_.end(),
                         [id](const SavedBuffer& s) { return s.id == id; });
  if (it == buffers_.end()) return;
  if (restore) std::memcpy(buffer().data(), it->copy.data(), it->copy.size());
  buffers_.erase(it);
}

bool FileManager::EqualBuffer(int id) const {
  auto it = std::find_if(buffers_.begin(), buffers_.end(),
                         [id](const SavedBuffer& s) { return s.id == id; });
  if (it == buffers_.end() || !file_) return false;
  return std::memcmp(file_->buffer().data(), it->copy.data(), it->copy.size()) == 0;
}

int FileManager::SaveFile() {
  int id = saved_.empty() ? 1 : saved_.back().id + 1;
  saved_.push_back({id, SaveBuffer(), auto_inc_done_, file().SaveState()});
  return id;
}

void FileManager::RestoreFile(int id, bool restore_buffer) {
  auto it = std::find_if(saved_.begin(), saved_.end(),
                         [id](const SavedState& s) { return s.id == id; });
  if (it == saved_.end()) return;
  if (used_) file().RestoreState(it->state);
  RestoreBuffer(it->buffer_id, restore_buffer);
  if (restore_buffer) auto_inc_done_ = it->auto_inc_done;
  saved_.erase(it);
}

}  // namespace vornel::data
