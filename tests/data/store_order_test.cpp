#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "data/store/record_store.h"
#include "data/store/store_answer.h"
#include "tests/data/store_test_files.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_stores.h"

namespace vornel::data {
namespace {

using namespace test_files;

struct Stored {
  PatientRecord record;
  RecordPosition position;
};

// The order of a key as the system defines it: text without trailing blanks
// (and without case for keys that say so), descending components reversed,
// equal keys in record order.
int CompareComponent(const KeyDef& key, const KeyComponent& component, const PatientRecord& a,
                     const PatientRecord& b) {
  const FieldDef& field = kPatientFields[component.field];
  const char* x = reinterpret_cast<const char*>(&a) + field.offset;
  const char* y = reinterpret_cast<const char*>(&b) + field.offset;
  int c = 0;
  switch (field.type) {
    case FieldType::kText: {
      std::string_view s(x, field.width), t(y, field.width);
      c = key.no_case ? platform::CompareNoCase(s, t) : platform::CompareClipped(s, t);
      c = c < 0 ? -1 : (c > 0 ? 1 : 0);
      break;
    }
    case FieldType::kFloat64: {
      double u, v;
      std::memcpy(&u, x, 8);
      std::memcpy(&v, y, 8);
      c = u < v ? -1 : (u > v ? 1 : 0);
      break;
    }
    default: {
      std::int32_t u = 0, v = 0;
      std::memcpy(&u, x, field.width);
      std::memcpy(&v, y, field.width);
      if (field.width == 2) {
        u = static_cast<std::int16_t>(u);
        v = static_cast<std::int16_t>(v);
      }
      c = u < v ? -1 : (u > v ? 1 : 0);
      break;
    }
  }
  return component.ascending ? c : -c;
}

int CompareKey(const KeyDef& key, const PatientRecord& a, const PatientRecord& b) {
  for (const KeyComponent& component : key.components) {
    if (int c = CompareComponent(key, component, a, b)) return c;
  }
  return 0;
}

std::vector<RecordPosition> Expected(std::vector<Stored> rows, const KeyDef* key) {
  std::stable_sort(rows.begin(), rows.end(), [key](const Stored& a, const Stored& b) {
    int c = key ? CompareKey(*key, a.record, b.record) : 0;
    return c != 0 ? c < 0 : a.position < b.position;
  });
  std::vector<RecordPosition> positions;
  for (const Stored& row : rows) positions.push_back(row.position);
  return positions;
}

class StoreOrder : public test::StoreTest {
 protected:
  void SetUp() override {
    StoreTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    file_ = store().MakeFile(kPatientFile, dir_.path());
    ASSERT_EQ(file_->Create(), kStoreOk);
    ASSERT_EQ(file_->Open(kOpenNormal), kStoreOk);
  }
  void Add(int code, std::string_view name, std::string_view first, std::int32_t birth,
           std::int32_t seen, double balance) {
    SetPatient(*file_, code, name, first, birth, seen, balance);
    ASSERT_EQ(file_->Add(), kStoreOk);
    rows_.push_back({file_->record<PatientRecord>(), file_->Position()});
  }
  // Every record from the current position on, as positions.
  std::vector<RecordPosition> ReadOn(bool forward) {
    std::vector<RecordPosition> read;
    int answer;
    while ((answer = forward ? file_->Next() : file_->Previous()) == kStoreOk) {
      read.push_back(file_->Position());
    }
    EXPECT_EQ(answer, kRecordNotAvailable);
    return read;
  }

