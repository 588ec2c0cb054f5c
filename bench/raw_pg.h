#pragma once
// What the server store's benchmarks share: the private server (or the one
// VORNEL_BENCH_SERVER names), and the raw-libpq floor's connection, its
// prepared commands and its reading of rows into records.
#include <libpq-fe.h>

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "bench/raw_rows.h"
#include "data/dictionary/file_def.h"
#include "data/store/pg_connection.h"
#include "data/store/sql_table.h"
#include "data/store/store_choice.h"
#include "tests/support/pg_cluster.h"

namespace vornel::bench {

// The server for the run.
class BenchServer {
 public:
  BenchServer() {
    if (const char* url = std::getenv("VORNEL_BENCH_SERVER")) {
      std::string problem;
      Check(data::ParseServerUrl(url, &address_, &problem), "bench", "VORNEL_BENCH_SERVER");
      return;
    }
    cluster_ = std::make_unique<test::PgCluster>();
    if (!cluster_->available()) {
      std::fprintf(stderr, "bench: %s\n", cluster_->reason().c_str());
      std::exit(1);
    }
    address_ = cluster_->address();
  }
  const data::PgAddress& address() const { return address_; }

 private:
  std::unique_ptr<test::PgCluster> cluster_;
  data::PgAddress address_;
};

class RawPg {
 public:
  explicit RawPg(const data::PgAddress& address) {
    const std::string port = std::to_string(address.port);
    const char* keys[] = {"host", "port", "dbname", "user", nullptr};
    const char* values[] = {address.host.c_str(), port.c_str(), address.database.c_str(), address.user.c_str(),
                            nullptr};
    conn_ = PQconnectdbParams(keys, values, 0);
    Check(PQstatus(conn_) == CONNECTION_OK, "bench", "raw connect");
  }
  ~RawPg() { PQfinish(conn_); }
  RawPg(const RawPg&) = delete;
  RawPg& operator=(const RawPg&) = delete;

  void Exec(const std::string& sql) {
    PGresult* result = PQexec(conn_, sql.c_str());
    const ExecStatusType status = PQresultStatus(result);
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
      std::fprintf(stderr, "bench: %s: %s\n", sql.c_str(), PQerrorMessage(conn_));
      std::exit(1);
    }
    PQclear(result);
  }
  void Prepare(const char* name, const std::string& sql) {
    PGresult* result = PQprepare(conn_, name, sql.c_str(), 0, nullptr);
    if (PQresultStatus(result) != PGRES_COMMAND_OK) {
      std::fprintf(stderr, "bench: %s: %s\n", sql.c_str(), PQerrorMessage(conn_));
      std::exit(1);
    }
    PQclear(result);
  }
  // The prepared command with text values; the caller clears the result.
  PGresult* Run(const char* name, const std::vector<std::string>& values) {
    pointers_.clear();
    for (const std::string& value : values) pointers_.push_back(value.c_str());
    PGresult* result =
        PQexecPrepared(conn_, name, static_cast<int>(pointers_.size()), pointers_.data(), nullptr, nullptr, 0);
    const ExecStatusType status = PQresultStatus(result);
    Check(status == PGRES_TUPLES_OK || status == PGRES_COMMAND_OK, "bench", name);
    return result;
  }

 private:
  PGconn* conn_ = nullptr;
  std::vector<const char*> pointers_;
};

// A row read the way a program without the store would: each column into
// its field of a `file` record, text padded with blanks.
inline void ReadPgRow(const data::FileDef& file, PGresult* result, int row, char* record) {
  int column = 0;
  for (const data::FieldDef& field : file.fields) {
    const char* text = PQgetvalue(result, row, column);
    const int length = PQgetlength(result, row, column++);
    char* at = record + field.offset;
    if (field.type == data::FieldType::kText) {
      std::memcpy(at, text, length);
      std::memset(at + length, ' ', field.width - length);
    } else if (field.type == data::FieldType::kFloat64) {
      double v = 0;
      std::from_chars(text, text + length, v);
      std::memcpy(at, &v, 8);
    } else {
      std::int64_t v = 0;
      std::from_chars(text, text + length, v);
      if (field.type == data::FieldType::kUInt8) {
        *at = static_cast<char>(v);
      } else if (field.type == data::FieldType::kInt16) {
        const auto narrow = static_cast<std::int16_t>(v);
        std::memcpy(at, &narrow, 2);
      } else {
        const auto narrow = static_cast<std::int32_t>(v);
        std::memcpy(at, &narrow, 4);
      }
    }
  }
}

// The columns a read of the server store selects: the fields, the position,
// the revision and whether the holds table names the row.
inline std::string PgSelected(const data::FileDef& file, const std::string& table) {
  std::string columns;
  for (const data::FieldDef& field : file.fields)
    columns += (columns.empty() ? "" : ",") + data::QuoteName(data::ColumnName(field));
  return columns + ",\"~pos\",\"~rev\",EXISTS(SELECT 1 FROM \"vornel_store\".\"holds\" h WHERE h.file=(SELECT '" +
         table + "'::regclass::oid) AND h.position=" + table + ".\"~pos\")";
}

}  // namespace vornel::bench
