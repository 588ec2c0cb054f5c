#include "data/store/store_choice.h"

#include <charconv>

#include "data/store/pg_store.h"
#include "platform/text.h"

namespace vornel::data {
namespace {

bool ParsePort(std::string_view text, int* port) {
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), *port);
  return error == std::errc() && end == text.data() + text.size() && *port > 0 && *port < 65536;
}

// %XX escapes of a URL part; false for a broken one.
bool Decode(std::string_view text, std::string* out) {
  out->clear();
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      *out += text[i];
      continue;
    }
    unsigned value = 0;
    if (i + 2 >= text.size() ||
        std::from_chars(text.data() + i + 1, text.data() + i + 3, value, 16).ptr != text.data() + i + 3) {
      return false;
    }
    *out += static_cast<char>(value);
    i += 2;
  }
  return true;
}

}  // namespace

StoreChoice ReadStoreChoice(const platform::SettingsFile& settings) {
  StoreChoice choice;
  const std::string where = "The record store settings in " + settings.path().string();
  if (std::string problem = settings.Problem(); !problem.empty()) {
    choice.problem = where + " cannot be read: " + problem;
    return choice;
  }
  const std::string kind = std::string(platform::Trim(settings.Get(kStoreSection, "Kind", "SQLite")));
  if (platform::SameNoCase(kind, "SQLite") || kind.empty()) return choice;
  if (!platform::SameNoCase(kind, "PostgreSQL")) {
    choice.problem = where + " name the store " + kind + "; the stores are SQLite and PostgreSQL";
    return choice;
  }
  choice.server = true;
  if (settings.Find(kStoreSection, "Password")) {
    choice.problem = where + " hold a password, which every user of the file can read: remove it and put it "
                     "into the password file (~/.pgpass) of each user instead";
    return choice;
  }
  choice.address.host = std::string(platform::Trim(settings.Get(kStoreSection, "Host")));
  choice.address.database = std::string(platform::Trim(settings.Get(kStoreSection, "Database")));
  choice.address.user = std::string(platform::Trim(settings.Get(kStoreSection, "User")));
  const std::string port = std::string(platform::Trim(settings.Get(kStoreSection, "Port", "5432")));
  if (!ParsePort(port, &choice.address.port)) {
    choice.problem = where + " give the port " + port + ", which is not a port number";
  } else if (choice.address.database.empty()) {
    choice.problem = where + " name no database (Database=)";
  }
  return choice;
}

bool WriteStoreChoice(platform::SettingsFile& settings, const PgAddress& address) {
  return settings.Set(kStoreSection, "Kind", "PostgreSQL") && settings.Set(kStoreSection, "Host", address.host) &&
         settings.SetInt(kStoreSection, "Port", address.port) &&
         settings.Set(kStoreSection, "Database", address.database) &&
         settings.Set(kStoreSection, "User", address.user);
}

bool ParseServerUrl(std::string_view url, PgAddress* address, std::string* problem) {
  const std::string_view scheme = "postgresql://";
  if (!url.starts_with(scheme)) {
    *problem = "a server address starts with postgresql://";
    return false;
  }
  std::string_view rest = url.substr(scheme.size());
  const std::size_t slash = rest.find('/');
  if (slash == std::string_view::npos || slash + 1 == rest.size()) {
    *problem = "the address names no database (postgresql://USER@HOST:PORT/DATABASE)";
    return false;
  }
  std::string_view authority = rest.substr(0, slash);
  PgAddress parsed;
  if (!Decode(rest.substr(slash + 1), &parsed.database)) {
    *problem = "the database name has a broken % escape";
    return false;
  }
  if (const std::size_t at = authority.rfind('@'); at != std::string_view::npos) {
    std::string_view user = authority.substr(0, at);
    if (user.find(':') != std::string_view::npos) {
      *problem = "the address holds a password; put it into the password file (~/.pgpass) instead";
      return false;
    }
    if (!Decode(user, &parsed.user)) {
      *problem = "the user name has a broken % escape";
      return false;
    }
    authority = authority.substr(at + 1);
  }
  // A port after the last colon, unless the colon is inside [an IPv6 address].
  const std::size_t colon = authority.rfind(':');
  const std::size_t bracket = authority.rfind(']');
  if (colon != std::string_view::npos && (bracket == std::string_view::npos || colon > bracket)) {
    if (!ParsePort(authority.substr(colon + 1), &parsed.port)) {
      *problem = "the port " + std::string(authority.substr(colon + 1)) + " is not a port number";
      return false;
    }
    authority = authority.substr(0, colon);
  }
  if (authority.starts_with('[') && authority.ends_with(']')) authority = authority.substr(1, authority.size() - 2);
  if (!Decode(authority, &parsed.host)) {
    *problem = "the host has a broken % escape";
    return false;
  }
  *address = std::move(parsed);
  return true;
}

std::unique_ptr<RecordStore> MakeChosenStore(const StoreChoice& choice, const std::filesystem::path& root) {
  if (!choice.problem.empty()) return std::make_unique<PgStore>(choice.address, root, choice.problem);
  if (!choice.server) return MakeSqliteStore();
  return MakePgStore(choice.address, root);
}

}  // namespace vornel::data
