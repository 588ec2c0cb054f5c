#pragma once
// A throwaway data root with department 1 as the working directory, a
// headless error manager and the SQLite store (or the test server's, for a
// fixture of both stores): what a procedure thread of the program has, for
// tests of the managers.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "data/data_context.h"
#include "data/dictionary/dictionary.h"
#include "data/dictionary/records.h"
#include "data/file_manager.h"
#include "data/file_registry.h"
#include "data/relation_manager.h"
#include "errors/message_table.h"
#include "platform/headless/headless_message_display.h"
#include "platform/text.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_stores.h"

namespace vornel::data {

class DataFixture : public ::testing::Test {
 public:
  explicit DataFixture(test::StoreKind kind = test::StoreKind::kSqlite);
  ~DataFixture() override;

  FileManager& Files(const FileDef& def) { return registry_->Get(def); }
  RelationManager& Relations(const FileDef& def) { return registry_->Relations(def); }
  // Creates a shared file that the program never creates by itself.
  void CreateSharedFile(const FileDef& def);
  // Adds a record through a fresh file manager use; `fill` sets its fields.
  template <typename Record, typename Fill>
  void AddRecord(const FileDef& def, Fill fill) {
    FileManager& fm = Files(def);
    fm.Open();
    fm.CheckUse(kUseReadWrite);
    fm.file().ClearBuffer();
    fill(fm.record<Record>());
    ASSERT_EQ(fm.file().Add(), kStoreOk) << def.label;
    fm.Close();
  }
  std::int64_t Count(const FileDef& def);
  // The last message box shown, as "title: text".
  std::string LastMessage() const;

  test::TempDir root_;
  platform::PathMap paths_;
  platform::HeadlessMessageDisplay display_;
  errors::ErrorManager errors_;
  std::unique_ptr<RecordStore> store_;
  DataContext context_;
  std::unique_ptr<FileRegistry> registry_;
};

// The same on each store (VORNEL_STORE_TESTS), as a station of that store has it.
class StoresDataFixture : public DataFixture, public ::testing::WithParamInterface<test::StoreKind> {
 public:
  StoresDataFixture() : DataFixture(GetParam()) {}
};

// Text into a fixed-width record field.
template <std::size_t N>
void Set(char (&field)[N], std::string_view text) {
  platform::AssignPadded(field, text);
}

// A client whose coded fields all hold valid codes, as the client form fills them.
void FillValidClient(ClientRecord& client, std::int16_t code, std::string_view last_name);

}  // namespace vornel::data
