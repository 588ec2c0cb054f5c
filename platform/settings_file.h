#pragma once
// One settings (INI) file on disk. It is parsed once while it stays as it is
// on disk; a change (by another workstation, or a write here) is read at the
// next call.
#include <cstddef>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vornel::platform {

class IniDocument;

// Only a regular file of at most kMostBytes is read; a missing file reads as
// empty, and so does one that cannot be read, whose Problem() says why. Writes lock "<name>.lock" beside the file for the whole
// read-modify-write, change only the line concerned (see IniDocument), and
// replace the file atomically, keeping its permission bits; a new file gets
// mode 0600 and missing parent directories mode 0700.
class SettingsFile {
 public:
  static constexpr std::size_t kMostBytes = 1 << 20;

  explicit SettingsFile(std::filesystem::path path);
  SettingsFile(const SettingsFile& other) : path_(other.path_) {}
  SettingsFile& operator=(const SettingsFile& other);

  const std::filesystem::path& path() const { return path_; }

  std::string Get(std::string_view section, std::string_view entry,
                  std::string_view default_value = "") const;
  std::optional<std::string> Find(std::string_view section, std::string_view entry) const;
  // The entry as a whole decimal number; missing, non-numeric or out-of-range -> default.
  long GetInt(std::string_view section, std::string_view entry, long default_value) const;
  std::vector<std::string> Sections() const;
  std::vector<std::string> Entries(std::string_view section) const;
  // Why the file cannot be read, naming it ("/x/agency.ini is a FIFO (named
  // pipe), not a settings file"); "" when it was read or does not exist.
  std::string Problem() const;

  // False when the name or value is refused or the file cannot be read or written.
  bool Set(std::string_view section, std::string_view entry, std::string_view value);
  bool SetInt(std::string_view section, std::string_view entry, long value);
  // Removing a missing entry (or from a missing file) is success.
  bool Remove(std::string_view section, std::string_view entry);
  bool RemoveSection(std::string_view section);

  // Why the last write through this object failed ("" after a success).
  std::string LastError() const;

 private:
  bool Modify(const std::function<bool(IniDocument&)>& edit);
  // Records the outcome of a write: "" for success. Returns whether it succeeded.
  bool Record(std::string message);

  std::filesystem::path path_;
  mutable std::mutex error_mutex_;  // writes may come from several threads
  std::string last_error_;
};

}  // namespace vornel::platform
