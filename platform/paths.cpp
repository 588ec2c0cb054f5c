#include "platform/paths.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <utility>
#include <vector>

#include "platform/text.h"

namespace vornel::platform {
namespace {

namespace fs = std::filesystem;

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool HasDrive(std::string_view path) {
  return path.size() >= 2 && path[1] == ':' &&
         ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
}

// A system path split into its components, with whether the last one names a directory.
struct SystemPath {
  std::vector<std::string> parts;
  bool ends_in_directory = false;
};

// Appends the components of `path` to `into`. The system ignores trailing
// blanks and dots of a name (so a name taken from a padded field finds its
// file); "." is skipped; "..", a name of dots or blanks only and NUL bytes are
// refused, so nothing can step out of the root.
bool AppendComponents(std::string_view path, SystemPath& into) {
  if (path.find('\0') != std::string_view::npos) return false;
  into.ends_in_directory = path.empty() || IsSeparator(path.back());
  std::size_t pos = 0;
  while (pos < path.size()) {
    std::size_t end = pos;
    while (end < path.size() && !IsSeparator(path[end])) ++end;
    std::string_view part = path.substr(pos, end - pos);
    pos = end + 1;
    if (part.empty()) continue;
    if (part == ".") {
      if (pos >= path.size()) into.ends_in_directory = true;
      continue;
    }
    std::size_t keep = part.size();
    while (keep > 0 && (part[keep - 1] == ' ' || part[keep - 1] == '.')) --keep;
    if (keep == 0) return false;
    into.parts.emplace_back(part.substr(0, keep));
  }
  return true;
}

// Splits a system path, resolving a relative one against `working_dir` (system form).
std::optional<SystemPath> Split(std::string_view path, std::string_view working_dir) {
  if (HasDrive(path)) path.remove_prefix(2);
  SystemPath split;
  if (path.empty() || !IsSeparator(path.front())) {
    if (!AppendComponents(working_dir, split)) return std::nullopt;
  }
  if (!AppendComponents(path, split)) return std::nullopt;
  return split;
}

// The name under which `name` exists in `dir` regardless of case: an exact
// match first, else the first match in byte order so the choice is stable.
std::optional<std::string> ExistingName(const fs::path& dir, const std::string& name) {
  std::error_code ec;
  if (fs::symlink_status(dir / name, ec).type() != fs::file_type::not_found && !ec) return name;
  std::optional<std::string> best;
  fs::directory_iterator it(dir, ec);
  if (ec) return std::nullopt;
  for (const fs::directory_entry& entry : it) {
    std::string candidate = entry.path().filename().string();
    if (SameNoCase(candidate, name) && (!best || candidate < *best)) best = std::move(candidate);
  }
  return best;
}

// Walks `parts` down from `base`, taking existing names in whatever case they
// have and naming new directories in upper case (the last part, when it is a
// file name, as written).
fs::path MapUnder(const fs::path& base, const SystemPath& split) {
  fs::path out = base;
  bool exists = true;
  for (std::size_t i = 0; i < split.parts.size(); ++i) {
    const std::string& part = split.parts[i];
    std::optional<std::string> found;
    if (exists) found = ExistingName(out, part);
    if (found) {
      out /= *found;
      continue;
    }
    exists = false;
    bool is_file_name = i + 1 == split.parts.size() && !split.ends_in_directory;
    out /= is_file_name ? part : Upper(part);
  }
  return out;
}

std::string EnvValue(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::string(value) : std::string();
}

fs::path HomeDirectory() {
  std::string home = EnvValue("HOME");
  if (!home.empty()) return home;
  std::vector<char> buffer(16384);
  passwd pw{};
  passwd* result = nullptr;
  if (::getpwuid_r(::getuid(), &pw, buffer.data(), buffer.size(), &result) == 0 && result &&
      result->pw_dir) {
    return result->pw_dir;
  }
  std::error_code ec;
  return fs::current_path(ec);
}

// An XDG base directory: the variable when it holds an absolute path (relative
// values are to be ignored), else the default under the home directory.
fs::path XdgDirectory(const char* variable, const fs::path& fallback_under_home) {
  fs::path value = EnvValue(variable);
  if (!value.empty() && value.is_absolute()) return value;
  return HomeDirectory() / fallback_under_home;
}

fs::path Absolute(const fs::path& path) {
  std::error_code ec;
  fs::path out = fs::absolute(path, ec);
  return ec ? path : out;
}

}  // namespace

PathMap::PathMap(fs::path root, fs::path settings_dir)
    : root_(std::move(root)), settings_dir_(std::move(settings_dir)) {}

PathMap::PathMap(const PathMap& other)
    : root_(other.root_), settings_dir_(other.settings_dir_), working_dir_(other.WorkingDirectory()) {}

PathMap& PathMap::operator=(const PathMap& other) {
  if (this != &other) {
    std::string working = other.WorkingDirectory();
    root_ = other.root_;
    settings_dir_ = other.settings_dir_;
    std::lock_guard lock(mutex_);
    working_dir_ = std::move(working);
  }
  return *this;
}

PathMap PathMap::FromEnvironment(int argc, const char* const* argv) {
  fs::path root;
  for (int i = 1; i < argc && argv[i]; ++i) {
    std::string_view arg = argv[i];
    if (arg == "--") break;
    if (arg == "--root" && i + 1 < argc && argv[i + 1]) {
      root = argv[++i];
    } else if (arg.starts_with("--root=")) {
      root = std::string(arg.substr(7));
    }
  }
  if (root.empty()) root = EnvValue("VORNEL_ROOT");
  if (root.empty()) root = XdgDirectory("XDG_DATA_HOME", ".local/share") / "vornel";
  return PathMap(Absolute(root), Absolute(XdgDirectory("XDG_CONFIG_HOME", ".config") / "vornel"));
}

bool PathMap::SetWorkingDirectory(std::string_view system_dir) {
  std::lock_guard lock(mutex_);
  std::optional<SystemPath> split = Split(system_dir, working_dir_);
  if (!split) return false;
  std::string joined = "\\";
  for (const std::string& part : split->parts) joined += part + "\\";
  working_dir_ = std::move(joined);
  return true;
}

std::string PathMap::WorkingDirectory() const {
  std::lock_guard lock(mutex_);
  return working_dir_;
}

std::optional<fs::path> PathMap::Resolve(std::string_view system_path) const {
  if (system_path.empty()) return std::nullopt;
  std::optional<SystemPath> split = Split(system_path, WorkingDirectory());
  if (!split) return std::nullopt;
  return MapUnder(root_, *split);
}

std::optional<fs::path> PathMap::ResolveSettingsFile(std::string_view name) const {
  bool bare = !name.empty() && !HasDrive(name) &&
              std::none_of(name.begin(), name.end(), IsSeparator);
  if (!bare) return Resolve(name);
  SystemPath split;
  if (!AppendComponents(name, split) || split.parts.size() != 1) return std::nullopt;
  return MapUnder(settings_dir_, split);
}

std::string PathMap::DepartmentDirectory(int department) {
  return "\\VORNEL\\" + std::to_string(department) + "\\";
}

}  // namespace vornel::platform
