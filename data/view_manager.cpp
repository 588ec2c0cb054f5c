#include "data/view_manager.h"

#include <algorithm>
#include <vector>

#include "data/dictionary/field_access.h"
#include "data/file_manager.h"
#include "data/file_registry.h"
#include "data/relation_manager.h"
#include "data/store/store_answer.h"
#include "data/view_text.h"
#include "data/view_values.h"
#include "errors/message_table.h"
#include "platform/runtime_error.h"
#include "platform/text.h"

namespace vornel::data {
namespace msg = errors::msg;
using errors::kGoOn;
using errors::kNotified;
using errors::kNotUsable;

namespace {
constexpr std::uint16_t kStorePage = 20;  // what the store fetches per page by itself
}  // namespace

ViewManager::ViewManager(FileRegistry& files) : registry_(files) {}

ViewManager::~ViewManager() {
  if (inited_) Shutdown();
}

// ---- set-up ----

// A variable worked out by a function may read the joined records: only
// stored values count as plain.
std::optional<platform::Binding> ViewManager::PlainVariables::Find(std::string_view name) const {
  if (variables_ == nullptr) return std::nullopt;
  std::optional<platform::Binding> binding = variables_->Find(name);
  if (binding && binding->type == platform::Binding::Type::kFunction) return std::nullopt;
  return binding;
}

ViewResult ViewManager::Init(const ViewDef& view, RelationManager& primary,
                             const platform::NameScope* variables) {
  if (inited_) Shutdown();
  ViewPlanResult planned = PlanView(view);
  if (!planned.problem.empty()) return {planned.problem};
  if (&primary.me().def() != &view.primary()) {
    return {"the relation manager is " + std::string(primary.me().def().label) +
            "'s, the view's primary file is " + std::string(view.primary().label)};
  }
  plan_ = std::move(planned.plan);
  relations_.clear();
  files_.clear();
  fields_ = {};
  primary_fields_ = {};
  for (const FileDef* file : plan_.files) {
    RelationManager& relations = relations_.empty() ? primary : registry_.Relations(*file);
    relations_.push_back(&relations);
    files_.push_back(&relations.me());
  }
  scope_ = platform::ScopeChain{&fields_, variables};
  plain_variables_ = PlainVariables(variables);
  primary_scope_ = platform::ScopeChain{&primary_fields_, &plain_variables_};
  orders_.clear();
  current_ = 0;
  saved_buffers_.clear();
  read_key_ = nullptr;
  applied_order_.reset();
  filter_text_.clear();
  filter_.reset();
  position_pending_ = true;
  opened_ = false;
  inited_ = true;
  killed_ = false;
  opened_files_ = 0;
  // Every file of the view opens through its relation manager, with the
  // files related to it.
  for (std::size_t i = 0; i < relations_.size(); ++i) {
    relations_[i]->Open();
    ++opened_files_;
    if (files_[i]->CheckUse(kUseReadWrite) != kGoOn) break;
  }
  // Bound only now: opening may have moved a file to the current department
  // (a new record buffer).
  for (FileManager* file : files_) BindRecord(file->def(), file->buffer(), fields_);
  BindRecord(files_.front()->def(), files_.front()->buffer(), primary_fields_);
  used_ = true;
  return {};
}

void ViewManager::Shutdown() {
  if (!inited_) return;
  Close(true);
  orders_.clear();
  for (const std::vector<int>& saved : saved_buffers_) {
    for (std::size_t i = 0; i < saved.size(); ++i) files_[i]->RestoreBuffer(saved[i], false);
  }
  saved_buffers_.clear();
  for (std::size_t i = 0; i < opened_files_; ++i) relations_[i]->Close();
  opened_files_ = 0;
  filter_.reset();
  inited_ = false;
  used_ = false;
  killed_ = true;
}

FileManager& ViewManager::PrimaryFile() const { return *files_.front(); }

ViewManager::Order& ViewManager::Current() {
  // A filter set before any sort order reads in the file's natural order.
  if (orders_.empty()) AddSortOrder(nullptr);
  return orders_[current_];
}

const ViewManager::Order* ViewManager::CurrentOrder() const {
  return orders_.empty() ? nullptr : &orders_[current_];
}

int ViewManager::AddSortOrder(const KeyDef* key) {
  if (!inited_) return 0;
  const FileDef& file = *plan_.files.front();
  if (key != nullptr && (key < file.keys.data() || key >= file.keys.data() + file.keys.size()))
    return 0;
  orders_.push_back({key, key ? KeyOrderExpression(file, *key) : std::string(), {}, ViewRange(file)});
  current_ = orders_.size() - 1;
  return static_cast<int>(orders_.size());
}

void ViewManager::AppendOrder(std::string_view text) {
  if (!inited_) return;
  std::string& order = Current().text;
  if (!text.empty() && text.front() == '*') {
    order = text.substr(1);
  } else if (order.empty()) {
    order = text;
  } else if (!text.empty()) {
    order += ',';
    order += text;
  }
}

bool ViewManager::SetOrder(int number) {
  if (number == 0) number = 1;
  if (number < 1 || number > order_count() || static_cast<std::size_t>(number - 1) == current_)
    return false;
  current_ = static_cast<std::size_t>(number - 1);
  return true;
}

const std::string& ViewManager::order_text() const {
  static const std::string kNone;
  const Order* order = CurrentOrder();
  return order ? order->text : kNone;
}

const KeyDef* ViewManager::order_key() const {
  const Order* order = CurrentOrder();
  return order ? order->key : nullptr;
}

LimitType ViewManager::limit_type() const {
  const Order* order = CurrentOrder();
  return order ? order->range.type() : LimitType::kNone;
}

const FieldDef* ViewManager::FreeElement() const {
  const Order* order = CurrentOrder();
  if (order == nullptr || order->key == nullptr) return nullptr;
  std::size_t free = order->range.type() == LimitType::kBetween ? order->range.fixed()
                                                                 : order->range.limited();
  if (free >= order->key->components.size()) return nullptr;
  return &plan_.files.front()->fields[order->key->components[free].field];
}

ViewResult ViewManager::RangeField(const FieldDef& field, std::size_t* component) {
  if (!inited_) return {"the view is not initialised"};
  const Order& order = Current();
  if (order.key == nullptr) return {"the current order has no key to hold a range on"};
  const FileDef& file = *plan_.files.front();
  for (std::size_t i = 0; i < order.key->components.size(); ++i) {
    if (&file.fields[order.key->components[i].field] == &field) {
      *component = i;
      return {};
    }
  }
  return {std::string(field.name) + " is no component of " + std::string(order.key->name)};
}

ViewResult ViewManager::AddRange(const FieldDef& field) {
  std::size_t component = 0;
  ViewResult result = RangeField(field, &component);
  if (result.ok()) Current().range.SetCurrent(*Current().key, component);
  return result;
}

ViewResult ViewManager::AddRange(const FieldDef& field, platform::Binding value) {
  if (!value.IsUsable()) return {"the range variable of " + std::string(field.name) + " is unbound"};
  std::size_t component = 0;
  ViewResult result = RangeField(field, &component);
  if (result.ok()) Current().range.SetValue(*Current().key, component, std::move(value));
  return result;
}

ViewResult ViewManager::AddRange(const FieldDef& field, platform::Binding low, platform::Binding high) {
  if (!low.IsUsable() || !high.IsUsable())
    return {"a range variable of " + std::string(field.name) + " is unbound"};
  std::size_t component = 0;
  ViewResult result = RangeField(field, &component);
  if (result.ok()) Current().range.SetBetween(*Current().key, component, std::move(low), std::move(high));
  return result;
}

ViewResult ViewManager::AddRange(RelationManager& parent) {
  if (!inited_) return {"the view is not initialised"};
  Order& order = Current();
  const std::string label(parent.me().def().label);
  if (order.key == nullptr) return {"the current order has no key to hold a range on"};
  const FileDef& file = *plan_.files.front();
  for (const RelationManager::Relation& relation : parent.relations()) {
    if (relation.other != relations_.front() || relation.links.empty() ||
        relation.links.size() > order.key->components.size())
      continue;
    // The relation's linking fields must be the key's leading components.
    std::vector<const FieldDef*> parent_fields;
    for (std::size_t i = 0; i < relation.links.size(); ++i) {
      const FieldDef* component = &file.fields[order.key->components[i].field];
      for (const RelationManager::Link& link : relation.links) {
        if (link.theirs == component) parent_fields.push_back(link.mine);
      }
      if (parent_fields.size() != i + 1) break;
    }
    if (parent_fields.size() == relation.links.size()) {
      order.range.SetParent(*order.key, parent.me(), std::move(parent_fields));
      return {};
    }
  }
  return {std::string(order.key->name) + " does not begin with the fields linking " +
          std::string(file.label) + " to " + label};
}

void ViewManager::SetFilter(std::string_view text, std::string_view name) {
  if (!inited_) return;
  std::vector<NamedFilter>& filters = Current().filters;
  auto it = std::find_if(filters.begin(), filters.end(),
                         [name](const NamedFilter& f) { return f.id == name; });
  if (platform::Trim(text).empty()) {
    if (it != filters.end()) filters.erase(it);
  } else if (it != filters.end()) {
    it->text = text;
  } else {
    filters.push_back({std::string(name), std::string(text)});
  }
}

// ---- applying ----

int ViewManager::ViewError(std::string_view what, std::string_view detail) {
  platform::SetFileError(kDriverError, StoreAnswerText(kDriverError), what, detail);
  return PrimaryFile().RaiseMessage(msg::kViewOpenError);
}

int ViewManager::ApplyOrder() {
  if (!inited_) return kNotUsable;
  read_key_ = nullptr;
  const Order* order = CurrentOrder();
  if (order == nullptr) return kGoOn;
  std::optional<const KeyDef*> key = KeyForOrder(*plan_.files.front(), order->text, order->key);
  if (!key) {
    return ViewError("order", "no key of " + std::string(plan_.files.front()->label) +
                                  " reads in the order " + order->text);
  }
  read_key_ = *key;
  return kGoOn;
}

int ViewManager::ApplyFilter() {
  if (!inited_) return kNotUsable;
  std::optional<platform::Expression> compiled = std::move(filter_);
  const std::string compiled_text = std::move(filter_text_);
  filter_.reset();
  filter_text_.clear();
  applied_order_.reset();
  if (orders_.empty()) return kGoOn;
  Order& order = orders_[current_];
  std::string text;
  if (order.range.type() != LimitType::kNone) {
    std::string problem = order.range.Capture(PrimaryFile().buffer());
    if (!problem.empty()) return ViewError("range", problem);
    text = order.range.Text();
  }
  for (const NamedFilter& filter : order.filters) {
    if (!text.empty()) text += " AND ";
    text += "(" + filter.text + ")";
  }
  filter_text_ = text;
  if (text.size() > kMaxFilterText) {
    return ViewError("filter", "the filter text is longer than " + std::to_string(kMaxFilterText) +
                                   " characters");
  }
  if (text.empty()) return kGoOn;
  // Every reset applies the filter again; the same text keeps its compiled form.
  if (compiled && text == compiled_text) {
    filter_ = std::move(compiled);
    applied_order_ = current_;
    return kGoOn;
  }
  auto made = platform::Expression::Compile(text, scope_);
  if (auto* error = std::get_if<platform::CompileError>(&made)) return ViewError("filter", error->message);
  filter_.emplace(std::move(std::get<platform::Expression>(made)));
  filter_before_joins_ = std::holds_alternative<platform::Expression>(platform::Expression::Compile(text, primary_scope_));
  applied_order_ = current_;
  return kGoOn;
}

int ViewManager::Open() {
  if (!inited_) return kNotUsable;
  opened_ = true;
  if (buffering.page_size != kStorePage) RestoreReadAhead();
  ApplyOrder();
  ApplyFilter();
  position_pending_ = true;
  return kGoOn;
}

void ViewManager::Close(bool force) {
  if (!opened_ && !force) return;
  if (inited_ && buffering.page_size != kStorePage && PrimaryFile().IsPhysicallyOpen())
    PrimaryFile().file().SetReadAhead(0);
  opened_ = false;
  position_pending_ = true;
}

int ViewManager::Reset() {
  if (!inited_) return kNotUsable;
  if (!opened_) return Open();
  ApplyOrder();
  ApplyFilter();
  position_pending_ = true;
  return kGoOn;
}

int ViewManager::Reset(std::string_view position) {
  if (!inited_) return kNotUsable;
  if (!opened_) Open();
  FileManager& primary = PrimaryFile();
  if (primary.CheckUse(kUseReadWrite) != kGoOn) return kNotUsable;
  RecordFile& file = primary.file();
  position_pending_ = true;
  if (file.SetOrder(read_key_) != kStoreOk || file.SetByPositionString(position) != kStoreOk) {
    ViewError("position", platform::LastRuntimeError().file_error_text);
    return kNotified;
  }
  position_pending_ = false;
  stopped_ = 0;
  return kGoOn;
}

int ViewManager::ResetAfter(std::span<const char> record, RecordPosition position) {
  if (!inited_) return kNotUsable;
  if (!opened_) Open();
  FileManager& primary = PrimaryFile();
  if (primary.CheckUse(kUseReadWrite) != kGoOn) return kNotUsable;
  position_pending_ = true;
  if (primary.file().SetAfterRecord(read_key_, record, position) != kStoreOk) {
    ViewError("position", platform::LastRuntimeError().file_error_text);
    return kNotified;
  }
  position_pending_ = false;
  stopped_ = 0;
  return kGoOn;
}

int ViewManager::ResetToBuffer() {
  if (!inited_) return kNotUsable;
  if (!opened_) Open();
  FileManager& primary = PrimaryFile();
  if (primary.CheckUse(kUseReadWrite) != kGoOn) return kNotUsable;
  RecordFile& file = primary.file();
  int answer = kStoreOk;
  if (read_key_ == nullptr) {
    const RecordPosition at = file.Position();
    answer = at != 0 ? file.SetByPosition(nullptr, at) : file.SetOrder(nullptr);
  } else {
    const std::vector<char> kept(file.buffer().begin(), file.buffer().end());
    ViewRange::Clamp clamp = ViewRange::Clamp::kAsIs;
    if (RangeReads()) clamp = orders_[*applied_order_].range.ClampInto(file.buffer());
    switch (clamp) {
      case ViewRange::Clamp::kAsIs: answer = file.SetByKey(*read_key_); break;
      case ViewRange::Clamp::kFromStart: answer = PositionAtStart(); break;
      case ViewRange::Clamp::kFromEnd: answer = PositionAtEnd(); break;
    }
    std::copy(kept.begin(), kept.end(), file.buffer().begin());
  }
  position_pending_ = answer != kStoreOk;
  stopped_ = 0;
  if (answer != kStoreOk) {
    ViewError("position", platform::LastRuntimeError().file_error_text);
    return kNotified;
  }
  return kGoOn;
}

// ---- reading ----

bool ViewManager::RangeReads() const {
  if (!applied_order_ || !filter_) return false;
  const ViewRange& range = orders_[*applied_order_].range;
  return range.type() != LimitType::kNone && range.captured() && range.key() == read_key_ &&
         read_key_ != nullptr;
}

// Sets the store at the start (or, reading backwards, the end) of the view:
// at the range's end through the key when a range holds, else at the end of
// the order.
int ViewManager::Position(bool forward) {
  FileManager& primary = PrimaryFile();
  if (primary.CheckUse(kUseReadWrite) != kGoOn) return kNotUsable;
  RecordFile& file = primary.file();
  int answer;
  if (RangeReads()) {
    const std::vector<char> kept(file.buffer().begin(), file.buffer().end());
    answer = forward ? PositionAtStart() : PositionAtEnd();
    std::copy(kept.begin(), kept.end(), file.buffer().begin());
  } else {
    answer = forward ? file.SetOrder(read_key_) : file.SetOrderEnd(read_key_);
  }
  if (answer != kStoreOk) {
    primary.RaiseMessage(msg::kRetrievalError);
    return kNotUsable;
  }
  position_pending_ = false;
  stopped_ = 0;
  return kGoOn;
}

// Before the first record of the range: its values, the free components at
// their lowest.
int ViewManager::PositionAtStart() {
  FileManager& primary = PrimaryFile();
  const ViewRange& range = orders_[*applied_order_].range;
  range.WriteStart(primary.buffer(), false);
  primary.ClearKeyFrom(*read_key_, range.limited(), false);
  return primary.file().SetByKey(*read_key_);
}

// After the last record of the range. The store positions before the
// records equal to the values given, so the free components go to their
// highest and the records still inside (those equal to the range's end in
// every component) are passed over.
int ViewManager::PositionAtEnd() {
  FileManager& primary = PrimaryFile();
  RecordFile& file = primary.file();
  const ViewRange& range = orders_[*applied_order_].range;
  range.WriteStart(primary.buffer(), true);
  primary.ClearKeyFrom(*read_key_, range.limited(), true);
  int answer = file.SetByKey(*read_key_);
  if (answer != kStoreOk) return answer;
  // With free components left, nothing is expected inside: one row will do.
  if (range.limited() < read_key_->components.size()) file.SetReadAhead(1);
  do {
    answer = file.Next();
  } while (answer == kRecordHeld || (answer == kStoreOk && range.Contains(file.buffer())));
  RestoreReadAhead();
  return answer == kRecordNotAvailable ? kStoreOk : answer;
}

void ViewManager::RestoreReadAhead() {
  PrimaryFile().file().SetReadAhead(buffering.page_size != kStorePage ? buffering.page_size : 0);
}

int ViewManager::Next() { return Read(true); }
int ViewManager::Previous() { return Read(false); }

int ViewManager::ValidateRecord() { return record_test_ ? record_test_() : kTakeRecord; }

int ViewManager::Read(bool forward) {
  if (!inited_) return kNotUsable;
  if (!opened_) Open();
  if (position_pending_) {
    if (int level = Position(forward)) return level;
  } else if (stopped_ == (forward ? 1 : -1)) {
    return kNotified;
  }
  // Told after the positioning, which may read on its own (to a range's end).
  // A filter refuses some records: twice as many are asked for, so that one
  // request mostly does.
  if (expected_ > 0) PrimaryFile().file().ExpectReads(std::exchange(expected_, 0) * (filter_ ? 2 : 1));
  // The end of the view leaves the buffers as they were before the call,
  // not holding the record past the end.
  kept_.clear();
  for (FileManager* file : files_) kept_.insert(kept_.end(), file->buffer().begin(), file->buffer().end());
  const int level = ReadRecord(forward);
  if (level == kGoOn) {
    stopped_ = 0;
    return kGoOn;
  }
  auto from = kept_.begin();
  for (FileManager* file : files_) {
    std::copy_n(from, file->buffer().size(), file->buffer().begin());
    from += static_cast<std::ptrdiff_t>(file->buffer().size());
  }
  return level;
}

int ViewManager::ReadRecord(bool forward) {
  FileManager& primary = PrimaryFile();
  const bool ranged = RangeReads();
  const ViewRange* range = ranged ? &orders_[*applied_order_].range : nullptr;
  for (;;) {
    primary.set_last_error(0);
    const int level = forward ? primary.NextQuiet() : primary.PreviousQuiet();
    if (level != kGoOn) {
      if (primary.at_eof()) return kNotified;
      // A held record follows the file manager's rule (its own message); a
      // failed use check has shown its message already.
      if (primary.LastError() == msg::kRecordHeld) {
        primary.Raise();
      } else if (primary.LastError() == msg::kRetrievalError) {
        primary.RaiseMessage(msg::kRetrievalError);
      }
      return kNotUsable;
    }
    // The store stands on the record past the end now: reading on in this
    // direction answers the end at once, reading back finds the last record
    // inside.
    if (range != nullptr && !range->Contains(primary.buffer())) {
      stopped_ = forward ? 1 : -1;
      return kNotified;
    }
    // A filter of the primary record alone spares the joins of the records
    // it refuses (a client's visits among a year of them).
    if (filter_before_joins_ && filter_ && !filter_->Test()) continue;
    const int joined = FetchJoins();
    if (joined == kNotUsable) return kNotUsable;
    if (joined != kGoOn) continue;
    if (!filter_before_joins_ && filter_ && !filter_->Test()) continue;
    switch (ValidateRecord()) {
      case kTakeRecord:
        return kGoOn;
      case kOutOfRange:
        stopped_ = forward ? 1 : -1;
        return kNotified;
      default:
        break;
    }
  }
}

// Fetches each joined file's record for the records read before it: 0 all
// fetched (or cleared for an outer join), 2 an inner join found nothing, 3 a
// read error (message 1 raised through the joined file's manager).
int ViewManager::FetchJoins() {
  for (const ViewPlan::Join& join : plan_.joins) {
    FileManager& joined = *files_[join.file];
    if (!joined.IsPhysicallyOpen() && joined.CheckUse(kUseReadWrite) != kGoOn) return kNotUsable;
    RecordFile& file = joined.file();
    file.ClearBuffer();
    bool linked = true;
    for (const ViewPlan::Link& link : join.links) {
      FileManager& from = *files_[link.file];
      linked = linked && CopyFieldValue(from.def(), *link.from, from.buffer(), joined.def(), *link.to,
                                        file.buffer());
    }
    int answer = kRecordNotAvailable;
    if (linked) {
      answer = join.links.size() == join.key->components.size() ? file.GetByKey(*join.key)
                                                                 : FirstMatch(join, joined);
    }
    if (answer == kStoreOk) continue;
    if (answer == kRecordHeld) {
      joined.RaiseMessage(msg::kRecordHeld);
    } else if (answer != kRecordNotAvailable) {
      joined.RaiseMessage(msg::kRetrievalError);
      return kNotUsable;
    }
    file.ClearBuffer();
    if (join.type == JoinType::kInner) return kSkipRecord;
  }
  return kGoOn;
}

// The first record whose leading key components equal the linking values
// in the buffer, for a join through fewer fields than its key has.
int ViewManager::FirstMatch(const ViewPlan::Join& join, FileManager& joined) {
  RecordFile& file = joined.file();
  const std::vector<char> probe(file.buffer().begin(), file.buffer().end());
  joined.ClearKeyFrom(*join.key, join.links.size());
  file.SetReadAhead(1);  // one record is wanted, not a page
  int answer = file.SetByKey(*join.key);
  if (answer == kStoreOk) answer = file.Next();
  file.SetReadAhead(0);
  if (answer != kStoreOk) return answer;
  for (const ViewPlan::Link& link : join.links) {
    if (CompareKeyField(joined.def(), *link.to, join.key->no_case, file.buffer(), probe) != 0)
      return kRecordNotAvailable;
  }
  return kStoreOk;
}

// ---- new records, buffers, state ----

int ViewManager::PrepareNewRecord(bool keep) {
  if (!inited_) return kNotUsable;
  FileManager& primary = PrimaryFile();
  if (primary.CheckUse(kUseReadWrite) != kGoOn) return kNotUsable;
  ViewRange* range = orders_.empty() ? nullptr : &orders_[current_].range;
  if (range != nullptr && range->type() != LimitType::kNone && !range->captured())
    range->Capture(primary.buffer());
  if (!keep) {
    for (FileManager* file : files_) file->file().ClearBuffer();
  }
  if (range != nullptr) range->Prime(primary.buffer());
  return primary.PrepareNewRecord(true);
}

void ViewManager::SaveBuffers() {
  if (!inited_) return;
  std::vector<int> ids;
  for (FileManager* file : files_) ids.push_back(file->SaveBuffer());
  saved_buffers_.push_back(std::move(ids));
}

void ViewManager::RestoreBuffers() {
  if (saved_buffers_.empty()) return;
  const std::vector<int> ids = std::move(saved_buffers_.back());
  saved_buffers_.pop_back();
  for (std::size_t i = 0; i < ids.size(); ++i) files_[i]->RestoreBuffer(ids[i], true);
}

bool ViewManager::SortDirection(const FieldDef& field) const {
  for (const OrderElement& element : SplitOrder(order_text())) {
    if (NamesField(element.name, field)) return element.descending;
  }
  return false;
}

bool ViewManager::RangeChanged() const {
  const Order* order = CurrentOrder();
  return inited_ && order != nullptr && order->range.Changed(PrimaryFile().buffer());
}

}  // namespace vornel::data
