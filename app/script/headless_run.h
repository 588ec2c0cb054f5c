#pragma once
// `vornel --headless --script FILE`: the program without a screen, driven by
// a script. Answers the process's exit code: 0 when every step passed, 1 at
// the first failed step (the report goes to `report`), 2 when the script
// cannot be read. Reports reach PDF files and the printer through `output`
// when one is given.
#include <filesystem>
#include <iosfwd>

#include "platform/page/page_output.h"
#include "platform/paths.h"

namespace vornel::app::script {

int RunHeadless(platform::PathMap paths, const std::filesystem::path& script, std::ostream& report,
                platform::page::PageOutput* output = nullptr);

}  // namespace vornel::app::script
