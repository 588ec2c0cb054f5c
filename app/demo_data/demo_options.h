#pragma once
// What the demo data generator makes, and how its command line is read.
#include <cstdint>
#include <filesystem>
#include <optional>

#include "data/store/pg_connection.h"
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/dates.h"

namespace vornel::app::demo {

inline constexpr int kMaxClients = 32767;  // client numbers are int16 per department
inline constexpr int kMaxMonths = 120;
inline constexpr std::int64_t kMaxVisitsPerClient = 5000;  // keeps CLI:NUM_VSTS within int16

struct DemoOptions {
  std::filesystem::path root;
  int clients = 200;  // per department
  int months = 12;    // whole months of visits, ending with the month of `today`
  std::uint64_t seed = 1;
  std::int64_t visits = -1;  // per department; -1 = clients x months x 3
  // The day the data is as of: later visits are still appointments. 0 = the
  // real today; give a date to make the same root on any day.
  platform::DayNumber today = 0;
  bool force = false;  // replace the VORNEL tree of a non-empty root
  // The database server to fill instead of the root's own store; the
  // root's settings are made to name it.
  std::optional<data::PgAddress> server;

  std::int64_t VisitsPerDepartment() const {
    return visits >= 0 ? visits : static_cast<std::int64_t>(clients) * months * 3;
  }
};

// The command line read: options, or a message saying what is wrong (or the
// usage text when help was asked for).
struct ParsedArguments {
  std::optional<DemoOptions> options;
  std::string message;
  bool help = false;
};

// Reads "--root DIR [--clients N] [--months M] [--seed S] [--visits V]
// [--today YYYY-MM-DD] [--force]" (each also as "--name=value"); arguments
// exclude the program name.
ParsedArguments ParseDemoArguments(std::span<const std::string_view> arguments);

// The checks of ParseDemoArguments on options made in code: "" when fine.
std::string CheckDemoOptions(const DemoOptions& options);

std::string DemoUsage();

}  // namespace vornel::app::demo
