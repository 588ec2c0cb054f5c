#pragma once
// Which record store a data root uses, as its program settings say
// (\VORNEL\vornel.ini):
//
//   [Record Store]
//   Kind=PostgreSQL          (SQLite, the default, keeps the records in the root)
//   Host=db.agency.lan       (a host name, or the directory of the server's socket)
//   Port=5432
//   Database=vornel
//   User=frontdesk
//
// The password is never read from the settings, which every station's
// users can read: libpq takes it from the user's ~/.pgpass or PGPASSWORD.
// A settings file that holds one is refused, so that it gets removed.
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "data/store/pg_connection.h"
#include "data/store/record_store.h"
#include "platform/settings_file.h"

namespace vornel::data {

inline constexpr std::string_view kStoreSection = "Record Store";

struct StoreChoice {
  bool server = false;  // false: the embedded store
  PgAddress address;
  std::string problem;  // why the settings cannot be used ("" when they can)
};

StoreChoice ReadStoreChoice(const platform::SettingsFile& settings);
// Writes the choice of a server into the settings (for vornel-store and the
// demo generator); false with the settings' own error when it cannot.
bool WriteStoreChoice(platform::SettingsFile& settings, const PgAddress& address);

// "postgresql://USER@HOST:PORT/DATABASE" (a socket directory as the host
// written with %2F for each "/"): false with `problem` set when the text is
// not such an address or carries a password.
bool ParseServerUrl(std::string_view url, PgAddress* address, std::string* problem);

// The store of the choice for the data root `root`. Settings that cannot be
// used give a store whose every file answers their problem, so that the
// program says what is wrong at the first file it opens and changes nothing.
std::unique_ptr<RecordStore> MakeChosenStore(const StoreChoice& choice, const std::filesystem::path& root);

}  // namespace vornel::data
