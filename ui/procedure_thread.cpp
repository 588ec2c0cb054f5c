#include "ui/procedure_thread.h"

#include <algorithm>

#include "platform/program_stop.h"

namespace vornel::ui {
namespace {
thread_local ThreadState* current_thread = nullptr;
}  // namespace

ThreadState* CurrentThread() { return current_thread; }

int CallProcedure(int request, const std::function<void()>& procedure) {
  ThreadState* state = CurrentThread();
  if (!state) {
    procedure();
    return kCancelled;
  }
  state->global_request = request;
  state->global_response = 0;
  procedure();
  const int response = state->global_response == kCompleted ? kCompleted : kCancelled;
  state->global_request = 0;
  state->global_response = 0;
  return response;
}

struct ProcedureThreads::Started {
  ProcedureThreads* owner;
  std::string name;
  std::function<void()> procedure;
};

ProcedureThreads::ProcedureThreads(data::DataContext& context) : context_(context) {}

ProcedureThreads::~ProcedureThreads() {
  WaitAll();
  if (adopted_ && current_thread == adopted_.get()) current_thread = nullptr;
}

void ProcedureThreads::AdoptCurrentThread() {
  adopted_ = std::make_unique<ThreadState>(context_);
  current_thread = adopted_.get();
}

void* ProcedureThreads::Entry(void* raw) {
  std::unique_ptr<Started> started(static_cast<Started*>(raw));
  ProcedureThreads& owner = *started->owner;
  {
    ThreadState state(owner.context_);
    current_thread = &state;
    try {
      started->procedure();
    } catch (const platform::ProgramStop& stop) {
      std::lock_guard lock(owner.mutex_);
      owner.stops_.push_back(started->name + ": " + stop.what());
    }
    current_thread = nullptr;
  }
  {
    std::lock_guard lock(owner.mutex_);
    --owner.running_;
  }
  if (owner.on_thread_end) owner.on_thread_end();
  return nullptr;
}

bool ProcedureThreads::Start(const std::string& name, std::function<void()> procedure,
                             std::size_t stack_bytes) {
  pthread_attr_t attributes;
  if (pthread_attr_init(&attributes) != 0) return false;
  pthread_attr_setstacksize(&attributes, std::max(stack_bytes, kMinimumStack));
  auto started = std::make_unique<Started>(Started{this, name, std::move(procedure)});
  pthread_t thread{};
  std::lock_guard lock(mutex_);
  const bool made = pthread_create(&thread, &attributes, &Entry, started.get()) == 0;
  pthread_attr_destroy(&attributes);
  if (!made) return false;
  started.release();  // the thread owns it now
  threads_.push_back(thread);
  ++running_;
  return true;
}

void ProcedureThreads::WaitAll() {
  for (;;) {
    std::vector<pthread_t> threads;
    {
      std::lock_guard lock(mutex_);
      threads.swap(threads_);
    }
    if (threads.empty()) return;
    for (pthread_t thread : threads) pthread_join(thread, nullptr);
  }
}

int ProcedureThreads::running() const {
  std::lock_guard lock(mutex_);
  return running_;
}

std::vector<std::string> ProcedureThreads::stops() const {
  std::lock_guard lock(mutex_);
  return stops_;
}

}  // namespace vornel::ui
