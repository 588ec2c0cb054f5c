#pragma once
// Maps the system's Windows-style file names onto the data root.
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace vornel::platform {

// "\VORNEL\3\Client.dat" -> ROOT/VORNEL/3/Client.dat. Components match
// existing files and directories without regard to ASCII case; a component
// that does not exist yet is a directory in upper case or the file name as
// written. Relative names resolve against the working directory (system form,
// default the root). Names that would leave the root ("..", NUL bytes) are
// refused. Safe to use from several threads while one changes the working
// directory.
class PathMap {
 public:
  PathMap(std::filesystem::path root, std::filesystem::path settings_dir);
  PathMap(const PathMap& other);
  PathMap& operator=(const PathMap& other);

  // Root from "--root DIR" / "--root=DIR", else $VORNEL_ROOT, else
  // $XDG_DATA_HOME/vornel (~/.local/share/vornel); settings directory
  // $XDG_CONFIG_HOME/vornel (~/.config/vornel). Relative roots are made absolute.
  static PathMap FromEnvironment(int argc, const char* const* argv);

  const std::filesystem::path& root() const { return root_; }
  const std::filesystem::path& settings_dir() const { return settings_dir_; }

  // Sets the directory relative names resolve against, e.g. "\VORNEL\3\"; a
  // relative name moves from the current one. False (unchanged) when refused.
  bool SetWorkingDirectory(std::string_view system_dir);
  // In system form: "\" for the root, otherwise "\VORNEL\3\".
  std::string WorkingDirectory() const;

  std::optional<std::filesystem::path> Resolve(std::string_view system_path) const;
  // A bare file name lies in the settings directory; a name with a directory maps as Resolve.
  std::optional<std::filesystem::path> ResolveSettingsFile(std::string_view name) const;

  // The system form of a department's data directory: "\VORNEL\3\".
  static std::string DepartmentDirectory(int department);

 private:
  std::filesystem::path root_;
  std::filesystem::path settings_dir_;
  mutable std::mutex mutex_;  // guards working_dir_
  std::string working_dir_ = "\\";
};

}  // namespace vornel::platform
