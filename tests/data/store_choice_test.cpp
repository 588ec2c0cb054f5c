#include <gtest/gtest.h>

#include <memory>

#include "data/dictionary/dictionary.h"
#include "data/store/store_answer.h"
#include "data/store/store_choice.h"
#include "platform/runtime_error.h"
#include "tests/support/temp_dir.h"

namespace vornel::data {
namespace {

class StoreChoiceTest : public ::testing::Test {
 protected:
  StoreChoice Read(const std::string& text) {
    test::WriteFile(dir_ / "vornel.ini", text);
    return ReadStoreChoice(platform::SettingsFile(dir_ / "vornel.ini"));
  }
  test::TempDir dir_;
};

TEST_F(StoreChoiceTest, SettingsNameTheStoreAndNeverAPassword) {
  EXPECT_FALSE(Read("").server) << "the embedded store is the default";
  EXPECT_FALSE(Read("[Record Store]\nKind=sqlite\n").server);
  StoreChoice choice = Read("[Record Store]\nKind=PostgreSQL\nHost=db.agency.lan\nPort=6543\nDatabase=vornel\n"
                            "User=frontdesk\n");
  EXPECT_TRUE(choice.server);
  EXPECT_EQ(choice.problem, "");
  EXPECT_EQ(choice.address.host, "db.agency.lan");
  EXPECT_EQ(choice.address.port, 6543);
  EXPECT_EQ(choice.address.database, "vornel");
  EXPECT_EQ(choice.address.user, "frontdesk");
  EXPECT_EQ(Read("[Record Store]\nKind=postgresql\nDatabase=v\n").address.port, 5432);

  EXPECT_NE(Read("[Record Store]\nKind=PostgreSQL\nDatabase=v\nPassword=secret\n").problem.find("~/.pgpass"),
            std::string::npos);
  EXPECT_NE(Read("[Record Store]\nKind=PostgreSQL\nDatabase=v\nPort=70000\n").problem.find("not a port"),
            std::string::npos);
  EXPECT_NE(Read("[Record Store]\nKind=PostgreSQL\n").problem.find("no database"), std::string::npos);
  EXPECT_NE(Read("[Record Store]\nKind=Flatfile\n").problem.find("SQLite and PostgreSQL"), std::string::npos);

  // Settings that cannot be used make a store whose files say why, and
  // nothing is written anywhere.
  choice = Read("[Record Store]\nKind=PostgreSQL\nDatabase=v\nPassword=secret\n");
  std::unique_ptr<RecordStore> store = MakeChosenStore(choice, dir_.path());
  auto file = store->MakeFile(AllFiles()[0], dir_.path());
  EXPECT_EQ(file->Create(), kDriverError);
  EXPECT_EQ(platform::LastRuntimeError().file_error_text, choice.problem);
  EXPECT_EQ(file->Open(kOpenNormal), kDriverError);
}

TEST_F(StoreChoiceTest, ServerAddressesAsCommandsTakeThem) {
  PgAddress address;
  std::string problem;
  ASSERT_TRUE(ParseServerUrl("postgresql://frontdesk@db.agency.lan:6543/vornel", &address, &problem));
  EXPECT_EQ(address.user, "frontdesk");
  EXPECT_EQ(address.host, "db.agency.lan");
  EXPECT_EQ(address.port, 6543);
  EXPECT_EQ(address.database, "vornel");
  ASSERT_TRUE(ParseServerUrl("postgresql://%2Frun%2Fpostgresql/my%20db", &address, &problem));
  EXPECT_EQ(address.host, "/run/postgresql");
  EXPECT_EQ(address.port, 5432);
  EXPECT_EQ(address.database, "my db");
  EXPECT_EQ(address.user, "");
  ASSERT_TRUE(ParseServerUrl("postgresql://[::1]:5433/v", &address, &problem));
  EXPECT_EQ(address.host, "::1");
  EXPECT_EQ(address.port, 5433);

  EXPECT_FALSE(ParseServerUrl("postgresql://frontdesk:secret@db/v", &address, &problem));
  EXPECT_NE(problem.find("password"), std::string::npos);
  for (const char* bad : {"mysql://db/v", "postgresql://db", "postgresql://db/", "postgresql://db:port/v",
                          "postgresql://db/v%4"}) {
    EXPECT_FALSE(ParseServerUrl(bad, &address, &problem)) << bad;
  }
}

}  // namespace
}  // namespace vornel::data
