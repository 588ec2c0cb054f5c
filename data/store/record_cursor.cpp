#include "data/store/record_cursor.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "data/store/sqlite_error.h"
#include "data/store/store_answer.h"

namespace vornel::data {
namespace {

template <typename T>
void Append(std::string* out, const T& value) {
  out->append(reinterpret_cast<const char*>(&value), sizeof value);
}

template <typename T>
bool Take(std::string_view* in, T* value) {
  if (in->size() < sizeof *value) return false;
  std::memcpy(value, in->data(), sizeof *value);
  in->remove_prefix(sizeof *value);
  return true;
}

}  // namespace

RecordCursor::RecordCursor(const SqlTable& table)
    : table_(table), record_size_(table.def().record_size), boundary_(table.def().record_size, '\0') {}

int RecordCursor::KeyIndex(const KeyDef* key) const {
  return key == nullptr ? 0 : static_cast<int>(key - table_.def().keys.data()) + 1;
}

void RecordCursor::SetOrder(const KeyDef* key, bool at_end) {
  run_pages_ = 0;
  order_ = key;
  edge_ = at_end ? Edge::kEnd : Edge::kStart;
  inclusive_ = false;
  DropPage();
}

void RecordCursor::SetAtKey(const KeyDef& key, const char* record) {
  run_pages_ = 0;
  order_ = &key;
  edge_ = Edge::kAt;
  boundary_.assign(record, record_size_);
  // Positions start at 1: position 0 is before every record of equal key.
  boundary_position_ = 0;
  inclusive_ = false;
  DropPage();
}

void RecordCursor::SetAtRecord(const KeyDef* key, const char* record, std::int64_t position, bool inclusive) {
  run_pages_ = 0;
  order_ = key;
  edge_ = Edge::kAt;
  boundary_.assign(record, record_size_);
  boundary_position_ = position;
  inclusive_ = inclusive;
  DropPage();
}

int RecordCursor::Step(bool forward, int page_size, int max_page_size, std::uint64_t generation,
                       Row* row) {
  if (page_next_ >= page_count_ || page_forward_ != forward || page_generation_ != generation) {
    // Rows read ahead that a write made stale start the run again: a walk
    // that writes as it goes fetches small pages, not ever larger ones.
    if (page_generation_ != generation && page_next_ < page_count_) run_pages_ = 0;
    DropPage();
    if ((forward && edge_ == Edge::kEnd) || (!forward && edge_ == Edge::kStart)) {
      return ReportAnswer(kRecordNotAvailable);
    }
    if (page_forward_ != forward) run_pages_ = 0;
    // A long run of reads in one direction is a scan: larger pages save the
    // fixed cost of each query, while a short read (a list's page) still
    // fetches only what it shows.
    // A run told how many rows it needs starts with that many instead.
    if (expected_ > 0) run_pages_ = 0;
    if (run_pages_ == 0) run_base_ = expected_ > 0 ? std::exchange(expected_, 0) : page_size;
    int size = run_base_;
    for (int i = 0; i < run_pages_ && size < max_page_size; ++i) size *= 2;
    size = std::min(size, std::max(run_base_, max_page_size));
    const Kind kind = edge_ != Edge::kAt ? kFromEdge : (inclusive_ && forward ? kAtOrAfter : kAfter);
    if (int answer = Fetch(forward, kind, size)) {
      DropPage();
      return answer;
    }
    ++run_pages_;
    page_forward_ = forward;
    page_generation_ = generation;
    if (page_count_ == 0) {
      edge_ = forward ? Edge::kEnd : Edge::kStart;
      return ReportAnswer(kRecordNotAvailable);
    }
  }
  std::size_t i = page_next_++;
  const char* record = page_records_.data() + i * record_size_;
  std::memcpy(boundary_.data(), record, record_size_);
  boundary_position_ = page_positions_[i];
  edge_ = Edge::kAt;
  inclusive_ = false;
  *row = {record, page_positions_[i], page_revisions_[i], page_marks_[i]};
  return kStoreOk;
}

void RecordCursor::ReservePage(std::size_t rows) {
  if (page_positions_.size() < rows) {
    page_records_.resize(rows * record_size_);
    page_positions_.resize(rows);
    page_revisions_.resize(rows);
    page_marks_.resize(rows);
  }
}

std::string RecordCursor::PageSql(bool forward, Kind kind) const {
  std::string sql = "SELECT " + table_.columns() + " FROM " + table_.name();
  std::size_t limit = 1;
  if (kind != kFromEdge) {
    sql += " WHERE " + AfterSql(forward, kind == kAtOrAfter);
    limit = (order_ != nullptr ? order_->components.size() : 0) + 2;
  }
  return sql + table_.OrderBy(order_, forward) + " LIMIT " + table_.Parameter(limit);
}

// The rows after the boundary in the direction of reading. When every
// component ascends, one row-value comparison lets SQLite seek in the index
// on the whole key. Otherwise a row-value bound on the leading components of
// one direction narrows the index range and nested terms decide the rest.
// Text of keys without case takes the collation on the parameter side, which
// keeps the comparison usable for the index.
std::string RecordCursor::AfterSql(bool forward, bool inclusive) const {
  const std::string position_op = forward ? (inclusive ? ">=" : ">") : "<";
  if (order_ == nullptr) return SqlTable::kPosition + position_op + table_.Parameter(1);
  const auto& components = order_->components;
  const std::size_t count = components.size();
  bool all_ascending = true;
  for (const KeyComponent& component : components)
    all_ascending = all_ascending && component.ascending;
  if (all_ascending) {
    std::string columns = "(";
    std::string values = "(";
    for (std::size_t i = 0; i < count; ++i) {
      columns += table_.CompareColumn(components[i], *order_) + ",";
      values += table_.CompareValue(i + 1, components[i], *order_) + ",";
    }
    return columns + SqlTable::kPosition + ")" + position_op + values + table_.Parameter(count + 1) + ")";
  }
  std::size_t run = 1;
  while (run < count && components[run].ascending == components[0].ascending) ++run;
  std::string columns = "(";
  std::string values = "(";
  for (std::size_t i = 0; i < run; ++i) {
    if (i > 0) {
      columns += ",";
      values += ",";
    }
    columns += table_.CompareColumn(components[i], *order_);
    values += table_.CompareValue(i + 1, components[i], *order_);
  }
  const char* lead_op = components[0].ascending == forward ? ">=" : "<=";
  return columns + ")" + lead_op + values + ") AND (" + NestedAfterSql(0, forward, inclusive) + ")";
}

std::string RecordCursor::NestedAfterSql(std::size_t i, bool forward, bool inclusive) const {
  const auto& components = order_->components;
  if (i == components.size()) {
    return SqlTable::kPosition + std::string(forward ? (inclusive ? ">=" : ">") : "<") +
           table_.Parameter(i + 1);
  }
  const std::string column = table_.CompareColumn(components[i], *order_);
  const std::string value = table_.CompareValue(i + 1, components[i], *order_);
  const char* op = components[i].ascending == forward ? ">" : "<";
  return column + op + value + " OR (" + column + "=" + value + " AND (" +
         NestedAfterSql(i + 1, forward, inclusive) + "))";
}

std::string RecordCursor::Save() const {
  std::string saved;
  Append(&saved, static_cast<std::int32_t>(KeyIndex(order_)));
  Append(&saved, edge_);
  Append(&saved, inclusive_);
  Append(&saved, boundary_position_);
  saved += boundary_;
  return saved;
}

bool RecordCursor::Restore(std::string_view saved) {
  std::int32_t order = 0;
  Edge edge{};
  bool inclusive = false;
  std::int64_t position = 0;
  if (!Take(&saved, &order) || !Take(&saved, &edge) || !Take(&saved, &inclusive) ||
      !Take(&saved, &position) || saved.size() != record_size_ || order < 0 ||
      static_cast<std::size_t>(order) > table_.def().keys.size() || edge > Edge::kAt) {
    return false;
  }
  order_ = order == 0 ? nullptr : &table_.def().keys[static_cast<std::size_t>(order - 1)];
  edge_ = edge;
  inclusive_ = inclusive;
  boundary_position_ = position;
  boundary_.assign(saved);
  run_pages_ = 0;
  DropPage();
  return true;
}

}  // namespace vornel::data
