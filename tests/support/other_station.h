#pragma once
// Another station holding a file for writing: a process of its own that
// begins a transaction on the file and keeps it until it is killed, as
// the object goes.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <filesystem>

#include "data/dictionary/file_def.h"
#include "data/file_manager.h"
#include "data/store/store_answer.h"
#include "tests/support/station.h"

namespace vornel::test {

class OtherStationWriting {
 public:
  OtherStationWriting(const std::filesystem::path& root, const data::FileDef& def) {
    int ready[2];
    if (::pipe(ready) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
      Station station(root);
      data::FileManager& file = station.files->Get(def);
      file.Open();
      file.EnsurePhysicallyOpen();
      std::array<data::RecordFile*, 1> held = {&file.file()};
      const char began = station.files->BeginTransaction(held, 1) == data::kStoreOk ? 'y' : 'n';
      (void)!::write(ready[1], &began, 1);
      ::sleep(30);  // holds the write until it is killed
      ::_exit(0);
    }
    char began = 0;
    holding_ = pid_ > 0 && ::read(ready[0], &began, 1) == 1 && began == 'y';
    ::close(ready[0]);
    ::close(ready[1]);
  }
  ~OtherStationWriting() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
  }
  OtherStationWriting(const OtherStationWriting&) = delete;
  OtherStationWriting& operator=(const OtherStationWriting&) = delete;

  bool holding() const { return holding_; }  // the transaction began

 private:
  pid_t pid_ = -1;
  bool holding_ = false;
};

}  // namespace vornel::test
