#include "data/store/pg_locks.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <string>

#include "data/store/pg_session.h"
#include "data/store/record_file.h"
#include "data/store/sqlite_error.h"
#include "data/store/store_answer.h"

namespace vornel::data {

// The process's locks with one server: its lock session and which opener
// has what.
class PgLockTable {
 public:
  static std::shared_ptr<PgLockTable> For(const PgAddress& address) {
    static std::mutex mutex;
    static auto* tables = new std::map<std::string, std::shared_ptr<PgLockTable>>;
    std::lock_guard lock(mutex);
    std::shared_ptr<PgLockTable>& table = (*tables)[AddressKey(address)];
    // A child process starts its own table: its parent's session is not its.
    if (!table || table->pid_ != PgConnection::CurrentPid()) table = std::make_shared<PgLockTable>(address);
    return table;
  }

  explicit PgLockTable(PgAddress address) : address_(std::move(address)) {}

  int TakeSlot(std::uint32_t file, int slot, bool exclusive) {
    std::lock_guard lock(mutex_);
    Recover();
    Slot& state = slots_[{file, slot}];
    if (state.exclusive || (exclusive && state.shared > 0)) return ReportAnswer(kAccessDenied);
    if (state.shared == 0) {
      bool taken = false;
      const char* sql = exclusive ? "SELECT pg_try_advisory_lock($1::int4, $2::int4)"
                                  : "SELECT pg_try_advisory_lock_shared($1::int4, $2::int4)";
      if (int answer = Ask(sql, file, -1 - slot, &taken)) return answer;
      if (!taken) return ReportAnswer(kAccessDenied);
    }
    if (exclusive)
      state.exclusive = true;
    else
      ++state.shared;
    return kStoreOk;
  }

  // `since`: the losses when the opener took it; a lock lost after that is
  // not the opener's to give back.
  void GiveSlot(std::uint32_t file, int slot, bool exclusive, std::uint64_t since) {
    std::lock_guard lock(mutex_);
    Recover();
    if (auto it = lost_.find({file, slot}); it != lost_.end() && it->second > since) return;
    Slot& state = slots_[{file, slot}];
    if (exclusive)
      state.exclusive = false;
    else
      --state.shared;
    if (state.exclusive || state.shared > 0) return;
    bool released = false;
    Ask(exclusive ? "SELECT pg_advisory_unlock($1::int4, $2::int4)"
                  : "SELECT pg_advisory_unlock_shared($1::int4, $2::int4)",
        file, -1 - slot, &released);
  }

  int Hold(std::uint32_t file, std::int64_t position, const void* opener) {
    std::lock_guard lock(mutex_);
    Recover();
    auto it = holders_.find({file, position});
    if (it != holders_.end()) return it->second == opener ? kStoreOk : ReportAnswer(kRecordHeld);
    bool taken = false;
    if (int answer = Ask("SELECT pg_try_advisory_lock($1::int4, $2::int4)", file, position, &taken)) return answer;
    if (!taken) return ReportAnswer(kRecordHeld);
    PgParams parameters;
    parameters.AddInteger(file);
    parameters.AddInteger(position);
    if (int answer = session_->Run(std::string("INSERT INTO ") + kHoldsTable +
                                       " (file, position) VALUES ($1, $2) ON CONFLICT DO NOTHING",
                                   parameters)) {
      Unlock(file, position);
      return answer;
    }
    holders_[{file, position}] = opener;
    return kStoreOk;
  }

  void Release(std::uint32_t file, std::int64_t position) {
    std::lock_guard lock(mutex_);
    Recover();
    // A hold that another station took while the lock session was away is
    // no longer this process's.
    if (holders_.erase({file, position}) == 0) return;
    PgParams parameters;
    parameters.AddInteger(file);
    parameters.AddInteger(position);
    if (session_) session_->Run(std::string("DELETE FROM ") + kHoldsTable + " WHERE file=$1 AND position=$2", parameters);
    Unlock(file, position);
  }

