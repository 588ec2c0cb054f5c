#include "ui/procedure_thread.h"

#include <atomic>
#include <cstring>

#include "tests/support/data_fixture.h"

namespace vornel::ui {
namespace {

using ProcedureThreadsTest = data::DataFixture;

// Uses about `depth` x 4 KB of stack.
int DeepCall(int depth) {
  volatile char frame[4096];
  std::memset(const_cast<char*>(frame), depth & 0xff, sizeof frame);
  return depth == 0 ? frame[0] : frame[1] + DeepCall(depth - 1);
}

TEST_F(ProcedureThreadsTest, EachProcedureHasItsOwnFilesAndState) {
  ProcedureThreads threads(context_);
  std::atomic<data::FileRegistry*> first{nullptr}, second{nullptr};
  std::atomic<int> stacks_ok{0};
  auto procedure = [&](std::atomic<data::FileRegistry*>& mine) {
    return [&] {
      ThreadState* state = CurrentThread();
      ASSERT_NE(state, nullptr);
      mine = &state->files;
      EXPECT_EQ(state->global_request, 0);
      DeepCall(256);  // 1 MB of stack, though only 25000 bytes were asked for
      ++stacks_ok;
    };
  };
  ASSERT_TRUE(threads.Start("BrowseClient", procedure(first), 50000));
  ASSERT_TRUE(threads.Start("BrowseLog", procedure(second)));
  threads.WaitAll();
  EXPECT_EQ(threads.running(), 0);
  EXPECT_EQ(stacks_ok, 2);
  EXPECT_NE(first.load(), second.load());
  EXPECT_EQ(CurrentThread(), nullptr) << "the test's own thread was never adopted";
}

TEST_F(ProcedureThreadsTest, AProgramStopEndsOnlyItsProcedureThread) {
  ProcedureThreads threads(context_);
  std::atomic<bool> other_finished{false};
  threads.Start("UpdateLog", [&] { errors_.RaiseFileError(errors::msg::kOpenError, "Vendor"); });
  threads.Start("BrowseClient", [&] { other_finished = true; });
  threads.WaitAll();
  EXPECT_TRUE(other_finished);
  ASSERT_EQ(threads.stops().size(), 1u);
  EXPECT_EQ(threads.stops()[0].rfind("UpdateLog: File Vendor could not be opened.", 0), 0u)
      << threads.stops()[0];
}

TEST_F(ProcedureThreadsTest, ACalledProcedureAnswersThroughTheGlobalResponse) {
  ProcedureThreads threads(context_);
  threads.AdoptCurrentThread();
  ThreadState& state = *CurrentThread();
  int seen_request = 0;
  EXPECT_EQ(CallProcedure(kInsert,
                          [&] {
                            seen_request = state.global_request;
                            state.global_response = kCompleted;
                          }),
            kCompleted);
  EXPECT_EQ(seen_request, kInsert);
  EXPECT_EQ(CallProcedure(kChange, [] {}), kCancelled) << "no response set is cancelled";
  EXPECT_EQ(state.global_request, 0);
  EXPECT_EQ(state.global_response, 0);
}

}  // namespace
}  // namespace vornel::ui
