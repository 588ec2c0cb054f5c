#pragma once
// Clients and their payment records written straight into a root, and
// read back, for the tests of the audit and the purge.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "data/dictionary/dictionary.h"
#include "data/dictionary/records.h"
#include "data/file_manager.h"
#include "data/store/store_answer.h"
#include "platform/text.h"
#include "tests/support/station.h"

namespace vornel::posting::test {

struct Payment {
  std::int16_t client;
  std::int32_t date;
  std::int32_t visit;
  double charges;
  double amount;
  const char* status;
  double newbal = 0;  // as stored before the batch
};

class PaymentRecords {
 public:
  explicit PaymentRecords(const std::filesystem::path& root) : station_(root) {
    for (const data::FileDef* def : {&data::ClientFile(), &data::ClipmtsFile()})
      EXPECT_EQ(station_.files->Get(*def).file().Create(), data::kStoreOk);
  }

  void Client(std::int16_t code, double balance) {
    data::FileManager& clients = Use(data::ClientFile());
    clients.file().ClearBuffer();
    auto& client = clients.record<data::ClientRecord>();
    client.CLCODE = code;
    client.BAL_DUE = balance;
    platform::AssignPadded(client.CLLNAME, "CLIENT" + std::to_string(code));
    EXPECT_EQ(clients.file().Add(), data::kStoreOk);
    clients.Close();
  }

  void SetBalance(std::int16_t code, double balance) {
    data::FileManager& clients = Use(data::ClientFile());
    clients.file().ClearBuffer();
    clients.record<data::ClientRecord>().CLCODE = code;
    ASSERT_EQ(clients.file().GetByKey(*data::ClientFile().FindKey("CLI:CODE_KEY")), data::kStoreOk);
    clients.record<data::ClientRecord>().BAL_DUE = balance;
    EXPECT_EQ(clients.file().Put(), data::kStoreOk);
    clients.Close();
  }

  void Add(const std::vector<Payment>& payments) {
    data::FileManager& file = Use(data::ClipmtsFile());
    file.file().Stream();
    for (const Payment& p : payments) {
      file.file().ClearBuffer();
      auto& r = file.record<data::ClipmtsRecord>();
      r.CLCODE = p.client;
      r.DATE = p.date;
      r.TIME = ++time_;
      r.LOG_NO = p.visit;
      r.CHARGES = p.charges;
      r.AMOUNT = p.amount;
      r.NEWBAL = p.newbal;
      platform::AssignPadded(r.STATUS, p.status);
      EXPECT_EQ(file.file().Add(), data::kStoreOk);
    }
    file.file().Flush();
    file.Close();
  }

  std::optional<double> Balance(std::int16_t code) {
    data::FileManager& clients = Use(data::ClientFile());
    clients.file().ClearBuffer();
    clients.record<data::ClientRecord>().CLCODE = code;
    std::optional<double> balance;
    if (clients.file().GetByKey(*data::ClientFile().FindKey("CLI:CODE_KEY")) == data::kStoreOk)
      balance = clients.record<data::ClientRecord>().BAL_DUE;
    clients.Close();
    return balance;
  }

  // Every payment record, in record order.
  std::vector<data::ClipmtsRecord> All() {
    std::vector<data::ClipmtsRecord> records;
    data::FileManager& file = Use(data::ClipmtsFile());
    file.file().SetOrder(nullptr);
    while (file.file().Next() == data::kStoreOk) records.push_back(file.record<data::ClipmtsRecord>());
    file.Close();
    return records;
  }

  data::FileRegistry& files() { return *station_.files; }

 private:
  data::FileManager& Use(const data::FileDef& def) {
    data::FileManager& file = station_.files->Get(def);
    file.Open();
    file.EnsurePhysicallyOpen();
    return file;
  }

  vornel::test::Station station_;
  int time_ = 0;
};

}  // namespace vornel::posting::test
