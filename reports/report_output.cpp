#include "reports/report_output.h"

namespace vornel::reports {

UnattendedOutput& UnattendedOutput::Global() {
  static UnattendedOutput output;
  return output;
}

void UnattendedOutput::Set(std::filesystem::path pdf) {
  std::lock_guard lock(mutex_);
  pdf_ = std::move(pdf);
  outcome_.reset();
}

void UnattendedOutput::Clear() {
  std::lock_guard lock(mutex_);
  pdf_.reset();
  outcome_.reset();
}

std::optional<std::filesystem::path> UnattendedOutput::pdf() const {
  std::lock_guard lock(mutex_);
  return pdf_;
}

void UnattendedOutput::Finished(std::string outcome) {
  std::lock_guard lock(mutex_);
  if (!outcome_) outcome_ = std::move(outcome);  // the first end a report reaches is its outcome
}

std::optional<std::string> UnattendedOutput::outcome() const {
  std::lock_guard lock(mutex_);
  return outcome_;
}

}  // namespace vornel::reports
