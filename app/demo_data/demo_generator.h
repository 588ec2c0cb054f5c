#pragma once
// The demo data generator: writes a complete, consistent data root (shared
// files, agency settings and two departments with clients and months of
// visits) through the file managers, the same for the same options.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "app/demo_data/demo_department.h"
#include "app/demo_data/demo_options.h"

namespace vornel::app::demo {

struct DemoSummary {
  DemoPeriod period;
  std::vector<DepartmentCounts> departments;  // in department order
  double seconds = 0;
  std::uintmax_t root_bytes = 0;
};

struct DemoResult {
  bool ok = false;
  std::string message;  // what went wrong when not ok
  DemoSummary summary;
};

// Writes the root. A root that exists and is not empty is refused unless
// options.force, which replaces ROOT/VORNEL (and nothing else in the root).
// `progress`, when given, hears a line per finished step.
DemoResult GenerateDemoData(const DemoOptions& options,
                            const std::function<void(std::string_view)>& progress = {});

// Bytes of all files under a directory (0 when it cannot be read).
std::uintmax_t DirectoryBytes(const std::filesystem::path& directory);

}  // namespace vornel::app::demo
