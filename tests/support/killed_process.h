#pragma once
// A program run as its own process that a batch test kills part-way.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace vornel::test {

// Runs `program` with the arguments until it ends or is killed `after`
// milliseconds on (0: never); `*ran` gets the ended process's id.
inline void RunProgram(const char* program, std::vector<std::string> args, double after, pid_t* ran = nullptr) {
  args.insert(args.begin(), program);
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  ASSERT_EQ(posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ), 0);
  if (after > 0) {
    std::this_thread::sleep_for(std::chrono::microseconds(static_cast<long>(after * 1000)));
    ::kill(pid, SIGKILL);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  if (ran != nullptr) *ran = pid;
}

}  // namespace vornel::test
