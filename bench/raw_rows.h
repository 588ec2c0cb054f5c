#pragma once
// What the benchmarks share: the raw-SQLite floor's row reading and the
// stop on a failed setup step.
#include <sqlite3.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "data/dictionary/file_def.h"

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

}  // namespace vornel::bench
