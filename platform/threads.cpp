#include "platform/threads.h"

#include <atomic>

namespace vornel::platform {

int CurrentThreadNumber() {
  static std::atomic<int> next{1};
  thread_local const int number = next.fetch_add(1);
  return number;
}

}  // namespace vornel::platform
