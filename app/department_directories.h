#pragma once
// The data directories of a department: "\VORNEL\" + number, with ARCS and
// STATS below it.
#include <filesystem>
#include <string>

#include "platform/paths.h"

namespace vornel::app {

// Creates whichever of the three directories (and their parents) are missing,
// with mode 0750 at most: they hold client health data. Existing directories
// are left as they are. "" on success, else the path that failed and why.
std::string MakeDepartmentDirectories(const platform::PathMap& paths, int department);

// Creates a directory and its missing parents, each new level with mode 0750
// at most. "" on success, else the path that failed and why.
std::string MakePrivateDirectory(const std::filesystem::path& directory);

}  // namespace vornel::app