  test::TempDir dir_;
  std::unique_ptr<RecordFile> file_;
  std::vector<Stored> rows_;
};

TEST_P(StoreOrder, EveryKeyReadsInItsOrderBothWaysAcrossPages) {
  std::mt19937 random(7);
  const char* names[] = {"Smith", "smith", "SMITH", "Smithers", "Sm",
                         "Adams", "adams", "Zed",   "",         "smith  "};
  const char* firsts[] = {"Ann", "ann", "Bob", ""};
  const double balances[] = {-5, 0, 0.5, 12.25, 1e6};
  ASSERT_EQ(file_->Stream(), kStoreOk);
  for (int code = 1; code <= 80; ++code) {
    Add(code, names[random() % 10], firsts[random() % 4], 30000 + static_cast<int>(random() % 4),
        static_cast<int>(random() % 3) * 360000 + 1, balances[random() % 5]);
  }
  // Some positions are gaps: deleted records must not upset the order.
  for (RecordPosition gone : {3, 40, 80}) {
    ASSERT_EQ(file_->GetByPosition(gone), kStoreOk);
    ASSERT_EQ(file_->Delete(), kStoreOk);
    std::erase_if(rows_, [gone](const Stored& row) { return row.position == gone; });
  }
  ASSERT_EQ(file_->Flush(), kStoreOk);

  std::vector<const KeyDef*> orders = {nullptr};
  for (const KeyDef& key : kPatientKeys) orders.push_back(&key);
  for (int page : {1, 3, 0}) {
    file_->SetReadAhead(page);
    for (const KeyDef* key : orders) {
      SCOPED_TRACE(testing::Message() << (key ? key->name : "record order") << " page " << page);
      std::vector<RecordPosition> expected = Expected(rows_, key);
      ASSERT_EQ(file_->SetOrder(key), kStoreOk);
      EXPECT_EQ(file_->Previous(), kRecordNotAvailable);
      ASSERT_EQ(file_->SetOrder(key), kStoreOk);
      EXPECT_EQ(ReadOn(true), expected);
      // At the end, reading back starts from the last record.
      std::vector<RecordPosition> backwards(expected.rbegin(), expected.rend());
      EXPECT_EQ(ReadOn(false), backwards);
      ASSERT_EQ(file_->SetOrderEnd(key), kStoreOk);
      EXPECT_EQ(ReadOn(false), backwards);

      // Changing direction continues from the record last read.
      ASSERT_EQ(file_->SetOrder(key), kStoreOk);
      for (int i = 0; i < 7; ++i) ASSERT_EQ(file_->Next(), kStoreOk);
      ASSERT_EQ(file_->Previous(), kStoreOk);
      EXPECT_EQ(file_->Position(), expected[5]);
      ASSERT_EQ(file_->Next(), kStoreOk);
      EXPECT_EQ(file_->Position(), expected[6]);

      // Positioned on a record, the next read returns it and the previous
      // read the one before it.
      ASSERT_EQ(file_->SetByPosition(key, expected[30]), kStoreOk);
      ASSERT_EQ(file_->Next(), kStoreOk);
      EXPECT_EQ(file_->Position(), expected[30]);
      ASSERT_EQ(file_->SetByPosition(key, expected[30]), kStoreOk);
      ASSERT_EQ(file_->Previous(), kStoreOk);
      EXPECT_EQ(file_->Position(), expected[29]);
    }
  }
  EXPECT_EQ(file_->SetByPosition(&kNameKey, 40), kRecordNotAvailable);
}

TEST_P(StoreOrder, SetByKeyFindsTheFirstRecordAtOrAfterTheValues) {
  std::mt19937 random(11);
  const char* names[] = {"Baker", "baker", "Cole", "Dunn", "dunn ", "Eve"};
  ASSERT_EQ(file_->Stream(), kStoreOk);
  for (int code = 1; code <= 40; ++code) {
    Add(code, names[random() % 6], "", 30000 + static_cast<int>(random() % 5) * 2,
        static_cast<int>(random() % 4) * 100 + 1, static_cast<double>(random() % 6) - 2);
  }
  ASSERT_EQ(file_->Flush(), kStoreOk);
  const char* probes[] = {"A", "baker", "BAKER", "Bz", "Cole", "dunn", "Zz"};
  for (const KeyDef& key : kPatientKeys) {
    std::vector<RecordPosition> expected = Expected(rows_, &key);
    for (int trial = 0; trial < 30; ++trial) {
      SetPatient(*file_, static_cast<int>(random() % 45), probes[random() % 7], "",
                 29999 + static_cast<int>(random() % 11), static_cast<int>(random() % 5) * 100,
                 static_cast<double>(random() % 8) - 3.5 + (random() % 2) * 0.5);
      const PatientRecord probe = file_->record<PatientRecord>();
      SCOPED_TRACE(testing::Message() << key.name << " trial " << trial);
      // Index of the first record whose key is at or after the probe.
      std::size_t first = 0;
      while (first < expected.size()) {
        const auto& row = *std::find_if(rows_.begin(), rows_.end(), [&](const Stored& s) {
          return s.position == expected[first];
        });
        if (CompareKey(key, row.record, probe) >= 0) break;
        ++first;
      }
      ASSERT_EQ(file_->SetByKey(key), kStoreOk);
      if (first < expected.size()) {
        ASSERT_EQ(file_->Next(), kStoreOk);
        EXPECT_EQ(file_->Position(), expected[first]);
      } else {
        EXPECT_EQ(file_->Next(), kRecordNotAvailable);
      }
      file_->record<PatientRecord>() = probe;
      ASSERT_EQ(file_->SetByKey(key), kStoreOk);
      if (first > 0) {
        ASSERT_EQ(file_->Previous(), kStoreOk);
        EXPECT_EQ(file_->Position(), expected[first - 1]);
      } else {
        EXPECT_EQ(file_->Previous(), kRecordNotAvailable);
      }
    }
  }
}

TEST_P(StoreOrder, UniqueKeysRefuseDuplicatesAndStoreNothing) {
  Add(1, "Adams", "", 0, 0, 0);
  Add(2, "Adams", "", 0, 0, 0);  // the name key accepts duplicates
  SetPatient(*file_, 1, "Other");
  EXPECT_EQ(file_->Add(), kDuplicateKey);
  EXPECT_EQ(file_->Records(), 2);
  // Which key refused it: after the refused add every record counts.
  EXPECT_TRUE(file_->DuplicatesKey(kCodeKey));
  EXPECT_FALSE(file_->DuplicatesKey(kNameBalanceKey));
  SetPatient(*file_, 1, "ADAMS");
  EXPECT_TRUE(file_->DuplicatesKey(kNameKey)) << "compared without case";
  // Before a rewrite, the record itself is no duplicate of itself.
  ASSERT_EQ(file_->GetByPosition(1), kStoreOk);
  EXPECT_FALSE(file_->DuplicatesKey(kCodeKey));
  file_->record<PatientRecord>().code = 2;
  EXPECT_TRUE(file_->DuplicatesKey(kCodeKey));
  // A rewrite that would duplicate a unique key is refused as well.
  ASSERT_EQ(file_->GetByPosition(2), kStoreOk);
  file_->record<PatientRecord>().code = 1;
  EXPECT_EQ(file_->Put(), kDuplicateKey);
  ASSERT_EQ(file_->GetByPosition(2), kStoreOk);
  EXPECT_EQ(file_->record<PatientRecord>().code, 2);

  // A unique key without case: blanks and case make no new value.
  auto staff = store().MakeFile(kStaffFile, dir_.path());
  ASSERT_EQ(staff->Create(), kStoreOk);
  ASSERT_EQ(staff->Open(kOpenNormal), kStoreOk);
  SetStaff(*staff, "ab", "First");
  ASSERT_EQ(staff->Add(), kStoreOk);
  SetStaff(*staff, "AB ", "Second");
  EXPECT_EQ(staff->Add(), kDuplicateKey);
  SetStaff(*staff, "abc", "Third");
  EXPECT_EQ(staff->Add(), kStoreOk);
  EXPECT_EQ(staff->Records(), 2);
}

VORNEL_STORE_TESTS(StoreOrder);

}  // namespace
}  // namespace vornel::data