  bool HeldHere(std::uint32_t file, std::int64_t position) {
    std::lock_guard lock(mutex_);
    return holders_.count({file, position}) > 0;
  }

  // Asked for every record read: the lock session only when the read saw
  // a hold of the record.
  bool HeldByOther(std::uint32_t file, std::int64_t position, const void* opener, bool may_be_held) {
    std::lock_guard lock(mutex_);
    auto it = holders_.find({file, position});
    if (it != holders_.end()) return it->second != opener;
    if (!may_be_held) return false;
    Recover();
    // Taking the lock shared for a moment fails only while another session
    // holds it: a holds table entry left by a holder that died is no hold.
    bool held = false;
    Ask("SELECT CASE WHEN pg_try_advisory_lock_shared($1::int4, $2::int4) "
        "THEN NOT pg_advisory_unlock_shared($1::int4, $2::int4) ELSE true END",
        file, position, &held);
    return held;
  }

  // The losses of the lock session so far; and whether the locks of `file`
  // could not all be taken again after a loss since `since`.
  std::uint64_t losses() {
    std::lock_guard lock(mutex_);
    Recover();
    return losses_;
  }
  bool LostSince(std::uint32_t file, std::uint64_t since) {
    std::lock_guard lock(mutex_);
    Recover();
    for (auto it = lost_.lower_bound({file, kHoldSlot}); it != lost_.end() && it->first.first == file; ++it) {
      if (it->second > since) return true;
    }
    return false;
  }

  void ClearHolds(std::uint32_t file) {
    std::lock_guard lock(mutex_);
    Recover();
    if (Connected() != kStoreOk) return;
    PgParams parameters;
    parameters.AddInteger(file);
    session_->Run(std::string("DELETE FROM ") + kHoldsTable + " WHERE file=$1", parameters);
  }

 private:
  struct Slot {
    int shared = 0;
    bool exclusive = false;
  };
  static constexpr int kHoldSlot = -1;  // below every sharing slot

  // A lock session the server ended (a restart, a network failure) took
  // every lock of the process with it: they are taken again on a new
  // session as soon as the server answers. A file whose locks another
  // station took meanwhile is marked lost, so that its openers write no
  // more until they open it again.
  void Recover() {
    if (session_ && !session_->Alive()) {
      ++losses_;
      session_.reset();
      retake_ = true;
    }
    if (!retake_ || Connected() != kStoreOk) return;
    retake_ = false;
    const auto take = [&](std::uint32_t file, std::int64_t second, bool exclusive) {
      bool taken = false;
      return Ask(exclusive ? "SELECT pg_try_advisory_lock($1::int4, $2::int4)"
                           : "SELECT pg_try_advisory_lock_shared($1::int4, $2::int4)",
                 file, second, &taken) == kStoreOk &&
             taken;
    };
    // What cannot be taken again is forgotten, so that an opener opening
    // the file anew takes it afresh.
    for (auto it = slots_.begin(); it != slots_.end();) {
      const auto& [key, state] = *it;
      const bool held = state.exclusive || state.shared > 0;
      if (!held || take(key.first, -1 - key.second, state.exclusive)) {
        ++it;
        continue;
      }
      lost_[key] = losses_;
      it = slots_.erase(it);
    }
    for (auto it = holders_.begin(); it != holders_.end();) {
      if (take(it->first.first, it->first.second, true)) {
        ++it;
        continue;
      }
      lost_[{it->first.first, kHoldSlot}] = losses_;
      it = holders_.erase(it);
    }
  }

  int Connected() {
    if (session_) return kStoreOk;
    int answer = kStoreOk;
    session_ = PgConnection::Connect(address_, &answer);
    return answer;
  }

  // Runs a lock function on the lock session: its true or false.
  int Ask(const char* sql, std::uint32_t file, std::int64_t second, bool* yes) {
    if (int answer = Connected()) return answer;
    PgParams parameters;
    parameters.AddInteger(static_cast<std::int32_t>(file));
    parameters.AddInteger(second);
    PgResult result;
    if (int answer = session_->Run(sql, parameters, &result)) return answer;
    *yes = result.Text(0, 0) == "t";
    return kStoreOk;
  }

