#pragma once
// The process manager: a view manager that walks its view record by record
// for a report or a batch procedure and keeps the progress count. The
// percentage comes from a step object over the sort key's leading field
// (its first and last values are the limits), else from the record count,
// else, for a file that cannot count its records, from the bytes read.
//
// Levels of Next: 0 a record is ready, 5 the end of the view, 3 a read error.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "data/view_manager.h"
#include "ui/step_position.h"

namespace vornel::reports {

class ProcessManager : public data::ViewManager {
 public:
  explicit ProcessManager(data::FileRegistry& files) : ViewManager(files) {}
  ~ProcessManager() override;

  // `show` is told the percentage whenever its whole number changes
  // (ShowProgress); `percentile` (0 to 100) is set to 0 here.
  data::ViewResult Init(const data::ViewDef& view, data::RelationManager& primary, std::function<void(int)> show,
                        long records_to_process, std::uint8_t* percentile,
                        const platform::NameScope* variables = nullptr);
  // As Init, the percentage measured by the step object on `value_field`
  // (a field of the primary file), compared as it stands.
  data::ViewResult InitWithStepManager(const data::ViewDef& view, data::RelationManager& primary,
                                       std::function<void(int)> show, const data::FieldDef& value_field,
                                       std::unique_ptr<ui::StepPosition> step, std::uint8_t* percentile,
                                       const platform::NameScope* variables = nullptr);
  // The step limits from the view's first and last records (or the record
  // count, or the file size), then the view's own reset.
  int Reset();
  // The next record; when `count` and one was read, it is counted and the
  // percentage follows.
  int Next(bool count = true);
  // The procedure's computation and printing for the record in the
  // buffers: 0 go on; 3 stops the run (fatal); another level ends the
  // current pass.
  virtual int OnRecord() { return 0; }
  void ShowProgress();
  void Shutdown();

  // The step object for a key's leading field: whole numbers for dates,
  // times and numbers, a table computed from the data for texts.
  static std::unique_ptr<ui::StepPosition> StepFor(const data::FieldDef& field);

  long BYTESREAD = 0;
  long FILESIZE = 0;
  long RECORDSPROCESSED = 0;
  long RECORDSTOPROCESS = 0;
  bool CASESENSITIVEVALUE = false;

 protected:
  // The primary file's record count; nothing when it cannot tell (then the
  // percentage follows the bytes read of FileSize).
  virtual std::optional<long> PrimaryRecordCount();
  virtual long PrimaryFileSize();
  // The size of the record just read, for the byte count.
  virtual long RecordSize();

 private:
  std::string ValueText();  // the value field of the record in the buffers, as the step compares it
  double ValueNumber();
  int Percentage();

  std::function<void(int)> show_;
  std::uint8_t* percentile_ = nullptr;
  std::uint8_t own_percentile_ = 0;
  const data::FieldDef* value_field_ = nullptr;
  std::unique_ptr<ui::StepPosition> step_;
};

}  // namespace vornel::reports
