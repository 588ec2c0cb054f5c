#include "data/store/pg_session.h"
#include "data/store/pg_schema.h"
#include "data/store/store_answer.h"

#include <pthread.h>

#include <mutex>
#include <vector>

namespace vornel::data {
namespace {

thread_local std::weak_ptr<PgSession> this_thread_session;

// Sessions that no thread uses, waiting for the next one.
class IdleSessions {
 public:
  static constexpr std::size_t kMost = 4;

  static IdleSessions& Get() {
    static auto* pool = [] {
      // Locked across a fork, so that the child's copy is not left locked
      // by a thread the child does not have; the child's copies are its
      // parent's sessions and are dropped unused.
      ::pthread_atfork([] { Get().mutex_.lock(); }, [] { Get().mutex_.unlock(); },
                       [] {
                         Get().idle_.clear();
                         Get().mutex_.unlock();
                       });
      return new IdleSessions;
    }();
    return *pool;
  }
  std::unique_ptr<PgSession> Take(const std::string& server) {
    std::lock_guard lock(mutex_);
    for (auto it = idle_.begin(); it != idle_.end(); ++it) {
      if ((*it)->server() != server) continue;
      std::unique_ptr<PgSession> session = std::move(*it);
      idle_.erase(it);
      return session;
    }
    return nullptr;
  }
  void Give(std::unique_ptr<PgSession> session) {
    std::lock_guard lock(mutex_);
    if (idle_.size() < kMost) idle_.push_back(std::move(session));
  }

 private:
  std::mutex mutex_;
  std::vector<std::unique_ptr<PgSession>> idle_;
};

}  // namespace

std::string AddressKey(const PgAddress& address) {
  return DescribeServer(address) + "/" + address.database + "/" + address.user;
}

void PgSession::GoIdle(PgSession* session) {
  std::unique_ptr<PgSession> owned(session);
  PgConnection& connection = owned->connection();
  if (connection.InTransaction()) connection.Rollback();
  // The next thread to take it up checks the store's schema again.
  owned->store_prepared_ = false;
  if (connection.connected()) IdleSessions::Get().Give(std::move(owned));
}

std::shared_ptr<PgSession> PgSession::ForThisThread(const PgAddress& address, int* answer) {
  const std::string server = AddressKey(address);
  if (std::shared_ptr<PgSession> session = this_thread_session.lock()) {
    if (session->server() == server) {
      *answer = kStoreOk;
      return session;
    }
  }
  std::unique_ptr<PgSession> session = IdleSessions::Get().Take(server);
  if (!session) {
    std::unique_ptr<PgConnection> connection = PgConnection::Connect(address, answer);
    if (!connection) return nullptr;
    session = std::make_unique<PgSession>(std::move(connection), server);
  }
  *answer = kStoreOk;
  std::shared_ptr<PgSession> shared(session.release(), &PgSession::GoIdle);
  this_thread_session = shared;
  return shared;
}

std::shared_ptr<PgSession> PgSession::OfThisThread() { return this_thread_session.lock(); }

int PgSession::PrepareStore() {
  if (store_prepared_) return kStoreOk;
  int answer = data::PrepareStore(*connection_);
  store_prepared_ = answer == kStoreOk;
  return answer;
}

int PgSession::Begin(int wait_ms) {
  int answer = connection_->Begin(wait_ms);
  Changed();
  return answer;
}

int PgSession::Commit() {
  int answer = connection_->Commit();
  Changed();
  return answer;
}

int PgSession::Rollback() {
  int answer = connection_->Rollback();
  Changed();
  return answer;
}

}  // namespace vornel::data
