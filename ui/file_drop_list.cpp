#include "ui/file_drop_list.h"

#include <algorithm>
#include <unordered_set>

#include "data/dictionary/field_access.h"
#include "data/file_manager.h"
#include "data/file_registry.h"
#include "data/relation_manager.h"
#include "errors/message_table.h"
#include "platform/picture.h"
#include "platform/text.h"
#include "ui/field_text.h"

namespace vornel::ui {

FileDropList::FileDropList(WindowManager& window, ThreadState& thread, errors::ErrorManager& errors,
                           FileDropDeclaration declaration, std::function<int(std::string_view, int)> call)
    : data::ViewManager(thread.files),
      window_(window),
      thread_(thread),
      errors_(errors),
      declaration_(std::move(declaration)),
      call_(std::move(call)) {
  control_ = window_.window()->Control(declaration_.control);
  inited_ = Init(declaration_.view, thread_.files.Relations(declaration_.view.primary())).ok();
  AddSortOrder(declaration_.key.empty() ? nullptr : declaration_.view.primary().FindKey(declaration_.key));
  if (!declaration_.filter.empty()) SetFilter(declaration_.filter);
  // Values that are not text are compared as they are shown.
  const data::FileDef* file = nullptr;
  const data::FieldDef* first = declaration_.columns.empty() ? nullptr : Field(declaration_.columns[0].field, &file);
  if (first != nullptr && first->type != data::FieldType::kText) declaration_.case_sensitive = true;
  window_.AddItem(this);
}

FileDropList::~FileDropList() { FileDropList::Shutdown(); }

void FileDropList::Shutdown() {
  if (!inited_) return;
  inited_ = false;
  data::ViewManager::Shutdown();
}

const data::FieldDef* FileDropList::Field(std::string_view name, const data::FileDef** file) const {
  const data::ViewDef& view = declaration_.view;
  if (const data::FieldDef* field = view.primary().FindField(name)) {
    *file = &view.primary();
    return field;
  }
  for (const data::ViewJoin& join : view.joins()) {
    if (const data::FieldDef* field = join.file->FindField(name)) {
      *file = join.file;
      return field;
    }
  }
  return nullptr;
}

std::string FileDropList::Compared(std::string_view text) const {
  const std::string clipped(platform::Clip(text));
  return declaration_.case_sensitive ? clipped : platform::Upper(clipped);
}

int FileDropList::RefillList(bool force) {
  if (loaded_ && !force) return chosen_;
  loaded_ = true;
  rows_.clear();
  shown_.clear();
  chosen_ = 0;
  data::FileManager& primary = thread_.files.Get(declaration_.view.primary());
  // The whole view at once: the store reads ahead while the rows load.
  primary.SetUseReadAhead(true, 20);
  std::vector<std::pair<Row, std::vector<std::string>>> read;
  std::unordered_set<std::string> values;  // for leaving out duplicates in a view of thousands
  if (inited_ && data::ViewManager::Reset() == 0) {
    while (Next() == 0) {
      std::vector<std::string> cells;
      for (const DropColumn& column : declaration_.columns) {
        const data::FileDef* file = nullptr;
        const data::FieldDef* field = Field(column.field, &file);
        cells.push_back(field ? FieldText(*file, *field, thread_.files.Get(*file).buffer(), column.picture) : "");
      }
      Row row{Compared(cells.empty() ? "" : cells[0]), primary.file().PositionString()};
      if (declaration_.remove_duplicates && !values.insert(row.value).second) continue;
      read.emplace_back(std::move(row), std::move(cells));
    }
  }
  primary.SetUseReadAhead(false);
  std::stable_sort(read.begin(), read.end(), [](const auto& a, const auto& b) { return a.first.value < b.first.value; });
  for (auto& [row, cells] : read) {
    rows_.push_back(std::move(row));
    shown_.push_back(std::move(cells));
  }
  // The row of the value the form holds; else, with DEFAULTFILL, the first.
  chosen_ = RowOfValue();
  window_.window()->SetRows(control_, shown_);
  if (chosen_ == 0 && declaration_.default_fill && !rows_.empty()) {
    Choose(1);
  } else {
    window_.window()->SetCurrentRow(control_, chosen_);
  }
  return chosen_;
}

int FileDropList::RowOfValue() const {
  const platform::ControlSpec& control = window_.window()->spec().controls.at(static_cast<std::size_t>(control_ - 1));
  const std::string current = Compared(platform::FormatValue(control.value, control.picture));
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    if (rows_[i].value == current) return static_cast<int>(i) + 1;
  }
  return 0;
}

int FileDropList::RowBeginningWith(std::string_view typed) const {
  const std::string wanted = Compared(typed);
  if (wanted.empty()) return 0;
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    if (rows_[i].value.compare(0, wanted.size(), wanted) == 0) return static_cast<int>(i) + 1;
  }
  return 0;
}

