// vornel-store: moves a data root's records into a database on a server.
#include <cstdio>
#include <string>
#include <string_view>

#include "data/store/store_choice.h"
#include "data/store/store_copy.h"
#include "platform/settings_file.h"

namespace {

constexpr const char* kUsage =
    "usage: vornel-store copy --from DIR --to postgresql://USER@HOST:PORT/DATABASE [--use]\n"
    "  copies every record of the data root DIR into the empty DATABASE, in one transaction,\n"
    "  and compares the record count of every file. With --use the root's settings\n"
    "  (DIR/VORNEL/vornel.ini) are made to name the database. The password comes from\n"
    "  ~/.pgpass or PGPASSWORD; a socket directory is written with %2F for each '/'.\n";

}  // namespace

int main(int argc, char** argv) {
  std::string from, to;
  bool use = false;
  if (argc < 2 || std::string_view(argv[1]) != "copy") {
    std::fputs(kUsage, stderr);
    return 2;
  }
  for (int i = 2; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--from" && i + 1 < argc) {
      from = argv[++i];
    } else if (arg == "--to" && i + 1 < argc) {
      to = argv[++i];
    } else if (arg == "--use") {
      use = true;
    } else {
      std::fputs(kUsage, stderr);
      return 2;
    }
  }
  vornel::data::PgAddress address;
  std::string problem;
  if (from.empty() || !vornel::data::ParseServerUrl(to, &address, &problem)) {
    std::fprintf(stderr, "vornel-store: %s\n%s", problem.empty() ? "--from is required" : problem.c_str(), kUsage);
    return 2;
  }
  const vornel::data::CopyResult result =
      vornel::data::CopyRootToServer(from, address, [](std::string_view line) {
        std::printf("  %.*s\n", static_cast<int>(line.size()), line.data());
        std::fflush(stdout);
      });
  if (!result.ok) {
    std::fprintf(stderr, "vornel-store: %s\n", result.message.c_str());
    return 1;
  }
  std::printf("%s\n", result.message.c_str());
  vornel::platform::SettingsFile settings(std::filesystem::path(from) / "VORNEL" / "vornel.ini");
  if (use) {
    if (!vornel::data::WriteStoreChoice(settings, address)) {
      std::fprintf(stderr, "vornel-store: the records are copied, but %s\n", settings.LastError().c_str());
      return 1;
    }
    std::printf("%s now names the database\n", settings.path().c_str());
  } else {
    std::printf("to use it, give %s the section [%s] with Kind=PostgreSQL, Host, Port, Database and User,\n"
                "or run the copy again into an empty database with --use\n",
                settings.path().c_str(), std::string(vornel::data::kStoreSection).c_str());
  }
  return 0;
}
