#pragma once
// One opener's locks in its directory's lock file `records.lock`: the sharing
// mode of its open and the holds of its records. Linux open-file-description
// locks belong to the file descriptor, so every open file object is its own
// opener (threads of one process included), and the locks vanish when the
// object closes or its process dies.
//
// Byte ranges per file, base = (FileDef::number + 1) << 40:
//   base+0  opened: every opener shared; deny-all exclusive
//   base+1  writer: openers with write access shared; deny-write exclusive
//   base+2  reader: openers with read access shared; deny-read exclusive
//   base+16+position: the hold of that record, exclusive
// The first page of the lock file holds one counter per file (slot
// number % 512) of the holds taken: readers look for holds only while it is
// above zero. A holder that dies leaves it too high, which costs speed only.
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <vector>

namespace vornel::data {

class FileLocks {
 public:
  static constexpr const char* kLockFileName = "records.lock";

  FileLocks() = default;
  ~FileLocks() { Close(); }
  FileLocks(const FileLocks&) = delete;
  FileLocks& operator=(const FileLocks&) = delete;

  // Takes the sharing locks of `mode`: kAccessDenied when another opener's
  // mode conflicts, kDriverError when the lock file cannot be used.
  int Open(const std::filesystem::path& directory, std::uint16_t file_number, std::uint8_t mode);
  void Close();  // releases every lock
  bool is_open() const { return fd_ >= 0; }

  // Whether another opener holds the record. Costs one atomic read while no
  // hold is counted for the file.
  bool HeldByOther(std::int64_t position) const {
    if (counter_ == nullptr ||
        std::atomic_ref<std::int64_t>(*counter_).load(std::memory_order_acquire) <= 0) {
      return false;
    }
    return LockedByOther(position);
  }
  int Hold(std::int64_t position);  // kStoreOk, or kRecordHeld when another opener holds it
  void ReleaseAll();
  // Sets the hold counter to zero; only for an opener that denies all others.
  void ResetHoldCount();

 private:
  bool LockedByOther(std::int64_t position) const;

  int fd_ = -1;
  void* map_ = nullptr;
  std::int64_t* counter_ = nullptr;  // in the shared mapping of the lock file
  std::int64_t base_ = 0;
  std::vector<std::int64_t> held_;
};

}  // namespace vornel::data
