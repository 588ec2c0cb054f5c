// The list benchmark (bench/log_list.h) on the server store: the
// 1,000,000-visit root built as for the embedded store, copied into a
// private server's database (vornel-store's copy), and each operation
// against a floor of raw libpq doing the same statements as the list does
// there (row-value seeks from the edge row, the hold marks, case folded by
// lower()) and formatting the same cells through the same pictures. The
// ratios (wall and CPU) are printed after the table.
#include <benchmark/benchmark.h>
#include <libpq-fe.h>

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "bench/log_list.h"
#include "bench/log_root.h"
#include "bench/ratio_reporter.h"
#include "bench/raw_pg.h"
#include "data/store/pg_store.h"
#include "data/store/store_copy.h"
#include "platform/text.h"
#include "ui/field_text.h"

namespace {

using namespace vornel;
using bench::kRows;

// The embedded root's records in the server's database, and a root over it.
struct ServerLogRoot {
  bench::BenchServer server;
  bench::Root root;

  ServerLogRoot()
      : root(bench::LogRoot::Get().root, data::MakePgStore(server.address(), bench::LogRoot::Get().root)) {
    const auto started = std::chrono::steady_clock::now();
    const data::CopyResult copied = data::CopyRootToServer(root.root, server.address(), nullptr);
    bench::Check(copied.ok, "pg_browse_bench", copied.message.c_str());
    bench::RawPg(server.address()).Exec("VACUUM ANALYZE \"VORNEL/1\".\"Log\"");
    std::fprintf(stderr, "%lld records copied to the server in %.1f s\n", copied.records,
                 std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
  }
  static ServerLogRoot& Get() {
    static ServerLogRoot root;
    return root;
  }
};

// ---- the floor ----

class LogFloor : public bench::LogFloorPage {
 public:
  LogFloor() : raw_(ServerLogRoot::Get().server.address()) {
    const std::string table = "\"VORNEL/1\".\"Log\"";
    const std::string select = "SELECT " + bench::PgSelected(data::LogFile(), table) + " FROM " + table;
    const std::string key = "(\"LOG_DATE\",lower(\"EMPL_CODE\"),\"TIME_IN\",\"~pos\")";
    const std::string order = " ORDER BY \"LOG_DATE\",lower(\"EMPL_CODE\"),\"TIME_IN\",\"~pos\"";
    const std::string order_desc =
        " ORDER BY \"LOG_DATE\" DESC,lower(\"EMPL_CODE\") DESC,\"TIME_IN\" DESC,\"~pos\" DESC";
    raw_.Prepare("first", select + order + " LIMIT $1");
    raw_.Prepare("last", select + order_desc + " LIMIT $1");
    raw_.Prepare("after", select + " WHERE " + key + ">($1,lower($2::text),$3,$4)" + order + " LIMIT $5");
    raw_.Prepare("from_day", select + " WHERE " + key + ">=($1,lower(''::text),-2147483648,0)" + order + " LIMIT $2");
  }

  // The rows of the command: each formatted; the last row kept as the edge.
  int Read(PGresult* result, int format_rows) {
    const int rows = PQntuples(result);
    for (int row = 0; row < rows; ++row) {
      bench::ReadPgRow(data::LogFile(), result, row, reinterpret_cast<char*>(&edge_));
      edge_position_ = std::atoll(PQgetvalue(result, row, static_cast<int>(data::LogFile().fields.size())));
      if (row < format_rows) Format();
    }
    PQclear(result);
    return rows;
  }
  int First(int rows) { return Read(raw_.Run("first", {std::to_string(rows)}), rows); }
  int Last(int rows) { return Read(raw_.Run("last", {std::to_string(rows)}), rows); }
  int FromDay(int day, int rows) {
    return Read(raw_.Run("from_day", {std::to_string(day), std::to_string(rows)}), rows);
  }
  int After(int rows) {
    return Read(raw_.Run("after", {std::to_string(edge_.LOG_DATE), EdgeStaff(), std::to_string(edge_.TIME_IN),
                                   std::to_string(edge_position_), std::to_string(rows)}),
                rows);
  }

 private:
  bench::RawPg raw_;
};

}  // namespace

int main(int argc, char** argv) {
  vornel::bench::RegisterListBenchmarks(
      []() -> bench::Root& { return ServerLogRoot::Get().root; }, [] { return std::make_unique<LogFloor>(); },
      vornel::bench::kFirstDay, vornel::bench::kDays);
  return vornel::bench::RunWithRatios(
      argc, argv, {"_Store", "The list on the server store against raw libpq doing the same statements:", {}, true});
}
