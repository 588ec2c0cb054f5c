#include "app/demo_data/record_batch.h"

#include "data/dictionary/field_rules.h"
#include "data/store/store_answer.h"
#include "platform/runtime_error.h"

namespace vornel::app::demo {
namespace {

std::string StoreFailure(std::string_view what, const data::FileDef& def, int answer) {
  std::string text = std::string(what) + " " + std::string(def.label) + ": " +
                     data::StoreAnswerText(answer) + " (" + std::to_string(answer) + ")";
  const platform::RuntimeError& last = platform::LastRuntimeError();
  if (!last.file_error_text.empty()) text += " - " + last.file_error_text;
  return text;
}

}  // namespace

RecordBatch::RecordBatch(data::FileRegistry& registry, std::int64_t records_per_commit)
    : registry_(registry), records_per_commit_(records_per_commit) {}

RecordBatch::~RecordBatch() { Finish(); }

bool RecordBatch::Fail(std::string message) {
  if (error_.empty()) error_ = std::move(message);
  return false;
}

bool RecordBatch::Open(const data::FileDef& def) {
  if (!ok()) return false;
  if (streaming_ != nullptr) return Fail("opening " + std::string(def.label) + " inside a batch");
  data::FileManager& file = registry_.Get(def);
  if (!file.file().Exists()) {
    if (int answer = file.file().Create(); answer != data::kStoreOk)
      return Fail(StoreFailure("cannot create", def, answer));
  }
  file.Open();
  open_.push_back(&file);
  if (file.CheckUse(data::kUseReadWrite) != errors::kGoOn)
    return Fail("cannot open " + std::string(def.label));
  return true;
}

bool RecordBatch::Add(const data::FileDef& def) {
  if (!ok()) return false;
  data::FileManager& file = registry_.Get(def);
  if (!file.IsPhysicallyOpen()) return Fail(std::string(def.label) + " was not opened");
  data::RecordCheck check = data::CheckRecord(def, file.buffer(), nullptr);
  if (check.level != errors::kGoOn)
    return Fail(std::string(def.label) + " record " + std::to_string(added(def) + 1) + ": " +
                std::string(check.field->name) + " breaks its rule");
  if (streaming_ == nullptr) {
    if (int answer = file.file().Stream(); answer != data::kStoreOk)
      return Fail(StoreFailure("cannot begin a batch on", def, answer));
    streaming_ = &file.file();
  }
  if (int answer = file.file().Add(); answer != data::kStoreOk)
    return Fail(StoreFailure("cannot add to", def, answer));
  ++added_[&def];
  if (++pending_ >= records_per_commit_) return Commit();
  return true;
}

bool RecordBatch::Commit() {
  if (streaming_ == nullptr) return true;
  data::RecordFile* file = streaming_;
  streaming_ = nullptr;
  pending_ = 0;
  if (int answer = file->Flush(); answer != data::kStoreOk)
    return Fail(StoreFailure("cannot commit", file->def(), answer));
  return true;
}

bool RecordBatch::Finish() {
  bool committed = Commit();
  for (auto it = open_.rbegin(); it != open_.rend(); ++it) (*it)->Close();
  open_.clear();
  return committed && ok();
}

std::int64_t RecordBatch::added(const data::FileDef& def) const {
  auto it = added_.find(&def);
  return it == added_.end() ? 0 : it->second;
}

}  // namespace vornel::app::demo
