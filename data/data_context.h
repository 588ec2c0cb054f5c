#pragma once
// What the data layer of the program reaches: the record store, the path map
// (data root and working directory) and the error manager. One per program;
// the per-thread file managers keep a reference to it.
#include "data/store/record_store.h"
#include "errors/error_manager.h"
#include "platform/paths.h"

namespace vornel::data {

struct DataContext {
  RecordStore& store;
  platform::PathMap& paths;
  errors::ErrorManager& errors;
};

}  // namespace vornel::data
