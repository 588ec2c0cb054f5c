#include "data/store/file_locks.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>

#include "data/store/record_file.h"
#include "data/store/sqlite_error.h"
#include "data/store/store_answer.h"

namespace vornel::data {
namespace {

constexpr std::int64_t kOpenedByte = 0;
constexpr std::int64_t kWriterByte = 1;
constexpr std::int64_t kReaderByte = 2;
constexpr std::int64_t kFirstHoldByte = 16;
constexpr std::size_t kCounterPage = 4096;
constexpr std::size_t kCounterSlots = kCounterPage / sizeof(std::int64_t);

// F_OFD_SETLK: false when another open file description holds a
// conflicting lock.
bool SetLock(int fd, short type, std::int64_t start) {
  struct flock lock {};
  lock.l_type = type;
  lock.l_whence = SEEK_SET;
  lock.l_start = start;
  lock.l_len = 1;
  return ::fcntl(fd, F_OFD_SETLK, &lock) == 0;
}

std::atomic_ref<std::int64_t> Counter(std::int64_t* counter) {
  return std::atomic_ref<std::int64_t>(*counter);
}

}  // namespace

int FileLocks::Open(const std::filesystem::path& directory, std::uint16_t file_number,
                    std::uint8_t mode) {
  Close();
  const std::filesystem::path file = directory / kLockFileName;
  fd_ = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0640);
  if (fd_ < 0) {
    return ReportDriverText("cannot open the lock file " + file.string() + ": " +
                            std::strerror(errno));
  }
  // The counter page; growing a shorter file only adds zeros, so openers
  // racing to do it agree.
  struct stat status {};
  if (::fstat(fd_, &status) != 0 ||
      (status.st_size < static_cast<off_t>(kCounterPage) && ::ftruncate(fd_, kCounterPage) != 0)) {
    int error = errno;
    Close();
    return ReportDriverText("cannot prepare the lock file " + file.string() + ": " +
                            std::strerror(error));
  }
  map_ = ::mmap(nullptr, kCounterPage, PROT_READ | PROT_WRITE, MAP_SHARED, fd_, 0);
  if (map_ == MAP_FAILED) {
    map_ = nullptr;
    int error = errno;
    Close();
    return ReportDriverText("cannot map the lock file " + file.string() + ": " +
                            std::strerror(error));
  }
  counter_ = static_cast<std::int64_t*>(map_) + file_number % kCounterSlots;
  base_ = (static_cast<std::int64_t>(file_number) + 1) << 40;

  const std::uint8_t access = mode & 0x0F;
  const std::uint8_t sharing = mode & 0xF0;
  const bool writes = access == kWriteOnly || access == kReadWrite;
  const bool reads = access != kWriteOnly;
  bool ok = SetLock(fd_, sharing == kDenyAll ? F_WRLCK : F_RDLCK, base_ + kOpenedByte);
  if (ok && sharing == kDenyWrite)
    ok = SetLock(fd_, F_WRLCK, base_ + kWriterByte);
  else if (ok && writes)
    ok = SetLock(fd_, F_RDLCK, base_ + kWriterByte);
  if (ok && sharing == kDenyRead)
    ok = SetLock(fd_, F_WRLCK, base_ + kReaderByte);
  else if (ok && reads)
    ok = SetLock(fd_, F_RDLCK, base_ + kReaderByte);
  if (!ok) {
    int error = errno;
    Close();
    if (error == EAGAIN || error == EACCES) return ReportAnswer(kAccessDenied);
    return ReportDriverText(std::string("cannot lock ") + file.string() + ": " +
                            std::strerror(error));
  }
  return kStoreOk;
}

void FileLocks::Close() {
  ReleaseAll();
  if (map_ != nullptr) ::munmap(map_, kCounterPage);
  map_ = nullptr;
  counter_ = nullptr;
  // Closing the descriptor drops every lock it has.
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

bool FileLocks::LockedByOther(std::int64_t position) const {
  struct flock lock {};
  lock.l_type = F_RDLCK;
  lock.l_whence = SEEK_SET;
  lock.l_start = base_ + kFirstHoldByte + position;
  lock.l_len = 1;
  if (::fcntl(fd_, F_OFD_GETLK, &lock) != 0) return false;
  return lock.l_type != F_UNLCK;
}

int FileLocks::Hold(std::int64_t position) {
  if (std::find(held_.begin(), held_.end(), position) != held_.end()) return kStoreOk;
  // Counted before locking, so that a reader who sees no count finds no hold.
  Counter(counter_).fetch_add(1, std::memory_order_acq_rel);
  if (!SetLock(fd_, F_WRLCK, base_ + kFirstHoldByte + position)) {
    Counter(counter_).fetch_sub(1, std::memory_order_acq_rel);
    return kRecordHeld;
  }
  held_.push_back(position);
  return kStoreOk;
}

void FileLocks::ReleaseAll() {
  for (std::int64_t position : held_) {
    SetLock(fd_, F_UNLCK, base_ + kFirstHoldByte + position);
    Counter(counter_).fetch_sub(1, std::memory_order_acq_rel);
  }
  held_.clear();
}

void FileLocks::ResetHoldCount() {
  if (counter_ != nullptr) Counter(counter_).store(0, std::memory_order_release);
}

}  // namespace vornel::data
