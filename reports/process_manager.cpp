#include "reports/process_manager.h"

#include <algorithm>
#include <cmath>

#include "data/dictionary/field_access.h"
#include "data/file_manager.h"
#include "data/file_registry.h"
#include "data/relation_manager.h"
#include "platform/text.h"

namespace vornel::reports {

ProcessManager::~ProcessManager() { Shutdown(); }

data::ViewResult ProcessManager::Init(const data::ViewDef& view, data::RelationManager& primary,
                                      std::function<void(int)> show, long records_to_process,
                                      std::uint8_t* percentile, const platform::NameScope* variables) {
  percentile_ = percentile != nullptr ? percentile : &own_percentile_;
  *percentile_ = 0;
  RECORDSTOPROCESS = records_to_process;
  show_ = std::move(show);
  return ViewManager::Init(view, primary, variables);
}

data::ViewResult ProcessManager::InitWithStepManager(const data::ViewDef& view, data::RelationManager& primary,
                                                     std::function<void(int)> show,
                                                     const data::FieldDef& value_field,
                                                     std::unique_ptr<ui::StepPosition> step,
                                                     std::uint8_t* percentile,
                                                     const platform::NameScope* variables) {
  value_field_ = &value_field;
  step_ = std::move(step);
  CASESENSITIVEVALUE = true;
  return Init(view, primary, std::move(show), 0, percentile, variables);
}

std::unique_ptr<ui::StepPosition> ProcessManager::StepFor(const data::FieldDef& field) {
  if (field.type == data::FieldType::kText)
    return std::make_unique<ui::TextStep>(ui::TextStepKind::kComputed,
                                          ui::kStepLetters | ui::kStepDigits | ui::kStepPunctuation);
  return std::make_unique<ui::WholeNumberStep>();
}

std::string ProcessManager::ValueText() {
  data::FileManager& file = primary()->me();
  std::string text = data::ReadText(file.def(), *value_field_, file.buffer());
  return CASESENSITIVEVALUE ? text : platform::Upper(text);
}

double ProcessManager::ValueNumber() {
  data::FileManager& file = primary()->me();
  return data::ReadNumber(file.def(), *value_field_, file.buffer());
}

int ProcessManager::Reset() {
  RECORDSPROCESSED = 0;
  BYTESREAD = 0;
  FILESIZE = 0;
  if (step_ != nullptr && value_field_ != nullptr) {
    // The limits: the view's first record, then its last read backwards.
    const bool text = value_field_->type == data::FieldType::kText;
    std::string low_text, high_text;
    double low = 0, high = 0;
    if (ViewManager::Reset() == 0 && ViewManager::Next() == 0) {
      text ? (void)(low_text = ValueText()) : (void)(low = ValueNumber());
      if (ViewManager::Reset() == 0 && ViewManager::Previous() == 0)
        text ? (void)(high_text = ValueText()) : (void)(high = ValueNumber());
    }
    text ? step_->SetLimit(low_text, high_text) : step_->SetLimit(low, high);
  } else if (RECORDSTOPROCESS == 0) {
    const std::optional<long> count = PrimaryRecordCount();
    if (count) {
      RECORDSTOPROCESS = *count;
    } else {
      FILESIZE = PrimaryFileSize();
    }
  }
  return ViewManager::Reset();
}

std::optional<long> ProcessManager::PrimaryRecordCount() {
  const std::int64_t count = primary()->me().file().Records();
  if (count < 0) return std::nullopt;
  return static_cast<long>(count);
}

long ProcessManager::PrimaryFileSize() { return 0; }

long ProcessManager::RecordSize() { return static_cast<long>(primary()->me().def().record_size); }

int ProcessManager::Next(bool count) {
  const int level = ViewManager::Next();
  if (level != 0 || !count) return level;
  ++RECORDSPROCESSED;
  const int percentage = std::clamp(Percentage(), 0, 100);
  if (percentage != *percentile_) {
    *percentile_ = static_cast<std::uint8_t>(percentage);
    ShowProgress();
  }
  return 0;
}

int ProcessManager::Percentage() {
  if (step_ != nullptr && value_field_ != nullptr) {
    if (value_field_->type == data::FieldType::kText) return step_->Percentile(ValueText());
    return step_->Percentile(ValueNumber());
  }
  if (FILESIZE != 0) {
    BYTESREAD += RecordSize();
    return static_cast<int>(static_cast<long long>(BYTESREAD) * 100 / FILESIZE);
  }
  if (RECORDSTOPROCESS <= 0) return 0;
  return static_cast<int>(static_cast<double>(RECORDSPROCESSED) / static_cast<double>(RECORDSTOPROCESS) * 100.0);
}

void ProcessManager::ShowProgress() {
  if (show_) show_(*percentile_);
}

void ProcessManager::Shutdown() {
  if (percentile_ != nullptr) *percentile_ = 0;
  step_.reset();
  value_field_ = nullptr;
  ViewManager::Shutdown();
}

}  // namespace vornel::reports