void FileDropList::ClearUpdateFields() {
  for (const DropAssignment& assign : declaration_.update) platform::StoreTyped(assign.to, "", "", nullptr);
}

void FileDropList::Choose(int row) {
  chosen_ = 0;
  data::FileManager& primary = thread_.files.Get(declaration_.view.primary());
  const bool read = row >= 1 && row <= static_cast<int>(rows_.size()) &&
                    primary.file().GetByPositionString(rows_[static_cast<std::size_t>(row - 1)].position) ==
                        data::kStoreOk;
  if (read) {
    chosen_ = row;
    for (const DropAssignment& assign : declaration_.update) {
      const data::FileDef* file = nullptr;
      const data::FieldDef* field = Field(assign.field, &file);
      if (field == nullptr) continue;
      std::span<char> buffer = thread_.files.Get(*file).buffer();
      const std::string value = field->type == data::FieldType::kText
                                    ? data::ReadText(*file, *field, buffer)
                                    : platform::PlainNumber(data::ReadNumber(*file, *field, buffer));
      platform::StoreTyped(assign.to, "", value, nullptr);
    }
  } else {
    ClearUpdateFields();
  }
  window_.window()->SetCurrentRow(control_, chosen_);
  window_.Reset(false);
}

int FileDropList::AddRecord(std::string_view value) {
  const data::FileDef& file = declaration_.view.primary();
  const data::FileDef* owner = nullptr;
  const data::FieldDef* field = declaration_.columns.empty() ? nullptr : Field(declaration_.columns[0].field, &owner);
  if (field == nullptr || owner != &file) return 5;
  data::RelationManager& relations = thread_.files.Relations(file);
  data::FileManager& manager = relations.me();
  const auto prime = [&] {
    if (PrepareNewRecord() != errors::kGoOn) return false;
    return field->type == data::FieldType::kText
               ? data::WriteText(file, *field, manager.buffer(), value)
               : data::WriteNumber(file, *field, manager.buffer(), platform::ReadNumber(value).value_or(0));
  };
  if (!declaration_.ask_procedure.empty()) {
    // The form starts from the record primed here, the typed value in it.
    if (!prime() || !call_) return 5;
    return call_(declaration_.ask_procedure, kInsert) == kCompleted ? 0 : 5;
  }
  if (!declaration_.auto_add) return 5;
  if (declaration_.confirm_auto_add &&
      errors_.AskById(errors::msg::kAddNewRecord, platform::kButtonYes | platform::kButtonNo, platform::kButtonYes) !=
          platform::kButtonYes)
    return 5;
  if (!prime()) return 5;
  if (manager.Insert() == errors::kGoOn) return 0;
  relations.CancelAutoNumber();  // a number reserved for it is given back
  return 5;
}

// The typed value: its row, or one added for it; otherwise no row and an
// empty entry with the cursor in it.
int FileDropList::Accept(std::string_view text) {
  if (platform::Clip(text).empty()) {
    // Nothing given is no choice: the form's own checks say what is missing.
    ClearUpdateFields();
    chosen_ = 0;
    window_.window()->SetCurrentRow(control_, 0);
    return kContinue;
  }
  int row = RowBeginningWith(text);
  if (row == 0 && AddRecord(text) == 0) {
    RefillList(true);
    row = RowBeginningWith(text);
  }
  if (row != 0) {
    Choose(row);
    window_.window()->Display(control_);
    return kContinue;
  }
  ClearUpdateFields();
  const platform::ControlSpec& control = window_.window()->spec().controls.at(static_cast<std::size_t>(control_ - 1));
  platform::StoreTyped(control.value, "", "", nullptr);
  window_.window()->SetCurrentRow(control_, 0);
  window_.Reset(false);
  window_.window()->Select(control_);
  return kHandled;
}

int FileDropList::OnEvent(const platform::Event& event) {
  if (control_ == 0) return kContinue;
  if (event.control != control_) {
    // The form may set the value itself (a client bringing his staff
    // member): the drop list shows that value's row as chosen.
    if (loaded_) {
      if (const int row = RowOfValue(); row != chosen_) {
        chosen_ = row;
        window_.window()->SetCurrentRow(control_, chosen_);
      }
    }
    return kContinue;
  }
  if (event.kind == platform::EventKind::kNewSelection) {
    Choose(event.key);
    window_.window()->Display(control_);
    return kHandled;
  }
  if (event.kind == platform::EventKind::kAccepted) {
    const platform::ControlSpec& control =
        window_.window()->spec().controls.at(static_cast<std::size_t>(control_ - 1));
    return Accept(platform::FormatValue(control.value, control.picture));
  }
  return kContinue;
}

void FileDropList::Reset() {
  if (!loaded_) RefillList(false);
}

}  // namespace vornel::ui
