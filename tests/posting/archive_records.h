#pragma once
// Records written straight into a root's department 1 and read back, for
// the tests of the client archive and the visit purge: every file the
// archive touches is emptied first, so that each test holds only its own.
#include <gtest/gtest.h>

#include <functional>

#include "platform/runtime_error.h"
#include <string>
#include <vector>

#include "data/dictionary/dictionary.h"
#include "data/dictionary/records.h"
#include "data/file_manager.h"
#include "data/store/store_answer.h"
#include "platform/text.h"
#include "tests/support/station.h"

namespace vornel::posting::test {

inline const std::vector<const data::FileDef*>& ArchivedFiles() {
  static const std::vector<const data::FileDef*> files = {
      &data::ClientFile(),  &data::LogFile(),      &data::LineitemFile(), &data::UdcsFile(),
      &data::DischargFile(), &data::Cli_cmmtFile(), &data::ClipmtsFile(),  &data::GrpassinFile(),
      &data::Ins_cardFile(), &data::CliarcFile(),   &data::LogarcFile()};
  return files;
}

class ArchiveRecords {
 public:
  explicit ArchiveRecords(const std::filesystem::path& root) : station_(root) {}

  void ClearAll() {
    for (const data::FileDef* def : ArchivedFiles()) {
      data::RecordFile& file = Use(*def);
      std::vector<data::RecordPosition> all;
      file.SetOrder(nullptr);
      while (file.Next() == data::kStoreOk) all.push_back(file.Position());
      for (const data::RecordPosition at : all) {
        if (file.GetByPosition(at) == data::kStoreOk) {
          EXPECT_EQ(file.Delete(), data::kStoreOk);
        }
      }
      Done(*def);
    }
  }

  // Adds records of `def`, each filled by fill(record, n) on a cleared buffer.
  template <typename Record>
  void Add(const data::FileDef& def, int count, const std::function<void(Record&, int)>& fill) {
    data::RecordFile& file = Use(def);
    file.Stream();
    for (int n = 0; n < count; ++n) {
      file.ClearBuffer();
      fill(file.record<Record>(), n);
      EXPECT_EQ(file.Add(), data::kStoreOk) << def.label;
    }
    file.Flush();
    Done(def);
  }

  // The records of `def`, in record order.
  template <typename Record>
  std::vector<Record> All(const data::FileDef& def) {
    data::RecordFile& file = Use(def);
    std::vector<Record> all;
    file.SetOrder(nullptr);
    while (file.Next() == data::kStoreOk) all.push_back(file.record<Record>());
    Done(def);
    return all;
  }

  int Count(const data::FileDef& def) {
    data::RecordFile& file = Use(def);
    const int count = static_cast<int>(file.Records());
    Done(def);
    return count;
  }

 private:
  data::RecordFile& Use(const data::FileDef& def) {
    data::FileManager& manager = station_.files->Get(def);
    EXPECT_EQ(manager.file().Create(), data::kStoreOk) << platform::LastRuntimeError().file_error_text;
    manager.Open();
    manager.EnsurePhysicallyOpen();
    return manager.file();
  }
  void Done(const data::FileDef& def) { station_.files->Get(def).Close(); }

  vornel::test::Station station_;
};

}  // namespace vornel::posting::test
