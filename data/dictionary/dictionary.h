#pragma once
// The data dictionary: the FileDef of every record file, generated from
// files.def. The tables are constant-initialized, so they may be used from
// any thread and during static initialization.
#include <span>
#include <string_view>

#include "data/dictionary/file_def.h"

namespace vornel::data {

// One accessor per file: ClientFile(), LogFile() ... Rpt_temp_1File().
#define DD_FILE(label, prefix, file_name, location, record_size, create) const FileDef& label##File();
#include "data/dictionary/files.def"

// Every file in dictionary order; FileDef::number is the position here.
std::span<const FileDef> AllFiles();

// The file of that label ("client", "RPT_TEMP_1"), without regard to case;
// nullptr when there is none.
const FileDef* FindFile(std::string_view label);

}  // namespace vornel::data