  void Unlock(std::uint32_t file, std::int64_t position) {
    bool released = false;
    Ask("SELECT pg_advisory_unlock($1::int4, $2::int4)", file, position, &released);
  }

  PgAddress address_;
  int pid_ = PgConnection::CurrentPid();
  std::mutex mutex_;
  std::unique_ptr<PgConnection> session_;
  std::map<std::pair<std::uint32_t, int>, Slot> slots_;
  std::map<std::pair<std::uint32_t, std::int64_t>, const void*> holders_;
  std::uint64_t losses_ = 0;
  bool retake_ = false;  // the locks are still to be taken again after a loss
  // (file, slot or kHoldSlot) -> the loss at which that lock was lost.
  std::map<std::pair<std::uint32_t, int>, std::uint64_t> lost_;
};

namespace {

constexpr int kOpenedSlot = 0;
constexpr int kWriterSlot = 1;
constexpr int kReaderSlot = 2;
// Advisory keys are two 32-bit numbers; positions above are not held.
constexpr std::int64_t kMostHeldPosition = 0x7FFFFFFF;

}  // namespace

std::string HoldMarkColumn(std::uint32_t file, const std::string& table_name) {
  return std::string("EXISTS(SELECT 1 FROM ") + kHoldsTable + " h WHERE h.file=" + std::to_string(file) +
         " AND h.position=" + table_name + ".\"~pos\")";
}

int PgFileLocks::Open(const PgAddress& address, std::uint32_t file, std::uint8_t mode) {
  Close();
  table_ = PgLockTable::For(address);
  file_ = file;
  const std::uint8_t access = mode & 0x0F;
  const std::uint8_t sharing = mode & 0xF0;
  const bool writes = access == kWriteOnly || access == kReadWrite;
  const bool reads = access != kWriteOnly;
  std::vector<std::pair<int, bool>> wanted = {{kOpenedSlot, sharing == kDenyAll}};
  if (sharing == kDenyWrite || writes) wanted.push_back({kWriterSlot, sharing == kDenyWrite});
  if (sharing == kDenyRead || reads) wanted.push_back({kReaderSlot, sharing == kDenyRead});
  opened_at_ = table_->losses();
  for (const auto& [slot, exclusive] : wanted) {
    if (int answer = table_->TakeSlot(file_, slot, exclusive)) {
      Close();
      return answer;
    }
    slots_.push_back({slot, exclusive});
  }
  return kStoreOk;
}

void PgFileLocks::Close() {
  if (!table_) return;
  ReleaseAll();
  for (const auto& [slot, exclusive] : slots_) table_->GiveSlot(file_, slot, exclusive, opened_at_);
  slots_.clear();
  table_.reset();
}

bool PgFileLocks::Lost() { return table_ && table_->LostSince(file_, opened_at_); }

bool PgFileLocks::HeldByOther(std::int64_t position, bool may_be_held) {
  return table_ && table_->HeldByOther(file_, position, this, may_be_held);
}

bool PgFileLocks::HeldHere(std::int64_t position) { return table_ && table_->HeldHere(file_, position); }

int PgFileLocks::Hold(std::int64_t position) {
  if (!table_) return ReportAnswer(kFileNotOpen);
  if (position > kMostHeldPosition) return ReportDriverText("records at this position cannot be held");
  if (int answer = table_->Hold(file_, position, this)) return answer;
  if (std::find(held_.begin(), held_.end(), position) == held_.end()) held_.push_back(position);
  return kStoreOk;
}

void PgFileLocks::ReleaseAll() {
  if (!table_) return;
  for (std::int64_t position : held_) table_->Release(file_, position);
  held_.clear();
}

void PgFileLocks::ClearHolds() {
  if (table_) table_->ClearHolds(file_);
}

}  // namespace vornel::data
