#include "app/department_directories.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace vornel::app {

namespace fs = std::filesystem;

namespace {
constexpr mode_t kDirectoryMode = 0750;
}  // namespace

// Each missing level is made one by one, so that each gets the restricted
// mode (create_directories would use 0777).
std::string MakePrivateDirectory(const fs::path& directory) {
  fs::path partial;
  for (const fs::path& part : directory) {
    partial /= part;
    struct stat info {};
    if (::stat(partial.c_str(), &info) == 0) {
      if (!S_ISDIR(info.st_mode)) return partial.string() + " (not a directory)";
      continue;
    }
    if (::mkdir(partial.c_str(), kDirectoryMode) != 0 && errno != EEXIST)
      return partial.string() + " (" + std::strerror(errno) + ")";
  }
  return {};
}

std::string MakeDepartmentDirectories(const platform::PathMap& paths, int department) {
  const std::string base = platform::PathMap::DepartmentDirectory(department);
  for (const std::string& name : {base, base + "ARCS\\", base + "STATS\\"}) {
    auto directory = paths.Resolve(name);
    if (!directory) return name + " (not a valid directory name)";
    if (std::string error = MakePrivateDirectory(*directory); !error.empty()) return error;
  }
  return {};
}

}  // namespace vornel::app
