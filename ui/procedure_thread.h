#pragma once
// Procedure threads. A procedure started from the frame runs on a thread of
// its own with its own files and record buffers, its own error status and its
// own global request, response and navigation request; a procedure called
// from another runs on the caller's thread and answers a response.
#include <pthread.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "data/data_context.h"
#include "data/file_registry.h"

namespace vornel::platform {
class Window;
}

namespace vornel::ui {

enum Request : int { kInsert = 1, kChange = 2, kDelete = 3, kSelect = 4, kView = 6, kSave = 7 };
enum Response : int { kCompleted = 1, kCancelled = 2 };

// What one procedure thread has of its own.
struct ThreadState {
  explicit ThreadState(data::DataContext& context) : files(context) {}
  data::FileRegistry files;
  int global_request = 0;
  int global_response = 0;
  int navigation_request = 0;
  // The ditto values of each form procedure (by control), kept for the next
  // form of the same procedure on this thread.
  std::map<std::string, std::map<int, std::string>> ditto_values;
  // The windows of the procedures this thread runs, the newest last: a
  // procedure called from another opens its window as that one's called
  // window, which takes no input until it closes.
  std::vector<platform::Window*> open_windows;
};

// This thread's state; nullptr on a thread that no ProcedureThreads started
// or adopted.
ThreadState* CurrentThread();

// Calls a procedure on the caller's thread: the global request carries the
// caller's wish in, the global response the procedure's answer out (a
// procedure that sets none has cancelled).
int CallProcedure(int request, const std::function<void()>& procedure);

class ProcedureThreads {
 public:
  // Procedures get at least this much stack, whatever they ask for: the
  // database and the windowing layer need more than the few kilobytes that
  // sufficed for the original screens.
  static constexpr std::size_t kMinimumStack = 8u << 20;

  explicit ProcedureThreads(data::DataContext& context);
  ~ProcedureThreads();  // waits for every procedure to end
  ProcedureThreads(const ProcedureThreads&) = delete;
  ProcedureThreads& operator=(const ProcedureThreads&) = delete;

  // Starts `procedure` on a new thread and returns at once. False when the
  // thread could not be made.
  bool Start(const std::string& name, std::function<void()> procedure,
             std::size_t stack_bytes = 25000);
  // Gives the calling thread (the frame's) a state of its own.
  void AdoptCurrentThread();
  void WaitAll();
  int running() const;
  // The texts of the program stops that ended procedure threads (a screenless
  // run unwinds the thread instead of ending the process).
  std::vector<std::string> stops() const;
  // Runs on each procedure's thread as it ends, once it is no longer
  // counted (the screen's loop looks whether the program has ended). Set
  // before the first procedure starts.
  std::function<void()> on_thread_end;

 private:
  struct Started;
  static void* Entry(void* started);

  data::DataContext& context_;
  std::unique_ptr<ThreadState> adopted_;
  mutable std::mutex mutex_;
  std::vector<pthread_t> threads_;  // started and not yet joined
  std::vector<std::string> stops_;
  int running_ = 0;
};

}  // namespace vornel::ui
