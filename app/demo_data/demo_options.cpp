#include "app/demo_data/demo_options.h"

#include <charconv>
#include <set>

#include "data/store/store_choice.h"

namespace vornel::app::demo {
namespace {

// A whole decimal number in [lo, hi]; the message names the option.
template <typename Number>
std::optional<Number> ReadCount(std::string_view name, std::string_view text, Number lo, Number hi,
                                std::string* message) {
  std::string_view digits = text;
  bool negative = !digits.empty() && digits.front() == '-';
  if (negative) digits.remove_prefix(1);
  std::uint64_t value = 0;
  auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (digits.empty() || end != digits.data() + digits.size() ||
      error == std::errc::invalid_argument) {
    *message = std::string(name) + " needs a whole number, not \"" + std::string(text) + "\"";
    return std::nullopt;
  }
  if (negative && value != 0) {
    *message = std::string(name) + " may not be negative (" + std::string(text) + ")";
    return std::nullopt;
  }
  if (error == std::errc::result_out_of_range || value > static_cast<std::uint64_t>(hi) ||
      value < static_cast<std::uint64_t>(lo)) {
    *message = std::string(name) + " must be between " + std::to_string(lo) + " and " +
               std::to_string(hi) + ", not " + std::string(text);
    return std::nullopt;
  }
  return static_cast<Number>(value);
}

std::optional<platform::DayNumber> ReadDate(std::string_view text, std::string* message) {
  int year = 0, month = 0, day = 0;
  auto part = [&](std::size_t at, std::size_t length, int* out) {
    if (text.size() < at + length) return false;
    auto [end, error] = std::from_chars(text.data() + at, text.data() + at + length, *out);
    return error == std::errc() && end == text.data() + at + length;
  };
  bool shaped = text.size() == 10 && text[4] == '-' && text[7] == '-' && part(0, 4, &year) &&
                part(5, 2, &month) && part(8, 2, &day);
  if (!shaped || year < 1900 || year > 2099 || month < 1 || month > 12 || day < 1 ||
      day > platform::DaysInMonth(month, year)) {
    *message = "--today needs a date as YYYY-MM-DD between 1900 and 2099, not \"" +
               std::string(text) + "\"";
    return std::nullopt;
  }
  return platform::DateFromMdy(month, day, year);
}

}  // namespace

std::string DemoUsage() {
  return "usage: vornel-demo --root DIR [--clients N] [--months M] [--seed S] [--visits V]\n"
         "                   [--today YYYY-MM-DD] [--force] [--server postgresql://USER@HOST:PORT/DB]\n"
         "  --clients   clients per department (0.." +
         std::to_string(kMaxClients) +
         ", default 200)\n"
         "  --months    months of visits ending with the month of --today (1.." +
         std::to_string(kMaxMonths) +
         ", default 12)\n"
         "  --seed      the same seed makes the same records (default 1)\n"
         "  --visits    visits per department (default clients x months x 3)\n"
         "  --today     the day the data is as of (default: today)\n"
         "  --force     replace ROOT/VORNEL when the root is not empty\n"
         "  --server    fill this empty database on a PostgreSQL server, and make the root use it\n"
         "              (the password from ~/.pgpass or PGPASSWORD)\n";
}

std::string CheckDemoOptions(const DemoOptions& options) {
  if (options.root.empty()) return "--root is required";
  if (options.clients < 0 || options.clients > kMaxClients)
    return "--clients must be between 0 and " + std::to_string(kMaxClients) +
           " (client numbers are 16-bit per department)";
  if (options.months < 1 || options.months > kMaxMonths)
    return "--months must be between 1 and " + std::to_string(kMaxMonths);
  const std::int64_t visits = options.VisitsPerDepartment();
  if (visits < 0) return "--visits may not be negative";
  if (visits > options.clients * kMaxVisitsPerClient)
    return options.clients == 0
               ? std::string("--visits needs at least one client")
               : "--visits may be at most " + std::to_string(kMaxVisitsPerClient) +
                     " per client (" + std::to_string(options.clients * kMaxVisitsPerClient) +
                     " for " + std::to_string(options.clients) + " clients)";
  return "";
}

ParsedArguments ParseDemoArguments(std::span<const std::string_view> arguments) {
  ParsedArguments parsed;
  DemoOptions options;
  std::set<std::string, std::less<>> seen;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    std::string_view argument = arguments[i];
    if (argument == "--help" || argument == "-h") {
      parsed.help = true;
      parsed.message = DemoUsage();
      return parsed;
    }
    if (argument == "--force") {
      options.force = true;
      continue;
    }
    std::string_view name = argument;
    std::optional<std::string_view> value;
    if (auto equals = argument.find('='); argument.starts_with("--") && equals != argument.npos) {
      name = argument.substr(0, equals);
      value = argument.substr(equals + 1);
    }
    static constexpr std::string_view kValued[] = {"--root", "--clients", "--months",
                                                   "--seed", "--visits",  "--today", "--server"};
    bool known = false;
    for (std::string_view option : kValued) known = known || name == option;
    if (!known) {
      parsed.message = "unknown argument \"" + std::string(argument) + "\"\n" + DemoUsage();
      return parsed;
    }
    if (!seen.insert(std::string(name)).second) {
      parsed.message = std::string(name) + " is given twice";
      return parsed;
    }
    if (!value) {
      if (i + 1 >= arguments.size()) {
        parsed.message = std::string(name) + " needs a value";
        return parsed;
      }
      value = arguments[++i];
    }
    std::string& message = parsed.message;
    if (name == "--root") {
      if (value->empty()) {
        message = "--root needs a directory";
        return parsed;
      }
      options.root = std::filesystem::path(*value);
    } else if (name == "--clients") {
      auto n = ReadCount<int>(name, *value, 0, kMaxClients, &message);
      if (!n) {
        if (message.find("between") != std::string::npos)
          message += " (client numbers are 16-bit per department)";
        return parsed;
      }
      options.clients = *n;
    } else if (name == "--months") {
      auto n = ReadCount<int>(name, *value, 1, kMaxMonths, &message);
      if (!n) return parsed;
      options.months = *n;
    } else if (name == "--seed") {
      auto n = ReadCount<std::uint64_t>(name, *value, 0, UINT64_MAX, &message);
      if (!n) return parsed;
      options.seed = *n;
    } else if (name == "--visits") {
      auto n = ReadCount<std::int64_t>(name, *value, 0, INT32_MAX, &message);
      if (!n) return parsed;
      options.visits = *n;
    } else if (name == "--server") {
      data::PgAddress address;
      if (!data::ParseServerUrl(*value, &address, &message)) {
        message = "--server: " + message;
        return parsed;
      }
      options.server = address;
    } else if (name == "--today") {
      auto day = ReadDate(*value, &message);
      if (!day) return parsed;
      options.today = *day;
    }
  }
  if (std::string problem = CheckDemoOptions(options); !problem.empty()) {
    parsed.message = problem;
    return parsed;
  }
  parsed.options = std::move(options);
  return parsed;
}

}  // namespace vornel::app::demo
