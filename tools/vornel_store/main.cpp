// vornel-store: copies a data root's records into a database on a server,
// or back from the database into a data root.
#include <cstdio>
#include <string>
#include <string_view>

#include "data/store/store_choice.h"
#include "data/store/store_copy.h"
#include "platform/settings_file.h"

namespace {

constexpr const char* kUsage =
    "usage: vornel-store copy --from DIR --to postgresql://USER@HOST:PORT/DATABASE [--use]\n"
    "       vornel-store copy --from postgresql://USER@HOST:PORT/DATABASE --to DIR [--use]\n"
    "  copies every record of the data root DIR into the empty DATABASE, in one transaction,\n"
    "  or every record of DATABASE into DIR, which holds no records yet, and compares the\n"
    "  record count of every file. With --use the root's settings (DIR/VORNEL/vornel.ini)\n"
    "  are made to name the store copied into. The password comes from ~/.pgpass or\n"
    "  PGPASSWORD; a socket directory is written with %2F for each '/'.\n";

void PrintLine(std::string_view line) {
  std::printf("  %.*s\n", static_cast<int>(line.size()), line.data());
  std::fflush(stdout);
}

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
  const bool to_server = !std::string_view(from).starts_with("postgresql:");
  const std::string& root = to_server ? from : to;
  vornel::data::PgAddress address;
  std::string problem;
  if (root.empty() || !vornel::data::ParseServerUrl(to_server ? to : from, &address, &problem)) {
    std::fprintf(stderr, "vornel-store: %s\n%s", problem.empty() ? "a data root is required" : problem.c_str(),
                 kUsage);
    return 2;
  }
  const vornel::data::CopyResult result = to_server ? vornel::data::CopyRootToServer(root, address, PrintLine)
                                                    : vornel::data::CopyServerToRoot(address, root, PrintLine);
  if (!result.ok) {
    std::fprintf(stderr, "vornel-store: %s\n", result.message.c_str());
    return 1;
  }
  std::printf("%s\n", result.message.c_str());
  vornel::platform::SettingsFile settings(std::filesystem::path(root) / "VORNEL" / "vornel.ini");
  const std::string section(vornel::data::kStoreSection);
  if (!use) {
    if (to_server) {
      std::printf("to use it, give %s the section [%s] with Kind=PostgreSQL, Host, Port, Database and User,\n"
                  "or run the copy again into an empty database with --use\n",
                  settings.path().c_str(), section.c_str());
    } else {
      std::printf("the root keeps its records itself when %s has no section [%s]\n", settings.path().c_str(),
                  section.c_str());
    }
    return 0;
  }
  const bool written = to_server ? vornel::data::WriteStoreChoice(settings, address)
                                 : settings.RemoveSection(section);
  if (!written) {
    std::fprintf(stderr, "vornel-store: the records are copied, but %s\n", settings.LastError().c_str());
    return 1;
  }
  std::printf(to_server ? "%s now names the database\n" : "%s now keeps the records in the root\n",
              settings.path().c_str());
  return 0;
}
