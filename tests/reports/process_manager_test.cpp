// The percentage a walk shows: from the step over the sort key's values,
// from the record count, or from the bytes read when the file cannot count.
#include <gtest/gtest.h>

#include <optional>

#include "data/dictionary/dictionary.h"
#include "data/dictionary/records.h"
#include "data/file_manager.h"
#include "data/relation_manager.h"
#include "data/store/store_answer.h"
#include "platform/text.h"
#include "reports/process_manager.h"
#include "tests/support/station.h"
#include "tests/support/temp_dir.h"

namespace vornel::reports {
namespace {

// A file that cannot tell its record count.
class UncountedProcess : public ProcessManager {
 public:
  using ProcessManager::ProcessManager;

 protected:
  std::optional<long> PrimaryRecordCount() override { return std::nullopt; }
  long PrimaryFileSize() override { return 4 * static_cast<long>(data::ReporterFile().record_size); }
};

class Process : public ::testing::Test {
 protected:
  void SetUp() override {
    station_.emplace(root_.path());
    data::FileManager& file = station_->files->Get(data::ReporterFile());
    ASSERT_EQ(file.file().Create(), data::kStoreOk);
    file.Open();
    file.CheckUse(data::kUseReadWrite);
    for (std::int16_t seq : {10, 20, 30, 100}) {
      std::fill(file.buffer().begin(), file.buffer().end(), '\0');
      file.record<data::ReporterRecord>().SEQ = seq;
      ASSERT_EQ(file.Insert(), 0);
    }
    file.Close();
  }

  // Walks the file by sequence; the percentages shown, in order.
  std::vector<int> Walk(ProcessManager& process, bool stepped) {
    std::vector<int> shown;
    std::uint8_t percentile = 77;
    const data::FileDef& file = data::ReporterFile();
    const auto show = [&shown](int p) { shown.push_back(p); };
    data::RelationManager& relations = station_->files->Relations(file);
    const data::ViewResult result =
        stepped ? process.InitWithStepManager(data::ViewDef(file), relations, show, file.fields[0],
                                              ProcessManager::StepFor(file.fields[0]), &percentile)
                : process.Init(data::ViewDef(file), relations, show, 0, &percentile);
    EXPECT_TRUE(result.ok()) << result.problem;
    EXPECT_EQ(percentile, 0);
    process.AddSortOrder(file.FindKey("REP:BYREPORT"));
    EXPECT_EQ(process.Reset(), 0);
    while (process.Next() == 0) {
    }
    EXPECT_EQ(process.RECORDSPROCESSED, 4);
    process.Shutdown();
    return shown;
  }

  vornel::test::TempDir root_;
  std::optional<vornel::test::Station> station_;
};

TEST_F(Process, FollowsTheStepOverTheFirstAndLastValues) {
  ProcessManager process(*station_->files);
  const std::vector<int> shown = Walk(process, true);
  // 10 .. 100: the values stand at 1, about 11, about 22 and 100.
  ASSERT_EQ(shown.size(), 4u);
  EXPECT_LE(shown[0], 2);
  EXPECT_NEAR(shown[1], 12, 2);
  EXPECT_NEAR(shown[2], 23, 2);
  EXPECT_EQ(shown[3], 100);
}

TEST_F(Process, FollowsTheRecordCountOrTheBytesRead) {
  ProcessManager counted(*station_->files);
  EXPECT_EQ(Walk(counted, false), (std::vector<int>{25, 50, 75, 100}));
  UncountedProcess uncounted(*station_->files);
  EXPECT_EQ(Walk(uncounted, false), (std::vector<int>{25, 50, 75, 100}));
  EXPECT_EQ(uncounted.BYTESREAD, uncounted.FILESIZE);
}

}  // namespace
}  // namespace vornel::reports
