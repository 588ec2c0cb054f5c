#pragma once
// What the benchmarks share: the raw-SQLite floor's connection, row reading
// and binding, and the stop on a failed setup step.
#include <sqlite3.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>

#include "data/dictionary/file_def.h"
#include "platform/text.h"

namespace vornel::bench {

// Ends the benchmark program when a setup step fails.
inline void Check(bool ok, const char* program, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "%s: %s failed\n", program, what);
    std::exit(1);
  }
}

// A row read the way a program without the store would: each column into its
// field of a `file` record, text padded with blanks.
inline void ReadRawRow(const data::FileDef& file, sqlite3_stmt* stmt, char* record) {
  using data::FieldDef;
  using data::FieldType;
  int column = 0;
  for (const FieldDef& field : file.fields) {
    char* at = record + field.offset;
    switch (field.type) {
      case FieldType::kText: {
        const unsigned char* text = sqlite3_column_text(stmt, column);
        int length = sqlite3_column_bytes(stmt, column);
        if (length > field.width) length = field.width;
        if (length > 0) std::memcpy(at, text, static_cast<std::size_t>(length));
        std::memset(at + length, ' ', static_cast<std::size_t>(field.width - length));
        break;
      }
      case FieldType::kUInt8:
        *at = static_cast<char>(sqlite3_column_int(stmt, column));
        break;
      case FieldType::kInt16: {
        auto v = static_cast<std::int16_t>(sqlite3_column_int(stmt, column));
        std::memcpy(at, &v, 2);
        break;
      }
      case FieldType::kFloat64: {
        double v = sqlite3_column_double(stmt, column);
        std::memcpy(at, &v, 8);
        break;
      }
      default: {
        std::int32_t v = sqlite3_column_int(stmt, column);
        std::memcpy(at, &v, 4);
        break;
      }
    }
    ++column;
  }
}

// Binds a record's fields as ?1..?n, text without its trailing blanks.
inline void BindRawRow(const data::FileDef& file, sqlite3_stmt* stmt, const char* record) {
  int parameter = 1;
  for (const data::FieldDef& field : file.fields) {
    const char* at = record + field.offset;
    switch (field.type) {
      case data::FieldType::kText: {
        const std::string_view text = platform::Clip(std::string_view(at, static_cast<std::size_t>(field.width)));
        sqlite3_bind_text(stmt, parameter, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
        break;
      }
      case data::FieldType::kUInt8: sqlite3_bind_int(stmt, parameter, static_cast<unsigned char>(*at)); break;
      case data::FieldType::kInt16: {
        std::int16_t v;
        std::memcpy(&v, at, 2);
        sqlite3_bind_int(stmt, parameter, v);
        break;
      }
      case data::FieldType::kFloat64: {
        double v;
        std::memcpy(&v, at, 8);
        sqlite3_bind_double(stmt, parameter, v);
        break;
      }
      default: {
        std::int32_t v;
        std::memcpy(&v, at, 4);
        sqlite3_bind_int(stmt, parameter, v);
        break;
      }
    }
    ++parameter;
  }
}

// A database opened as a program without the store would, with SQLite's
// defaults; the statements still prepared are finalized on closing.
class RawDatabase {
 public:
  RawDatabase(const std::filesystem::path& file, const char* program) : program_(program) {
    Check(sqlite3_open(file.c_str(), &db_) == SQLITE_OK, program_, "raw open");
  }
  ~RawDatabase() {
    while (sqlite3_stmt* stmt = sqlite3_next_stmt(db_, nullptr)) sqlite3_finalize(stmt);
    sqlite3_close(db_);
  }
  RawDatabase(const RawDatabase&) = delete;
  RawDatabase& operator=(const RawDatabase&) = delete;

  sqlite3* db() const { return db_; }
  void Attach(const std::filesystem::path& file, const char* schema) const {
    Exec(("ATTACH '" + file.string() + "' AS " + schema).c_str());
  }
  sqlite3_stmt* Prepare(const std::string& sql) const {
    sqlite3_stmt* stmt = nullptr;
    Check(sqlite3_prepare_v2(db_, sql.c_str(), -1, &stmt, nullptr) == SQLITE_OK, program_, sql.c_str());
    return stmt;
  }
  void Exec(const char* sql) const {
    Check(sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) == SQLITE_OK, program_, sql);
  }

 private:
  const char* program_;
  sqlite3* db_ = nullptr;
};

}  // namespace vornel::bench
