// Cost per record of a typical report filter over bound record fields,
// against the same test written directly in C++ (the floor).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <variant>

#include "platform/expression.h"

namespace {

using vornel::platform::Expression;
using vornel::platform::VariableTable;

struct Fields {
  std::int32_t serv_date = 0;
  char trans_type[5] = {'S', 'H', 'O', 'W', ' '};
  std::int32_t topdate = 80110;
  std::int32_t botdate = 80150;
};

void BM_FilterCompiled(benchmark::State& state) {
  Fields f;
  VariableTable scope;
  scope.BindInt32("lin:serv_date", &f.serv_date);
  scope.BindText("log:trans_type", f.trans_type, sizeof f.trans_type);
  scope.BindInt32("topdate", &f.topdate);
  scope.BindInt32("botdate", &f.botdate);
  auto compiled = Expression::Compile(
      "lin:serv_date >= topdate and lin:serv_date <= botdate and log:trans_type = 'SHOW'", scope);
  const Expression& filter = std::get<Expression>(compiled);
  std::int64_t i = 0;
  for (auto _ : state) {
    f.serv_date = 80100 + static_cast<std::int32_t>(i++ % 100);
    benchmark::DoNotOptimize(filter.Test());
  }
}
BENCHMARK(BM_FilterCompiled);

void BM_FilterFloor(benchmark::State& state) {
  Fields f;
  std::int64_t i = 0;
  for (auto _ : state) {
    f.serv_date = 80100 + static_cast<std::int32_t>(i++ % 100);
    benchmark::DoNotOptimize(&f);
    bool pass = f.serv_date >= f.topdate && f.serv_date <= f.botdate &&
                std::memcmp(f.trans_type, "SHOW ", 5) == 0;
    benchmark::DoNotOptimize(pass);
  }
}
BENCHMARK(BM_FilterFloor);

}  // namespace

BENCHMARK_MAIN();
