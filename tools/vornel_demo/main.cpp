// vornel-demo: writes a demo data root for trying the program and for benchmarks.
#include <cstdio>
#include <string_view>
#include <vector>

#include "app/demo_data/demo_generator.h"
#include "app/demo_data/demo_options.h"

int main(int argc, char** argv) {
  using namespace vornel::app::demo;
  std::vector<std::string_view> arguments(argv + 1, argv + argc);
  ParsedArguments parsed = ParseDemoArguments(arguments);
  if (parsed.help) {
    std::fputs(parsed.message.c_str(), stdout);
    return 0;
  }
  if (!parsed.options) {
    std::fprintf(stderr, "vornel-demo: %s\n", parsed.message.c_str());
    return 2;
  }
  const DemoOptions& options = *parsed.options;
  std::printf("writing %s: %d clients and %lld visits per department over %d months, seed %llu\n",
              options.root.string().c_str(), options.clients,
              static_cast<long long>(options.VisitsPerDepartment()), options.months,
              static_cast<unsigned long long>(options.seed));
  std::fflush(stdout);
  DemoResult result = GenerateDemoData(options, [](std::string_view line) {
    std::printf("  %.*s\n", static_cast<int>(line.size()), line.data());
    std::fflush(stdout);
  });
  if (!result.ok) {
    std::fprintf(stderr, "vornel-demo: %s\n", result.message.c_str());
    return 1;
  }
  std::printf("done in %.1f s; the root holds %.1f MB\n", result.summary.seconds,
              static_cast<double>(result.summary.root_bytes) / (1024.0 * 1024.0));
  return 0;
}
